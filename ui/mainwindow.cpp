#include "ui/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDebug>
#include <QDialog>
#include <QDir>
#include <QDockWidget>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QMoveEvent>
#include <QScreen>
#include <QGuiApplication>
#include <QScrollArea>
#include <QSettings>
#include <QShowEvent>
#include <QSlider>
#include <QStandardPaths>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <chrono>
#include <iostream>

#include "document/documentmanager.h"
#include "document/pagestore.h"
#include "imaging/imageprocessor.h"
#include "resources/resources.h"
#include "scanner/scannercontroller.h"
#include "settings/appsettings.h"
#include "settings/scanprofilestore.h"
#include "settings/version.h"
#include "ui/commands/documenthistory.h"
#include "ui/croppableimagewidget.h"
#include "ui/deviceoptionlabels.h"
#include "ui/dialogs/layoutdialog.h"
#include "ui/dialogs/preferencesdialog.h"
#include "ui/pagecorrector.h"
#include "ui/pagelistwidget.h"
#include "ui/recognitionqueue.h"
#include "ui/savednotice.h"
#include "ui/scanareaselector.h"
#include "ui/scansettingspanel.h"
#include "ui/windowactions.h"

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    initQuirraResources();

    imageProcessor = new ImageProcessor(this);
    imageProcessor->setObjectName(QStringLiteral("imageProcessor"));
    documentManager = new DocumentManager(this);
    documentManager->setObjectName(QStringLiteral("documentManager"));
    history = new DocumentHistory(documentManager, this);
    history->setObjectName(QStringLiteral("documentHistory"));
    recognitionQueue = new RecognitionQueue(documentManager, this);
    delayTimer = new QTimer(this);
    delayTimer->setObjectName(QStringLiteral("delayTimer"));
    delayTimer->setInterval(1000);
    connect(delayTimer, &QTimer::timeout, this, &MainWindow::onDelayTimerTick);
    geometryTimer = new QTimer(this);
    geometryTimer->setSingleShot(true);
    geometryTimer->setInterval(500);
    connect(geometryTimer, &QTimer::timeout, this, &MainWindow::saveWindowGeometry);

    createActions();
    createStatusBar();
    createCentralView();
    createPagesDock();
    createScanSettingsDock();
    createConnections();
    createProfileSelector();

    loadSettings();
    updateWindowTitle();
    updateStatusBar();
    updateUndoActions();
    // The process entry places the window on the screen (placeOnScreen).
    resize(1024, 768);

    QTimer::singleShot(0, this, [this]() {
        findDeviceButton->setEnabled(true);
        scannerCombo->addItem(DeviceOptionLabels::notSearchedPlaceholder(), QVariant());
    });

    qDebug() << "主窗口已初始化";
}

