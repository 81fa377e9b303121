// The scan session without a window: the order of the page pipeline, the run
// record that follows the document, the cancel and the waiting results.
#include <QtTest>

#include "document/documentmanager.h"
#include "imaging/imageprocessor.h"
#include "ui/scansession.h"

namespace {

QImage sheet(QColor colour)
{
    QImage image(60, 80, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QString colourAt(DocumentManager &document, int index)
{
    return document.page(index).pixelColor(0, 0).name();
}

} // namespace

Q_DECLARE_METATYPE(ScanSession::Kind)
Q_DECLARE_METATYPE(ScanSession::Next)

class ScanSessionTest : public QObject
{
    Q_OBJECT

private slots:
    void pipelineDecides_data();
    void pipelineDecides();
    void blankTestUsesThresholdAndRatio();
    void runRecordFollowsTheDocument();
    void cancelQuietsTheScan();
    void resultsWaitForTheBoxInOrder();

private:
    ImageProcessor processor;
};

void ScanSessionTest::pipelineDecides_data()
{
    QTest::addColumn<ScanSession::Kind>("kind");
    QTest::addColumn<bool>("delay");
    QTest::addColumn<bool>("blank");
    QTest::addColumn<ScanSession::Next>("next");
    QTest::addColumn<bool>("stillScanning");
    QTest::addColumn<int>("pages");

    using K = ScanSession::Kind;
    using N = ScanSession::Next;
    QTest::newRow("single page kept") << K::SinglePage << false << false << N::SaveSingle << false << 1;
    QTest::newRow("single page blank") << K::SinglePage << false << true << N::SkippedBlank << false << 0;
    QTest::newRow("feeder page kept") << K::FeederRun << false << false << N::Collected << true << 1;
    QTest::newRow("feeder page blank") << K::FeederRun << false << true << N::SkippedBlankInRun << true << 0;
    QTest::newRow("escl feeder kept") << K::EsclFeeder << false << false << N::Collected << true << 1;
    QTest::newRow("escl feeder blank") << K::EsclFeeder << false << true << N::SkippedBlankInRun << true << 0;
    QTest::newRow("escl platen kept") << K::EsclPlaten << false << false << N::SaveSingle << true << 1;
    QTest::newRow("escl platen blank") << K::EsclPlaten << false << true << N::SkippedBlankInRun << true << 0;
    QTest::newRow("delay kept") << K::SinglePage << true << false << N::DelayCycleEnd << false << 1;
    QTest::newRow("delay blank") << K::SinglePage << true << true << N::SkippedBlank << false << 0;
    QTest::newRow("escl delay kept") << K::EsclPlaten << true << false << N::DelayCycleEnd << false << 1;
}

void ScanSessionTest::pipelineDecides()
{
    QFETCH(ScanSession::Kind, kind);
    QFETCH(bool, delay);
    QFETCH(bool, blank);
    QFETCH(ScanSession::Next, next);
    QFETCH(bool, stillScanning);
    QFETCH(int, pages);

    DocumentManager document;
    ScanSession session(&processor, &document);
    if (delay)
        session.startDelay(3, true);
    session.begin(kind);
    ScanSession::BlankTest test;
    test.enabled = true;
    const ScanSession::PageResult result = session.takePage(sheet(blank ? Qt::white : Qt::darkBlue), test);
    QCOMPARE(result.next, next);
    QCOMPARE(session.isScanning(), stillScanning);
    QCOMPARE(result.endsScan, !stillScanning);
    QCOMPARE(document.pageCount(), pages);
    QCOMPARE(result.index, pages - 1);
    QCOMPARE(session.delayCount(), delay ? pages : 0);
    QCOMPARE(session.collectedCount(), next == ScanSession::Next::Collected ? 1 : 0);
}

void ScanSessionTest::blankTestUsesThresholdAndRatio()
{
    DocumentManager document;
    ScanSession session(&processor, &document);
    // 95 % white: blank at a ratio of 90, not at the default 98.
    QImage mostlyWhite = sheet(Qt::white);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < mostlyWhite.width(); ++x)
            mostlyWhite.setPixel(x, y, qRgb(0, 0, 0));
    ScanSession::BlankTest test;
    test.enabled = true;
    session.begin(ScanSession::Kind::SinglePage);
    QCOMPARE(session.takePage(mostlyWhite, test).next, ScanSession::Next::SaveSingle);
    test.ratioPercent = 90;
    session.begin(ScanSession::Kind::SinglePage);
    QCOMPARE(session.takePage(mostlyWhite, test).next, ScanSession::Next::SkippedBlank);
    test.enabled = false;
    session.begin(ScanSession::Kind::SinglePage);
    QCOMPARE(session.takePage(sheet(Qt::white), test).next, ScanSession::Next::SaveSingle);
    QCOMPARE(session.takePage(QImage(), test).next, ScanSession::Next::Nothing);
    QCOMPARE(document.pageCount(), 2);
}

// Pages the user moves, removes or edits while the run goes on are saved as
// they are when the run ends; pages that are not the run's are not.
void ScanSessionTest::runRecordFollowsTheDocument()
{
    DocumentManager document;
    document.addPage(sheet(Qt::black));
    ScanSession session(&processor, &document);
    session.begin(ScanSession::Kind::SinglePage);
    session.beginFeederRun();
    const ScanSession::BlankTest test;
    for (QColor colour : { QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue), QColor(Qt::yellow) })
        session.takePage(sheet(colour), test);
    document.insertPage(0, sheet(Qt::gray)); // not the run's: gray black red green blue yellow
    document.movePageUp(3); // gray black green red blue yellow
    document.removePage(4); // blue goes
    document.removePage(2); // green is edited and put back
    document.insertPage(2, sheet(Qt::cyan));
    session.takePage(sheet(Qt::magenta), test);

