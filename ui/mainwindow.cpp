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
#include "settings/version.h"
#include "ui/croppableimagewidget.h"
#include "ui/dialogs/layoutdialog.h"
#include "ui/pagecorrector.h"
#include "ui/pagelistwidget.h"
#include "ui/recognitionqueue.h"
#include "ui/undostore.h"

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    initQuirraResources();

    imageProcessor = new ImageProcessor(this);
    imageProcessor->setObjectName(QStringLiteral("imageProcessor"));
    documentManager = new DocumentManager(this);
    documentManager->setObjectName(QStringLiteral("documentManager"));
    undoStore = new UndoStore(documentManager, this);
    recognitionQueue = new RecognitionQueue(documentManager, this);
    undoStore->setObjectName(QStringLiteral("undoStore"));
    delayTimer = new QTimer(this);
    delayTimer->setObjectName(QStringLiteral("delayTimer"));
    delayTimer->setInterval(1000);
    connect(delayTimer, &QTimer::timeout, this, &MainWindow::onDelayTimerTick);

    createToolBar();
    createStatusBar();
    createCentralView();
    createPagesDock();
    createScanSettingsDock();
    createConnections();

    loadSettings();
    updateWindowTitle();
    updateStatusBar();

    resize(1024, 768);

    QTimer::singleShot(0, this, [this]() {
        findDeviceButton->setEnabled(true);
        scannerCombo->addItem(tr("点击'查找设备'初始化扫描仪"), QVariant());
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
    saveSettings();
    delete scannerController;
    scannerController = nullptr;
    // The children outlive this body (the base class deletes them); nothing
    // they emit while being torn down may reach slots of a half-destroyed window.
    for (QObject *child : findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
    qDebug() << "主窗口已销毁";
}

void MainWindow::createToolBar()
{
    QToolBar *toolBar = new QToolBar(tr("主工具栏"), this);
    toolBar->setObjectName(QStringLiteral("mainToolBar"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    addToolBar(Qt::TopToolBarArea, toolBar);

    auto addAction = [this, toolBar](const QString &text, const char *icon, const QString &tip) {
        QAction *action = toolBar->addAction(QIcon(QString::fromLatin1(icon)), text);
        action->setToolTip(tip);
        action->setParent(this);
        return action;
    };

    // Ctrl+S is the standard Save key here, and an ambiguous shortcut fires
    // neither action: saving owns it, and the scan action keeps Ctrl+S only on
    // platforms whose Save key is a different one.
    const QKeySequence scanKey(Qt::CTRL | Qt::Key_S);
    QAction *scan = addAction(tr("扫描"), ":/icons/scan.svg", tr("开始/停止扫描 "));
    if (!QKeySequence::keyBindings(QKeySequence::Save).contains(scanKey))
        scan->setShortcut(scanKey);
    connect(scan, &QAction::triggered, this, &MainWindow::onScanButtonClicked);

    QAction *save = addAction(tr("保存"), ":/icons/save-single.svg", tr("保存当前图像"));
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, &MainWindow::onSaveCurrentImage);

    QAction *saveMulti = addAction(tr("多页保存"), ":/icons/save-multi.svg", tr("保存多页文档"));
    connect(saveMulti, &QAction::triggered, this, &MainWindow::onSaveMultiPageDocument);
    toolBar->addSeparator();

    connect(addAction(tr("左旋转"), ":/icons/rotate-left.svg", tr("向左旋转90度")), &QAction::triggered, this,
        &MainWindow::onRotateLeftClicked);
    connect(addAction(tr("右旋转"), ":/icons/rotate-right.svg", tr("向右旋转90度")), &QAction::triggered, this,
        &MainWindow::onRotateRightClicked);
    connect(addAction(tr("高级设置"), ":/icons/settings-gear.svg", tr("高级图像处理设置")), &QAction::triggered, this,
        &MainWindow::onAdvancedSettingsClicked);
    connect(addAction(tr("扫描设置"), ":/icons/scan-network.svg", tr("扫描仪搜索设置")), &QAction::triggered, this,
        &MainWindow::onScanSettingsClicked);
    connect(addAction(tr("界面布局"), ":/icons/layout-switch.svg", tr("切换界面布局")), &QAction::triggered, this,
        &MainWindow::onLayoutSettingsClicked);
    connect(addAction(tr("合并图片"), ":/icons/layout-columns.svg", tr("将选中的图片合并为一张")), &QAction::triggered,
        this, &MainWindow::onMergeImagesClicked);
    connect(addAction(tr("批注标记"), ":/icons/edit.svg", tr("在图片上添加批注和标记")), &QAction::triggered, this,
        &MainWindow::onAnnotateImageClicked);

    QAction *crop = addAction(tr("裁剪"), ":/icons/crop.svg", tr("裁剪当前图像 (Ctrl+R)"));
    crop->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(crop, &QAction::triggered, this, &MainWindow::onCropClicked);

    connect(addAction(tr("删除"), ":/icons/delete.svg", tr("删除当前图像")), &QAction::triggered, this,
        &MainWindow::onDeleteToolClicked);
    connect(addAction(tr("清除"), ":/icons/clear-all.svg", tr("清除所有扫描图片")), &QAction::triggered, this,
        &MainWindow::onClearAllClicked);
    connect(addAction(tr("关于"), ":/icons/about.svg", tr("关于本软件")), &QAction::triggered, this,
        &MainWindow::onAboutClicked);

    createFileActions();
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
    setCentralWidget(scrollArea);
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

    QWidget *content = new QWidget(dock);
    QVBoxLayout *contentLayout = new QVBoxLayout(content);

    QWidget *groups = new QWidget(content);
    QVBoxLayout *groupsLayout = new QVBoxLayout(groups);
    groupsLayout->setContentsMargins(0, 0, 0, 0);

    QGroupBox *scannerGroup = new QGroupBox(tr("扫描仪"), groups);
    QVBoxLayout *scannerLayout = new QVBoxLayout(scannerGroup);
    scannerCombo = new QComboBox(scannerGroup);
    scannerCombo->setObjectName(QStringLiteral("scannerCombo"));
    scannerCombo->setToolTip(tr("选择要使用的扫描仪设备"));
    // Device names can be long; the dock must not grow with them.
    scannerCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    scannerCombo->setMinimumContentsLength(12);
    findDeviceButton = new QPushButton(tr("查找设备"), scannerGroup);
    findDeviceButton->setObjectName(QStringLiteral("findDeviceButton"));
    findDeviceButton->setToolTip(tr("查找可用的扫描仪设备"));
    findDeviceButton->setEnabled(false);
    scannerLayout->addWidget(scannerCombo);
    scannerLayout->addWidget(findDeviceButton);
    groupsLayout->addWidget(scannerGroup);

    QGroupBox *paramGroup = new QGroupBox(tr("扫描参数"), groups);
    QFormLayout *paramLayout = new QFormLayout(paramGroup);
    resolutionCombo = new QComboBox(paramGroup);
    resolutionCombo->setObjectName(QStringLiteral("resolutionCombo"));
    resolutionCombo->addItems({ QStringLiteral("75"), QStringLiteral("100"), QStringLiteral("150"),
        QStringLiteral("200"), QStringLiteral("300"), QStringLiteral("600"), QStringLiteral("1200") });
    resolutionCombo->setCurrentText(QStringLiteral("300"));
    resolutionCombo->setToolTip(tr("设置扫描分辨率(DPI) - 数值越大图像质量越高"));
    colorModeCombo = new QComboBox(paramGroup);
    colorModeCombo->setObjectName(QStringLiteral("colorModeCombo"));
    colorModeCombo->addItems({ tr("彩色"), tr("灰度") });
    colorModeCombo->setToolTip(tr("设置扫描颜色模式 - 彩色/灰度/黑白"));
    pageSizeCombo = new QComboBox(paramGroup);
    pageSizeCombo->setObjectName(QStringLiteral("pageSizeCombo"));
    pageSizeCombo->addItems(
        { QStringLiteral("A4"), QStringLiteral("A5"), QStringLiteral("Letter"), QStringLiteral("Legal") });
    pageSizeCombo->setToolTip(tr("设置扫描页面大小"));
    paperSourceCombo = new QComboBox(paramGroup);
    paperSourceCombo->setObjectName(QStringLiteral("paperSourceCombo"));
    paperSourceCombo->addItem(tr("平板"), QStringLiteral("Flatbed"));
    paperSourceCombo->addItem(tr("自动进纸器 (ADF)"), QStringLiteral("Feeder"));
    paperSourceCombo->setToolTip(tr("设置扫描纸张来源：平板或自动进纸器"));
    // Duplex is chosen by the device set-up, never by hand, so the box is kept
    // out of every layout.
    duplexCombo = new QComboBox(paramGroup);
    duplexCombo->setObjectName(QStringLiteral("duplexCombo"));
    duplexCombo->addItem(tr("单面"), QStringLiteral("Simplex"));
    duplexCombo->addItem(tr("双面"), QStringLiteral("Duplex"));
    duplexCombo->setToolTip(tr("设置双面扫描模式（仅支持双面扫描的设备有效）"));
    duplexCombo->setEnabled(false);
    duplexCombo->hide();
    paramLayout->addRow(tr("分辨率:"), resolutionCombo);
    paramLayout->addRow(tr("颜色模式:"), colorModeCombo);
    paramLayout->addRow(tr("页面大小:"), pageSizeCombo);
    paramLayout->addRow(tr("纸张来源:"), paperSourceCombo);
    groupsLayout->addWidget(paramGroup);

    QGroupBox *saveGroup = new QGroupBox(tr("保存设置"), groups);
    QVBoxLayout *saveLayout = new QVBoxLayout(saveGroup);
    QGroupBox *pathGroup = new QGroupBox(tr("保存路径"), saveGroup);
    QVBoxLayout *pathLayout = new QVBoxLayout(pathGroup);
    savePathEdit = new QLineEdit(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), pathGroup);
    savePathEdit->setObjectName(QStringLiteral("savePathEdit"));
    savePathEdit->setToolTip(tr("设置扫描文件的保存路径"));
    QPushButton *browseButton = new QPushButton(tr("选择保存文件夹..."), pathGroup);
    browseButton->setObjectName(QStringLiteral("browseButton"));
    browseButton->setToolTip(tr("选择保存扫描文件的文件夹"));
    connect(browseButton, &QPushButton::clicked, this, &MainWindow::chooseSaveFolder);
    pathLayout->addWidget(savePathEdit);
    pathLayout->addWidget(browseButton);
    saveLayout->addWidget(pathGroup);

    QGroupBox *formatGroup = new QGroupBox(tr("保存格式"), saveGroup);
    QFormLayout *formatLayout = new QFormLayout(formatGroup);
    saveFormatCombo = new QComboBox(formatGroup);
    saveFormatCombo->setObjectName(QStringLiteral("saveFormatCombo"));
    saveFormatCombo->addItem(QStringLiteral("PDF"), QStringLiteral("pdf"));
    saveFormatCombo->addItem(QStringLiteral("PNG"), QStringLiteral("png"));
    saveFormatCombo->addItem(QStringLiteral("JPEG"), QStringLiteral("jpg"));
    saveFormatCombo->addItem(QStringLiteral("BMP"), QStringLiteral("bmp"));
    saveFormatCombo->addItem(QStringLiteral("TIFF"), QStringLiteral("tiff"));
    saveFormatCombo->setToolTip(tr("选择输出文件格式"));
    jpegQualitySlider = new QSlider(Qt::Horizontal, formatGroup);
    jpegQualitySlider->setObjectName(QStringLiteral("jpegQualitySlider"));
    jpegQualitySlider->setRange(50, 100);
    jpegQualitySlider->setValue(90);
    jpegQualitySlider->setTickInterval(10);
    jpegQualitySlider->setTickPosition(QSlider::TicksBelow);
    jpegQualitySlider->setToolTip(tr("设置JPEG图像质量 (50-100)"));
    formatLayout->addRow(tr("文件格式:"), saveFormatCombo);
    formatLayout->addRow(tr("JPEG质量:"), jpegQualitySlider);
    saveLayout->addWidget(formatGroup);

    removeBlankPagesCheck = new QCheckBox(tr("自动删除空白页"), saveGroup);
    removeBlankPagesCheck->setObjectName(QStringLiteral("removeBlankPagesCheck"));
    removeBlankPagesCheck->setChecked(removeBlankPagesEnabled);
    removeBlankPagesCheck->setToolTip(tr("启用后，扫描过程中检测到空白页将自动跳过"));
    connect(removeBlankPagesCheck, &QCheckBox::toggled, this, &MainWindow::onRemoveBlankPagesToggled);
    autoSaveCheck = new QCheckBox(tr("扫描后自动保存"), saveGroup);
    autoSaveCheck->setObjectName(QStringLiteral("autoSaveCheck"));
    autoSaveCheck->setChecked(true);
    autoSaveCheck->setToolTip(tr("启用后，扫描完成后自动保存图像"));
    saveLayout->addWidget(removeBlankPagesCheck);
    saveLayout->addWidget(autoSaveCheck);
    createAutoCorrectChecks(saveGroup, saveLayout);
    createRecognitionControls(saveGroup, saveLayout);
    saveLayout->addStretch();
    groupsLayout->addWidget(saveGroup);
    groupsLayout->addStretch();
    // The settings are taller than a 768-pixel screen leaves room for; they
    // scroll, and the scan buttons below them stay in view.
    QScrollArea *groupsScroll = new QScrollArea(content);
    groupsScroll->setObjectName(QStringLiteral("scanSettingsScroll"));
    groupsScroll->setFrameShape(QFrame::NoFrame);
    groupsScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    groupsScroll->setWidgetResizable(true);
    groupsScroll->setWidget(groups);
    groupsScroll->setMinimumWidth(groups->minimumSizeHint().width() + 16);
    contentLayout->addWidget(groupsScroll);

    QWidget *buttons = new QWidget(content);
    QHBoxLayout *buttonLayout = new QHBoxLayout(buttons);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    QPushButton *delayButton = new QPushButton(tr("延时扫描"), buttons);
    delayButton->setObjectName(QStringLiteral("delayScanButton"));
    delayButton->setToolTip(tr("循环延时扫描，适合平板扫描仪多张扫描"));
    connect(delayButton, &QPushButton::clicked, this, &MainWindow::onDelayScanButtonClicked);
    QPushButton *scanButton = new QPushButton(tr("扫描"), buttons);
    scanButton->setObjectName(QStringLiteral("scanButton"));
    scanButton->setToolTip(tr("执行完整扫描"));
    connect(scanButton, &QPushButton::clicked, this, &MainWindow::onScanButtonClicked);
    finishDelayScanButton = new QPushButton(tr("扫描完成"), buttons);
    finishDelayScanButton->setObjectName(QStringLiteral("finishDelayScanButton"));
    finishDelayScanButton->setToolTip(tr("结束延时扫描模式并保存"));
    finishDelayScanButton->setStyleSheet(
        QStringLiteral("QPushButton { background-color: #4CAF50; color: white; font-weight: bold; }"));
    finishDelayScanButton->hide();
    connect(finishDelayScanButton, &QPushButton::clicked, this, &MainWindow::onFinishDelayScanClicked);
    buttonLayout->addWidget(delayButton);
    buttonLayout->addWidget(scanButton);
    buttonLayout->addWidget(finishDelayScanButton);
    contentLayout->addWidget(buttons);

    dock->setWidget(content);
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
    connect(jpegQualitySlider, &QSlider::valueChanged, documentManager, &DocumentManager::setJpegQuality);
    documentManager->setJpegQuality(jpegQualitySlider->value());
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

    // Both docks beside an 800 x 600 view do not fit the 1024 x 768 window
    // the application opens with; the view keeps a smaller minimum instead.
    scrollArea->setMinimumSize(400, 300);
    pagesDock->show();
    scanSettingsDock()->show();
}

void MainWindow::onPageSizeChosen(int index)
{
    const QString text = pageSizeCombo->itemText(index);
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

void MainWindow::chooseSaveFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, tr("选择保存路径"),
        existingStartFolder(savePathEdit->text()), QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (!folder.isEmpty())
        savePathEdit->setText(folder);
}

// File dialogs given a folder that does not exist open somewhere else with the
// folder's name typed in as a file name; start in its nearest existing parent.
QString MainWindow::existingStartFolder(const QString &folder)
{
    QString path = folder.isEmpty() ? QDir::homePath() : QDir(folder).absolutePath();
    while (!QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return QDir::homePath();
        path = parent;
    }
    return path;
}

void MainWindow::loadSettings()
{
    const QSettings store = AppSettings::openStore();
    restoreGeometry(AppSettings::geometry.read(store));
    restoreState(AppSettings::windowState.read(store));
    // A dock the user closed before the last exit comes back: without a menu
    // there would be no other way to reopen it.
    for (QDockWidget *dock : { pagesDock, scanSettingsDock() }) {
        dock->setFeatures(
            QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
        dock->show();
    }

    const QString storedScanner = AppSettings::lastScanner.read(store);
    if (!storedScanner.isEmpty()) {
        for (int i = 0; i < scannerCombo->count(); ++i) {
            if (scannerCombo->itemData(i).toString() == storedScanner) {
                scannerCombo->setCurrentIndex(i);
                break;
            }
        }
    }
    const int storedResolution = resolutionCombo->findText(AppSettings::resolution.read(store));
    if (storedResolution >= 0)
        resolutionCombo->setCurrentIndex(storedResolution);
    // An index from a damaged store would leave the box with no selection at all.
    const int storedColorMode = AppSettings::colorMode.read(store);
    if (storedColorMode >= 0 && storedColorMode < colorModeCombo->count())
        colorModeCombo->setCurrentIndex(storedColorMode);
    const int format = saveFormatCombo->findText(AppSettings::saveFormat.read(store));
    if (format >= 0)
        saveFormatCombo->setCurrentIndex(format);
    savePathEdit->setText(AppSettings::savePath.read(store));
    autoSaveCheck->setChecked(AppSettings::autoSave.read(store));
    autoSaveCounter = AppSettings::saveCounter.read(store);

    // Restoring a stored choice is not a user action: no message, no rewrite.
    removeBlankPagesEnabled = AppSettings::removeBlankPages.read(store);
    {
        const QSignalBlocker blocker(removeBlankPagesCheck);
        removeBlankPagesCheck->setChecked(removeBlankPagesEnabled);
    }
    blankPageThreshold = AppSettings::blankPageThreshold.read(store);
    blankPageRatio = AppSettings::blankPageRatio.read(store);
    searchMode = AppSettings::searchMode.read(store);
    textLanguageCombo->setCurrentIndex(qMax(0, textLanguageCombo->findData(AppSettings::textLanguages.read(store))));
    textRecognitionCheck->setChecked(AppSettings::textRecognition.read(store));
}

void MainWindow::saveSettings()
{
    QSettings store = AppSettings::openStore();
    AppSettings::geometry.write(store, saveGeometry());
    AppSettings::windowState.write(store, saveState());
    AppSettings::lastScanner.write(store, scannerCombo->currentData().toString());
    AppSettings::resolution.write(store, resolutionCombo->currentText());
    AppSettings::colorMode.write(store, colorModeCombo->currentIndex());
    AppSettings::saveFormat.write(store, saveFormatCombo->currentText());
    AppSettings::savePath.write(store, savePathEdit->text());
    AppSettings::autoSave.write(store, autoSaveCheck->isChecked());
    AppSettings::saveCounter.write(store, autoSaveCounter);
    AppSettings::removeBlankPages.write(store, removeBlankPagesEnabled);
    AppSettings::blankPageThreshold.write(store, blankPageThreshold);
    AppSettings::blankPageRatio.write(store, blankPageRatio);
    AppSettings::searchMode.write(store, searchMode);
    AppSettings::textRecognition.write(store, textRecognitionCheck->isChecked());
    AppSettings::textLanguages.write(store, textLanguageCombo->currentData().toString());
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
    if (maybeSave())
        event->accept();
    else
        event->ignore();
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
    if (!currentImage.isNull())
        displayImage(currentImage);
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
    QMessageBox::about(this, tr("关于Quirra"), text);
}

void MainWindow::onPreferencesClicked()
{
    QMessageBox::information(this, tr("首选项"), tr("首选项对话框尚未实现"), QMessageBox::Ok);
}

void MainWindow::onDeleteToolClicked()
{
    const int index = documentManager->currentPageIndex();
    if (index >= 0)
        documentManager->removePage(index);
}
