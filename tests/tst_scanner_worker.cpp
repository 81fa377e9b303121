// ScanWorker against the scripted seam: the start retry policies, the read
// loop, cancel, and the feeder loop's ends. The worker runs on the test thread
// here; doScan is called directly and its signals are caught as they come.

#include <QtTest>

#include "scanner/saneoptions.h"
#include "scanner/scanworker.h"
#include "tests/support/logcapture.h"
#include "tests/tst_scanner_scriptedsane.h"

using Frame = ScriptedSane::Frame;
using Option = ScriptedSane::Option;

Q_DECLARE_METATYPE(QList<SANE_Status>)
Q_DECLARE_METATYPE(QList<ScriptedSane::Option>)
Q_DECLARE_METATYPE(QList<SANE_Word>)

class ScannerWorkerTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startRetryPolicy_data();
    void startRetryPolicy();
    void previewRetriesNoDocsLikeAFlatbedScan();
    void noDocsFailureExplainsItself();
    void progressReachesHundredOnlyAtTheEnd();
    void openLengthProgressAssumesThreeThousandLines();
    void readFailureIsAnError();
    void eofBeforeFirstLineIsAnError();
    void unsupportedFrameIsAnError();
    void openFailureNamesTheDevice();
    void unreadableOptionCountFailsTheSetUp();
    void cancelMidReadEmitsNothing();
    void cancelWithoutScanIsDropped();
    void startedScanEndsWithCancelBeforeClose();

    void feederEmptyAtStart();
    void feederThreeSheets();
    void feederTwoFramesPerSheet();
    void feederErrorOnLaterSheetEndsNormally();
    void feederErrorOnFirstSheet();
    void feederPageLimit();
    void feederUnreadableSheetsAreNoPages();
    void feederCancelKeepsDeliveredPages();

    void colorModeIsChosenFromTheList_data();
    void colorModeIsChosenFromTheList();
    void sourceIsChosenFromTheList_data();
    void sourceIsChosenFromTheList();
    void resolutionIsSetForIntAndFixed_data();
    void resolutionIsSetForIntAndFixed();
    void booleanDuplexSwitch_data();
    void booleanDuplexSwitch();
    void onlyPreviewsSetTheScanArea();
    void areaInTheBackendsUnitAndRange_data();
    void areaInTheBackendsUnitAndRange();
    void previewUsesTheBackendsPreviewAndLowResolution();
    void failedOptionDoesNotStopTheOthers();

private:
    void scan(const QString &source = QString(), bool preview = false, const QString &duplex = QString());

    std::shared_ptr<ScriptedSane> sane;
    std::unique_ptr<ScanWorker> worker;
    QList<int> sleeps;
    std::unique_ptr<QSignalSpy> completed;
    std::unique_ptr<QSignalSpy> errors;
    std::unique_ptr<QSignalSpy> progress;
    std::unique_ptr<QSignalSpy> started;
    std::unique_ptr<QSignalSpy> finished;
    std::unique_ptr<QSignalSpy> pages;
    // Every worker signal in emission order, as "name(argument)".
    QStringList signalOrder;
};

void ScannerWorkerTest::init()
{
    sane = std::make_shared<ScriptedSane>();
    sane->sheetFrames = [](int) {
        return QList<Frame> { ScriptedSane::grayFrame(4, 3) };
    };
    worker = std::make_unique<ScanWorker>(sane);
    sleeps.clear();
    worker->setSleeper([this](int ms) { sleeps << ms; });
    completed = std::make_unique<QSignalSpy>(worker.get(), &ScanWorker::scanComplete);
    errors = std::make_unique<QSignalSpy>(worker.get(), &ScanWorker::scanError);
    progress = std::make_unique<QSignalSpy>(worker.get(), &ScanWorker::scanProgress);
    started = std::make_unique<QSignalSpy>(worker.get(), &ScanWorker::multiPageScanStarted);
    finished = std::make_unique<QSignalSpy>(worker.get(), &ScanWorker::multiPageScanFinished);
    pages = std::make_unique<QSignalSpy>(worker.get(), &ScanWorker::currentPageScanning);
    signalOrder.clear();
    connect(worker.get(), &ScanWorker::scanComplete, this, [this] { signalOrder << QStringLiteral("complete"); });
    connect(worker.get(), &ScanWorker::scanError, this,
        [this](const QString &text) { signalOrder << QStringLiteral("error(%1)").arg(text); });
    connect(
        worker.get(), &ScanWorker::multiPageScanStarted, this, [this] { signalOrder << QStringLiteral("started"); });
    connect(worker.get(), &ScanWorker::multiPageScanFinished, this,
        [this](int n) { signalOrder << QStringLiteral("finished(%1)").arg(n); });
    connect(worker.get(), &ScanWorker::currentPageScanning, this,
        [this](int n) { signalOrder << QStringLiteral("page(%1)").arg(n); });
    connect(worker.get(), &ScanWorker::scanProgress, this, [this](int p) {
        if (p == 0 || p == 100)
            signalOrder << QStringLiteral("progress(%1)").arg(p);
    });
}

