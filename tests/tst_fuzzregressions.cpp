#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QtTest>

// Every input that ever crashed a parser, leaked, hung or exhausted memory, run
// through the parser it was found in (quirra_fuzz_replay, the fuzzers' own entry
// points built without the fuzzing runtime), one child process each.
class FuzzRegressionTest : public QObject
{
    Q_OBJECT

private slots:
    void everyInputHasARow();
    void inputIsTurnedAwayWithinLimits_data();
    void inputIsTurnedAwayWithinLimits();
};

namespace {

// What a child may take: the address space covers the thread stacks and malloc
// arenas Qt's threads reserve (hundreds of megabytes never touched), and still
// ends any allocation a header could ask for; resident memory is what the rule
// is about. Under AddressSanitizer the shadow memory needs terabytes of
// address space, and its own bookkeeping inflates what is resident, so there
// it checks the memory errors and the figures are only printed.
constexpr int addressSpaceMegabytes = 1024;
constexpr qint64 residentLimitKilobytes = 300 * 1024;
// Generous: the rule is one second, the machine is shared; a child still
// running after this is a hang.
constexpr int hangMilliseconds = 60000;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool underAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool underAddressSanitizer = true;
#else
constexpr bool underAddressSanitizer = false;
#endif
#else
constexpr bool underAddressSanitizer = false;
#endif

QString dataRoot()
{
    return QStringLiteral(QUIRRA_FUZZ_DATA_DIR);
}

struct Case
{
    const char *file;
    bool refused;
    const char *message;
};

// Target folder/file, whether the parser turns it away, and a piece of its message.
const Case cases[] = {
    // Signed overflow of the band count at start-up: refused from the header.
    { "page_file/band-count-overflow.qpage", true, "not a complete page file" },
    // 45 bytes claiming 5 GB, and 100 megapixels in 40 bands of 16 bytes: refused
    // before anything is allocated.
    { "page_file/five-gigabytes-in-45-bytes.qpage", true, "not a complete page file" },
    { "page_file/more-than-lz4-holds.qpage", true, "not a complete page file" },
    // The duplicate check was quadratic (30 000 names, 10.7 s); an index names at
    // most 10 000 pages, checked in linear time.
    { "page_index/thirty-thousand-names.json", true, "not an index" },
    { "page_index/ten-thousand-names.json", false, "10000 pages" },
    // The recovery folders read at every start: the overflowing page is not
    // offered, a page cut short costs only itself.
    { "recovery_folder/band-count-overflow-at-start", true, "nothing offered" },
    { "recovery_folder/second-page-cut-short", false, "1 of 1 pages, 1 damaged" },
    // The TIFF bomb's shape and an image header beyond the page limit.
    { "document_tiff/fifty-oversized-pages.tif", true, "超过200百万像素的上限" },
    { "document_image/png-60000-squared", true, "超过200百万像素的上限" },
    { "escl_document/png-60000-squared", true, "图像尺寸过大 (60000 x 60000)" },
    // A backend's announced frame is checked before it is allocated.
    { "sane_frames/billion-lines", true, "frame refused" },
    { "sane_frames/pixels-beyond-line", true, "frame refused" },
    // A rectangle beyond the int range is brought back to the page's range.
    { "annotation_json/rect-overflow.json", false, "1 annotations" },
};

} // namespace

// A found input without a row would never be run again.
void FuzzRegressionTest::everyInputHasARow()
{
    QStringList listed;
    for (const Case &c : cases)
        listed << QLatin1String(c.file);
    QStringList found;
    QDirIterator files(dataRoot(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString relative = QDir(dataRoot()).relativeFilePath(files.next());
        if (relative.contains(QLatin1Char('/')))
            found << relative;
    }
    listed.sort();
    found.sort();
    QCOMPARE(found, listed);
}

void FuzzRegressionTest::inputIsTurnedAwayWithinLimits_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("message");
    for (const Case &c : cases) {
        const QString file = QLatin1String(c.file);
        QTest::newRow(c.file) << file.section(QLatin1Char('/'), 0, 0) << QDir(dataRoot()).filePath(file) << c.refused
                              << QString::fromUtf8(c.message);
    }
}

// Each input ends normally (not killed by the address-space limit, not hanging,
// no sanitizer report), turned away or taken as its row says, within 300 MB
// resident. The time it took is printed with the memory.
void FuzzRegressionTest::inputIsTurnedAwayWithinLimits()
{
    QFETCH(QString, target);
    QFETCH(QString, file);
    QFETCH(bool, refused);
    QFETCH(QString, message);
    QProcess child;
    QStringList arguments;
    if (!underAddressSanitizer)
        arguments << QStringLiteral("--address-space-mb") << QString::number(addressSpaceMegabytes);
    child.start(QStringLiteral(QUIRRA_FUZZ_REPLAY), arguments << target << file);
    QVERIFY(child.waitForStarted());
    if (!child.waitForFinished(hangMilliseconds)) {
        child.kill();
        child.waitForFinished();
        QFAIL("the input hangs its parser");
    }
    const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(errors));
    QVERIFY2(!errors.contains(QLatin1String("runtime error:")), qPrintable(errors));
    const QStringList fields = QString::fromUtf8(child.readAllStandardOutput()).trimmed().split(QLatin1Char('\t'));
    QCOMPARE(fields.size(), 4);
    const qint64 milliseconds = fields.at(1).toLongLong();
    const qint64 residentKilobytes = fields.at(2).toLongLong();
    qInfo("%s: %s in %lld ms, %lld MB resident", qPrintable(QFileInfo(file).fileName()), qPrintable(fields.at(0)),
        milliseconds, residentKilobytes / 1024);
    QCOMPARE(fields.at(0), refused ? QStringLiteral("refused") : QStringLiteral("accepted"));
    QVERIFY2(fields.at(3).contains(message), qPrintable(fields.at(3)));
    if (!underAddressSanitizer)
        QVERIFY2(residentKilobytes <= residentLimitKilobytes, qPrintable(QString::number(residentKilobytes)));
}

QTEST_GUILESS_MAIN(FuzzRegressionTest)
#include "tst_fuzzregressions.moc"
