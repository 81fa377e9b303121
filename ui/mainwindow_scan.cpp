// Scan control and the page pipeline, with the automatic-saving routines that
// adding a picture already uses.
#include "ui/mainwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QProgressBar>
#include <QSettings>
#include <QSlider>
#include <QStatusBar>

#include "document/documentmanager.h"
#include "escl/esclregistry.h"
#include "escl/esclscanner.h"
#include "scanner/optionvocabulary.h"
#include "scanner/scannercontroller.h"
#include "settings/appsettings.h"
#include "ui/autosaver.h"
#include "ui/savesummary.h"
#include "ui/recognisedpdfsave.h"
#include "ui/recognitionqueue.h"
#include "ui/commands/documenthistory.h"
#include "ui/deviceoptionlabels.h"
#include "ui/esclscanmapping.h"
#include "ui/pagecorrector.h"
#include "ui/scansettingspanel.h"

void MainWindow::onScanButtonClicked()
{
    const QString text = scannerCombo->currentText();
    if (DeviceOptionLabels::isPlaceholder(text)) {
        QMessageBox::warning(this, tr("扫描错误"), tr("未选择扫描仪"));
        return;
    }
    const bool escl = text.startsWith(QLatin1String("eSCL-"));
    if (session()->isScanning()) {
        // The running scan decides, not a device chosen meanwhile.
        const ScanSession::Kind kind = session()->kind();
        if (kind == ScanSession::Kind::EsclPlaten || kind == ScanSession::Kind::EsclFeeder) {
            cancelEsclScan();
        } else if (ensureScannerReady()) {
            cancelSaneScan();
        }
        return;
    }
    if (escl) {
        QSettings store = AppSettings::openStore();
        const QString url = EsclRegistry(store).esclUrlForDisplayName(text);
        if (url.isEmpty())
            QMessageBox::warning(this, tr("扫描错误"), tr("无法找到 eSCL 设备的 URL\n\n请尝试重新添加设备。"));
        else
            runESCLScan(url);
        return;
    }
    startSaneScan();
}

void MainWindow::cancelSaneScan()
{
    scannerController->cancelScan();
    // A single page that is cancelled reports nothing back; a feeder run ends
    // with its finished signal and keeps its pages.
    if (session()->kind() == ScanSession::Kind::SinglePage) {
        session()->cancel();
        syncScanState();
        endScanFeedback();
        statusBarWidget->showMessage(tr("扫描已取消"));
    }
}

void MainWindow::startSaneScan()
{
    if (!ensureScannerReady())
        return;
    const QString device = scannerController->currentScanner();
    if (device.isEmpty()) {
        QMessageBox::warning(this, tr("扫描错误"), tr("未选择扫描仪"));
        return;
    }
    // The controller reports the feeder's paper sensor from inside startScan;
    // the warning box waits until the scan request is on its way.
    const ScanSession::Hold hold(session());
    // A feeder scan is a run from the start: the button then waits for the
    // run's end instead of forgetting the sheets still on their way.
    session()->begin(OptionVocabulary::isFeederTarget(paperSourceCombo->currentData().toString())
            ? ScanSession::Kind::FeederRun
            : ScanSession::Kind::SinglePage,
        OptionVocabulary::isLineartRequest(colorModeCombo->currentData().toString()));
    syncScanState();
    updateStatusBar();
    statusBarWidget->showMessage(tr("正在扫描..."));
    startDeterminateProgress();
    scannerController->setScanRegion(currentScanArea());
    scannerController->startScan(device, colorModeCombo->currentData().toString(),
        resolutionCombo->currentText().toInt(), paperSourceCombo->currentData().toString(), QStringLiteral("Simplex"));
}

void MainWindow::onPreviewButtonClicked()
{
    if (scannerCombo->currentText().startsWith(QLatin1String("eSCL-"))) {
        QSettings store = AppSettings::openStore();
        const QString url = EsclRegistry(store).esclUrlForDisplayName(scannerCombo->currentText());
        if (url.isEmpty())
            statusBarWidget->showMessage(tr("无法找到 eSCL 设备的 URL，请尝试重新添加设备"), 5000);
        else
            startEsclPreview(url);
        return;
    }
    if (!ensureScannerReady())
        return;
    const ScanSession::Hold hold(session());
    session()->begin(ScanSession::Kind::SinglePage);
    syncScanState();
    updateStatusBar();
    statusBarWidget->showMessage(tr("正在预览..."));
    startDeterminateProgress();
    scannerController->startPreview(QString());
}

