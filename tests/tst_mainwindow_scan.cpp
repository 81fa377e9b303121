// Scanning from the window through its own controls: SANE's "test" backend
// behind the scan button, a loopback eSCL scanner behind an "eSCL-" entry, and
// the controller's signals emitted by the test for what the backend cannot be
// made to do (a doubtful paper sensor, a blank sheet or an error inside a run).
// Discovery never runs: no case presses the eSCL-only search.

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "document/documentmanager.h"
#include "escl/esclregistry.h"
#include "escl/esclscanner.h"
#include "scanner/scannercontroller.h"
#include "tests/support/escltestserver.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/sanetestconfig.h"
#include "tests/support/tempsettings.h"
#include "tests/support/windowparts.h"
#include "ui/mainwindow.h"
#include "ui/scansession.h"
#include "ui/settingskeys.h"

namespace {

QImage sheet(QColor colour)
{
    QImage image(200, 280, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

int pdfPages(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), { path });
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return -1;
    for (const QString &line : QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

// Presses a message-box button by its text (an empty text: the box's default
// button); checks first that this box is the only one open.
ModalAnswerer::Handler pressAlone(const QString &text, int *stacked)
{
    return [text, stacked](QWidget *modal) {
        int open = 0;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMessageBox *>(widget) && widget->isVisible())
                ++open;
        }
        if (open > 1)
            ++*stacked;
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (text.isEmpty() && box && box->defaultButton()) {
            box->defaultButton()->click();
            return;
        }
        for (QAbstractButton *button : modal->findChildren<QAbstractButton *>()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        qFatal("no button %s", qPrintable(text));
    };
}

const QByteArray jobsPath = "/eSCL/ScanJobs";

ESCLScanner::Intervals fastIntervals()
{
    ESCLScanner::Intervals intervals;
    intervals.scannerReadyDelayMs = 30;
    intervals.busyRetryDelayMs = 20;
    intervals.nextPageDelayMs = 20;
    return intervals;
}

} // namespace

class MainWindowScanTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void flatbedPage_data();
    void flatbedPage();
    void feederRunBecomesOnePdf();
    void blankSheetInsideARunKeepsItScanning();
    void pageLimitErrorThenRunSavedAfterTheBox();
    void failedRunLeavesNoRunBehind();
    void cancelledSanePageEndsTheScan_data();
    void cancelledSanePageEndsTheScan();
    void progressAfterBusyModeIsDeterminate();
    void doubtfulPaperSensor_data();
    void doubtfulPaperSensor();
    void esclJobIsSavedOnce_data();
    void esclJobIsSavedOnce();
    void esclFailureMidJobSavesWhatArrived();
    void scanButtonCancelsAnEsclJob();
    void delayScanTwoSheets();

private:
    void startWithTestScanner(MainWindow &window);
    void useEsclScanner(MainWindow &window, const QString &url);
    static ScannerController *controllerOf(MainWindow &window);
    QStringList savedFiles() const;

    TempSettings settings;
    std::unique_ptr<SaneTestConfig> sane;
    std::unique_ptr<QTemporaryDir> saveFolder;
};

void MainWindowScanTest::initTestCase()
{
    sane = std::make_unique<SaneTestConfig>();
    QVERIFY(sane->isValid());
}

void MainWindowScanTest::init()
{
    settings.clear();
    QVERIFY(sane->writeTestConf(SaneTestConfig::defaultTestConf()));
    saveFolder = std::make_unique<QTemporaryDir>();
    QSettings store = SettingsKeys::openSettings();
    store.setValue(SettingsKeys::savePath, saveFolder->path());
    store.setValue(SettingsKeys::resolution, QStringLiteral("75"));
}