    QStringList saved;
    for (int index : session.finishRun())
        saved << colourAt(document, index);
    QCOMPARE(saved,
        QStringList({ QColor(Qt::cyan).name(), QColor(Qt::red).name(), QColor(Qt::yellow).name(),
            QColor(Qt::magenta).name() }));
    QVERIFY(!session.isScanning());

    session.begin(ScanSession::Kind::SinglePage);
    session.beginFeederRun();
    session.takePage(sheet(Qt::red), test);
    document.newDocument();
    QVERIFY(session.finishRun().isEmpty());
}

void ScanSessionTest::cancelQuietsTheScan()
{
    DocumentManager document;
    ScanSession session(&processor, &document);
    session.begin(ScanSession::Kind::FeederRun);
    session.takePage(sheet(Qt::red), {});
    session.cancel();
    QVERIFY(session.isCancelled());
    QVERIFY(!session.isScanning());
    QVERIFY(session.finishRun().isEmpty());
    session.cancel();
    // A sheet already on its way stays in the document but is not saved.
    QCOMPARE(session.takePage(sheet(Qt::green), {}).next, ScanSession::Next::AddedOnly);
    QCOMPARE(document.pageCount(), 2);
    session.begin(ScanSession::Kind::SinglePage);
    QVERIFY(!session.isCancelled());
}

void ScanSessionTest::resultsWaitForTheBoxInOrder()
{
    DocumentManager document;
    ScanSession session(&processor, &document);
    QStringList handled;
    std::function<void(const QString &)> handle;
    handle = [&](const QString &name) {
        if (session.deferIfBusy([&handle, name]() { handle(name); }))
            return;
        const ScanSession::Hold hold(&session);
        handled << name + QStringLiteral(" begins");
        // A box of this result: later results arrive while it is open.
        if (name == QLatin1String("page 1")) {
            handle(QStringLiteral("error"));
            handle(QStringLiteral("page 2"));
        }
        if (name == QLatin1String("error"))
            handle(QStringLiteral("finished"));
        handled << name + QStringLiteral(" ends");
    };
    handle(QStringLiteral("page 1"));
    QCOMPARE(handled,
        QStringList({ "page 1 begins", "page 1 ends", "error begins", "error ends", "page 2 begins", "page 2 ends",
            "finished begins", "finished ends" }));
    QVERIFY(!session.isBusy());
    QCOMPARE(session.deferredCount(), 0);
}

QTEST_MAIN(ScanSessionTest)
#include "tst_scansession.moc"