bool MainWindow::ensureScannerReady()
{
    if (scannerController && scannerController->isSaneInitialized())
        return true;
    if (!scannerController)
        createScannerController();
    if (scannerController && scannerController->isSaneInitialized())
        return true;
    statusBarWidget->showMessage(tr("正在初始化扫描仪，请稍候..."));
    startBusyProgress();
    if (scannerController)
        scannerController->initializeAsync();
    return false;
}

void MainWindow::runESCLScan(const QString &url)
{
    qDebug() << "使用 eSCL 扫描:" << url;
    releaseEsclClient();
    esclScanner = new ESCLScanner(url, this);
    const EsclScanMapping mapping(colorModeCombo->currentData().toString(), paperSourceCombo->currentData().toString());
    ESCLScanSettings settings;
    settings.colorMode = mapping.colorMode;
    settings.resolution = resolutionCombo->currentText().toInt();
    settings.inputSource = mapping.inputSource;
    settings.width = 2480;
    settings.height = 3507;
    settings.xOffset = 0;
    settings.yOffset = 0;
    applyEsclArea(&settings);
    qDebug() << "eSCL 扫描参数:";
    qDebug() << "  分辨率:" << settings.resolution;
    qDebug() << "  颜色模式:" << settings.colorMode;
    qDebug() << "  扫描源:" << (settings.inputSource == 0 ? "稿台" : "ADF");
    qDebug() << "  区域:" << settings.width << "x" << settings.height;

    session()->begin(settings.inputSource == 1 ? ScanSession::Kind::EsclFeeder : ScanSession::Kind::EsclPlaten,
        settings.colorMode == 2);
    syncScanState();
    // Queued: the client finishes its own callback (and sends its DELETE)
    // before a box of the pipeline can open a nested event loop.
    const quint64 job = session()->generation();
    connect(
        esclScanner, &ESCLScanner::pageScanned, this,
        [this, job](const QImage &image, int number) {
            handleEsclResult(job, [this, image, number]() { onEsclPageScanned(image, number); });
        },
        Qt::QueuedConnection);
    connect(
        esclScanner, &ESCLScanner::allPagesComplete, this,
        [this, job](int total) { handleEsclResult(job, [this, total]() { onEsclJobComplete(total); }); },
        Qt::QueuedConnection);
    connect(
        esclScanner, &ESCLScanner::scanError, this,
        [this, job](const QString &error) { handleEsclResult(job, [this, error]() { onEsclJobError(error); }); },
        Qt::QueuedConnection);
    connect(esclScanner, &ESCLScanner::scanProgress, this, &MainWindow::onScanProgress);
    updateStatusBar();
    statusBarWidget->showMessage(tr("正在扫描..."));
    startBusyProgress();
    esclScanner->startScan(settings);
}

void MainWindow::cancelEsclScan()
{
    qDebug() << "取消 eSCL 扫描";
    if (esclScanner) {
        // Cancelling reports itself as an error; the user asked for it, so no box.
        disconnect(esclScanner, nullptr, this, nullptr);
        esclScanner->cancelScan();
        releaseEsclClient();
    }
    // The pages a feeder job delivered stay in the document; they are not
    // saved as a run the user broke off.
    session()->finishRun();
    syncScanState();
    updateStatusBar();
    statusBarWidget->showMessage(tr("扫描已取消"));
    endProgress();
}

void MainWindow::releaseEsclClient()
{
    ESCLScanner *client = esclScanner;
    esclScanner = nullptr;
    if (!client)
        return;
    disconnect(client, nullptr, this, nullptr);
    client->deleteWhenIdle();
}

void MainWindow::handleEsclResult(quint64 job, const std::function<void()> &handler)
{
    if (deferScanResult([this, job, handler]() { handleEsclResult(job, handler); }))
        return;
    // Results of a job that was cancelled or replaced meanwhile are dropped.
    if (job == session()->generation())
        handler();
}

