#include <QtTest>

#include "batch/documentseparator.h"
#include "tests/support/barcodepages.h"
#include "tests/support/testpages.h"

// A stack split into documents by each rule, on real pages: text pages, blank
// sheets and separator sheets with a QR code or a Code 128 barcode.
class DocumentSeparatorTest : public QObject
{
    Q_OBJECT

private slots:
    void splitsTheStack_data();
    void splitsTheStack();
    void feederRunDecidesPageByPage();
};

namespace {

// 't' a text page, 'b' a blank sheet, 'Q' a QR separator, 'C' a Code 128 separator.
QImage pageOf(QChar kind, int seed)
{
    switch (kind.unicode()) {
    case 'b': {
        QImage sheet(827, 1169, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        return BarcodePages::scanned(sheet, 0.0, seed);
    }
    case 'Q':
        return BarcodePages::separatorSheet(
            BarcodePages::Symbology::QrCode, QStringLiteral("Q%1").arg(seed), 200, seed);
    case 'C':
        return BarcodePages::separatorSheet(
            BarcodePages::Symbology::Code128, QStringLiteral("C%1").arg(seed), 200, seed);
    default:
        return BarcodePages::scanned(TestPages::page(TestPages::Layout::Invoice, 100, seed), 0.5, seed);
    }
}

// Documents written as page positions in the stack, "0,1|3" for two documents.
QString describe(const QVector<DocumentSeparator::Document> &documents)
{
    QStringList parts;
    for (const auto &document : documents) {
        QStringList pages;
        for (quint64 page : document.pages)
            pages.append(QString::number(page));
        parts.append(pages.join(QLatin1Char(','))
            + (document.barcode.isEmpty() ? QString() : QLatin1Char('=') + document.barcode));
    }
    return parts.join(QLatin1Char('|'));
}

} // namespace

void DocumentSeparatorTest::splitsTheStack_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<int>("every");
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QString>("stack");
    QTest::addColumn<QString>("documents");
    const int none = int(SplitRule::None), page = int(SplitRule::EveryPage), everyN = int(SplitRule::EveryNPages),
              blank = int(SplitRule::BlankPage), barcode = int(SplitRule::Barcode);
    QTest::newRow("not split") << none << 0 << false << "tttt"
                               << "0,1,2,3";
    QTest::newRow("a file per page") << page << 0 << false << "ttt"
                                     << "0|1|2";
    QTest::newRow("every 3 pages") << everyN << 3 << false << "ttttttt"
                                   << "0,1,2|3,4,5|6";
    QTest::newRow("at blank sheets, dropped") << blank << 0 << false << "ttbttbbt"
                                              << "0,1|3,4|7";
    QTest::newRow("leading blank starts nothing") << blank << 0 << false << "btt"
                                                  << "1,2";
    QTest::newRow("at QR and Code 128, dropped") << barcode << 0 << false << "tQttCt"
                                                 << "0|2,3=Q1|5=C4";
    QTest::newRow("leading separator") << barcode << 0 << false << "QttCt"
                                       << "1,2=Q0|4=C3";
    QTest::newRow("separators kept as first page") << barcode << 0 << true << "tQttCt"
                                                   << "0|1,2,3=Q1|4,5=C4";
    QTest::newRow("blank is no barcode") << barcode << 0 << false << "tbt"
                                         << "0,1,2";
}

void DocumentSeparatorTest::splitsTheStack()
{
    QFETCH(int, rule);
    QFETCH(int, every);
    QFETCH(bool, keep);
    QFETCH(QString, stack);
    QFETCH(QString, documents);
    DocumentSeparator::Rule splitRule;
    splitRule.rule = SplitRule(rule);
    splitRule.every = every;
    splitRule.keepSeparator = keep;
    QCOMPARE(describe(DocumentSeparator::split(splitRule, stack.size(), [&](int i) { return pageOf(stack.at(i), i); })),
        documents);
}

// Sheet by sheet, as a feeder delivers them: the separator is reported as
// dropped the moment it arrives, and the next page as the start of a document.
void DocumentSeparatorTest::feederRunDecidesPageByPage()
{
    DocumentSeparator::Rule rule;
    rule.rule = SplitRule::Barcode;
    DocumentSeparator separator(rule);
    QVERIFY(separator.add(10, pageOf('t', 0)).startsDocument);
    QVERIFY(!separator.add(11, pageOf('t', 1)).startsDocument);
    const DocumentSeparator::Decision sheet = separator.add(12, pageOf('Q', 2));
    QVERIFY(sheet.dropped);
    QCOMPARE(sheet.barcode, QStringLiteral("Q2"));
    QCOMPARE(describe(separator.documents()), QStringLiteral("10,11"));
    QVERIFY(separator.add(13, pageOf('t', 3)).startsDocument);
    QCOMPARE(describe(separator.documents()), QStringLiteral("10,11|13=Q2"));
}

QTEST_MAIN(DocumentSeparatorTest)
#include "tst_documentseparator.moc"