void MainWindowScanTest::startWithTestScanner(MainWindow &window)
{
    window.show();
    auto *combo = part<QComboBox>(window, "scannerCombo");
    QTRY_COMPARE(combo->count(), 1);
    QTest::mouseClick(part<QPushButton>(window, "findDeviceButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(combo->count(), 2, 15000);
    QTRY_VERIFY(!combo->itemText(0).contains(QStringLiteral("正在")));
    QVERIFY(controllerOf(window));
}

void MainWindowScanTest::useEsclScanner(MainWindow &window, const QString &url)
{
    EsclRegistry registry;
    registry.setDevices({ url });
    registry.setDeviceInfo({ { url, QStringLiteral("Loopback Scanner") } });
    window.show();
    auto *combo = part<QComboBox>(window, "scannerCombo");
    QTRY_COMPARE(combo->count(), 1);
    combo->addItem(EsclRegistry::displayName(url, QStringLiteral("Loopback Scanner")));
    combo->setCurrentIndex(1);
}

ScannerController *MainWindowScanTest::controllerOf(MainWindow &window)
{
    return window.findChild<ScannerController *>();
}

QStringList MainWindowScanTest::savedFiles() const
{
    return QDir(saveFolder->path()).entryList(QDir::Files, QDir::Name);
}

void MainWindowScanTest::flatbedPage_data()
{
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<bool>("skipBlank");
    QTest::addColumn<bool>("autoSave");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QStringList>("boxes");

    const QStringList saved { QStringLiteral("自动保存成功") };
    QTest::newRow("saved as png") << QByteArray("Color pattern") << true << true << 1 << saved;
    QTest::newRow("auto-save off") << QByteArray("Color pattern") << false << false << 1 << QStringList();
    QTest::newRow("white kept") << QByteArray("Solid white") << false << true << 1 << saved;
    QTest::newRow("white skipped") << QByteArray("Solid white") << true << true << 0 << QStringList();
}

// One flatbed page: in the document and the list, saved once, or skipped.
void MainWindowScanTest::flatbedPage()
{
    QFETCH(QByteArray, picture);
    QFETCH(bool, skipBlank);
    QFETCH(bool, autoSave);
    QFETCH(int, pages);
    QFETCH(QStringList, boxes);
    QVERIFY(sane->writeTestConf(SaneTestConfig::defaultTestConf() + "test-picture \"" + picture + "\"\n"));
    QSettings store = SettingsKeys::openSettings();
    store.setValue(SettingsKeys::removeBlankPages, skipBlank);
    store.setValue(SettingsKeys::autoSave, autoSave);
    store.setValue(SettingsKeys::saveFormat, QStringLiteral("PNG"));

    MainWindow window;
    startWithTestScanner(window);
    auto *progress = part<QProgressBar>(window, "progressBar");
    auto *document = part<DocumentManager>(window, "documentManager");
    int stacked = 0;
    ModalAnswerer answerer;
    answerer.handle(pressAlone(QString(), &stacked));

    QTest::mouseClick(part<QPushButton>(window, "scanButton"), Qt::LeftButton);
    QVERIFY(progress->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!progress->isVisible(), 20000);
    QTRY_COMPARE(answerer.seen().size(), boxes.size());

    QCOMPARE(document->pageCount(), pages);
    QCOMPARE(part<QListWidget>(window, "pageList")->count(), pages);
    QStringList titles;
    for (const QString &seen : answerer.seen())
        titles << seen.section(QLatin1Char('|'), 0, 0);
    QCOMPARE(titles, boxes);
    const QStringList files = savedFiles();
    QCOMPARE(files.size(), boxes.size());
    if (!files.isEmpty()) {
        QVERIFY(files.first().endsWith(QLatin1String(".png")));
        const QImage written(saveFolder->filePath(files.first()));
        QCOMPARE(written.size(), document->page(0).size());
    }
    // The scan is over: the button starts a new one rather than cancelling.
    QVERIFY(!part<ScanSession>(window, "scanSession")->isScanning());
    QCOMPARE(stacked, 0);
}

void MainWindowScanTest::feederRunBecomesOnePdf()
{
    SettingsKeys::openSettings().setValue(SettingsKeys::saveFormat, QStringLiteral("PDF"));
    MainWindow window;
    startWithTestScanner(window);
    auto *document = part<DocumentManager>(window, "documentManager");
    auto *sources = part<QComboBox>(window, "paperSourceCombo");
    sources->setCurrentIndex(sources->findText(QStringLiteral("自动进纸器")));
    int stacked = 0;
    ModalAnswerer answerer;
    answerer.handle(pressAlone(QString(), &stacked));

    QTest::mouseClick(part<QPushButton>(window, "scanButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(answerer.seen().size(), 1, 60000);
    QVERIFY(answerer.seen().first().startsWith(QStringLiteral("多页自动保存成功|多页文档已自动保存为PDF:\n")));
    QCOMPARE(document->pageCount(), 10);
    QCOMPARE(part<QListWidget>(window, "pageList")->count(), 10);
    const QStringList files = savedFiles();
    QCOMPARE(files.size(), 1);
    QCOMPARE(pdfPages(saveFolder->filePath(files.first())), 10);
    QVERIFY(!part<ScanSession>(window, "scanSession")->isScanning());
    QVERIFY(!part<QProgressBar>(window, "progressBar")->isVisible());
    QCOMPARE(stacked, 0);
}

void MainWindowScanTest::blankSheetInsideARunKeepsItScanning()
{
    QSettings store = SettingsKeys::openSettings();
    store.setValue(SettingsKeys::removeBlankPages, true);
    store.setValue(SettingsKeys::saveFormat, QStringLiteral("PNG"));
    MainWindow window;
    startWithTestScanner(window);
    ScannerController *controller = controllerOf(window);
    auto *document = part<DocumentManager>(window, "documentManager");
    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::Ok);

    emit controller->multiPageScanStarted();
    auto *session = part<ScanSession>(window, "scanSession");
    emit controller->scanComplete(sheet(Qt::darkBlue));
    emit controller->scanComplete(sheet(Qt::white));
    // Each page gives the event loop a turn; the white one waits behind it.
    QTRY_VERIFY(!session->isBusy());
    QCOMPARE(document->pageCount(), 1);
    QVERIFY(session->isScanning());
    emit controller->scanComplete(sheet(Qt::darkRed));
    emit controller->multiPageScanFinished(2);
    QTRY_COMPARE(answerer.seen(), QStringList { QStringLiteral("多页自动保存成功|已自动保存 2 个图像文件") });
    QCOMPARE(document->pageCount(), 2);
    QVERIFY(!session->isScanning());
    QCOMPARE(savedFiles().size(), 2);
}

// The worker reports the page limit as an error and then finishes the run; the
// run is saved once the error box is closed, and the two boxes never stack.
void MainWindowScanTest::pageLimitErrorThenRunSavedAfterTheBox()
{
    SettingsKeys::openSettings().setValue(SettingsKeys::saveFormat, QStringLiteral("PDF"));
    MainWindow window;
    startWithTestScanner(window);
    ScannerController *controller = controllerOf(window);
    int stacked = 0;
    ModalAnswerer answerer;
    answerer.handle([&](QWidget *modal) {
        emit controller->multiPageScanFinished(999);
        pressAlone(QString(), &stacked)(modal);
    });
    answerer.handle(pressAlone(QString(), &stacked));

    emit controller->multiPageScanStarted();
    emit controller->scanComplete(sheet(Qt::darkBlue));
    emit controller->scanComplete(sheet(Qt::darkGreen));
    emit controller->scanError(QStringLiteral("已达到最大页数限制 (999 页)，扫描停止"));
    QTRY_COMPARE(answerer.seen().size(), 2);
    QCOMPARE(answerer.seen().at(0), QStringLiteral("扫描错误|已达到最大页数限制 (999 页)，扫描停止"));
    QVERIFY(answerer.seen().at(1).startsWith(QStringLiteral("多页自动保存成功|")));
    QCOMPARE(stacked, 0);
    const QStringList files = savedFiles();
    QCOMPARE(files.size(), 1);
    QCOMPARE(pdfPages(saveFolder->filePath(files.first())), 2);
}

// A run that fails without a finished signal does not swallow the next page.
void MainWindowScanTest::failedRunLeavesNoRunBehind()
{
    SettingsKeys::openSettings().setValue(SettingsKeys::saveFormat, QStringLiteral("PNG"));
    MainWindow window;
    startWithTestScanner(window);
    ScannerController *controller = controllerOf(window);
    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::Ok);
    answerer.answer(QDialogButtonBox::Ok);

    emit controller->multiPageScanStarted();
    emit controller->scanError(QStringLiteral("ADF扫描失败，没有扫描到任何页面"));
    QTest::mouseClick(part<QPushButton>(window, "scanButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(answerer.seen().size(), 2, 20000);
    QVERIFY(answerer.seen().at(1).startsWith(QStringLiteral("自动保存成功|")));
    QCOMPARE(savedFiles().size(), 1);
}

void MainWindowScanTest::cancelledSanePageEndsTheScan_data()
{
    QTest::addColumn<bool>("byDeviceSwitch");
    QTest::newRow("scan button") << false;
    QTest::newRow("another device chosen") << true;
}

// A cancelled page reports nothing back; the window ends the scan itself and
// the next press scans again, whether the scan button or choosing another
// device cancelled it.
void MainWindowScanTest::cancelledSanePageEndsTheScan()
{
    QFETCH(bool, byDeviceSwitch);
    QVERIFY(sane->writeTestConf(SaneTestConfig::defaultTestConf()
        + "read-limit true\nread-limit-size 4096\nread-delay true\nread-delay-duration 2000\n"));
    QSettings store = SettingsKeys::openSettings();
    store.setValue(SettingsKeys::autoSave, false);
    store.setValue(SettingsKeys::resolution, QStringLiteral("300"));
    MainWindow window;
    startWithTestScanner(window);
    auto *progress = part<QProgressBar>(window, "progressBar");
    auto *scanButton = part<QPushButton>(window, "scanButton");
    auto *document = part<DocumentManager>(window, "documentManager");
    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::Ok);

    QTest::mouseClick(scanButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(progress->value() > 0, 20000);
    if (byDeviceSwitch) {
        part<QComboBox>(window, "scannerCombo")->setCurrentIndex(1);
    } else {
        QTest::mouseClick(scanButton, Qt::LeftButton);
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("扫描已取消"));
    }
    QVERIFY(!progress->isVisible());
    QVERIFY(!part<ScanSession>(window, "scanSession")->isScanning());

    QTest::mouseClick(scanButton, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(document->pageCount(), 1, 30000);
    QTRY_VERIFY(!progress->isVisible());
    QCOMPARE(document->pageCount(), 1);
    QVERIFY(answerer.seen().isEmpty());
}

// A wait shown as a busy bar (range 0-0) would swallow the scan's values.
void MainWindowScanTest::progressAfterBusyModeIsDeterminate()
{
    MainWindow window;
    startWithTestScanner(window);
    auto *progress = part<QProgressBar>(window, "progressBar");
    progress->setRange(0, 0);
    emit controllerOf(window)->scanProgress(40);
    QCOMPARE(progress->maximum(), 100);
    QCOMPARE(progress->value(), 40);
}

void MainWindowScanTest::doubtfulPaperSensor_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("stillScanning");
    QTest::addColumn<QString>("message");
    QTest::newRow("continue") << QStringLiteral("继续扫描") << true << QStringLiteral("强制启动ADF扫描...");
    QTest::newRow("cancel") << QStringLiteral("取消") << false << QStringLiteral("扫描已取消");
}

// The controller goes on after a doubtful sensor; "继续扫描" must not feed the
// stack a second time, "取消" ends the run and silences its end.
void MainWindowScanTest::doubtfulPaperSensor()
{
    QFETCH(QString, answer);
    QFETCH(bool, stillScanning);
    QFETCH(QString, message);
    MainWindow window;
    startWithTestScanner(window);
    ScannerController *controller = controllerOf(window);
    QSignalSpy starts(controller, &ScannerController::startScanWorker);
    int stacked = 0;
    ModalAnswerer answerer;
    answerer.handle(pressAlone(answer, &stacked));

    emit controller->multiPageScanStarted();
    emit controller->adfStatusChanged(false);
    auto *session = part<ScanSession>(window, "scanSession");
    QCOMPARE(answerer.seen(), QStringList { QStringLiteral("输稿器纸张检测|程序未检测到输稿器中的纸张。") });
    QCOMPARE(session->isScanning(), stillScanning);
    QCOMPARE(window.statusBar()->currentMessage(), message);
    QCOMPARE(starts.count(), 0);
    if (!stillScanning) {
        emit controller->multiPageScanFinished(0);
        QCOMPARE(window.statusBar()->currentMessage(), message);
    }
}

void MainWindowScanTest::esclJobIsSavedOnce_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QString>("box");
    QTest::newRow("feeder") << 1 << 3 << QStringLiteral("多页自动保存成功|多页文档已自动保存为PDF:\n");
    QTest::newRow("platen") << 0 << 1 << QStringLiteral("自动保存成功|扫描结果已自动保存到:\n");
}

// A job is one scan until the client reports its end, and is saved once.
void MainWindowScanTest::esclJobIsSavedOnce()
{
    QFETCH(int, source);
    QFETCH(int, pages);
    QFETCH(QString, box);
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, EsclTestServer::Response::created("/eSCL/ScanJobs/7"));
    for (QColor colour : { QColor(Qt::darkRed), QColor(Qt::darkGreen), QColor(Qt::darkBlue) })
        server.enqueue("GET", "/eSCL/ScanJobs/7/NextDocument",
            EsclTestServer::Response::document(EsclTestServer::encodedPage(QSize(120, 170), "jpeg", colour)));
    server.enqueue("GET", "/eSCL/ScanJobs/7/NextDocument", EsclTestServer::Response::withStatus(404));
    server.setStanding("DELETE", "/eSCL/ScanJobs/7", EsclTestServer::Response::withStatus(200));
    SettingsKeys::openSettings().setValue(SettingsKeys::saveFormat, QStringLiteral("PDF"));

    MainWindow window;
    useEsclScanner(window, server.baseUrl());
    part<QComboBox>(window, "paperSourceCombo")->setCurrentIndex(source);
    auto *document = part<DocumentManager>(window, "documentManager");
    int stacked = 0;
    ModalAnswerer answerer;
    answerer.handle(pressAlone(QString(), &stacked));

    QTest::mouseClick(part<QPushButton>(window, "scanButton"), Qt::LeftButton);
    window.findChild<ESCLScanner *>()->setIntervals(fastIntervals());
    auto *session = part<ScanSession>(window, "scanSession");
    // Each later page finds the job still one scan (the button would cancel it).
    QList<bool> scanningBefore;
    connect(document, &DocumentManager::pageAdded, this, [&](int index) {
        if (index > 0)
            scanningBefore << window.findChild<ScanSession *>()->isScanning();
    });
    QTRY_COMPARE_WITH_TIMEOUT(answerer.seen().size(), 1, 10000);
    QVERIFY(answerer.seen().first().startsWith(box));
    QTRY_VERIFY(!session->isScanning());
    QCOMPARE(document->pageCount(), pages);
    QCOMPARE(scanningBefore, QVector<bool>(pages - 1, true).toList());
    QCOMPARE(stacked, 0);
    const QStringList files = savedFiles();
    QCOMPARE(files.size(), 1);
    QCOMPARE(pdfPages(saveFolder->filePath(files.first())), pages);
    QTRY_COMPARE(server.count("DELETE", "/eSCL/ScanJobs/7"), 1);
    QTRY_VERIFY(!window.findChild<ESCLScanner *>());
    QCOMPARE(answerer.seen().size(), 1);
}

void MainWindowScanTest::esclFailureMidJobSavesWhatArrived()
{
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, EsclTestServer::Response::created("/eSCL/ScanJobs/9"));
    server.enqueue("GET", "/eSCL/ScanJobs/9/NextDocument",
        EsclTestServer::Response::document(EsclTestServer::encodedPage(QSize(120, 170), "jpeg")));
    server.enqueue("GET", "/eSCL/ScanJobs/9/NextDocument", EsclTestServer::Response::document("not an image"));
    server.setStanding("DELETE", "/eSCL/ScanJobs/9", EsclTestServer::Response::withStatus(200));
    SettingsKeys::openSettings().setValue(SettingsKeys::saveFormat, QStringLiteral("PNG"));

    MainWindow window;
    useEsclScanner(window, server.baseUrl());
    part<QComboBox>(window, "paperSourceCombo")->setCurrentIndex(1);
    int stacked = 0;
    ModalAnswerer answerer;
    answerer.handle(pressAlone(QString(), &stacked));
    answerer.handle(pressAlone(QString(), &stacked));

    QTest::mouseClick(part<QPushButton>(window, "scanButton"), Qt::LeftButton);
    window.findChild<ESCLScanner *>()->setIntervals(fastIntervals());
    QTRY_COMPARE_WITH_TIMEOUT(answerer.seen().size(), 2, 10000);
    QVERIFY(answerer.seen().at(0).startsWith(QStringLiteral("扫描错误|图像解析失败: ")));
    QCOMPARE(answerer.seen().at(1), QStringLiteral("多页自动保存成功|已自动保存 1 个图像文件"));
    QCOMPARE(savedFiles().size(), 1);
    QCOMPARE(part<DocumentManager>(window, "documentManager")->pageCount(), 1);
    QCOMPARE(stacked, 0);
    // The job the scanner still holds is removed.
    QTRY_COMPARE(server.count("DELETE", "/eSCL/ScanJobs/9"), 1);
}