void MainWindow::onEsclPageScanned(const QImage &image, int pageNumber)
{
    qDebug() << "收到第" << pageNumber << "页";
    scanPage(image, tr("已扫描第 %1 页...").arg(pageNumber));
}

void MainWindow::onEsclJobComplete(int totalPages)
{
    const ScanSession::Hold hold(session());
    qDebug() << "所有页面扫描完成，共" << totalPages << "页";
    releaseEsclClient();
    const QList<int> pages = session()->finishRun();
    syncScanState();
    updateStatusBar();
    endProgress();
    statusBarWidget->showMessage(tr("✅ 扫描完成！共 %1 页").arg(totalPages), 5000);
    if (autoSaveCheck->isChecked() && !pages.isEmpty())
        autoSaveMultiPage(pages);
}

void MainWindow::onEsclJobError(const QString &error)
{
    const ScanSession::Hold hold(session());
    releaseEsclClient();
    // Pages a feeder job delivered before it failed are saved like a run that
    // ended, after the error has been shown.
    const QList<int> pages = session()->finishRun();
    showScanError(error);
    if (autoSaveCheck->isChecked() && !pages.isEmpty())
        autoSaveMultiPage(pages);
}

void MainWindow::onScanProgress(int percentage)
{
    // Busy mode (range 0-0) from an earlier wait would swallow the value.
    if (progressBar->maximum() == 0)
        progressBar->setRange(0, 100);
    progressBar->setValue(percentage);
}

void MainWindow::onScanComplete(const QImage &image)
{
    scanPage(image, QString());
}

void MainWindow::scanPage(const QImage &image, const QString &doneMessage)
{
    if (deferScanResult([this, image, doneMessage]() { scanPage(image, doneMessage); }))
        return;
    if (correctBeforeShowing(image, doneMessage))
        return;
    testScannedPage(image, doneMessage);
}

void MainWindow::testScannedPage(const QImage &image, const QString &doneMessage)
{
    if (deferScanResult([this, image, doneMessage]() { testScannedPage(image, doneMessage); }))
        return;
    const ScanSession::BlankTest test = blankTest();
    if (!test.enabled || image.isNull()) {
        finishScannedPage(image, false, doneMessage);
        return;
    }
    // The blank test and showing the page take a turn of the event loop each:
    // together they would keep the window from painting for too long.
    const ScanSession::Hold hold(session());
    const bool blank = session()->isBlank(image, test);
    session()->continueAtNextTurn(
        [this, image, blank, doneMessage]() { finishScannedPage(image, blank, doneMessage); });
}

void MainWindow::finishScannedPage(const QImage &image, bool blank, const QString &doneMessage)
{
    const ScanSession::Hold hold(session());
    const ScanSession::PageResult result = session()->takeTestedPage(image, blank);
    if (result.next != ScanSession::Next::Nothing)
        session()->yieldTurn();
    syncScanState();
    switch (result.next) {
    case ScanSession::Next::Nothing:
        break;
    case ScanSession::Next::SkippedBlank:
    case ScanSession::Next::SkippedBlankInRun:
        qDebug() << "检测到空白页，已自动跳过";
        statusBarWidget->showMessage(tr("检测到空白页，已自动跳过"), 2000);
        if (result.endsScan) {
            endProgress();
            if (session()->delayActive())
                endDelayCycle(false);
        }
        break;
    case ScanSession::Next::DelayCycleEnd:
        showScannedPage(result.index);
        endDelayCycle(true);
        break;
    case ScanSession::Next::AddedOnly:
        showScannedPage(result.index);
        break;
    case ScanSession::Next::Collected:
        showScannedPage(result.index);
        statusBarWidget->showMessage(tr("已扫描第 %1 页").arg(session()->collectedCount()), 2000);
        break;
    case ScanSession::Next::SaveSingle:
        showScannedPage(result.index);
        if (result.endsScan)
            endProgress();
        statusBarWidget->showMessage(tr("扫描完成"), 3000);
        autoSaveScannedImage(documentManager->page(result.index), result.index);
        if (panel->splitOriginalsCheck->isChecked())
            splitOriginals(result.index, false);
        break;
    }
    updateStatusBar();
    if (!doneMessage.isEmpty())
        statusBarWidget->showMessage(doneMessage);
}