void ScannerWorkerTest::cleanup()
{
    worker.reset();
    // Every request opens and closes the device anew.
    QCOMPARE(sane->openHandleCount(), 0);
}

void ScannerWorkerTest::scan(const QString &source, bool preview, const QString &duplex)
{
    worker->doScan(QStringLiteral("scripted:0"), QStringLiteral("Gray"), 300, preview, source, duplex, 100.0, 150.0);
}

void ScannerWorkerTest::startRetryPolicy_data()
{
    QTest::addColumn<QList<SANE_Status>>("statuses");
    QTest::addColumn<QList<int>>("expectedSleeps");
    QTest::addColumn<bool>("succeeds");
    const SANE_Status good = SANE_STATUS_GOOD;
    const SANE_Status noDocs = SANE_STATUS_NO_DOCS;
    const SANE_Status busy = SANE_STATUS_DEVICE_BUSY;
    QTest::newRow("good at once") << QList<SANE_Status> { good } << QList<int>() << true;
    QTest::newRow("no docs, third retry succeeds")
        << QList<SANE_Status> { noDocs, noDocs, noDocs, good } << QList<int> { 1000, 2000, 3000 } << true;
    QTest::newRow("no docs five times fails") << QList<SANE_Status> { noDocs, noDocs, noDocs, noDocs, noDocs, noDocs }
                                              << QList<int> { 1000, 2000, 3000, 4000, 5000 } << false;
    QTest::newRow("busy during no-docs retry keeps waiting")
        << QList<SANE_Status> { noDocs, busy, good } << QList<int> { 1000, 2000 } << true;
    QTest::newRow("no docs ending busy goes on to the busy retry")
        << QList<SANE_Status> { noDocs, noDocs, noDocs, noDocs, noDocs, busy, busy, good }
        << QList<int> { 1000, 2000, 3000, 4000, 5000, 2000, 2000 } << true;
    QTest::newRow("other error stops the no-docs retry")
        << QList<SANE_Status> { noDocs, SANE_STATUS_IO_ERROR, good } << QList<int> { 1000 } << false;
    QTest::newRow("busy then ready") << QList<SANE_Status> { busy, busy, good } << QList<int> { 2000, 2000 } << true;
    QList<SANE_Status> elevenBusy;
    for (int i = 0; i < 11; ++i)
        elevenBusy << busy;
    QTest::newRow("ten busy retries fail after 20 s")
        << elevenBusy << QList<int>(QVector<int>(10, 2000).toList()) << false;
    QTest::newRow("busy then other error fails")
        << QList<SANE_Status> { busy, SANE_STATUS_JAMMED, good } << QList<int> { 2000 } << false;
    QTest::newRow("other error fails at once")
        << QList<SANE_Status> { SANE_STATUS_IO_ERROR, good } << QList<int>() << false;
}

