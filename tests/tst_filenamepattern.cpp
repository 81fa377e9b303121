#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "batch/filenamepattern.h"

// File names from the profile's pattern.
class FileNamePatternTest : public QObject
{
    Q_OBJECT

private slots:
    void expandsFields_data();
    void expandsFields();
    void neverOverwrites_data();
    void neverOverwrites();
};

namespace {

FileNamePattern::Fields sample()
{
    FileNamePattern::Fields fields;
    fields.when = QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7));
    fields.sequence = 7;
    fields.barcode = QStringLiteral("INV-2026/0042");
    fields.profile = QStringLiteral("发票");
    fields.pageCount = 3;
    return fields;
}

} // namespace

void FileNamePatternTest::expandsFields_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::newRow("default") << QStringLiteral("扫描_{日期}_{序号}") << QStringLiteral("扫描_20261210_007");
    QTest::newRow("every field") << QStringLiteral("{方案}-{日期}{时间}-{页数}页")
                                 << QStringLiteral("发票-20261210090507-3页");
    QTest::newRow("code with a slash") << QStringLiteral("{条码}") << QStringLiteral("INV-2026_0042");
    QTest::newRow("unknown field kept") << QStringLiteral("{客户}_{序号}") << QStringLiteral("{客户}_007");
    QTest::newRow("refused characters") << QStringLiteral("a:b*c?\"d<e>f|g\\h") << QStringLiteral("a_b_c__d_e_f_g_h");
    QTest::newRow("trailing dots and blanks") << QStringLiteral("报告. . ") << QStringLiteral("报告");
    QTest::newRow("nothing left") << QStringLiteral("...") << QStringLiteral("扫描_20261210_007");
    QTest::newRow("English field names") << QStringLiteral("{profile}-{date}{time}-{pages}p-{barcode}")
                                         << QStringLiteral("发票-20261210090507-3p-INV-2026_0042");
    QTest::newRow("unclosed brace") << QStringLiteral("{日期") << QStringLiteral("{日期");
}

void FileNamePatternTest::expandsFields()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QCOMPARE(FileNamePattern::expand(pattern, sample()), name);
}

void FileNamePatternTest::neverOverwrites_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("sequence");
    QTest::newRow("free") << QStringLiteral("扫描_{序号}") << QStringList() << QStringLiteral("扫描_007.pdf") << 7;
    QTest::newRow("counter goes on") << QStringLiteral("扫描_{序号}")
                                     << QStringList { QStringLiteral("扫描_007.pdf"), QStringLiteral("扫描_008.pdf") }
                                     << QStringLiteral("扫描_009.pdf") << 9;
    QTest::newRow("English counter goes on")
        << QStringLiteral("Scan_{number}") << QStringList { QStringLiteral("Scan_007.pdf") }
        << QStringLiteral("Scan_008.pdf") << 8;
    QTest::newRow("no counter in the pattern")
        << QStringLiteral("{方案}") << QStringList { QStringLiteral("发票.pdf"), QStringLiteral("发票_2.pdf") }
        << QStringLiteral("发票_3.pdf") << 7;
}

void FileNamePatternTest::neverOverwrites()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, existing);
    QFETCH(QString, expected);
    QFETCH(int, sequence);
    QTemporaryDir dir;
    for (const QString &name : existing) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    int used = 0;
    QCOMPARE(
        FileNamePattern::freePath(dir.path(), pattern, QStringLiteral("pdf"), sample(), &used), dir.filePath(expected));
    QCOMPARE(used, sequence);
}

QTEST_GUILESS_MAIN(FileNamePatternTest)
#include "tst_filenamepattern.moc"
