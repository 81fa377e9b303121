// End to end against SANE's own "test" backend: real libsane, real frames.
// Each test writes the backend's test.conf before its controller initialises
// SANE; the library is initialised once per controller and exited with it, so
// every test sees its own configuration.

#include <QtTest>

#include "document/documentmanager.h"
#include "document/pageresolution.h"
#include "scanner/scannercontroller.h"
#include "tests/support/logcapture.h"
#include "tests/support/sanetestconfig.h"

class ScannerTestBackendTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void enumerationInBothModes();
    void backgroundInitialisationListsBothDevices();
    void selectionDetectsTheFeeder();
    void optionDumpListsTheBackendsOptions();
    void colorScanAtRequestedResolution();
    void grayScan();
    void scanResolutionReachesTheDocumentsFiles_data();
    void scanResolutionReachesTheDocumentsFiles();
    void pageSizeIsTheScanArea_data();
    void pageSizeIsTheScanArea();
    void previewCoversTheWholeBed();
    void lineartScan();
    void sixteenBitColorScan();
    void handScannerIsCroppedToTheRowsRead();
    void feederRunDeliversTenSheets();
    void readFailureIsAnError();
    void cancelMidReadEmitsNothing();
    void cancelDuringFeederRunKeepsDeliveredPages();
    void destructionMidScanClosesTheDeviceBeforeExit_data();
    void destructionMidScanClosesTheDeviceBeforeExit();

private:
    std::unique_ptr<ScannerController> selectedController(const QString &device = QStringLiteral("test:0"));
    static QByteArray conf(const QByteArray &extra);

    std::unique_ptr<SaneTestConfig> config;
};

QByteArray ScannerTestBackendTest::conf(const QByteArray &extra)
{
    // Later lines win; the defaults give two devices, colour, 8 bit, black.
    return SaneTestConfig::defaultTestConf() + extra;
}

void ScannerTestBackendTest::initTestCase()
{
    config = std::make_unique<SaneTestConfig>();
    QVERIFY(config->isValid());
}

void ScannerTestBackendTest::init()
{
    QVERIFY(config->writeTestConf(SaneTestConfig::defaultTestConf()));
}

std::unique_ptr<ScannerController> ScannerTestBackendTest::selectedController(const QString &device)
{
    auto controller = std::make_unique<ScannerController>();
    controller->initializeSync();
    if (!controller->isSaneInitialized())
        return nullptr;
    controller->getAvailableScanners(false);
    if (!controller->selectScanner(device))
        return nullptr;
    return controller;
}

void ScannerTestBackendTest::enumerationInBothModes()
{
    ScannerController controller;
    controller.initializeSync();
    QVERIFY(controller.isSaneInitialized());
    // Both devices have the same vendor and model.
    const QStringList friendly { "Noname frontend-tester", "Noname frontend-tester (2)" };
    QCOMPARE(controller.getAvailableScanners(false), friendly);
    QCOMPARE(controller.getAvailableScanners(true), friendly);
    QCOMPARE(controller.deviceNameFor(friendly.at(1)), QStringLiteral("test:1"));
    QVERIFY(controller.selectScanner(friendly.at(1)));
    QCOMPARE(controller.currentScanner(), QStringLiteral("test:1"));
    QCOMPARE(controller.getAvailableScanners(false), friendly);
}

void ScannerTestBackendTest::backgroundInitialisationListsBothDevices()
{
    ScannerController controller;
    QSignalSpy completed(&controller, &ScannerController::initializationCompleted);
    controller.initializeAsync();
    QVERIFY(completed.wait(20000));
    const QStringList names = controller.getCachedScanners();
    QCOMPARE(names, (QStringList { "Noname frontend-tester", "Noname frontend-tester (2)" }));
    QCOMPARE(controller.deviceNameFor(names.at(0)), QStringLiteral("test:0"));
    QCOMPARE(controller.deviceNameFor(names.at(1)), QStringLiteral("test:1"));
    // A second search names the devices as the first did.
    QCOMPARE(controller.getAvailableScanners(false), names);
    QVERIFY(controller.selectScanner(names.at(0)));
    QCOMPARE(controller.currentScanner(), QStringLiteral("test:0"));
}