void ScannerWorkerTest::startRetryPolicy()
{
    QFETCH(QList<SANE_Status>, statuses);
    QFETCH(QList<int>, expectedSleeps);
    QFETCH(bool, succeeds);
    sane->startStatuses = statuses;
    sane->defaultStart = SANE_STATUS_IO_ERROR;
    scan();
    QCOMPARE(sleeps, expectedSleeps);
    QCOMPARE(completed->count(), succeeds ? 1 : 0);
    QCOMPARE(errors->count(), succeeds ? 0 : 1);
    if (succeeds) {
        const QImage image = completed->at(0).at(0).value<QImage>();
        QCOMPARE(image.size(), QSize(4, 3));
        QCOMPARE(image.format(), QImage::Format_Grayscale8);
    } else {
        QCOMPARE(errors->at(0).at(0).toString(), QStringLiteral("扫描失败或被取消"));
    }
}

// The single-page path retries NO_DOCS whatever the source, previews too.
void ScannerWorkerTest::previewRetriesNoDocsLikeAFlatbedScan()
{
    sane->startStatuses = { SANE_STATUS_NO_DOCS, SANE_STATUS_NO_DOCS, SANE_STATUS_GOOD };
    QSignalSpy previews(worker.get(), &ScanWorker::previewComplete);
    scan(QStringLiteral("自动进纸器"), true);
    QCOMPARE(sleeps, (QList<int> { 1000, 2000 }));
    QCOMPARE(previews.count(), 1);
    QCOMPARE(completed->count(), 0);
    QCOMPARE(started->count(), 0);
}

void ScannerWorkerTest::noDocsFailureExplainsItself()
{
    LogCapture log;
    sane->defaultStart = SANE_STATUS_NO_DOCS;
    scan();
    QVERIFY(log.contains(QStringLiteral("多次重试后仍然失败")));
    QVERIFY(log.contains(QStringLiteral("开始扫描失败:  \"Document feeder out of documents\"")));
    QVERIFY(log.contains(QStringLiteral("错误原因：扫描仪报告无文档（可能是设备兼容性问题）")));
    QVERIFY(log.contains(QStringLiteral("  4. 如果使用网络扫描仪，检查网络连接")));
    QCOMPARE(log.linesStartingWith(QStringLiteral("第 ")).size(), 5);
    QVERIFY(log.contains(QStringLiteral("第 5 次重试，等待 5000 ms...")));
}

void ScannerWorkerTest::progressReachesHundredOnlyAtTheEnd()
{
    sane->sheetFrames = [](int) {
        Frame frame = ScriptedSane::rgbFrame(100, 50, 1, 2, 3);
        frame.chunk = 1000;
        return QList<Frame> { frame };
    };
    scan();
    QCOMPARE(completed->count(), 1);
    QVERIFY(progress->count() >= 2);
    int previous = -1;
    for (int i = 0; i < progress->count() - 1; ++i) {
        const int value = progress->at(i).at(0).toInt();
        QVERIFY(value >= previous);
        QVERIFY(value < 100);
        previous = value;
    }
    QCOMPARE(progress->last().at(0).toInt(), 100);
    const QImage image = completed->at(0).at(0).value<QImage>();
    QCOMPARE(image.size(), QSize(100, 50));
    QCOMPARE(image.pixel(99, 49), qRgb(1, 2, 3));
}

// lines = -1: progress is measured against 3000 lines, the image grows and
// is cropped to the rows read.
void ScannerWorkerTest::openLengthProgressAssumesThreeThousandLines()
{
    sane->sheetFrames = [](int) {
        Frame frame = ScriptedSane::grayFrame(10, 250, 0x40);
        frame.parameters.lines = -1;
        frame.chunk = 100;
        return QList<Frame> { frame };
    };
    scan();
    QCOMPARE(completed->count(), 1);
    const QImage image = completed->at(0).at(0).value<QImage>();
    QCOMPARE(image.size(), QSize(10, 250));
    QCOMPARE(qGray(image.pixel(9, 249)), 0x40);
    // 2500 of an assumed 30000 bytes: never beyond 8 % before the end.
    for (int i = 0; i < progress->count() - 1; ++i)
        QVERIFY(progress->at(i).at(0).toInt() <= 8);
    QCOMPARE(progress->last().at(0).toInt(), 100);
}