MainWindow::~MainWindow()
{
    if (scannerController && isScanning) {
        scannerController->cancelScan();
        QCoreApplication::processEvents();
        QThread::msleep(100);
    }
    geometryTimer->stop();
    // The history gives its parked pages back to the document, which goes first
    // among the children.
    delete history;
    history = nullptr;
    delete scannerController;
    scannerController = nullptr;
    // The children outlive this body (the base class deletes them); nothing
    // they emit while being torn down may reach slots of a half-destroyed window.
    for (QObject *child : findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
    qDebug() << "主窗口已销毁";
}

void MainWindow::createActions()
{
    windowActions = new WindowActions(this);
    const struct
    {
        QAction *action;
        void (MainWindow::*slot)();
    } wiring[] = {
        { windowActions->openDocument, &MainWindow::onOpenDocument },
        { windowActions->addImages, &MainWindow::onAddImageFromFile },
        { windowActions->save, &MainWindow::onSaveCurrentImage },
        { windowActions->saveMulti, &MainWindow::onSaveMultiPageDocument },
        { windowActions->saveAs, &MainWindow::onSaveAsDocument },
        { windowActions->exportDocument, &MainWindow::onExportDocument },
        { windowActions->print, &MainWindow::onPrintClicked },
        { windowActions->sendMail, &MainWindow::onSendMailClicked },
        { windowActions->undo, &MainWindow::onUndoClicked },
        { windowActions->preferences, &MainWindow::onPreferencesClicked },
        { windowActions->redo, &MainWindow::onRedoClicked },
        { windowActions->rotateLeft, &MainWindow::onRotateLeftClicked },
        { windowActions->rotateRight, &MainWindow::onRotateRightClicked },
        { windowActions->crop, &MainWindow::onCropClicked },
        { windowActions->advanced, &MainWindow::onAdvancedSettingsClicked },
        { windowActions->annotate, &MainWindow::onAnnotateImageClicked },
        { windowActions->merge, &MainWindow::onMergeImagesClicked },
        { windowActions->splitLeftRight, &MainWindow::onSplitImageHorizontal },
        { windowActions->splitTopBottom, &MainWindow::onSplitImageVertical },
        { windowActions->moveUp, &MainWindow::onMovePageUp },
        { windowActions->moveDown, &MainWindow::onMovePageDown },
        { windowActions->deletePages, &MainWindow::onDeleteCurrentPage },
        { windowActions->clearAll, &MainWindow::onClearAllClicked },
        { windowActions->layout, &MainWindow::onLayoutSettingsClicked },
        { windowActions->scan, &MainWindow::onScanButtonClicked },
        { windowActions->delayScan, &MainWindow::onDelayScanButtonClicked },
        { windowActions->findDevices, &MainWindow::searchScanners },
        { windowActions->scanSettings, &MainWindow::onScanSettingsClicked },
        { windowActions->about, &MainWindow::onAboutClicked },
    };
    for (const auto &entry : wiring)
        connect(entry.action, &QAction::triggered, this, entry.slot);
    connect(windowActions->quit, &QAction::triggered, this, &QWidget::close);
    connect(windowActions->previousPage, &QAction::triggered, this,
        [this]() { goToPage(documentManager->currentPageIndex() - 1); });
    connect(windowActions->nextPage, &QAction::triggered, this,
        [this]() { goToPage(documentManager->currentPageIndex() + 1); });
    connect(windowActions->firstPage, &QAction::triggered, this, [this]() { goToPage(0); });
    connect(
        windowActions->lastPage, &QAction::triggered, this, [this]() { goToPage(documentManager->pageCount() - 1); });
    connect(history, &DocumentHistory::changed, this, &MainWindow::updateUndoActions);
    connect(history, &DocumentHistory::stepFailed, this,
        [this]() { QMessageBox::warning(this, tr("无法撤销"), tr("无法从页面缓存取回这一步的页面，文档保持不变。")); });
}

void MainWindow::updateUndoActions()
{
    windowActions->undo->setEnabled(history->canUndo());
    windowActions->redo->setEnabled(history->canRedo());
    windowActions->setUndoText(history->undoText());
    windowActions->setRedoText(history->redoText());
}

void MainWindow::goToPage(int index)
{
    if (index >= 0 && index < documentManager->pageCount())
        documentManager->setCurrentPage(index);
}

void MainWindow::createStatusBar()
{
    statusBarWidget = statusBar();
    statusBarWidget->showMessage(tr("就绪"));
    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setRange(0, 100);
    progressBar->setTextVisible(true);
    progressBar->setFixedWidth(150);
    progressBar->hide();
    statusBarWidget->addPermanentWidget(progressBar);
    // Where a saved file went, with its folder a click away; it blocks nothing.
    savedNotice = new SavedNotice(this);
    savedNotice->setObjectName(QStringLiteral("savedNotice"));
    statusBarWidget->addPermanentWidget(savedNotice);
}

void MainWindow::createCentralView()
{
    imageWidget = new CroppableImageWidget(this);
    imageWidget->setObjectName(QStringLiteral("imageWidget"));
    imageWidget->setBackgroundRole(QPalette::Base);
    imageWidget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    imageWidget->setScaledContents(false);
    imageWidget->setAlignment(Qt::AlignCenter);
    imageWidget->setMinimumSize(1, 1);

    scrollArea = new QScrollArea(this);
    scrollArea->setObjectName(QStringLiteral("imageScrollArea"));
    scrollArea->setBackgroundRole(QPalette::Dark);
    scrollArea->setWidget(imageWidget);
    scrollArea->setWidgetResizable(true);
    scrollArea->setAlignment(Qt::AlignCenter);
    setCentralWidget(scrollArea);

    connect(windowActions->zoomIn, &QAction::triggered, imageWidget, &CroppableImageWidget::zoomIn);
    connect(windowActions->zoomOut, &QAction::triggered, imageWidget, &CroppableImageWidget::zoomOut);
    connect(windowActions->fitToWindow, &QAction::triggered, imageWidget, &CroppableImageWidget::fitToView);
    connect(windowActions->actualSize, &QAction::triggered, imageWidget, [this]() { imageWidget->setZoom(1.0); });
    connect(imageWidget, &CroppableImageWidget::zoomChanged, this,
        [this](double scale) { statusBarWidget->showMessage(tr("缩放: %1%").arg(qRound(scale * 100)), 2000); });
}

void MainWindow::createPagesDock()
{
    pagesDock = new QDockWidget(tr("页面"), this);
    pagesDock->setObjectName(QStringLiteral("pagesDock"));
    pagesDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    pagesDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);

    pageList = new PageListWidget(pagesDock);
    pageList->setObjectName(QStringLiteral("pageList"));
    pageList->setViewMode(QListView::IconMode);
    pageList->setIconSize(QSize(80, 80));
    pageList->setResizeMode(QListView::Adjust);
    pageList->setDragDropMode(QAbstractItemView::InternalMove);
    pageList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    pageList->setContextMenuPolicy(Qt::CustomContextMenu);
    pagesDock->setWidget(pageList);
    addDockWidget(Qt::LeftDockWidgetArea, pagesDock);
}