void ScannerTestBackendTest::selectionDetectsTheFeeder()
{
    auto controller = selectedController();
    QVERIFY(controller);
    QCOMPARE(controller->supportedSources(), (QStringList { "Flatbed", "Automatic Document Feeder" }));
    QVERIFY(controller->supportsADF());
    QVERIFY(!controller->supportsDuplex());
    QCOMPARE(controller->duplexModes(), QStringList { "Simplex" });
    // The backend has no sensor-like option: paper is assumed.
    QVERIFY(controller->checkADFPaper());
}

void ScannerTestBackendTest::optionDumpListsTheBackendsOptions()
{
    auto controller = selectedController();
    QVERIFY(controller);
    LogCapture log;
    controller->debugScannerOptions();
    QVERIFY(log.contains(QStringLiteral("=== 扫描仪选项调试信息 ===")));
    QVERIFY(log.contains(QStringLiteral("设备:  \"test:0\"")));
    QVERIFY(log.contains(QStringLiteral("选项 8: source")));
    QVERIFY(log.contains(QStringLiteral("    - Automatic Document Feeder")));
    QCOMPARE(log.lines().last(), QStringLiteral("=== 调试信息结束 ==="));
}

// The backend's resolution is FIXED; the requested 300 dpi must reach it.
// Its default area is 80 x 100 mm: 944 x 1181 pixels at 300 dpi.
void ScannerTestBackendTest::colorScanAtRequestedResolution()
{
    QVERIFY(config->writeTestConf(conf("test-picture \"Color pattern\"\n")));
    auto controller = selectedController();
    QVERIFY(controller);
    QSignalSpy completed(controller.get(), &ScannerController::scanComplete);
    QSignalSpy errors(controller.get(), &ScannerController::scanError);
    QVERIFY(controller->startScan(QString(), QStringLiteral("彩色"), 300, QString(), QStringLiteral("Simplex")));
    QVERIFY(completed.wait(20000));
    QCOMPARE(errors.count(), 0);
    const QImage image = completed.at(0).at(0).value<QImage>();
    QCOMPARE(image.format(), QImage::Format_RGB888);
    QCOMPARE(image.size(), QSize(944, 1181));
    // The pattern has red, green and blue bands.
    int red = 0;
    int green = 0;
    int blue = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb pixel = image.pixel(image.width() / 3, y);
        red += qRed(pixel) > 100 && qGreen(pixel) < 50 && qBlue(pixel) < 50;
        green += qGreen(pixel) > 100 && qRed(pixel) < 50 && qBlue(pixel) < 50;
        blue += qBlue(pixel) > 100 && qRed(pixel) < 50 && qGreen(pixel) < 50;
    }
    QVERIFY(red > 0);
    QVERIFY(green > 0);
    QVERIFY(blue > 0);
}

void ScannerTestBackendTest::grayScan()
{
    QVERIFY(config->writeTestConf(conf("test-picture \"Solid white\"\n")));
    auto controller = selectedController(QStringLiteral("test:1"));
    QVERIFY(controller);
    QSignalSpy completed(controller.get(), &ScannerController::scanComplete);
    QVERIFY(controller->startScan(QString(), QStringLiteral("灰度"), 150, QStringLiteral("Flatbed"), QString()));
    QVERIFY(completed.wait(20000));
    const QImage image = completed.at(0).at(0).value<QImage>();
    QCOMPARE(image.format(), QImage::Format_Grayscale8);
    QCOMPARE(image.size(), QSize(472, 590));
    QCOMPARE(image.pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(471, 589), qRgb(255, 255, 255));
}

// The page carries the resolution the device scanned at, and so does every file the
// document writes of it: the PDF's image (pdfimages) and an image file (identify).
void ScannerTestBackendTest::scanResolutionReachesTheDocumentsFiles_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QString>("encoding");
    QTest::newRow("grey, 150 dpi") << QByteArray("mode Gray\n") << 150 << "jpeg";
    QTest::newRow("black and white, 600 dpi") << QByteArray("mode Gray\ndepth 1\n") << 600 << "ccitt";
}