void ScannerWorkerTest::readFailureIsAnError()
{
    LogCapture log;
    sane->sheetFrames = [](int) {
        Frame frame = ScriptedSane::grayFrame(100, 100);
        frame.data.truncate(5000);
        frame.endStatus = SANE_STATUS_IO_ERROR;
        return QList<Frame> { frame };
    };
    scan();
    QCOMPARE(completed->count(), 0);
    QCOMPARE(errors->count(), 1);
    QCOMPARE(errors->at(0).at(0).toString(), QStringLiteral("扫描失败或被取消"));
    QVERIFY(log.contains(QStringLiteral("读取扫描数据失败:  \"Error during device I/O\"")));
    QVERIFY(log.contains(QStringLiteral("设备已关闭")));
}

void ScannerWorkerTest::eofBeforeFirstLineIsAnError()
{
    sane->sheetFrames = [](int) {
        Frame frame = ScriptedSane::grayFrame(100, 10);
        frame.data.truncate(99);
        return QList<Frame> { frame };
    };
    scan();
    QCOMPARE(completed->count(), 0);
    QCOMPARE(errors->count(), 1);
    QVERIFY(!progress->isEmpty());
    QVERIFY(progress->last().at(0).toInt() < 100);
}

void ScannerWorkerTest::unsupportedFrameIsAnError()
{
    LogCapture log;
    sane->sheetFrames = [](int) {
        Frame frame = ScriptedSane::grayFrame(10, 10);
        frame.parameters.format = FrameParameters::Red;
        return QList<Frame> { frame };
    };
    scan();
    QCOMPARE(errors->count(), 1);
    QVERIFY(log.contains(QStringLiteral("不支持的图像格式:  2")));
}

void ScannerWorkerTest::openFailureNamesTheDevice()
{
    sane->unopenable << "scripted:0";
    scan();
    QCOMPARE(errors->count(), 1);
    QCOMPARE(errors->at(0).at(0).toString(), QStringLiteral("无法打开扫描仪设备: scripted:0"));
    QCOMPARE(sane->startCalls, 0);
}

void ScannerWorkerTest::unreadableOptionCountFailsTheSetUp()
{
    sane->countStatus = SANE_STATUS_IO_ERROR;
    scan();
    QCOMPARE(errors->count(), 1);
    QCOMPARE(errors->at(0).at(0).toString(), QStringLiteral("无法设置扫描参数"));
    QCOMPARE(sane->startCalls, 0);
}

// The cancel travels as a queued call and is picked up while the read loop
// processes events, as it does on the worker thread.
void ScannerWorkerTest::cancelMidReadEmitsNothing()
{
    LogCapture log;
    sane->sheetFrames = [](int) {
        Frame frame = ScriptedSane::grayFrame(100, 100);
        frame.chunk = 1000;
        return QList<Frame> { frame };
    };
    sane->afterRead = [this](int reads) {
        if (reads == 3)
            QMetaObject::invokeMethod(worker.get(), &ScanWorker::cancelScan, Qt::QueuedConnection);
    };
    scan();
    QCOMPARE(completed->count(), 0);
    QCOMPARE(errors->count(), 0);
    QVERIFY(log.contains(QStringLiteral("扫描被取消")));
    QCOMPARE(sane->reads, 3);
}

void ScannerWorkerTest::cancelWithoutScanIsDropped()
{
    worker->cancelScan();
    scan();
    QCOMPARE(completed->count(), 1);
}

// SANE wants sane_cancel once a frontend is done with an acquisition (backends
// with a reader thread stop it there); feeder sheets follow each other without it.
void ScannerWorkerTest::startedScanEndsWithCancelBeforeClose()
{
    scan();
    QStringList events = sane->eventLog();
    QCOMPARE(events.mid(events.size() - 2), (QStringList { "cancel", "close" }));

    sane->startStatuses = { SANE_STATUS_IO_ERROR };
    scan();
    events = sane->eventLog();
    QCOMPARE(sane->cancelCalls, 1);

    sane->startStatuses = { SANE_STATUS_GOOD, SANE_STATUS_GOOD, SANE_STATUS_NO_DOCS };
    scan(QStringLiteral("自动进纸器"));
    events = sane->eventLog();
    QCOMPARE(sane->cancelCalls, 2);
    QCOMPARE(events.mid(events.size() - 2), (QStringList { "cancel", "close" }));
}