void MainWindow::showScannedPage(int index)
{
    // Adding the page has already moved the list and the view to it when it is
    // the current one; otherwise the cursor follows, which shows it once.
    if (documentManager->currentPageIndex() != index)
        documentManager->setCurrentPage(index);
}

void MainWindow::onScanError(const QString &errorMessage)
{
    if (deferScanResult([this, errorMessage]() { onScanError(errorMessage); }))
        return;
    if (session()->isCancelled())
        return;
    const ScanSession::Hold hold(session());
    showScanError(errorMessage);
}

void MainWindow::showScanError(const QString &errorMessage)
{
    session()->stopScanning();
    syncScanState();
    endProgress();
    statusBarWidget->showMessage(tr("扫描错误"), 3000);
    QMessageBox::critical(this, tr("扫描错误"), errorMessage);
    updateStatusBar();
}

void MainWindow::onADFStatusChanged(bool hasDocument)
{
    if (deferScanResult([this, hasDocument]() { onADFStatusChanged(hasDocument); }))
        return;
    if (hasDocument) {
        statusBarWidget->showMessage(tr("检测到输稿器中有文档，准备扫描"), 3000);
        return;
    }
    statusBarWidget->showMessage(tr("未检测到输稿器中的文档（可能是传感器问题）"), 5000);
    if (session()->isScanning())
        onADFEmptyWarning();
}

