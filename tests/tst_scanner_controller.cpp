// ScannerController against the scripted seam: device lists and names, the
// search-mode re-initialisation, selection, capability detection, the paper
// check, scan requests, the background initialisation and the shutdown order.

#include <QtTest>

#include "scanner/scannercontroller.h"
#include "scanner/scanworker.h"
#include "tests/support/logcapture.h"
#include "tests/tst_scanner_scriptedsane.h"

#include <QSemaphore>

using Device = ScriptedSane::Device;
using Option = ScriptedSane::Option;

Q_DECLARE_METATYPE(QList<ScriptedSane::Device>)
Q_DECLARE_METATYPE(QList<ScriptedSane::Option>)

class ScannerControllerTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void deviceList_data();
    void deviceList();
    void searchModeChangeReinitialisesOnce();
    void emptyOrFailedListIsEmpty();
    void selectionChecksTheList();
    void selectionFallsBackToTheDisplayName();
    void capabilities_data();
    void capabilities();
    void refreshSetsOnlyActiveSettableOptions();
    void paperCheck_data();
    void paperCheck();
    void pageSizes_data();
    void pageSizes();
    void feederScanNeedsAFeeder();
    void duplexFeederTurnsDuplexOn();
    void previewUsesFixedSettings();
    void scanWithoutSelectionTakesTheFirstDevice();
    void scanWithoutDevicesFails();
    void scanRunsOnTheWorkerThread();
    void requestsAreServedOneAfterAnother();
    void backgroundInitialisationHandsOverSafely();
    void backgroundInitialisationFailure();
    void shutdownStopsTheWorkerBeforeExit();

private:
    std::unique_ptr<ScannerController> makeController(bool initialise = true);

    std::shared_ptr<ScriptedSane> sane;
};

namespace {

Device device(const char *name, const char *vendor = "Acme", const char *model = "S1")
{
    Device record;
    record.name = name;
    record.vendor = vendor;
    record.model = model;
    return record;
}

} // namespace

void ScannerControllerTest::init()
{
    sane = std::make_shared<ScriptedSane>();
    sane->devices = { device("scripted:0") };
    sane->sheetFrames = [](int) {
        return QList<ScriptedSane::Frame> { ScriptedSane::grayFrame(8, 4) };
    };
}

void ScannerControllerTest::cleanup()
{
    QCOMPARE(sane->openHandleCount(), 0);
}

std::unique_ptr<ScannerController> ScannerControllerTest::makeController(bool initialise)
{
    auto controller = std::make_unique<ScannerController>(sane);
    controller->scanWorker()->setSleeper([](int) {});
    if (initialise)
        controller->initializeSync();
    return controller;
}

void ScannerControllerTest::deviceList_data()
{
    QTest::addColumn<QList<Device>>("devices");
    QTest::addColumn<bool>("includeNetwork");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("saneNames");

    QTest::newRow("same SANE name twice gives one entry")
        << QList<Device> { device("test:0"), device("test:0") } << false << QStringList { "Acme S1" }
        << QStringList { "test:0" };
    QTest::newRow("usb only skips network devices") << QList<Device> {
        device("net:host:test:0"), device("airscan:w1:Office"), device("pixma:MG_1"), device("genesys:libusb:001:002")
    } << false << QStringList { "Acme S1" } << QStringList { "genesys:libusb:001:002" };
    QTest::newRow("local eSCL kept in usb only mode")
        << QList<Device> { device("escl:http://127.0.0.1:60000") } << false << QStringList { "Acme S1" }
        << QStringList { "escl:http://127.0.0.1:60000" };
    QTest::newRow("remote airscan escl skipped in both modes")
        << QList<Device> { device("airscan:escl:Office"), device("airscan:e0:Hall"), device("test:0") } << true
        << QStringList { "Acme S1" } << QStringList { "test:0" };
    QTest::newRow("network names carry the address when there is one")
        << QList<Device> { device("net:192.168.3.4:test:0", "Acme", "S1"), device("airscan:w1:Office", "Acme", "S2") }
        << true << QStringList { "[网络] Acme S1 (192.168.3.4)", "[网络] Acme S2" }
        << QStringList { "net:192.168.3.4:test:0", "airscan:w1:Office" };
    QTest::newRow("same display name gets numbered")
        << QList<Device> { device("test:0"), device("test:1"), device("test:2") } << true
        << QStringList { "Acme S1", "Acme S1 (2)", "Acme S1 (3)" } << QStringList { "test:0", "test:1", "test:2" };
    QTest::newRow("usb suffix cut from the friendly name")
        << QList<Device> { device("x:libusb:1", "", "Acme S9 (USB)") } << true << QStringList { "Acme S9" }
        << QStringList { "x:libusb:1" };
}