void ScannerWorkerTest::feederEmptyAtStart()
{
    sane->startStatuses = { SANE_STATUS_NO_DOCS };
    scan(QStringLiteral("自动进纸器"));
    QCOMPARE(
        signalOrder, (QStringList { "started", "page(1)", "progress(0)", "error(ADF扫描失败，没有扫描到任何页面)" }));
    QVERIFY(sleeps.isEmpty());
}

void ScannerWorkerTest::feederThreeSheets()
{
    sane->startStatuses = { SANE_STATUS_GOOD, SANE_STATUS_GOOD, SANE_STATUS_GOOD, SANE_STATUS_NO_DOCS };
    scan(QStringLiteral("Automatic Document Feeder"));
    QCOMPARE(signalOrder,
        (QStringList { "started", "page(1)", "progress(0)", "complete", "progress(100)", "page(2)", "progress(0)",
            "complete", "progress(100)", "page(3)", "progress(0)", "complete", "progress(100)", "page(4)",
            "progress(0)", "finished(3)" }));
}

// A sheet that yields two frames (front and back) gives two pages; the page
// number rises before the second one is read.
void ScannerWorkerTest::feederTwoFramesPerSheet()
{
    sane->startStatuses = { SANE_STATUS_GOOD, SANE_STATUS_NO_DOCS };
    sane->sheetFrames = [](int) {
        Frame front = ScriptedSane::grayFrame(4, 3, 0x10);
        front.parameters.lastFrame = false;
        const Frame back = ScriptedSane::grayFrame(4, 3, 0x20);
        return QList<Frame> { front, back };
    };
    scan(QStringLiteral("自动进纸器"));
    QCOMPARE(signalOrder,
        (QStringList { "started", "page(1)", "progress(0)", "complete", "page(2)", "complete", "progress(100)",
            "page(3)", "progress(0)", "finished(2)" }));
    QCOMPARE(qGray(completed->at(0).at(0).value<QImage>().pixel(0, 0)), 0x10);
    QCOMPARE(qGray(completed->at(1).at(0).value<QImage>().pixel(0, 0)), 0x20);
}

void ScannerWorkerTest::feederErrorOnLaterSheetEndsNormally()
{
    sane->startStatuses = { SANE_STATUS_GOOD, SANE_STATUS_GOOD, SANE_STATUS_GOOD, SANE_STATUS_IO_ERROR };
    scan(QStringLiteral("自动进纸器"));
    QCOMPARE(completed->count(), 3);
    QCOMPARE(errors->count(), 0);
    QCOMPARE(finished->count(), 1);
    QCOMPARE(finished->at(0).at(0).toInt(), 3);
    QCOMPARE(sane->startCalls, 4);
}

void ScannerWorkerTest::feederErrorOnFirstSheet()
{
    sane->startStatuses = { SANE_STATUS_JAMMED };
    scan(QStringLiteral("自动进纸器"));
    QCOMPARE(signalOrder,
        (QStringList { "started", "page(1)", "progress(0)", "error(开始扫描失败: Document feeder jammed)" }));
}

void ScannerWorkerTest::feederPageLimit()
{
    sane->sheetFrames = [](int) {
        return QList<Frame> { ScriptedSane::grayFrame(1, 1) };
    };
    scan(QStringLiteral("自动进纸器"));
    QCOMPARE(completed->count(), 999);
    QCOMPARE(sane->startCalls, 999);
    QCOMPARE(signalOrder.mid(signalOrder.size() - 2),
        (QStringList { "error(已达到最大页数限制 (999 页)，扫描停止)", "finished(999)" }));
}