void MainWindow::createScanSettingsDock()
{
    QDockWidget *dock = new QDockWidget(QString(), this);
    dock->setObjectName(QStringLiteral("scanSettingsDock"));
    dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    panel = new ScanSettingsPanel(dock);
    scannerCombo = panel->scannerCombo;
    findDeviceButton = panel->findDeviceButton;
    resolutionCombo = panel->resolutionCombo;
    colorModeCombo = panel->colorModeCombo;
    pageSizeCombo = panel->pageSizeCombo;
    paperSourceCombo = panel->paperSourceCombo;
    duplexCombo = panel->duplexCombo;
    savePathEdit = panel->savePathEdit;
    saveFormatCombo = panel->saveFormatCombo;
    jpegQualitySlider = panel->jpegQualitySlider;
    autoSaveCheck = panel->autoSaveCheck;
    removeBlankPagesCheck = panel->removeBlankPagesCheck;
    autoDeskewCheck = panel->autoDeskewCheck;
    autoCropCheck = panel->autoCropCheck;
    autoOrientCheck = panel->autoOrientCheck;
    textRecognitionCheck = panel->textRecognitionCheck;
    textLanguageCombo = panel->textLanguageCombo;
    finishDelayScanButton = panel->finishDelayScanButton;
    connect(panel->delayScanButton, &QPushButton::clicked, this, &MainWindow::onDelayScanButtonClicked);
    connect(panel->scanButton, &QPushButton::clicked, this, &MainWindow::onScanButtonClicked);
    connect(finishDelayScanButton, &QPushButton::clicked, this, &MainWindow::onFinishDelayScanClicked);
    connect(removeBlankPagesCheck, &QCheckBox::toggled, this, &MainWindow::onRemoveBlankPagesToggled);
    connectRecognitionControls();
    dock->setWidget(panel);
    addDockWidget(Qt::RightDockWidgetArea, dock);
}

void MainWindow::createConnections()
{
    connect(findDeviceButton, &QPushButton::clicked, this, &MainWindow::searchScanners);
    connect(scannerCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &MainWindow::onScannerSelected);
    connect(imageProcessor, &ImageProcessor::processingProgress, this, &MainWindow::onScanProgress);
    connect(documentManager, &DocumentManager::pageAdded, this, &MainWindow::onPageAdded);
    connect(documentManager, &DocumentManager::pageRemoved, this, &MainWindow::onPageRemoved);
    connect(documentManager, &DocumentManager::pageMoved, this, &MainWindow::onPageMoved);
    connect(documentManager, &DocumentManager::currentPageChanged, this, &MainWindow::onCurrentPageChanged);
    connect(documentManager, &DocumentManager::documentChanged, this, &MainWindow::updateWindowTitle);
    // A save or load clears the modified mark without a documentChanged; the
    // title must not keep claiming unsaved changes.
    connect(documentManager, &DocumentManager::documentSaved, this, &MainWindow::updateWindowTitle);
    connect(documentManager, &DocumentManager::documentSaved, this, &MainWindow::onDocumentSaved);
    connect(panel, &ScanSettingsPanel::saveOptionsChanged, this,
        [this]() { documentManager->setSaveOptions(panel->saveOptions()); });
    connect(documentManager, &DocumentManager::documentLoaded, this, &MainWindow::updateWindowTitle);
    connect(documentManager, &DocumentManager::documentError, this, &MainWindow::showDocumentError);
    // Scanning goes on with the page in memory; the user is told once.
    connect(documentManager->pageStore(), &PageStore::writeFailed, this,
        [this]() { statusBarWidget->showMessage(tr("页面缓存写入失败，页面仅保存在内存中"), 5000); });
    connect(imageWidget, &CroppableImageWidget::cropCompleted, this, &MainWindow::onCropCompleted);
    connect(imageWidget, &CroppableImageWidget::cropCancelled, this, &MainWindow::onCropCancelled);
    connect(pageList, &QListWidget::currentRowChanged, this, &MainWindow::onPageSelected);
    connect(pageList, &QWidget::customContextMenuRequested, this, &MainWindow::showPagesListContextMenu);
    connect(pageList, &PageListWidget::pagesDropped, this, &MainWindow::onPagesDropped);
    connectImporter();
    connect(pageSizeCombo, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        if (scannerController)
            scannerController->setPageSize(text);
    });
    connect(pageSizeCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &MainWindow::onPageSizeChosen);
    connect(panel->previewButton, &QPushButton::clicked, this, &MainWindow::onPreviewButtonClicked);
    // The selection made on a preview comes back with its device and source.
    connect(scannerCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &MainWindow::recallScanArea);
    connect(paperSourceCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &MainWindow::recallScanArea);
    connect(panel->clearSelectionButton, &QPushButton::clicked, this, &MainWindow::onClearSelectionClicked);

    // Both docks beside an 800 x 600 view do not fit the 1024 x 768 window
    // the application opens with; the view keeps a smaller minimum instead.
    scrollArea->setMinimumSize(400, 300);
    pagesDock->show();
    scanSettingsDock()->show();
}