void ScannerControllerTest::deviceList()
{
    QFETCH(QList<Device>, devices);
    QFETCH(bool, includeNetwork);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, saneNames);
    sane->devices = devices;
    auto controller = makeController();
    QCOMPARE(controller->getAvailableScanners(includeNetwork), expected);
    QCOMPARE(controller->getCachedScanners(), expected);
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(controller->deviceNameFor(expected.at(i)), saneNames.at(i));
    controller->getAvailableScanners(false);
}

// The search mode is remembered across controllers; a change of it (and only
// a change) costs a fresh sane_init.
void ScannerControllerTest::searchModeChangeReinitialisesOnce()
{
    LogCapture log;
    auto controller = makeController();
    controller->getAvailableScanners(false);
    const int initsBefore = sane->initCalls;
    const int exitsBefore = sane->exitCalls;
    controller->getAvailableScanners(true);
    QCOMPARE(sane->initCalls, initsBefore + 1);
    QCOMPARE(sane->exitCalls, exitsBefore + 1);
    controller->getAvailableScanners(true);
    QCOMPARE(sane->initCalls, initsBefore + 1);
    controller->getAvailableScanners(false);
    QCOMPARE(sane->initCalls, initsBefore + 2);
    QCOMPARE(sane->exitCalls, exitsBefore + 2);
    QCOMPARE(log.linesStartingWith(QStringLiteral("搜索模式改变，清除缓存并重新初始化 SANE")).size(), 2);

    // A failed re-initialisation leaves SANE uninitialised and the mode unchanged.
    sane->initStatus = SANE_STATUS_IO_ERROR;
    QVERIFY(controller->getAvailableScanners(true).isEmpty());
    QVERIFY(!controller->isSaneInitialized());
    sane->initStatus = SANE_STATUS_GOOD;
}

void ScannerControllerTest::emptyOrFailedListIsEmpty()
{
    auto controller = makeController();
    controller->getAvailableScanners(false);
    sane->devicesStatus = SANE_STATUS_IO_ERROR;
    QVERIFY(controller->getAvailableScanners(false).isEmpty());
    // The previous list stands when the backend fails to answer.
    QCOMPARE(controller->getCachedScanners(), QStringList { "Acme S1" });
    sane->devicesStatus = SANE_STATUS_GOOD;
    sane->devices.clear();
    QVERIFY(controller->getAvailableScanners(false).isEmpty());

    auto uninitialised = makeController(false);
    QVERIFY(uninitialised->getAvailableScanners(false).isEmpty());
}

void ScannerControllerTest::selectionChecksTheList()
{
    auto controller = makeController();
    controller->getAvailableScanners(false);
    const int opensBefore = sane->opened.size();
    QVERIFY(!controller->selectScanner(QStringLiteral("scripted:9")));
    QCOMPARE(sane->opened.size(), opensBefore);
    QVERIFY(controller->currentScanner().isEmpty());
    QVERIFY(controller->selectScanner(QStringLiteral("scripted:0")));
    QCOMPARE(controller->currentScanner(), QStringLiteral("scripted:0"));
}