void MainWindowScanTest::scanButtonCancelsAnEsclJob()
{
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, EsclTestServer::Response::created("/eSCL/ScanJobs/4"));
    EsclTestServer::Response slowPage
        = EsclTestServer::Response::document(EsclTestServer::encodedPage(QSize(120, 170), "jpeg"));
    slowPage.delayMs = 5000;
    server.setStanding("GET", "/eSCL/ScanJobs/4/NextDocument", slowPage);
    server.setStanding("DELETE", "/eSCL/ScanJobs/4", EsclTestServer::Response::withStatus(200));

    MainWindow window;
    useEsclScanner(window, server.baseUrl());
    part<QComboBox>(window, "paperSourceCombo")->setCurrentIndex(1);
    auto *scanButton = part<QPushButton>(window, "scanButton");
    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::Ok);

    QTest::mouseClick(scanButton, Qt::LeftButton);
    window.findChild<ESCLScanner *>()->setIntervals(fastIntervals());
    QTRY_COMPARE_WITH_TIMEOUT(server.count("GET", "/eSCL/ScanJobs/4/NextDocument"), 1, 10000);
    QTest::mouseClick(scanButton, Qt::LeftButton);
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("扫描已取消"));
    QVERIFY(!part<ScanSession>(window, "scanSession")->isScanning());
    QVERIFY(!part<QProgressBar>(window, "progressBar")->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(server.count("DELETE", "/eSCL/ScanJobs/4"), 1, 10000);
    QCOMPARE(server.count("POST", jobsPath), 1);
    QVERIFY(answerer.seen().isEmpty());
    QCOMPARE(part<DocumentManager>(window, "documentManager")->pageCount(), 0);
}