// A sheet whose frame cannot be read is no page: the count stays honest and a
// run that delivered nothing is a failure.
void ScannerWorkerTest::feederUnreadableSheetsAreNoPages()
{
    sane->startStatuses = { SANE_STATUS_GOOD, SANE_STATUS_GOOD, SANE_STATUS_GOOD, SANE_STATUS_NO_DOCS };
    sane->sheetFrames = [](int sheet) {
        Frame frame = ScriptedSane::grayFrame(10, 10);
        if (sheet != 2) {
            frame.data.truncate(50);
            frame.endStatus = SANE_STATUS_IO_ERROR;
        }
        return QList<Frame> { frame };
    };
    scan(QStringLiteral("自动进纸器"));
    QCOMPARE(completed->count(), 1);
    QCOMPARE(finished->count(), 1);
    QCOMPARE(finished->at(0).at(0).toInt(), 1);

    init();
    sane->startStatuses = { SANE_STATUS_GOOD, SANE_STATUS_GOOD, SANE_STATUS_NO_DOCS };
    sane->sheetFrames = [](int) {
        Frame frame = ScriptedSane::grayFrame(10, 10);
        frame.endStatus = SANE_STATUS_IO_ERROR;
        frame.data.truncate(50);
        return QList<Frame> { frame };
    };
    scan(QStringLiteral("自动进纸器"));
    QCOMPARE(completed->count(), 0);
    QCOMPARE(finished->count(), 0);
    QCOMPARE(errors->count(), 1);
    QCOMPARE(errors->at(0).at(0).toString(), QStringLiteral("ADF扫描失败，没有扫描到任何页面"));
}

void ScannerWorkerTest::feederCancelKeepsDeliveredPages()
{
    LogCapture log;
    sane->sheetFrames = [](int) {
        Frame frame = ScriptedSane::grayFrame(100, 100);
        frame.chunk = 2500;
        return QList<Frame> { frame };
    };
    // Sheet 1 takes reads 1-4; the cancel lands inside sheet 2.
    sane->afterRead = [this](int reads) {
        if (reads == 6)
            QMetaObject::invokeMethod(worker.get(), &ScanWorker::cancelScan, Qt::QueuedConnection);
    };
    scan(QStringLiteral("自动进纸器"));
    QCOMPARE(completed->count(), 1);
    QCOMPARE(finished->count(), 1);
    QCOMPARE(finished->at(0).at(0).toInt(), 1);
    QCOMPARE(errors->count(), 0);
    QCOMPARE(sane->startCalls, 2);
    QVERIFY(log.contains(QStringLiteral("ADF扫描被用户取消，已扫描 1 页")));
}

void ScannerWorkerTest::colorModeIsChosenFromTheList_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("彩色") << "彩色" << QByteArray("Color");
    QTest::newRow("灰度") << "灰度" << QByteArray("Gray");
    QTest::newRow("黑白") << "黑白" << QByteArray("Lineart");
    QTest::newRow("halftone takes the first") << "Halftone" << QByteArray("Lineart");
}

void ScannerWorkerTest::colorModeIsChosenFromTheList()
{
    QFETCH(QString, request);
    QFETCH(QByteArray, expected);
    sane->options << ScriptedSane::stringOption("mode", { "Lineart", "Gray", "Color" });
    sane->options.last().text = "Gray";
    worker->doScan(QStringLiteral("scripted:0"), request, 300, false);
    QCOMPARE(sane->setStrings.value("mode"), expected);
}

void ScannerWorkerTest::sourceIsChosenFromTheList_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("duplex feeder") << "双面自动进纸器" << QByteArray("ADF Duplex");
    QTest::newRow("feeder") << "自动进纸器" << QByteArray("ADF Front");
    QTest::newRow("no source is flatbed") << "" << QByteArray("Flatbed");
}

void ScannerWorkerTest::sourceIsChosenFromTheList()
{
    QFETCH(QString, target);
    QFETCH(QByteArray, expected);
    sane->options << ScriptedSane::stringOption("source", { "Flatbed", "ADF Front", "ADF Duplex" });
    sane->startStatuses = { SANE_STATUS_GOOD, SANE_STATUS_NO_DOCS };
    scan(target);
    QCOMPARE(sane->setStrings.value("source"), expected);
}

// Backends declare the resolution as INT or FIXED; both must get the dpi.
void ScannerWorkerTest::resolutionIsSetForIntAndFixed_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("expected");
    QTest::newRow("int") << int(SANE_TYPE_INT) << 300;
    QTest::newRow("fixed") << int(SANE_TYPE_FIXED) << int(SANE_FIX(300));
}

void ScannerWorkerTest::resolutionIsSetForIntAndFixed()
{
    QFETCH(int, type);
    QFETCH(int, expected);
    sane->options << ScriptedSane::wordOption("resolution", static_cast<SANE_Value_Type>(type), 75);
    scan();
    QCOMPARE(sane->setWords.value("resolution"), expected);
}