void ScannerControllerTest::selectionFallsBackToTheDisplayName()
{
    LogCapture log;
    sane->devices = { device("broken:0", "Acme", "S1") };
    sane->unopenable << "broken:0"
                     << "Acme S1";
    auto controller = makeController();
    QCOMPARE(controller->getAvailableScanners(true), QStringList { "Acme S1" });
    QVERIFY(!controller->selectScanner(QStringLiteral("Acme S1")));
    QCOMPARE(sane->opened.mid(sane->opened.size() - 2), (QList<QByteArray> { "broken:0", "Acme S1" }));
    QVERIFY(log.contains(QStringLiteral("设备完全不可用: \"Acme S1\"")));
    QVERIFY(controller->currentScanner().isEmpty());

    sane->unopenable.removeAll("Acme S1");
    QVERIFY(controller->selectScanner(QStringLiteral("Acme S1")));
    QVERIFY(log.contains(QStringLiteral("使用显示名称成功打开设备")));
    QCOMPARE(controller->currentScanner(), QStringLiteral("Acme S1"));
    controller->getAvailableScanners(false);
}

void ScannerControllerTest::capabilities_data()
{
    QTest::addColumn<QList<Option>>("options");
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<bool>("adf");
    QTest::addColumn<QStringList>("duplexModes");
    QTest::addColumn<bool>("duplex");

    QTest::newRow("no options") << QList<Option>() << QStringList { "Flatbed" } << false << QStringList { "Simplex" }
                                << false;
    QTest::newRow("active feeder") << QList<Option> { ScriptedSane::stringOption("source", { "Flatbed", "ADF" }) }
                                   << QStringList { "Flatbed", "ADF" } << true << QStringList { "Simplex" } << false;
    QTest::newRow("inactive feeder") << QList<Option> { ScriptedSane::stringOption(
        "source", { "Flatbed", "ADF" }, false) }
                                     << QStringList { "Flatbed", "ADF" } << false << QStringList { "Simplex" } << false;
    QTest::newRow("long flatbed name replaces the plain one")
        << QList<Option> { ScriptedSane::stringOption("source", { "Document Table Flatbed", "Automatic Feeder" }) }
        << QStringList { "Document Table Flatbed", "Automatic Feeder" } << true << QStringList { "Simplex" } << false;
    QTest::newRow("test backend sources")
        << QList<Option> { ScriptedSane::stringOption("source", { "Flatbed", "Automatic Document Feeder" }) }
        << QStringList { "Flatbed", "Automatic Document Feeder" } << true << QStringList { "Simplex" } << false;
    QTest::newRow("doc-source is not looked at")
        << QList<Option> { ScriptedSane::stringOption("doc-source", { "Flatbed", "ADF" }) } << QStringList { "Flatbed" }
        << false << QStringList { "Simplex" } << false;
    QTest::newRow("boolean duplex") << QList<Option> { ScriptedSane::wordOption("duplex", SANE_TYPE_BOOL) }
                                    << QStringList { "Flatbed" } << false << QStringList { "False", "True" } << true;
    QTest::newRow("inactive boolean duplex")
        << QList<Option> { ScriptedSane::wordOption("duplex", SANE_TYPE_BOOL, 0, false) } << QStringList { "Flatbed" }
        << false << QStringList { "Simplex" } << false;
    QTest::newRow("duplex feeder source")
        << QList<Option> { ScriptedSane::stringOption("source", { "Flatbed", "ADF Front", "ADF Duplex" }) }
        << QStringList { "Flatbed", "ADF Front", "ADF Duplex" } << true << QStringList { "Simplex" } << true;
    QTest::newRow("duplex list") << QList<Option> { ScriptedSane::stringOption("duplex-mode", { "Simplex", "Duplex" }) }
                                 << QStringList { "Flatbed" } << false << QStringList { "Simplex", "Duplex" } << true;
}

void ScannerControllerTest::capabilities()
{
    QFETCH(QList<Option>, options);
    QFETCH(QStringList, sources);
    QFETCH(bool, adf);
    QFETCH(QStringList, duplexModes);
    QFETCH(bool, duplex);
    sane->options = options;
    auto controller = makeController();
    controller->getAvailableScanners(false);
    QVERIFY(controller->selectScanner(QStringLiteral("scripted:0")));
    QCOMPARE(controller->supportedSources(), sources);
    QCOMPARE(controller->supportsADF(), adf);
    QCOMPARE(controller->duplexModes(), duplexModes);
    QCOMPARE(controller->supportsDuplex(), duplex);
}