// Three-second countdown, two flatbed sheets, then "扫描完成" with its offer.
void MainWindowScanTest::delayScanTwoSheets()
{
    MainWindow window;
    startWithTestScanner(window);
    auto *document = part<DocumentManager>(window, "documentManager");
    auto *autoSave = part<QCheckBox>(window, "autoSaveCheck");
    auto *finish = part<QPushButton>(window, "finishDelayScanButton");
    QVERIFY(autoSave->isChecked());
    QSignalSpy messages(window.statusBar(), &QStatusBar::messageChanged);
    ModalAnswerer answerer;
    answerer.handle([](QWidget *modal) {
        auto *interval = modal->findChild<QComboBox *>(QStringLiteral("delayIntervalCombo"));
        interval->setCurrentIndex(interval->findData(3));
        modal->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    answerer.answer(QDialogButtonBox::Yes);
    answerer.answer(QDialogButtonBox::Cancel);

    QTest::mouseClick(part<QPushButton>(window, "delayScanButton"), Qt::LeftButton);
    QVERIFY(finish->isVisible());
    QVERIFY(!autoSave->isChecked());
    QVERIFY(!autoSave->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(document->pageCount(), 2, 30000);
    QTest::mouseClick(finish, Qt::LeftButton);

    QStringList shown;
    for (const QList<QVariant> &message : messages)
        shown << message.at(0).toString();
    const int two = shown.indexOf(QStringLiteral("延时扫描倒计时: 2 秒... (已扫描 0 张)"));
    const int one = shown.indexOf(QStringLiteral("延时扫描倒计时: 1 秒... (已扫描 0 张)"));
    const int first = shown.indexOf(QStringLiteral("开始扫描第 1 张..."));
    const int kept = shown.indexOf(QStringLiteral("第 1 张扫描完成，准备扫描下一张，倒计时: 3 秒..."));
    const int second = shown.indexOf(QStringLiteral("开始扫描第 2 张..."));
    QVERIFY(two >= 0);
    QVERIFY(one > two);
    QVERIFY(first > one);
    QVERIFY(kept > first);
    QVERIFY(second > kept);
    // Two sheets: the offer leads to the multi-page save.
    QTRY_COMPARE(answerer.seen().size(), 3);
    QCOMPARE(answerer.seen().at(1), QStringLiteral("延时扫描完成|延时扫描完成！共扫描 2 张图片。"));
    QCOMPARE(answerer.seen().at(2), QStringLiteral("多页保存选项|请选择多页保存方式："));
    QVERIFY(savedFiles().isEmpty());
    QVERIFY(autoSave->isChecked());
    QVERIFY(autoSave->isEnabled());
    QVERIFY(!finish->isVisible());
    QVERIFY(!part<QTimer>(window, "delayTimer")->isActive());
}

QTEST_MAIN(MainWindowScanTest)
#include "tst_mainwindow_scan.moc"