void ScannerWorkerTest::booleanDuplexSwitch_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<int>("expected");
    QTest::newRow("Duplex") << "Duplex" << int(SANE_TRUE);
    QTest::newRow("Simplex") << "Simplex" << int(SANE_FALSE);
}

void ScannerWorkerTest::booleanDuplexSwitch()
{
    QFETCH(QString, request);
    QFETCH(int, expected);
    sane->options << ScriptedSane::wordOption(
        "duplex", SANE_TYPE_BOOL, SANE_FALSE == expected ? SANE_TRUE : SANE_FALSE);
    scan(QString(), false, request);
    QCOMPARE(sane->setWords.value("duplex", -1), expected);
}

void ScannerWorkerTest::onlyPreviewsSetTheScanArea()
{
    for (const char *name : { "tl-x", "tl-y", "br-x", "br-y" })
        sane->options << ScriptedSane::wordOption(name, SANE_TYPE_FIXED, SANE_FIX(50));
    scan();
    QVERIFY(sane->setWords.isEmpty());

    scan(QString(), true);
    QCOMPARE(sane->setWords.value("tl-x"), 0);
    QCOMPARE(sane->setWords.value("tl-y"), 0);
    QCOMPARE(sane->setWords.value("br-x"), SANE_FIX(100.0));
    QCOMPARE(sane->setWords.value("br-y"), SANE_FIX(150.0));
}

void ScannerWorkerTest::failedOptionDoesNotStopTheOthers()
{
    sane->options << ScriptedSane::wordOption("resolution", SANE_TYPE_INT, 75);
    sane->options.last().setStatus = SANE_STATUS_INVAL;
    sane->options << ScriptedSane::stringOption("mode", { "Gray", "Color" });
    scan();
    QCOMPARE(sane->setOrder, (QList<QByteArray> { "resolution", "mode" }));
    QCOMPARE(sane->setStrings.value("mode"), QByteArray("Gray"));
    QCOMPARE(completed->count(), 1);
}

// The area reaches each backend in the unit, type and range it declares, the
// corner nearest the origin first; what does not fit the bed is clipped and said.
void ScannerWorkerTest::areaInTheBackendsUnitAndRange_data()
{
    QTest::addColumn<QList<Option>>("options");
    QTest::addColumn<ScanArea>("area");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QList<QByteArray>>("order");
    QTest::addColumn<QList<SANE_Word>>("words");
    QTest::addColumn<bool>("notice");

    const auto mm = [](const char *name, double max) {
        return ScriptedSane::rangeOption(name, SANE_TYPE_FIXED, SANE_UNIT_MM, 0, SANE_FIX(max));
    };
    const QList<Option> bed200 = { mm("tl-x", 200), mm("tl-y", 200), mm("br-x", 200), mm("br-y", 200) };
    const QList<QByteArray> corners = { "tl-x", "tl-y", "br-x", "br-y" };
    QTest::newRow("A6 in millimetres") << bed200 << ScanArea::named("A6") << QString() << corners
                                       << QList<SANE_Word> { 0, 0, SANE_FIX(105.0), SANE_FIX(148.0) } << false;
    QTest::newRow("A4 clipped to a 200 mm bed") << bed200 << ScanArea::named("A4") << QString() << corners
                                                << QList<SANE_Word> { 0, 0, SANE_FIX(200.0), SANE_FIX(200.0) } << true;
    QTest::newRow("whole bed") << bed200 << ScanArea::wholeBed() << QString() << corners
                               << QList<SANE_Word> { 0, 0, SANE_FIX(200.0), SANE_FIX(200.0) } << false;
    QTest::newRow("selection in millimetres")
        << bed200 << ScanArea::custom(QRectF(10, 20, 85.6, 54)) << QString() << corners
        << QList<SANE_Word> { SANE_FIX(10.0), SANE_FIX(20.0), SANE_FIX(95.6), SANE_FIX(74.0) } << false;

    // Pixels at the scan's 300 dpi, whole numbers, a range of 2550 x 3500.
    const auto px = [](const char *name, int max) {
        return ScriptedSane::rangeOption(name, SANE_TYPE_INT, SANE_UNIT_PIXEL, 0, max, 1);
    };
    QList<Option> pixels = { ScriptedSane::wordOption("resolution", SANE_TYPE_INT, 300), px("tl-x", 2550),
        px("tl-y", 3500), px("br-x", 2550), px("br-y", 3500) };
    QTest::newRow("A5 in pixels") << pixels << ScanArea::named("A5") << QString()
                                  << QList<QByteArray> { "resolution", "tl-x", "tl-y", "br-x", "br-y" }
                                  << QList<SANE_Word> { 300, 0, 0, 1748, 2480 } << false;
    QTest::newRow("Legal clipped in pixels") << pixels << ScanArea::named("Legal") << QString()
                                             << QList<QByteArray> { "resolution", "tl-x", "tl-y", "br-x", "br-y" }
                                             << QList<SANE_Word> { 300, 0, 0, 2550, 3500 } << true;

    QList<Option> sheetFed = bed200;
    sheetFed << ScriptedSane::stringOption("source", { "ADF Front", "ADF Duplex" }) << mm("page-width", 220)
             << mm("page-height", 360);
    QTest::newRow("feeder sheet size first")
        << sheetFed << ScanArea::named("A5") << QStringLiteral("双面进纸器")
        << QList<QByteArray> { "source", "page-width", "page-height", "tl-x", "tl-y", "br-x", "br-y" }
        << QList<SANE_Word> { 0, SANE_FIX(148.0), SANE_FIX(210.0), 0, 0, SANE_FIX(148.0), SANE_FIX(200.0) } << true;

    QTest::newRow("no geometry: default area, said")
        << QList<Option> { ScriptedSane::wordOption("resolution", SANE_TYPE_INT, 300) } << ScanArea::named("A6")
        << QString() << QList<QByteArray> { "resolution" } << QList<SANE_Word> { 300 } << true;
    QTest::newRow("device default: nothing set")
        << bed200 << ScanArea() << QString() << QList<QByteArray>() << QList<SANE_Word>() << false;
}