// Selection refreshes the device's options from the current settings, but
// only those the backend lets software set right now.
void ScannerControllerTest::refreshSetsOnlyActiveSettableOptions()
{
    sane->options = { ScriptedSane::wordOption("resolution", SANE_TYPE_INT, 75),
        ScriptedSane::stringOption("mode", { "Gray", "Color" }),
        ScriptedSane::stringOption("source", { "Flatbed", "ADF" }),
        ScriptedSane::stringOption("color-mode", { "Gray", "Color" }, false) };
    Option hardware = ScriptedSane::wordOption("resolution", SANE_TYPE_INT, 75);
    hardware.softSelect = false;
    sane->options.first() = hardware;
    auto controller = makeController();
    controller->getAvailableScanners(false);
    controller->setResolution(600);
    controller->setColorMode(QStringLiteral("Gray"));
    controller->setPaperSource(QStringLiteral("ADF"));
    QVERIFY(controller->selectScanner(QStringLiteral("scripted:0")));
    QCOMPARE(sane->setStrings.value("mode"), QByteArray("Gray"));
    QCOMPARE(sane->setStrings.value("source"), QByteArray("ADF"));
    QVERIFY(!sane->setWords.contains("resolution"));
    QVERIFY(!sane->setStrings.contains("color-mode"));
}

void ScannerControllerTest::paperCheck_data()
{
    QTest::addColumn<QList<Option>>("sensors");
    QTest::addColumn<bool>("paper");
    QTest::addColumn<bool>("assumed");
    QTest::newRow("no sensor: assume paper") << QList<Option>() << true << true;
    QTest::newRow("adf-duplex false") << QList<Option> { ScriptedSane::wordOption("adf-duplex", SANE_TYPE_BOOL,
        SANE_FALSE) } << false << false;
    QTest::newRow("loaded true") << QList<Option> { ScriptedSane::wordOption("page-loaded", SANE_TYPE_BOOL, SANE_TRUE) }
                                 << true << false;
    QTest::newRow("int count zero") << QList<Option> { ScriptedSane::wordOption("paper-count", SANE_TYPE_INT, 0) }
                                    << false << false;
    QTest::newRow("int count positive") << QList<Option> { ScriptedSane::wordOption("paper-count", SANE_TYPE_INT, 3) }
                                        << true << false;
    QTest::newRow("any sensor showing paper wins")
        << QList<Option> { ScriptedSane::wordOption("ADF-Ready", SANE_TYPE_BOOL, SANE_FALSE),
               ScriptedSane::wordOption("sensor-paper", SANE_TYPE_BOOL, SANE_TRUE) }
        << true << false;
}

void ScannerControllerTest::paperCheck()
{
    QFETCH(QList<Option>, sensors);
    QFETCH(bool, paper);
    QFETCH(bool, assumed);
    LogCapture log;
    // The source option itself has a sensor-free name.
    sane->options = { ScriptedSane::stringOption("source", { "Flatbed", "Automatic Document Feeder" }) };
    sane->options << sensors;
    auto controller = makeController();
    controller->getAvailableScanners(false);
    QVERIFY(controller->selectScanner(QStringLiteral("scripted:0")));
    QCOMPARE(controller->checkADFPaper(), paper);
    QCOMPARE(log.contains(QStringLiteral("未找到纸张传感器，假设ADF中有纸张")), assumed);
}

void ScannerControllerTest::pageSizes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSizeF>("size");
    QTest::newRow("A4") << "A4" << QSizeF(210.0, 297.0);
    QTest::newRow("A5") << "A5" << QSizeF(148.0, 210.0);
    QTest::newRow("Letter") << "Letter" << QSizeF(215.9, 279.4);
    QTest::newRow("Legal") << "Legal" << QSizeF(215.9, 355.6);
    QTest::newRow("unknown keeps the area") << "B5" << QSizeF(148.0, 210.0);
}

void ScannerControllerTest::pageSizes()
{
    QFETCH(QString, name);
    QFETCH(QSizeF, size);
    auto controller = makeController(false);
    QCOMPARE(controller->scanAreaSize(), QSizeF(215.9, 279.4));
    controller->setPageSize(QStringLiteral("A5"));
    controller->setPageSize(name);
    QCOMPARE(controller->scanAreaSize(), size);
    QCOMPARE(controller->currentPageSize(), name);
}

