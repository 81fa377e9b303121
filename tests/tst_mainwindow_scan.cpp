// Scanning from the window's own controls: SANE's "test" backend, a loopback eSCL scanner, and controller
// signals emitted by the test for what the backend cannot be made to do (a doubtful sensor, a run's errors).

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include "app/interfacelanguage.h"
#include "document/documentmanager.h"
#include "escl/esclregistry.h"
#include "escl/esclscanner.h"
#include "scanner/scannercontroller.h"
#include "tests/support/escltestserver.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/sanetestconfig.h"
#include "tests/support/tempsettings.h"
#include "tests/support/windowparts.h"
#include "ui/esclpreview.h"
#include "ui/mainwindow.h"
#include "ui/scanareaselector.h"
#include "ui/scansession.h"
#include "settings/appsettings.h"

class MainWindowScanTest : public QObject
{
    Q_OBJECT

    TempSettings settings;
    SaneTestConfig sane;
    std::unique_ptr<QTemporaryDir> saveFolder;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<ModalAnswerer> answerer; // destroyed before the window
    int stacked = 0; // boxes opened while another was open

    static QImage sheet(QColor colour)
    {
        QImage image(200, 280, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    }
    template<typename T> T *the(const char *name) { return part<T>(*window, name); }
    void click(const char *button) { QTest::mouseClick(the<QPushButton>(button), Qt::LeftButton); }
    bool scanning() { return the<ScanSession>("scanSession")->isScanning(); }
    int pages() { return the<DocumentManager>("documentManager")->pageCount(); }
    ScannerController *controller() { return window->findChild<ScannerController *>(); }
    QStringList savedFiles() const { return QDir(saveFolder->path()).entryList(QDir::Files, QDir::Name); }

    // Opens the window with the settings the test wrote and finds SANE's test device.
    void open()
    {
        window = std::make_unique<MainWindow>();
        window->show();
        auto *combo = the<QComboBox>("scannerCombo");
        QTRY_COMPARE(combo->count(), 1);
        click("findDeviceButton");
        QTRY_COMPARE_WITH_TIMEOUT(combo->count(), 2, 15000);
        QTRY_VERIFY(!combo->itemText(0).contains(QStringLiteral("正在")));
        QVERIFY(controller());
    }

    // Opens the window with a loopback eSCL scanner chosen.
    void openOnEscl(const QString &url)
    {
        EsclRegistry registry(settings.store());
        registry.setDevices({ url });
        registry.setDeviceInfo({ { url, QStringLiteral("Loopback Scanner") } });
        window = std::make_unique<MainWindow>();
        window->show();
        auto *combo = the<QComboBox>("scannerCombo");
        QTRY_COMPARE(combo->count(), 1);
        combo->addItem(EsclRegistry::displayName(url, QStringLiteral("Loopback Scanner")));
        combo->setCurrentIndex(1);
    }

    // Opens the window on a loopback eSCL scanner and starts a feeder job, its waits shortened.
    void startEsclFeederJob(const QString &url)
    {
        openOnEscl(url);
        the<QComboBox>("paperSourceCombo")->setCurrentIndex(1);
        click("scanButton");
        window->findChild<ESCLScanner *>()->setIntervals({ 30, 20, 20 });
    }

    // Presses the button with this text (empty: the box's default button).
    ModalAnswerer::Handler press(const QString &text = QString())
    {
        return [this, text](QWidget *modal) {
            const QWidgetList tops = QApplication::topLevelWidgets();
            stacked += std::count_if(tops.begin(), tops.end(), [](QWidget *top) {
                return qobject_cast<QMessageBox *>(top) && top->isVisible();
            }) > 1;
            auto *box = qobject_cast<QMessageBox *>(modal);
            QAbstractButton *button = text.isEmpty() && box ? box->defaultButton() : nullptr;
            for (QAbstractButton *candidate : modal->findChildren<QAbstractButton *>())
                button = button ? button : (candidate->text() == text ? candidate : nullptr);
            if (!button)
                qFatal("no button %s", qPrintable(text));
            button->click();
        };
    }

    // Pages of the one saved file by pdfinfo; -1 unless exactly one file was saved.
    int savedPdfPages() const
    {
        const QStringList files = savedFiles();
        if (files.size() != 1)
            return -1;
        QProcess pdfinfo;
        pdfinfo.start(QStringLiteral("pdfinfo"), { saveFolder->filePath(files.first()) });
        pdfinfo.waitForFinished(10000);
        const QString info = QString::fromUtf8(pdfinfo.readAllStandardOutput());
        return QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info).captured(1).toInt();
    }

private slots:
    void init()
    {
        answerer.reset(); // before the window it answers for
        window.reset();
        // A test that chose English leaves the next one the Chinese source texts.
        qDeleteAll(QCoreApplication::instance()->findChildren<QTranslator *>());
        settings.clear();
        stacked = 0;
        QVERIFY(sane.isValid() && sane.writeTestConf(SaneTestConfig::defaultTestConf()));
        saveFolder = std::make_unique<QTemporaryDir>();
        AppSettings::savePath.write(settings.store(), saveFolder->path());
        AppSettings::resolution.write(settings.store(), QStringLiteral("75"));
        AppSettings::saveFormat.write(settings.store(), QStringLiteral("PDF"));
        answerer = std::make_unique<ModalAnswerer>();
    }