void MainWindow::onADFEmptyWarning()
{
    if (deferScanResult([this]() { onADFEmptyWarning(); }))
        return;
    const ScanSession::Hold hold(session());
    QMessageBox box(this);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(tr("输稿器纸张检测"));
    box.setText(tr("程序未检测到输稿器中的纸张。"));
    box.setInformativeText(tr("这可能是因为：\n1. 输稿器中确实没有纸张\n2. 纸张传感器检测不准确\n3. "
                              "扫描仪不支持纸张检测\n\n请确认输稿器中已放置纸张，然后选择操作："));
    QPushButton *continueButton = box.addButton(tr("继续扫描"), QMessageBox::ActionRole);
    box.addButton(tr("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(continueButton);
    box.exec();
    if (box.clickedButton() == continueButton) {
        forceScanWithADF();
        return;
    }
    qDebug() << "用户取消ADF扫描";
    if (scannerController)
        scannerController->cancelScan();
    session()->cancel();
    syncScanState();
    endProgress();
    updateStatusBar();
    statusBarWidget->showMessage(tr("扫描已取消"), 3000);
}

void MainWindow::forceScanWithADF()
{
    if (!scannerController)
        return;
    // The controller goes on with a feeder scan after a doubtful paper sensor;
    // a second start would feed the stack twice.
    if (session()->isScanning()) {
        statusBarWidget->showMessage(tr("强制启动ADF扫描..."));
        return;
    }
    const QString name = scannerController->currentScanner();
    QString id = name;
    const int open = name.lastIndexOf(QLatin1Char('('));
    const int close = name.lastIndexOf(QLatin1Char(')'));
    if (open >= 0 && close > open)
        id = name.mid(open + 1, close - open - 1);
    if (id.isEmpty())
        return;
    session()->begin(
        ScanSession::Kind::FeederRun, OptionVocabulary::isLineartRequest(colorModeCombo->currentData().toString()));
    syncScanState();
    updateStatusBar();
    statusBarWidget->showMessage(tr("强制启动ADF扫描..."));
    startDeterminateProgress();
    emit scannerController->startScanWorker(id, colorModeCombo->currentData().toString(),
        resolutionCombo->currentText().toInt(), false, paperSourceCombo->currentData().toString(),
        QStringLiteral("Simplex"), 215.9, 279.4);
}

void MainWindow::onMultiPageScanStarted()
{
    if (deferScanResult([this]() { onMultiPageScanStarted(); }))
        return;
    if (session()->isCancelled())
        return;
    session()->beginFeederRun();
    syncScanState();
    statusBarWidget->showMessage(tr("开始多页扫描..."));
    qDebug() << "多页扫描开始";
}

void MainWindow::onCurrentPageScanning(int pageNumber)
{
    if (deferScanResult([this, pageNumber]() { onCurrentPageScanning(pageNumber); }))
        return;
    if (session()->isCancelled())
        return;
    statusBarWidget->showMessage(tr("正在扫描第 %1 页...").arg(pageNumber));
    qDebug() << "正在扫描第" << pageNumber << "页";
}

void MainWindow::onMultiPageScanFinished(int totalPages)
{
    if (deferScanResult([this, totalPages]() { onMultiPageScanFinished(totalPages); }))
        return;
    const ScanSession::Hold hold(session());
    const bool cancelled = session()->isCancelled();
    const QList<int> pages = session()->finishRun();
    syncScanState();
    endProgress();
    if (cancelled)
        return;
    statusBarWidget->showMessage(tr("多页扫描完成，共扫描 %1 页").arg(totalPages), 5000);
    qDebug() << "多页扫描完成，总页数:" << totalPages;
    if (autoSaveCheck->isChecked() && !pages.isEmpty())
        autoSaveMultiPage(pages);
    updateStatusBar();
}

ScanSession *MainWindow::session()
{
    if (!scanSession) {
        scanSession = new ScanSession(imageProcessor, documentManager, this);
        scanSession->setObjectName(QStringLiteral("scanSession"));
    }
    return scanSession;
}

ScanSession::BlankTest MainWindow::blankTest() const
{
    ScanSession::BlankTest test;
    test.enabled = removeBlankPagesEnabled;
    test.threshold = blankPageThreshold;
    test.ratioPercent = blankPageRatio;
    return test;
}

bool MainWindow::deferScanResult(std::function<void()> handler)
{
    // Nothing overtakes a page that is still being corrected.
    if (pageCorrector && pageCorrector->deferIfBusy(handler))
        return true;
    return session()->deferIfBusy(std::move(handler));
}

void MainWindow::syncScanState()
{
    const bool scanning = session()->isScanning();
    // Pages arrive while a scan runs; undo and redo wait for its end.
    if (scanning != isScanning)
        history->setBusy(scanning);
    isScanning = scanning;
}

void MainWindow::endScanFeedback()
{
    updateStatusBar();
    endProgress();
}

QString MainWindow::makeTimestampedFileName(const QString &ext) const
{
    return AutoSaver::timestampedFileName(savePathEdit->text(), ext, QDateTime::currentDateTime());
}

QString MainWindow::makePageFileName(const QString &ext, int page) const
{
    return AutoSaver::pageFileName(savePathEdit->text(), ext, page, QDateTime::currentDateTime());
}

void MainWindow::autoSaveScannedImage(const QImage &image, int index)
{
    if (!autoSaveCheck || !autoSaveCheck->isChecked())
        return;
    const QString ext = saveFormatCombo->currentData().toString();
    const QString path = makeTimestampedFileName(ext);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (index >= 0 && ext == QLatin1String("pdf") && autoSavePdfWithText({ index }, path))
        return;
    const ImageFileWriter::PageDecorator textLayer
        = index >= 0 && ext == QLatin1String("pdf") ? textLayerFor({ index }) : ImageFileWriter::PageDecorator();
    if (saveImageToFile(image, path, textLayer)) {
        const QString saved
            = tr("已自动保存为 %1 格式到: %2").arg(saveFormatCombo->currentText(), QFileInfo(path).fileName());
        statusBarWidget->showMessage(saved, 5000);
        showSavedNotice(saved, path);
        updateAutoSaveCounter();
    } else {
        // The page stays in the document; the scan goes on, and the message stays until replaced.
        statusBarWidget->showMessage(tr("无法自动保存扫描结果到: %1，请检查路径和权限设置").arg(path));
    }
}

bool MainWindow::autoSavePdfWithText(const QVector<int> &indices, const QString &path)
{
    if (!recognitionQueue->isEnabled())
        return false;
    QVector<PageId> pages;
    for (int index : indices)
        pages.append(documentManager->pageId(index));
    auto *save = new RecognisedPdfSave(documentManager, recognitionQueue, pages,
        { path, pages.size() > 1 ? tr("多页扫描文档") : QString(), automaticSaveOptions() }, this);
    connect(save, &RecognisedPdfSave::finished, this,
        [this](bool written, const QString &file, int pageCount, int withoutText) {
            if (!written) {
                statusBarWidget->showMessage(tr("无法保存多页PDF到: %1").arg(file));
                return;
            }
            const QString name = QFileInfo(file).fileName();
            const QString saved = withoutText > 0
                ? tr("已自动保存 %1 页为PDF: %2，其中 %3 页文字识别失败，保存时没有文字层")
                      .arg(pageCount)
                      .arg(name)
                      .arg(withoutText)
                : tr("已自动保存 %1 页为PDF: %2").arg(pageCount).arg(name);
            showSavedNotice(saved, file);
            statusBarWidget->showMessage(saved, withoutText > 0 ? 0 : 5000);
        });
    save->start();
    statusBarWidget->showMessage(tr("自动保存将在文字识别完成后写入: %1").arg(QFileInfo(path).fileName()), 3000);
    return true;
}

void MainWindow::autoSaveMultiPage(const QList<int> &pages)
{
    const QString ext = saveFormatCombo->currentData().toString();
    // A stack with a split rule becomes several PDFs named by the dock's pattern.
    if (ext == QLatin1String("pdf") && dockProfile().splitRule != SplitRule::None) {
        saveSplitDocuments(pages.toVector());
        return;
    }
    if (ext == QLatin1String("pdf")) {
        const QString path = makeTimestampedFileName(ext);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (autoSavePdfWithText(pages.toVector(), path))
            return;
        // The run's pages are read from the document one at a time while the PDF is
        // written: a long feeder run is never held in memory at once.
        const ImageFileWriter::PageDecorator textLayer = textLayerFor(pages.toVector());
        ImageFileWriter::PdfReport report;
        if (AutoSaver::writePdf(pages.size(), documentManager->pageProvider(pages.toVector()), path, tr("多页扫描文档"),
                automaticSaveOptions(), textLayer, &report)) {
            const QString saved = tr("已自动保存 %1 页为PDF: %2，%3")
                                      .arg(pages.size())
                                      .arg(QFileInfo(path).fileName(), SaveSummary::sizeText(report.bytes));
            statusBarWidget->showMessage(saved, 5000);
            showSavedNotice(saved, path);
        } else {
            statusBarWidget->showMessage(tr("无法保存多页PDF到: %1").arg(path));
        }
        return;
    }
    int saved = 0;
    QString lastPath;
    for (int i = 0; i < pages.size(); ++i) {
        const QString path = makePageFileName(ext, i + 1);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (saveImageToFile(documentManager->page(pages.at(i)), path)) {
            ++saved;
            lastPath = path;
        }
    }
    if (saved > 0) {
        const QString said = tr("已自动保存 %1 页为 %2 格式").arg(saved).arg(ext.toUpper());
        statusBarWidget->showMessage(said, 5000);
        showSavedNotice(said, lastPath);
        updateAutoSaveCounter();
    } else {
        statusBarWidget->showMessage(tr("多页自动保存失败：无法保存任何图像文件"));
    }
}

bool MainWindow::saveImageToFile(const QImage &image, const QString &path,
    const ImageFileWriter::PageDecorator &decorator, const QString &chosenFormat)
{
    const QString format
        = (chosenFormat.isEmpty() ? saveFormatCombo->currentData().toString() : chosenFormat).toUpper();
    // A PDF that cannot be written is a failure like any other format.
    if (!AutoSaver::writeImage(image, path, format, automaticSaveOptions(), decorator))
        return false;
    ++autoSaveCounter;
    QSettings store = AppSettings::openStore();
    AppSettings::saveCounter.write(store, autoSaveCounter);
    return true;
}

SaveOptions MainWindow::automaticSaveOptions() const
{
    // Nobody is there to be asked during a scan: a file over the size limit is
    // kept rather than a scanned page lost.
    SaveOptions options = panel->saveOptions();
    options.overLimit = SaveOptions::OverLimit::SaveAnyway;
    return options;
}

void MainWindow::updateAutoSaveCounter()
{
    const int count = AutoSaver::countFiles(savePathEdit->text(), saveFormatCombo->currentData().toString());
    statusBarWidget->showMessage(tr("已自动保存 %1 个文件").arg(count), 3000);
}