void ScannerControllerTest::feederScanNeedsAFeeder()
{
    auto controller = makeController();
    controller->getAvailableScanners(false);
    QSignalSpy errors(controller.get(), &ScannerController::scanError);
    QSignalSpy requests(controller.get(), &ScannerController::startScanWorker);
    QVERIFY(!controller->startScan(QStringLiteral("scripted:0"), QStringLiteral("彩色"), 300,
        QStringLiteral("自动进纸器"), QStringLiteral("Simplex")));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("当前扫描仪不支持自动进纸器功能"));
    QCOMPARE(requests.count(), 0);
}

void ScannerControllerTest::duplexFeederTurnsDuplexOn()
{
    sane->options = { ScriptedSane::stringOption("source", { "Flatbed", "ADF Front", "ADF Duplex" }) };
    sane->startStatuses = { SANE_STATUS_GOOD, SANE_STATUS_NO_DOCS };
    auto controller = makeController();
    controller->getAvailableScanners(false);
    QSignalSpy requests(controller.get(), &ScannerController::startScanWorker);
    QSignalSpy adf(controller.get(), &ScannerController::adfStatusChanged);
    QSignalSpy finished(controller.get(), &ScannerController::multiPageScanFinished);
    QVERIFY(controller->startScan(
        QStringLiteral("scripted:0"), QString(), 0, QStringLiteral("双面自动进纸器"), QStringLiteral("Simplex")));
    QCOMPARE(requests.count(), 1);
    const QList<QVariant> arguments = requests.at(0);
    QCOMPARE(arguments.at(0).toString(), QStringLiteral("scripted:0"));
    QCOMPARE(arguments.at(1).toString(), QStringLiteral("Color"));
    QCOMPARE(arguments.at(2).toInt(), 300);
    QCOMPARE(arguments.at(3).toBool(), false);
    QCOMPARE(arguments.at(4).toString(), QStringLiteral("双面自动进纸器"));
    QCOMPARE(arguments.at(5).toString(), QStringLiteral("Duplex"));
    QCOMPARE(adf.count(), 1);
    QCOMPARE(adf.at(0).at(0).toBool(), true);
    QVERIFY(finished.wait());
    QCOMPARE(finished.at(0).at(0).toInt(), 1);
    QCOMPARE(sane->setStrings.value("source"), QByteArray("ADF Duplex"));
}

void ScannerControllerTest::previewUsesFixedSettings()
{
    sane->options = { ScriptedSane::stringOption("source", { "Flatbed", "ADF" }) };
    auto controller = makeController();
    controller->getAvailableScanners(false);
    controller->setPaperSource(QStringLiteral("自动进纸器"));
    controller->setColorMode(QStringLiteral("灰度"));
    controller->setPageSize(QStringLiteral("A4"));
    QSignalSpy requests(controller.get(), &ScannerController::startScanWorker);
    QSignalSpy completed(controller.get(), &ScannerController::previewComplete);
    QVERIFY(controller->startPreview(QStringLiteral("scripted:0")));
    QCOMPARE(requests.count(), 1);
    const QList<QVariant> arguments = requests.at(0);
    QCOMPARE(arguments.at(1).toString(), QStringLiteral("灰度"));
    QCOMPARE(arguments.at(2).toInt(), 75);
    QCOMPARE(arguments.at(3).toBool(), true);
    QVERIFY(arguments.at(4).toString().isEmpty());
    QVERIFY(arguments.at(5).toString().isEmpty());
    QCOMPARE(arguments.at(6).toDouble(), 210.0);
    QCOMPARE(arguments.at(7).toDouble(), 297.0);
    QVERIFY(completed.wait());
    QCOMPARE(sane->setStrings.value("source"), QByteArray("Flatbed"));
}

// The first list entry is a display name; the request carries its device.
void ScannerControllerTest::scanWithoutSelectionTakesTheFirstDevice()
{
    sane->devices = { device("scripted:0", "Acme", "S1") };
    auto controller = makeController();
    QCOMPARE(controller->getAvailableScanners(true), QStringList { "Acme S1" });
    QSignalSpy requests(controller.get(), &ScannerController::startScanWorker);
    QSignalSpy completed(controller.get(), &ScannerController::scanComplete);
    QVERIFY(controller->startScan(QString(), QString(), 0, QString(), QString()));
    QCOMPARE(requests.at(0).at(0).toString(), QStringLiteral("scripted:0"));
    QVERIFY(completed.wait());
    controller->getAvailableScanners(false);
}