    // A preview shows the whole glass in the view and adds no page; a selection
    // on it makes "页面大小" read "自定义" and the next scan covers just it.
    void previewThenScanTheSelection()
    {
        AppSettings::resolution.write(settings.store(), QStringLiteral("150"));
        open();
        click("previewButton");
        auto *view = the<QScrollArea>("imageScrollArea");
        QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<ScanAreaSelector *>(view->widget()), 30000);
        auto *selector = qobject_cast<ScanAreaSelector *>(view->widget());
        QCOMPARE(pages(), 0);
        QTRY_VERIFY(!scanning());
        QVERIFY(qAbs(selector->bedSize().width() - 200) < 1);

        selector->setSelection(QRectF(20, 30, 105, 148));
        auto *sizes = the<QComboBox>("pageSizeCombo");
        QCOMPARE(sizes->currentText(), QStringLiteral("自定义"));
        click("scanButton");
        QTRY_COMPARE_WITH_TIMEOUT(pages(), 1, 30000);
        const QImage page = the<DocumentManager>("documentManager")->page(0);
        QVERIFY(qAbs(page.width() - 620) <= 7);
        QVERIFY(qAbs(page.height() - 874) <= 9);
        QVERIFY(view->widget() != selector);

        // The selection belongs to the flatbed: a feeder has none and no preview,
        // and going back brings it again.
        auto *sources = the<QComboBox>("paperSourceCombo");
        sources->setCurrentIndex(sources->findText(QStringLiteral("自动进纸器")));
        QVERIFY(!selector->hasSelection());
        QVERIFY(!the<QPushButton>("previewButton")->isEnabled());
        sources->setCurrentIndex(sources->findText(QStringLiteral("平板")));
        QCOMPARE(selector->selection(), QRectF(20, 30, 105, 148));
        QCOMPARE(sizes->currentText(), QStringLiteral("自定义"));