void ScannerTestBackendTest::scanResolutionReachesTheDocumentsFiles()
{
    QFETCH(QByteArray, mode);
    QFETCH(int, dpi);
    QFETCH(QString, encoding);
    QVERIFY(config->writeTestConf(conf(mode)));
    auto controller = selectedController();
    QVERIFY(controller);
    QSignalSpy completed(controller.get(), &ScannerController::scanComplete);
    QVERIFY(controller->startScan(QString(), QStringLiteral("灰度"), dpi, QString(), QString()));
    QVERIFY(completed.wait(30000));
    const QImage image = completed.at(0).at(0).value<QImage>();
    QCOMPARE(qRound(PageResolution::dpiX(image)), dpi);
    QCOMPARE(qRound(PageResolution::dpiY(image)), dpi);

    QTemporaryDir scratch;
    DocumentManager document;
    document.addPage(image);
    const QString pdf = scratch.filePath(QStringLiteral("scan.pdf"));
    const QString png = scratch.filePath(QStringLiteral("scan.png"));
    QVERIFY(document.saveDocument(pdf));
    QVERIFY(document.saveDocument(png));
    QProcess tool;
    tool.start(QStringLiteral("pdfimages"), { "-list", pdf });
    QVERIFY(tool.waitForFinished(20000));
    const QStringList row = QString::fromLocal8Bit(tool.readAllStandardOutput())
                                .split('\n', Qt::SkipEmptyParts)
                                .value(2)
                                .split(' ', Qt::SkipEmptyParts);
    QCOMPARE(row.value(8), encoding);
    QCOMPARE(row.mid(12, 2).join(' '), QStringLiteral("%1 %1").arg(dpi));
    tool.start(QStringLiteral("identify"), { "-units", "PixelsPerInch", "-format", "%x", png });
    QVERIFY(tool.waitForFinished(20000));
    QCOMPARE(qRound(tool.readAllStandardOutput().trimmed().toDouble()), dpi);
}

// Depth 1: SANE's 1 bits are black; a solid black page must come out black.
// The backend's bed is 200 x 200 mm in millimetre options: a page size comes
// back that size at the scan's resolution; a larger one is clipped and said.
void ScannerTestBackendTest::pageSizeIsTheScanArea_data()
{
    QTest::addColumn<ScanArea>("area");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("notice");
    QTest::newRow("A6 at 150 dpi") << ScanArea::named("A6") << 150 << QSize(620, 874) << false;
    QTest::newRow("A5 clipped at 150 dpi") << ScanArea::named("A5") << 150 << QSize(874, 1181) << true;
    QTest::newRow("business card at 300 dpi")
        << ScanArea::named(QStringLiteral("名片")) << 300 << QSize(1063, 638) << false;
    QTest::newRow("ID card at 300 dpi") << ScanArea::named(QStringLiteral("身份证")) << 300 << QSize(1011, 638)
                                        << false;
    QTest::newRow("A4 clipped at 150 dpi") << ScanArea::named("A4") << 150 << QSize(1181, 1181) << true;
    QTest::newRow("selection at 300 dpi")
        << ScanArea::custom(QRectF(50, 60, 40, 30)) << 300 << QSize(472, 354) << false;
}

void ScannerTestBackendTest::pageSizeIsTheScanArea()
{
    QFETCH(ScanArea, area);
    QFETCH(int, dpi);
    QFETCH(QSize, size);
    QFETCH(bool, notice);
    QVERIFY(config->writeTestConf(conf("mode Gray\n")));
    auto controller = selectedController();
    QVERIFY(controller);
    controller->setScanRegion(area);
    QSignalSpy completed(controller.get(), &ScannerController::scanComplete);
    QSignalSpy notices(controller.get(), &ScannerController::scanNotice);
    QVERIFY(controller->startScan(QString(), QStringLiteral("灰度"), dpi, QString(), QString()));
    QVERIFY(completed.wait(30000));
    const QImage image = completed.at(0).at(0).value<QImage>();
    QVERIFY2(qAbs(image.width() - size.width()) <= size.width() / 100 + 1, qPrintable(QString::number(image.width())));
    QVERIFY2(
        qAbs(image.height() - size.height()) <= size.height() / 100 + 1, qPrintable(QString::number(image.height())));
    QCOMPARE(notices.count(), notice ? 1 : 0);
}

// A preview is the whole glass at 75 dpi, with progress, and is no page.
void ScannerTestBackendTest::previewCoversTheWholeBed()
{
    auto controller = selectedController();
    QVERIFY(controller);
    controller->setScanRegion(ScanArea::named("A6"));
    QSignalSpy previews(controller.get(), &ScannerController::previewComplete);
    QSignalSpy pages(controller.get(), &ScannerController::scanComplete);
    QSignalSpy progress(controller.get(), &ScannerController::scanProgress);
    QVERIFY(controller->startPreview(QString()));
    QVERIFY(previews.wait(30000));
    const QImage preview = previews.at(0).at(0).value<QImage>();
    QVERIFY(qAbs(preview.width() - 590) <= 1);
    QVERIFY(qAbs(preview.height() - 590) <= 1);
    QCOMPARE(pages.count(), 0);
    QCOMPARE(progress.last().at(0).toInt(), 100);
}