void ScannerControllerTest::scanWithoutDevicesFails()
{
    auto controller = makeController();
    QSignalSpy errors(controller.get(), &ScannerController::scanError);
    QVERIFY(!controller->startScan(QString(), QString(), 0, QString(), QString()));
    QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("未选择扫描仪"));

    sane->devices.clear();
    auto failing = makeController(false);
    QSignalSpy initErrors(failing.get(), &ScannerController::scanError);
    QVERIFY(!failing->startScan(QString(), QString(), 0, QString(), QString()));
    QCOMPARE(initErrors.at(0).at(0).toString(), QStringLiteral("扫描仪初始化失败"));
    QCOMPARE(failing->initState(), 3);
}

// The GUI thread only emits the request; the scan runs on the worker's thread
// and its results come back queued.
void ScannerControllerTest::scanRunsOnTheWorkerThread()
{
    auto controller = makeController();
    controller->getAvailableScanners(false);
    QThread *readThread = nullptr;
    QSemaphore release;
    sane->afterRead = [&](int) {
        readThread = QThread::currentThread();
        release.acquire();
    };
    QSignalSpy completed(controller.get(), &ScannerController::scanComplete);
    QVERIFY(controller->startScan(QStringLiteral("scripted:0"), QString(), 0, QString(), QString()));
    // startScan returned while the worker is still held inside its read.
    QTRY_VERIFY(readThread != nullptr);
    QVERIFY(readThread != QThread::currentThread());
    QCOMPARE(completed.count(), 0);
    release.release(10);
    QVERIFY(completed.wait());
    QCOMPARE(completed.at(0).at(0).value<QImage>().size(), QSize(8, 4));
}

// A request that arrives while a scan reads (and processes events) waits for
// it instead of running inside it.
void ScannerControllerTest::requestsAreServedOneAfterAnother()
{
    sane->sheetFrames = [](int sheet) {
        ScriptedSane::Frame frame = ScriptedSane::grayFrame(100, 100, uchar(sheet));
        frame.chunk = 500;
        return QList<ScriptedSane::Frame> { frame };
    };
    // Slow reads, and the later requests are made once the first one reads.
    QSemaphore reading;
    sane->afterRead = [&](int reads) {
        if (reads == 1)
            reading.release();
        QThread::msleep(1);
    };
    auto controller = makeController();
    controller->getAvailableScanners(false);
    QVERIFY(controller->selectScanner(QStringLiteral("scripted:0")));
    LogCapture log;
    QSignalSpy completed(controller.get(), &ScannerController::scanComplete);
    QVERIFY(controller->startScan(QString(), QString(), 0, QString(), QString()));
    QVERIFY(reading.tryAcquire(1, 5000));
    for (int i = 0; i < 2; ++i)
        QVERIFY(controller->startScan(QString(), QString(), 0, QString(), QString()));
    QTRY_COMPARE_WITH_TIMEOUT(completed.count(), 3, 20000);
    QTRY_COMPARE(log.linesStartingWith(QStringLiteral("设备已关闭")).size(), 3);
    // Each scan reads to its end before the next one opens the device.
    QStringList lifecycle;
    for (const QString &line : log.lines()) {
        if (line.startsWith(QStringLiteral("成功打开设备")))
            lifecycle << QStringLiteral("open");
        else if (line.startsWith(QStringLiteral("扫描完成")))
            lifecycle << QStringLiteral("done");
        else if (line.startsWith(QStringLiteral("设备已关闭")))
            lifecycle << QStringLiteral("close");
    }
    QCOMPARE(lifecycle, (QStringList { "open", "done", "close", "open", "done", "close", "open", "done", "close" }));
    QCOMPARE(sane->maxOpenHandles, 1);
}