void MainWindow::onPageSizeChosen(int index)
{
    const QString text = pageSizeCombo->itemText(index);
    // Choosing a listed size ends the preview's selection.
    if (text != ScanArea::customName() && areaSelector && areaSelector->hasSelection())
        areaSelector->clearSelection();
    if (scannerController)
        scannerController->setPageSize(text);
    statusBarWidget->showMessage(tr("页面大小已设置为: %1").arg(text), 2000);
}

void MainWindow::showDocumentError(const QString &message)
{
    QMessageBox::critical(this, tr("文档错误"), message, QMessageBox::Ok);
}

void MainWindow::startBusyProgress()
{
    progressBar->setRange(0, 0);
    progressBar->show();
}

void MainWindow::startDeterminateProgress()
{
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    progressBar->show();
}

void MainWindow::endProgress()
{
    progressBar->setRange(0, 100);
    progressBar->hide();
}

QDockWidget *MainWindow::scanSettingsDock() const
{
    return findChild<QDockWidget *>(QStringLiteral("scanSettingsDock"));
}

void MainWindow::loadSettings()
{
    const QSettings store = AppSettings::openStore();
    restoreState(AppSettings::windowState.read(store));
    // A dock the user closed before the last exit comes back: without a menu
    // there would be no other way to reopen it.
    for (QDockWidget *dock : { pagesDock, scanSettingsDock() }) {
        dock->setFeatures(
            QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
        dock->show();
    }
    autoSaveCounter = AppSettings::saveCounter.read(store);
    removeBlankPagesEnabled = removeBlankPagesCheck->isChecked();
    blankPageThreshold = AppSettings::blankPageThreshold.read(store);
    blankPageRatio = AppSettings::blankPageRatio.read(store);
    searchMode = AppSettings::searchMode.read(store);
    documentManager->setSaveOptions(panel->saveOptions());
    recognitionQueue->setLanguages(textLanguageCombo->currentData().toString());
    if (textRecognitionCheck->isChecked())
        onRecognitionToggled(true);
}

void MainWindow::placeOnScreen()
{
    const QSettings store = AppSettings::openStore();
    if (restoreGeometry(AppSettings::geometry.read(store)))
        return;
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize wanted = QSize(1280, 860).boundedTo(available.size() - QSize(40, 60));
    resize(wanted);
    move(available.center() - rect().center());
    if (available.width() < 1280 || available.height() < 800)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::saveWindowGeometry()
{
    QSettings store = AppSettings::openStore();
    AppSettings::geometry.write(store, saveGeometry());
    AppSettings::windowState.write(store, saveState());
}

void MainWindow::updateWindowTitle()
{
    QString title = documentManager->title();
    if (documentManager->isModified())
        title += QStringLiteral(" *");
    setWindowTitle(title + QStringLiteral(" - ") + tr("Quirra"));
}

void MainWindow::updateStatusBar()
{
    const int count = documentManager->pageCount();
    if (count == 0)
        statusBarWidget->showMessage(tr("就绪"));
    else
        statusBarWidget->showMessage(tr("页面 %1/%2").arg(documentManager->currentPageIndex() + 1).arg(count));
}

void MainWindow::displayImage(const QImage &image)
{
    if (!image.isNull())
        currentImage = image;
    showPreviewInView(false);
    imageWidget->setImage(image);
}

bool MainWindow::maybeSave()
{
    if (!documentManager->isModified())
        return true;
    const QMessageBox::StandardButton answer = QMessageBox::warning(this, tr("未保存的更改"),
        tr("文档包含未保存的更改。\n是否保存更改?"), QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Save) {
        onSaveDocument();
        return !documentManager->isModified();
    }
    return answer == QMessageBox::Discard;
}

qint64 MainWindow::elapsedSinceStart() const
{
    const qint64 now
        = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
              .count();
    return (now - startTime) / 1000000;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    finishCorrectedPages();
    if (maybeSave()) {
        saveWindowGeometry();
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::finishCorrectedPages()
{
    if (!pageCorrector || !pageCorrector->isBusy())
        return;
    // Scanned pages still being straightened, and the results waiting behind
    // them, belong to the document the user is about to be asked about; without
    // the wait they would go with the window.
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [this, &loop]() {
        if (!pageCorrector->isBusy() && !session()->isBusy() && session()->deferredCount() == 0)
            loop.quit();
    });
    poll.start(5);
    loop.exec();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    findDeviceButton->setEnabled(true);
    std::cout << "程序启动到主窗口完全显示耗时: " << elapsedSinceStart() << " 毫秒" << std::endl;
    updateStatusBar();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (isVisible())
        geometryTimer->start();
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    if (isVisible())
        geometryTimer->start();
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isVisible())
        geometryTimer->start();
}

void MainWindow::applyLayout1()
{
    QDockWidget *settingsDock = scanSettingsDock();
    if (!pagesDock || !settingsDock)
        return;
    removeDockWidget(pagesDock);
    removeDockWidget(settingsDock);
    addDockWidget(Qt::LeftDockWidgetArea, pagesDock);
    addDockWidget(Qt::RightDockWidgetArea, settingsDock);
    pagesDock->show();
    settingsDock->show();
    qDebug() << "已应用布局1：默认布局";
}

void MainWindow::applyLayout2()
{
    QDockWidget *settingsDock = scanSettingsDock();
    if (!pagesDock || !settingsDock)
        return;
    removeDockWidget(pagesDock);
    removeDockWidget(settingsDock);
    addDockWidget(Qt::RightDockWidgetArea, pagesDock);
    addDockWidget(Qt::LeftDockWidgetArea, settingsDock);
    pagesDock->show();
    settingsDock->show();
    qDebug() << "已应用布局2：反转布局";
}

void MainWindow::onLayoutSettingsClicked()
{
    LayoutDialog dialog(this);
    connect(&dialog, &LayoutDialog::defaultLayoutChosen, this, [this]() {
        applyLayout1();
        statusBarWidget->showMessage(tr("✓ 已切换到默认布局"), 3000);
    });
    connect(&dialog, &LayoutDialog::mirroredLayoutChosen, this, [this]() {
        applyLayout2();
        statusBarWidget->showMessage(tr("✓ 已切换到反转布局"), 3000);
    });
    connect(&dialog, &LayoutDialog::resetChosen, this, [this]() {
        applyLayout1();
        statusBarWidget->showMessage(tr("✓ 已恢复默认布局"), 3000);
    });
    dialog.exec();
}

void MainWindow::onAboutClicked()
{
    const QString text = tr("<div align=\"center\">"
                            "<img src=\":/icons/quirra.svg\" width=\"96\" height=\"96\">"
                            "<h2>Quirra</h2>"
                            "<p>版本: %1</p>"
                            "<p>基于 Qt %2 与 SANE 后端</p>"
                            "<p>一个简单的扫描工具，支持多种扫描仪设备。</p>"
                            "<p>本软件不提供任何的担保。</p>"
                            "<p>感谢所使用的开源软件。</p>"
                            "</div>")
                             .arg(QStringLiteral(QUIRRA_VERSION), QStringLiteral("5.15.8"));
    // The text shows the application icon; QMessageBox::about would add the
    // window's icon beside it a second time.
    QMessageBox box(QMessageBox::NoIcon, tr("关于Quirra"), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("aboutBox"));
    box.exec();
}

void MainWindow::onPreferencesClicked()
{
    PreferencesDialog dialog(AppSettings::interfaceLanguage.read(AppSettings::openStore()), this);
    connect(&dialog, &PreferencesDialog::languageChanged, this, [](const QString &language) {
        QSettings store = AppSettings::openStore();
        AppSettings::interfaceLanguage.write(store, language);
    });
    dialog.exec();
}