void ScannerTestBackendTest::lineartScan()
{
    QVERIFY(config->writeTestConf(conf("mode Gray\ndepth 1\n")));
    auto controller = selectedController();
    QVERIFY(controller);
    QSignalSpy completed(controller.get(), &ScannerController::scanComplete);
    QVERIFY(controller->startScan(QString(), QStringLiteral("灰度"), 75, QString(), QString()));
    QVERIFY(completed.wait(20000));
    const QImage image = completed.at(0).at(0).value<QImage>();
    QCOMPARE(image.format(), QImage::Format_Mono);
    QCOMPARE(image.size(), QSize(236, 295));
    QCOMPARE(image.pixel(0, 0), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(235, 294), qRgb(0, 0, 0));
}

void ScannerTestBackendTest::sixteenBitColorScan()
{
    QVERIFY(config->writeTestConf(conf("depth 16\ntest-picture \"Solid white\"\n")));
    auto controller = selectedController();
    QVERIFY(controller);
    QSignalSpy completed(controller.get(), &ScannerController::scanComplete);
    QSignalSpy errors(controller.get(), &ScannerController::scanError);
    QVERIFY(controller->startScan(QString(), QStringLiteral("彩色"), 75, QString(), QString()));
    QVERIFY(completed.wait(20000));
    QCOMPARE(errors.count(), 0);
    const QImage image = completed.at(0).at(0).value<QImage>();
    QCOMPARE(image.format(), QImage::Format_RGB888);
    QCOMPARE(image.size(), QSize(236, 295));
    QCOMPARE(image.pixel(100, 100), qRgb(255, 255, 255));
}

void ScannerTestBackendTest::handScannerIsCroppedToTheRowsRead()
{
    QVERIFY(config->writeTestConf(conf("hand-scanner true\n")));
    LogCapture log;
    auto controller = selectedController();
    QVERIFY(controller);
    QSignalSpy completed(controller.get(), &ScannerController::scanComplete);
    QSignalSpy progress(controller.get(), &ScannerController::scanProgress);
    QVERIFY(controller->startScan(QString(), QStringLiteral("彩色"), 75, QString(), QString()));
    QVERIFY(completed.wait(20000));
    QVERIFY(log.contains(QStringLiteral("  行数:  -1")));
    const QImage image = completed.at(0).at(0).value<QImage>();
    // The height is whatever the backend delivered, not a multiple of the growth step.
    const QStringList eof = log.linesStartingWith(QStringLiteral("收到 EOF，当前已读取"));
    QCOMPARE(eof.size(), 1);
    QVERIFY(eof.first().endsWith(QStringLiteral(" %1 行").arg(image.height())));
    QVERIFY(image.height() > 1);
    QVERIFY(image.height() % 100 != 0 || image.height() == 0);
    QCOMPARE(progress.last().at(0).toInt(), 100);
}

void ScannerTestBackendTest::feederRunDeliversTenSheets()
{
    auto controller = selectedController();
    QVERIFY(controller);
    QSignalSpy completed(controller.get(), &ScannerController::scanComplete);
    QSignalSpy started(controller.get(), &ScannerController::multiPageScanStarted);
    QSignalSpy finished(controller.get(), &ScannerController::multiPageScanFinished);
    QSignalSpy errors(controller.get(), &ScannerController::scanError);
    QSignalSpy adf(controller.get(), &ScannerController::adfStatusChanged);
    QVERIFY(controller->startScan(QString(), QStringLiteral("彩色"), 75, QStringLiteral("自动进纸器"), QString()));
    QVERIFY(finished.wait(60000));
    QCOMPARE(started.count(), 1);
    QCOMPARE(completed.count(), 10);
    QCOMPARE(finished.at(0).at(0).toInt(), 10);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(adf.count(), 1);
    QCOMPARE(completed.at(9).at(0).value<QImage>().size(), QSize(236, 295));
}