void ScannerWorkerTest::areaInTheBackendsUnitAndRange()
{
    QFETCH(QList<Option>, options);
    QFETCH(ScanArea, area);
    QFETCH(QString, source);
    QFETCH(QList<QByteArray>, order);
    QFETCH(QList<SANE_Word>, words);
    QFETCH(bool, notice);
    sane->options = options;
    QSignalSpy notices(worker.get(), &ScanWorker::scanNotice);
    worker->doScan(QStringLiteral("scripted:0"), QStringLiteral("Gray"), 300, false, source, QString(), 100, 150, area);
    QCOMPARE(sane->setOrder, order);
    for (int i = 0; i < order.size(); ++i) {
        // Within one step of SANE's fixed point: the macro truncates, the worker rounds.
        if (!sane->setStrings.contains(order.at(i)))
            QVERIFY(qAbs(sane->setWords.value(order.at(i)) - words.at(i)) <= 1);
    }
    QCOMPARE(notices.count(), notice ? 1 : 0);
}

// A preview switches on the backend's own preview mode and asks for at most
// 75 dpi, or the lowest the backend has; its image is no page.
void ScannerWorkerTest::previewUsesTheBackendsPreviewAndLowResolution()
{
    sane->options = { ScriptedSane::rangeOption("resolution", SANE_TYPE_INT, SANE_UNIT_DPI, 100, 1200, 50),
        ScriptedSane::wordOption("preview", SANE_TYPE_BOOL, SANE_FALSE) };
    QSignalSpy previews(worker.get(), &ScanWorker::previewComplete);
    worker->doScan(QStringLiteral("scripted:0"), QStringLiteral("Gray"), 75, true, QString(), QString(), 100, 150,
        ScanArea::wholeBed());
    QCOMPARE(sane->setWords.value("resolution"), 100);
    QCOMPARE(sane->setWords.value("preview"), SANE_TRUE);
    QCOMPARE(previews.count(), 1);
    QCOMPARE(completed->count(), 0);
}

QTEST_GUILESS_MAIN(ScannerWorkerTest)
#include "tst_scanner_worker.moc"