        click("clearSelectionButton");
        QVERIFY(!selector->hasSelection());
        QCOMPARE(sizes->currentText(), QStringLiteral("A4"));
        sources->setCurrentIndex(sources->findText(QStringLiteral("自动进纸器")));
        sources->setCurrentIndex(sources->findText(QStringLiteral("平板")));
        QVERIFY(!selector->hasSelection());
    }

    // A network scanner's preview is its whole platen at its lowest resolution;
    // the selection on it is the region of the scan that follows (A5 in 1/300 in).
    void esclPreviewThenScanTheSelection()
    {
        EsclTestServer server;
        QVERIFY(server.start());
        server.setStanding("GET", "/eSCL/ScannerCapabilities",
            EsclTestServer::Response::text(EsclTestServer::capabilitiesXml(QSize(2550, 3508), { 75, 300 }, false)));
        for (const QByteArray job : { "1", "2" }) {
            const QByteArray path = "/eSCL/ScanJobs/" + job;
            server.enqueue("POST", "/eSCL/ScanJobs", EsclTestServer::Response::created(path));
            const QSize size = job == "1" ? QSize(638, 877) : QSize(175, 248);
            server.enqueue("GET", path + "/NextDocument",
                EsclTestServer::Response::document(EsclTestServer::encodedPage(size, "jpeg", Qt::white)));
            server.enqueue("GET", path + "/NextDocument", EsclTestServer::Response::withStatus(404));
            server.setStanding("DELETE", path, EsclTestServer::Response::withStatus(200));
        }
        openOnEscl(server.baseUrl());
        click("previewButton");
        window->findChild<EsclPreview *>()->client()->setIntervals({ 30, 20, 20 });
        auto *view = the<QScrollArea>("imageScrollArea");
        QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<ScanAreaSelector *>(view->widget()), 10000);
        auto *selector = qobject_cast<ScanAreaSelector *>(view->widget());
        QCOMPARE(pages(), 0);
        QVERIFY(qAbs(selector->bedSize().width() - 216) < 1);

        selector->setSelection(QRectF(0, 0, 148, 210));
        click("scanButton");
        window->findChild<ESCLScanner *>(QString(), Qt::FindDirectChildrenOnly)->setIntervals({ 30, 20, 20 });
        QTRY_COMPARE_WITH_TIMEOUT(pages(), 1, 10000);
        QStringList jobs;
        for (const EsclTestServer::Request &request : server.requests()) {
            if (request.method == "POST")
                jobs << QString::fromUtf8(request.body);
        }
        QCOMPARE(jobs.size(), 2);
        QVERIFY2(jobs.at(0).contains(QLatin1String("<scan:XResolution>75<"))
                && jobs.at(0).contains(QLatin1String("<pwg:Width>2550<")),
            qPrintable(jobs.at(0)));
        QVERIFY2(jobs.at(1).contains(QLatin1String("<pwg:Width>1748<"))
                && jobs.at(1).contains(QLatin1String("<pwg:Height>2480<")),
            qPrintable(jobs.at(1)));
    }

    void scanFromSane_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<bool>("skipBlank");
        QTest::addColumn<int>("kept");
        QTest::newRow("png") << QStringLiteral("平板") << QByteArray("Color pattern") << true << 1;
        QTest::newRow("white kept") << QStringLiteral("平板") << QByteArray("Solid white") << false << 1;
        QTest::newRow("white skipped") << QStringLiteral("平板") << QByteArray("Solid white") << true << 0;
        QTest::newRow("feeder pdf") << QStringLiteral("自动进纸器") << QByteArray("Solid black") << false << 10;
    }

    // A flatbed page reaches the document, the list and one PNG, or is skipped; ten sheets make one PDF.
    void scanFromSane()
    {
        QFETCH(QString, source);
        QFETCH(QByteArray, picture);
        QFETCH(bool, skipBlank);
        QFETCH(int, kept);
        QVERIFY(sane.writeTestConf(SaneTestConfig::defaultTestConf() + "test-picture \"" + picture + "\"\n"));
        AppSettings::removeBlankPages.write(settings.store(), skipBlank);
        AppSettings::saveFormat.write(settings.store(), QString(kept == 1 ? "PNG" : "PDF"));
        open();
        auto *sources = the<QComboBox>("paperSourceCombo");
        sources->setCurrentIndex(sources->findText(source));
        auto *progress = the<QProgressBar>("progressBar");
        click("scanButton");
        QVERIFY(progress->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!progress->isVisible(), 60000);
        // Saved without a box in the way.
        QTRY_COMPARE(savedFiles().size(), int(kept > 0));
        QVERIFY(answerer->seen().isEmpty());
        QCOMPARE(pages(), kept);
        QCOMPARE(the<QListWidget>("pageList")->count(), kept);
        const QStringList files = savedFiles();
        QCOMPARE(files.size(), int(kept > 0));
        if (kept == 1) {
            QVERIFY(files.first().endsWith(QLatin1String(".png")));
            QCOMPARE(QImage(saveFolder->filePath(files.first())).size(),
                the<DocumentManager>("documentManager")->page(0).size());
        } else if (kept > 1) {
            QCOMPARE(savedPdfPages(), kept);
        }
        QVERIFY(!scanning());
        QCOMPARE(stacked, 0);
    }

    // "黑白" gives a two-level page, whether or not the device has a two-level mode,
    // and whatever the interface language calls it.
    void blackAndWhiteScanIsTwoLevel_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Chinese") << false << QStringLiteral("黑白");
        QTest::newRow("English") << true << QStringLiteral("Black & white");
    }

    void blackAndWhiteScanIsTwoLevel()
    {
        QFETCH(bool, english);
        QFETCH(QString, shown);
        if (english)
            QVERIFY(InterfaceLanguage::install(InterfaceLanguage::Language::English));
        QVERIFY(sane.writeTestConf(SaneTestConfig::defaultTestConf() + "test-picture \"Color pattern\"\n"));
        AppSettings::autoSave.write(settings.store(), false);
        open();
        auto *modes = the<QComboBox>("colorModeCombo");
        modes->setCurrentIndex(modes->findText(shown));
        QCOMPARE(modes->currentIndex(), 2);
        click("scanButton");
        QTRY_COMPARE_WITH_TIMEOUT(pages(), 1, 60000);
        const QImage page = the<DocumentManager>("documentManager")->page(0);
        QCOMPARE(page.format(), QImage::Format_Mono);
        QCOMPARE(page.colorTable(), QVector<QRgb>({ qRgb(0, 0, 0), qRgb(255, 255, 255) }));
    }

    // A blank sheet inside a run leaves it scanning; the run is saved after the page-limit error's box.
    void scriptedRunSkipsABlankAndIsSavedAfterTheErrorBox()
    {
        AppSettings::removeBlankPages.write(settings.store(), true);
        open();
        answerer->handle([this](QWidget *modal) {
            emit controller()->multiPageScanFinished(999);
            press()(modal);
        });
        emit controller()->multiPageScanStarted();
        emit controller()->scanComplete(sheet(Qt::darkBlue));
        emit controller()->scanComplete(sheet(Qt::white));
        QTRY_VERIFY(!the<ScanSession>("scanSession")->isBusy());
        QCOMPARE(pages(), 1);
        QVERIFY(scanning());
        emit controller()->scanComplete(sheet(Qt::darkGreen));
        emit controller()->scanError(QStringLiteral("已达到最大页数限制 (999 页)，扫描停止"));
        QTRY_COMPARE(answerer->seen().size(), 1);
        QCOMPARE(answerer->seen().at(0), QStringLiteral("扫描错误|已达到最大页数限制 (999 页)，扫描停止"));
        QTRY_COMPARE(savedFiles().size(), 1);
        QCOMPARE(stacked, 0);
        QCOMPARE(pages(), 2);
        QVERIFY(!scanning());
        QCOMPARE(savedPdfPages(), 2);
    }

    // A run that fails without a finished signal does not swallow the next page.
    void failedRunLeavesNoRunBehind()
    {
        open();
        answerer->answer(QDialogButtonBox::Ok);
        emit controller()->multiPageScanStarted();
        emit controller()->scanError(QStringLiteral("ADF扫描失败，没有扫描到任何页面"));
        click("scanButton");
        QTRY_COMPARE_WITH_TIMEOUT(savedFiles().size(), 1, 20000);
        QCOMPARE(answerer->seen().size(), 1);
    }

    void cancelledSanePageEndsTheScan_data()
    {
        QTest::addColumn<bool>("byDeviceSwitch");
        QTest::newRow("scan button") << false;
        QTest::newRow("another device chosen") << true;
    }

    // A cancelled page reports nothing back; the window ends the scan itself and the next press scans.
    void cancelledSanePageEndsTheScan()
    {
        QFETCH(bool, byDeviceSwitch);
        QVERIFY(sane.writeTestConf(SaneTestConfig::defaultTestConf()
            + "read-limit true\nread-limit-size 4096\nread-delay true\nread-delay-duration 2000\n"));
        AppSettings::autoSave.write(settings.store(), false);
        AppSettings::resolution.write(settings.store(), QStringLiteral("300"));
        open();
        auto *progress = the<QProgressBar>("progressBar");
        answerer->answer(QDialogButtonBox::Ok);
        click("scanButton");
        QTRY_VERIFY_WITH_TIMEOUT(progress->value() > 0, 20000);
        if (byDeviceSwitch)
            the<QComboBox>("scannerCombo")->setCurrentIndex(1);
        else
            click("scanButton");
        QVERIFY(byDeviceSwitch || window->statusBar()->currentMessage() == QStringLiteral("扫描已取消"));
        QVERIFY(!progress->isVisible());
        QVERIFY(!scanning());
        click("scanButton");
        QTRY_COMPARE_WITH_TIMEOUT(pages(), 1, 30000);
        QTRY_VERIFY(!progress->isVisible());
        QVERIFY(answerer->seen().isEmpty());
    }

    void doubtfulPaperSensor_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("message");
        QTest::newRow("continue") << QStringLiteral("继续扫描") << QStringLiteral("强制启动ADF扫描...");
        QTest::newRow("cancel") << QStringLiteral("取消") << QStringLiteral("扫描已取消");
    }

    // Doubtful sensor: "继续扫描" does not feed the stack again, "取消" ends the run and silences its end.
    void doubtfulPaperSensor()
    {
        QFETCH(QString, answer);
        QFETCH(QString, message);
        const bool stillScanning = answer == QStringLiteral("继续扫描");
        open();
        QSignalSpy starts(controller(), &ScannerController::startScanWorker);
        answerer->handle(press(answer));
        emit controller()->multiPageScanStarted();
        emit controller()->adfStatusChanged(false);
        QCOMPARE(answerer->seen(), QStringList { QStringLiteral("输稿器纸张检测|程序未检测到输稿器中的纸张。") });
        QCOMPARE(scanning(), stillScanning);
        QCOMPARE(starts.count(), 0);
        QCOMPARE(window->statusBar()->currentMessage(), message);
        if (!stillScanning)
            emit controller()->multiPageScanFinished(0);
        QCOMPARE(window->statusBar()->currentMessage(), message);
    }

    // An eSCL feeder job is one scan until the client reports its end, and is saved once.
    void esclFeederJobIsSavedOnce()
    {
        EsclTestServer server;
        QVERIFY(server.start());
        server.enqueue("POST", "/eSCL/ScanJobs", EsclTestServer::Response::created("/eSCL/ScanJobs/7"));
        for (QColor colour : { QColor(Qt::darkRed), QColor(Qt::darkGreen), QColor(Qt::darkBlue) })
            server.enqueue("GET", "/eSCL/ScanJobs/7/NextDocument",
                EsclTestServer::Response::document(EsclTestServer::encodedPage(QSize(120, 170), "jpeg", colour)));
        server.enqueue("GET", "/eSCL/ScanJobs/7/NextDocument", EsclTestServer::Response::withStatus(404));
        server.setStanding("DELETE", "/eSCL/ScanJobs/7", EsclTestServer::Response::withStatus(200));
        startEsclFeederJob(server.baseUrl());
        QList<bool> scanningBefore; // a later page finds the job still one scan
        connect(the<DocumentManager>("documentManager"), &DocumentManager::pageAdded, this,
            [&](int index) { scanningBefore << (index > 0 && scanning()); });
        QTRY_COMPARE_WITH_TIMEOUT(savedFiles().size(), 1, 10000);
        QTRY_VERIFY(!scanning());
        QCOMPARE(pages(), 3);
        QCOMPARE(scanningBefore, QList<bool>({ false, true, true }));
        QCOMPARE(stacked, 0);
        QCOMPARE(savedPdfPages(), 3);
        QTRY_COMPARE(server.count("DELETE", "/eSCL/ScanJobs/7"), 1);
        QVERIFY(answerer->seen().isEmpty());
    }

    // Pressing "扫描" during an eSCL job cancels it and deletes the job on the scanner.
    void scanButtonCancelsAnEsclJob()
    {
        EsclTestServer server;
        QVERIFY(server.start());
        server.enqueue("POST", "/eSCL/ScanJobs", EsclTestServer::Response::created("/eSCL/ScanJobs/4"));
        auto slowPage = EsclTestServer::Response::document(EsclTestServer::encodedPage(QSize(120, 170), "jpeg"));
        slowPage.delayMs = 5000;
        server.setStanding("GET", "/eSCL/ScanJobs/4/NextDocument", slowPage);
        server.setStanding("DELETE", "/eSCL/ScanJobs/4", EsclTestServer::Response::withStatus(200));
        answerer->answer(QDialogButtonBox::Ok);
        startEsclFeederJob(server.baseUrl());
        QTRY_COMPARE_WITH_TIMEOUT(server.count("GET", "/eSCL/ScanJobs/4/NextDocument"), 1, 10000);
        click("scanButton");
        QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("扫描已取消"));
        QVERIFY(!scanning());
        QVERIFY(!the<QProgressBar>("progressBar")->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(server.count("DELETE", "/eSCL/ScanJobs/4"), 1, 10000);
        QCOMPARE(server.count("POST", "/eSCL/ScanJobs"), 1);
        QVERIFY(answerer->seen().isEmpty());
        QCOMPARE(pages(), 0);
    }

    // 3 s countdown, two sheets not saved one by one, then the save offer and the auto-save check restored.
    void delayScanTwoSheets()
    {
        open();
        auto *autoSave = the<QCheckBox>("autoSaveCheck");
        QVERIFY(autoSave->isChecked());
        QSignalSpy messages(window->statusBar(), &QStatusBar::messageChanged);
        answerer->handle([](QWidget *modal) {
            auto *interval = modal->findChild<QComboBox *>(QStringLiteral("delayIntervalCombo"));
            interval->setCurrentIndex(interval->findData(3));
            modal->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        answerer->answer(QDialogButtonBox::Yes);
        answerer->answer(QDialogButtonBox::Cancel);
        click("delayScanButton");
        QVERIFY(!autoSave->isChecked());
        QTRY_COMPARE_WITH_TIMEOUT(pages(), 2, 30000);
        click("finishDelayScanButton");
        const int two = messages.indexOf({ QStringLiteral("延时扫描倒计时: 2 秒... (已扫描 0 张)") });
        QVERIFY(two >= 0);
        QVERIFY(messages.indexOf({ QStringLiteral("延时扫描倒计时: 1 秒... (已扫描 0 张)") }) > two);
        QTRY_COMPARE(answerer->seen().size(), 3);
        QCOMPARE(answerer->seen().at(1), QStringLiteral("延时扫描完成|延时扫描完成！共扫描 2 张图片。"));
        QVERIFY2(
            answerer->seen().at(2).startsWith(QStringLiteral("保存多页文档|")), qPrintable(answerer->seen().at(2)));
        QVERIFY(savedFiles().isEmpty());
        QVERIFY(autoSave->isChecked() && autoSave->isEnabled());
        QVERIFY(!the<QPushButton>("finishDelayScanButton")->isVisible());
    }
};

QTEST_MAIN(MainWindowScanTest)
#include "tst_mainwindow_scan.moc"