// The background task builds its lists apart and hands them over on the GUI
// thread: while it runs, nothing is listed or selectable.
void ScannerControllerTest::backgroundInitialisationHandsOverSafely()
{
    LogCapture log;
    sane->devices = { device("scripted:0", "Acme", "S1 (USB)"), device("net:10.0.0.1:scripted:1") };
    QSemaphore entered;
    QSemaphore release;
    sane->duringInit = [&] {
        entered.release();
        release.acquire();
    };
    auto controller = makeController(false);
    QSignalSpy startedSpy(controller.get(), &ScannerController::initializationStarted);
    QSignalSpy progress(controller.get(), &ScannerController::initializationProgress);
    QSignalSpy completed(controller.get(), &ScannerController::initializationCompleted);
    controller->initializeAsync();
    QVERIFY(entered.tryAcquire(1, 5000));
    QCOMPARE(controller->initState(), 1);
    controller->initializeAsync();
    QCOMPARE(startedSpy.count(), 1);
    QVERIFY(!controller->isSaneInitialized());
    QVERIFY(controller->getAvailableScanners(false).isEmpty());
    QVERIFY(!controller->selectScanner(QStringLiteral("Acme S1")));
    release.release();
    QVERIFY(completed.wait());
    sane->duringInit = nullptr;
    QCOMPARE(controller->initState(), 2);
    QVERIFY(controller->isSaneInitialized());
    QCOMPARE(controller->getCachedScanners(), QStringList { "Acme S1" });
    QCOMPARE(controller->deviceNameFor(QStringLiteral("Acme S1")), QStringLiteral("scripted:0"));
    QVERIFY(log.contains(QStringLiteral("跳过网络设备:  \"net:10.0.0.1:scripted:1\"")));
    QVERIFY(log.contains(QStringLiteral("  显示名称: \"Acme S1\"")));
    QStringList texts;
    for (const QList<QVariant> &arguments : progress)
        texts << arguments.at(0).toString();
    QCOMPARE(texts, (QStringList { "正在初始化SANE库...", "正在查找扫描仪设备...", "初始化完成" }));

    // Once done, asking again only reports completion.
    controller->initializeAsync();
    QCOMPARE(completed.count(), 2);
    QCOMPARE(startedSpy.count(), 1);
    QVERIFY(controller->selectScanner(QStringLiteral("Acme S1")));
    QCOMPARE(controller->currentScanner(), QStringLiteral("scripted:0"));
}

void ScannerControllerTest::backgroundInitialisationFailure()
{
    sane->initStatus = SANE_STATUS_IO_ERROR;
    auto controller = makeController(false);
    QSignalSpy failed(controller.get(), &ScannerController::initializationFailed);
    controller->initializeAsync();
    QVERIFY(failed.wait());
    QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("SANE初始化失败"));
    QCOMPARE(controller->initState(), 3);
    QVERIFY(!controller->isSaneInitialized());
}

// Destroying the controller mid-scan ends the scan, closes its handle and
// only then exits the library; nothing reaches SANE after the exit.
void ScannerControllerTest::shutdownStopsTheWorkerBeforeExit()
{
    sane->sheetFrames = [](int) {
        ScriptedSane::Frame frame = ScriptedSane::grayFrame(1000, 1000);
        frame.chunk = 100;
        return QList<ScriptedSane::Frame> { frame };
    };
    QSemaphore reading;
    sane->afterRead = [&](int reads) {
        if (reads == 1)
            reading.release();
        QThread::msleep(1);
    };
    auto controller = makeController();
    controller->getAvailableScanners(false);
    QVERIFY(controller->startScan(QStringLiteral("scripted:0"), QString(), 0, QString(), QString()));
    QVERIFY(reading.tryAcquire(1, 5000));
    controller.reset();
    const QStringList events = sane->eventLog();
    QCOMPARE(events.last(), QStringLiteral("exit"));
    QCOMPARE(events.count(QStringLiteral("exit")), sane->initCalls);
    QCOMPARE(events.mid(events.size() - 3, 2), (QStringList { "cancel", "close" }));
    QCOMPARE(sane->callsWhileExited, 0);
}

QTEST_MAIN(ScannerControllerTest)
#include "tst_scanner_controller.moc"