void ScannerTestBackendTest::readFailureIsAnError()
{
    QVERIFY(config->writeTestConf(conf("read-status-code \"SANE_STATUS_IO_ERROR\"\n")));
    LogCapture log;
    auto controller = selectedController();
    QVERIFY(controller);
    QSignalSpy completed(controller.get(), &ScannerController::scanComplete);
    QSignalSpy errors(controller.get(), &ScannerController::scanError);
    QVERIFY(controller->startScan(QString(), QStringLiteral("彩色"), 75, QString(), QString()));
    QVERIFY(errors.wait(20000));
    QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("扫描失败或被取消"));
    QCOMPARE(completed.count(), 0);
    QVERIFY(!log.linesStartingWith(QStringLiteral("读取扫描数据失败: ")).isEmpty());
}

// Small, slow reads keep the scan running long enough to cancel it from the
// GUI thread; the cancel travels queued to the worker.
void ScannerTestBackendTest::cancelMidReadEmitsNothing()
{
    QVERIFY(config->writeTestConf(
        conf("read-limit true\nread-limit-size 4096\nread-delay true\nread-delay-duration 2000\n")));
    LogCapture log;
    auto controller = selectedController();
    QVERIFY(controller);
    QSignalSpy completed(controller.get(), &ScannerController::scanComplete);
    QSignalSpy errors(controller.get(), &ScannerController::scanError);
    QSignalSpy progress(controller.get(), &ScannerController::scanProgress);
    QVERIFY(controller->startScan(QString(), QStringLiteral("彩色"), 300, QString(), QString()));
    QVERIFY(progress.wait(20000));
    controller->cancelScan();
    QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("设备已关闭")), 20000);
    QCOMPARE(completed.count(), 0);
    QCOMPARE(errors.count(), 0);
    QVERIFY(log.contains(QStringLiteral("扫描被取消")));
}

void ScannerTestBackendTest::cancelDuringFeederRunKeepsDeliveredPages()
{
    QVERIFY(config->writeTestConf(
        conf("read-limit true\nread-limit-size 8192\nread-delay true\nread-delay-duration 1000\n")));
    auto controller = selectedController();
    QVERIFY(controller);
    QSignalSpy completed(controller.get(), &ScannerController::scanComplete);
    QSignalSpy finished(controller.get(), &ScannerController::multiPageScanFinished);
    QSignalSpy errors(controller.get(), &ScannerController::scanError);
    QSignalSpy pages(controller.get(), &ScannerController::currentPageScanning);
    QVERIFY(controller->startScan(QString(), QStringLiteral("彩色"), 75, QStringLiteral("自动进纸器"), QString()));
    QVERIFY(completed.wait(20000));
    controller->cancelScan();
    QVERIFY(finished.wait(20000));
    const int delivered = completed.count();
    QVERIFY(delivered >= 1);
    QVERIFY(delivered < 10);
    QCOMPARE(finished.at(0).at(0).toInt(), delivered);
    QCOMPARE(errors.count(), 0);
}

void ScannerTestBackendTest::destructionMidScanClosesTheDeviceBeforeExit_data()
{
    QTest::addColumn<QString>("source");
    QTest::newRow("flatbed") << "Flatbed";
    QTest::newRow("feeder") << "自动进纸器";
}

// The window may be closed while a scan runs: the worker must end the scan and
// close its handle before the library goes.
void ScannerTestBackendTest::destructionMidScanClosesTheDeviceBeforeExit()
{
    QFETCH(QString, source);
    QVERIFY(config->writeTestConf(
        conf("read-limit true\nread-limit-size 4096\nread-delay true\nread-delay-duration 2000\n")));
    LogCapture log;
    auto controller = selectedController();
    QVERIFY(controller);
    QSignalSpy progress(controller.get(), &ScannerController::scanProgress);
    QVERIFY(controller->startScan(QString(), QStringLiteral("彩色"), 300, source, QString()));
    QTRY_VERIFY_WITH_TIMEOUT(progress.count() > 1, 20000);
    controller.reset();
    const int closed = log.indexOf(QStringLiteral("设备已关闭"));
    const int exited = log.indexOf(QStringLiteral("SANE已关闭"));
    QVERIFY(closed >= 0);
    QVERIFY(exited > closed);
    QCOMPARE(log.lines().last(), QStringLiteral("ScannerController已销毁"));
}

QTEST_MAIN(ScannerTestBackendTest)
#include "tst_scanner_testbackend.moc"
