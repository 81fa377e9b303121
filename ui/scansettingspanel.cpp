#include "ui/scansettingspanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "scanner/scanarea.h"
#include "settings/appsettings.h"
#include "ui/deviceoptionlabels.h"
#include "ui/folderpaths.h"
#include "ui/wheelguard.h"

namespace {

void writeAtOnce(const Setting<QString> &setting, const QString &value)
{
    QSettings store = AppSettings::openStore();
    setting.write(store, value);
}

template<typename T> void writeValue(const Setting<T> &setting, const T &value)
{
    QSettings store = AppSettings::openStore();
    setting.write(store, value);
}

// The data of "自定义…" in "大小上限:"; a limit chosen through it is an entry
// of its own, marked by customLimitRole, until another one replaces it.
constexpr qint64 askForLimit = -1;
constexpr int customLimitRole = Qt::UserRole + 1;

QString limitText(qint64 bytes)
{
    return QStringLiteral("%1 MB").arg(QString::number(double(bytes) / 1e6, 'g', 4));
}

} // namespace

ScanSettingsPanel::ScanSettingsPanel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("scanSettingsPanel"));
    QVBoxLayout *contentLayout = new QVBoxLayout(this);

    QWidget *groups = new QWidget(this);
    QVBoxLayout *groupsLayout = new QVBoxLayout(groups);
    groupsLayout->setContentsMargins(0, 0, 0, 0);
    groupsLayout->addWidget(createScannerGroup(groups));
    groupsLayout->addWidget(createParameterGroup(groups));
    groupsLayout->addWidget(createSaveGroup(groups));
    groupsLayout->addStretch();

    // The settings are taller than a 768-pixel screen leaves room for; they
    // scroll, and the scan buttons below them stay in view.
    QScrollArea *groupsScroll = new QScrollArea(this);
    groupsScroll->setObjectName(QStringLiteral("scanSettingsScroll"));
    groupsScroll->setFrameShape(QFrame::NoFrame);
    groupsScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    groupsScroll->setWidgetResizable(true);
    groupsScroll->setWidget(groups);
    groupsScroll->setMinimumWidth(groups->minimumSizeHint().width() + 16);
    contentLayout->addWidget(groupsScroll);
    contentLayout->addWidget(createButtons(this));

    bindSettings();
    // Scrolling the dock must not change the choices the wheel passes over.
    WheelGuard::install(groups);
}

QWidget *ScanSettingsPanel::createScannerGroup(QWidget *parent)
{
    QGroupBox *group = new QGroupBox(tr("扫描仪"), parent);
    QVBoxLayout *layout = new QVBoxLayout(group);
    scannerCombo = new QComboBox(group);
    scannerCombo->setObjectName(QStringLiteral("scannerCombo"));
    scannerCombo->setToolTip(tr("选择要使用的扫描仪设备"));
    // Device names can be long; the dock must not grow with them.
    scannerCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    scannerCombo->setMinimumContentsLength(12);
    findDeviceButton = new QPushButton(tr("查找设备"), group);
    findDeviceButton->setObjectName(QStringLiteral("findDeviceButton"));
    findDeviceButton->setToolTip(tr("查找可用的扫描仪设备"));
    findDeviceButton->setEnabled(false);
    layout->addWidget(scannerCombo);
    layout->addWidget(findDeviceButton);
    return group;
}

QWidget *ScanSettingsPanel::createParameterGroup(QWidget *parent)
{
    QGroupBox *group = new QGroupBox(tr("扫描参数"), parent);
    QFormLayout *layout = new QFormLayout(group);
    resolutionCombo = new QComboBox(group);
    resolutionCombo->setObjectName(QStringLiteral("resolutionCombo"));
    resolutionCombo->addItems({ QStringLiteral("75"), QStringLiteral("100"), QStringLiteral("150"),
        QStringLiteral("200"), QStringLiteral("300"), QStringLiteral("600"), QStringLiteral("1200") });
    resolutionCombo->setCurrentText(QStringLiteral("300"));
    resolutionCombo->setToolTip(tr("设置扫描分辨率(DPI) - 数值越大图像质量越高"));
    colorModeCombo = new QComboBox(group);
    colorModeCombo->setObjectName(QStringLiteral("colorModeCombo"));
    // The data is the request the scanner's vocabulary knows, whatever the interface language.
    colorModeCombo->addItem(tr("彩色"), QStringLiteral("彩色"));
    colorModeCombo->addItem(tr("灰度"), QStringLiteral("灰度"));
    colorModeCombo->addItem(tr("黑白"), QStringLiteral("黑白"));
    colorModeCombo->setToolTip(tr("设置扫描颜色模式 - 彩色/灰度/黑白"));
    pageSizeCombo = new QComboBox(group);
    pageSizeCombo->setObjectName(QStringLiteral("pageSizeCombo"));
    // The page size is the part of the glass a flatbed scan covers.
    pageSizeCombo->addItems(ScanArea::pageSizeNames());
    pageSizeCombo->setToolTip(tr("设置扫描页面大小"));
    paperSourceCombo = new QComboBox(group);
    paperSourceCombo->setObjectName(QStringLiteral("paperSourceCombo"));
    paperSourceCombo->addItem(tr("平板"), QStringLiteral("Flatbed"));
    paperSourceCombo->addItem(tr("自动进纸器 (ADF)"), QStringLiteral("Feeder"));
    paperSourceCombo->setToolTip(tr("设置扫描纸张来源：平板或自动进纸器"));
    // Duplex is chosen by the device set-up, never by hand, so the box is kept
    // out of every layout.
    duplexCombo = new QComboBox(group);
    duplexCombo->setObjectName(QStringLiteral("duplexCombo"));
    duplexCombo->addItem(tr("单面"), QStringLiteral("Simplex"));
    duplexCombo->addItem(tr("双面"), QStringLiteral("Duplex"));
    duplexCombo->setToolTip(tr("设置双面扫描模式（仅支持双面扫描的设备有效）"));
    duplexCombo->setEnabled(false);
    duplexCombo->hide();
    layout->addRow(tr("分辨率:"), resolutionCombo);
    layout->addRow(tr("颜色模式:"), colorModeCombo);
    layout->addRow(tr("页面大小:"), pageSizeCombo);
    layout->addRow(tr("纸张来源:"), paperSourceCombo);
    return group;
}

QWidget *ScanSettingsPanel::createSaveGroup(QWidget *parent)
{
    QGroupBox *group = new QGroupBox(tr("保存设置"), parent);
    QVBoxLayout *layout = new QVBoxLayout(group);
    QGroupBox *pathGroup = new QGroupBox(tr("保存路径"), group);
    QVBoxLayout *pathLayout = new QVBoxLayout(pathGroup);
    savePathEdit = new QLineEdit(AppSettings::documentsFolder(), pathGroup);
    savePathEdit->setObjectName(QStringLiteral("savePathEdit"));
    savePathEdit->setToolTip(tr("设置扫描文件的保存路径"));
    browseButton = new QPushButton(tr("选择保存文件夹..."), pathGroup);
    browseButton->setObjectName(QStringLiteral("browseButton"));
    browseButton->setToolTip(tr("选择保存扫描文件的文件夹"));
    connect(browseButton, &QPushButton::clicked, this, [this]() {
        const QString folder = QFileDialog::getExistingDirectory(this, tr("选择保存路径"),
            FolderPaths::existingStartFolder(savePathEdit->text()),
            QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
        if (!folder.isEmpty())
            savePathEdit->setText(folder);
    });
    pathLayout->addWidget(savePathEdit);
    pathLayout->addWidget(browseButton);
    layout->addWidget(pathGroup);

    QGroupBox *formatGroup = new QGroupBox(tr("保存格式"), group);
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
    compressionCombo = new QComboBox(formatGroup);
    compressionCombo->setObjectName(QStringLiteral("compressionCombo"));
    compressionCombo->addItem(tr("标准"), int(SaveOptions::Compression::Standard));
    compressionCombo->addItem(tr("紧凑"), int(SaveOptions::Compression::Compact));
    compressionCombo->setToolTip(
        tr("紧凑：文字页保存为清晰的文字层和低分辨率的颜色层，文件小得多，印章和签名保持颜色"));
    sizeLimitCombo = new QComboBox(formatGroup);
    sizeLimitCombo->setObjectName(QStringLiteral("sizeLimitCombo"));
    sizeLimitCombo->addItem(tr("不限"), qint64(0));
    for (qint64 megabytes : { 1, 2, 5, 10 })
        sizeLimitCombo->addItem(limitText(megabytes * 1000000), megabytes * 1000000);
    sizeLimitCombo->addItem(tr("自定义…"), askForLimit);
    sizeLimitCombo->setToolTip(tr("保存的PDF不超过此大小，需要时降低颜色层的分辨率和质量"));
    saveResolutionCombo = new QComboBox(formatGroup);
    saveResolutionCombo->setObjectName(QStringLiteral("saveResolutionCombo"));
    saveResolutionCombo->addItem(tr("与扫描相同"), 0);
    for (int dpi : { 300, 200, 150 })
        saveResolutionCombo->addItem(QStringLiteral("%1 dpi").arg(dpi), dpi);
    saveResolutionCombo->setToolTip(tr("保存时页面缩小到此分辨率；文档中的页面保持扫描时的分辨率"));
    formatLayout->addRow(tr("文件格式:"), saveFormatCombo);
    formatLayout->addRow(tr("JPEG质量:"), jpegQualitySlider);
    formatLayout->addRow(tr("PDF压缩:"), compressionCombo);
    formatLayout->addRow(tr("大小上限:"), sizeLimitCombo);
    formatLayout->addRow(tr("保存分辨率:"), saveResolutionCombo);
    // Compression and the size limit are the PDF writer's; other formats have neither.
    auto showPdfChoices = [this]() {
        const bool pdf = saveFormatCombo->currentData().toString() == QLatin1String("pdf");
        compressionCombo->setEnabled(pdf);
        sizeLimitCombo->setEnabled(pdf);
    };
    connect(saveFormatCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, showPdfChoices);
    showPdfChoices();
    layout->addWidget(formatGroup);
    layout->addWidget(createSplitGroup(group));

    removeBlankPagesCheck = new QCheckBox(tr("自动删除空白页"), group);
    removeBlankPagesCheck->setObjectName(QStringLiteral("removeBlankPagesCheck"));
    removeBlankPagesCheck->setToolTip(tr("启用后，扫描过程中检测到空白页将自动跳过"));
    autoSaveCheck = new QCheckBox(tr("扫描后自动保存"), group);
    autoSaveCheck->setObjectName(QStringLiteral("autoSaveCheck"));
    autoSaveCheck->setToolTip(tr("启用后，扫描完成后自动保存图像"));
    layout->addWidget(removeBlankPagesCheck);
    layout->addWidget(autoSaveCheck);

    struct Box
    {
        QCheckBox **check;
        const char *name;
        QString text;
        QString tip;
    };
    const Box boxes[] = {
        { &autoDeskewCheck, "autoDeskewCheck", tr("扫描后自动纠偏"), tr("启用后，每一页扫描完成后自动校正倾斜") },
        { &autoCropCheck, "autoCropCheck", tr("扫描后自动裁切"), tr("启用后，每一页扫描完成后自动裁切到纸张边缘") },
        { &autoOrientCheck, "autoOrientCheck", tr("扫描后自动转正"), tr("启用后，每一页扫描完成后自动识别方向并转正") },
        { &splitOriginalsCheck, "splitOriginalsCheck", tr("扫描后拆分多张原稿"),
            tr("启用后，平板上同时放的多张原稿（收据、卡片、照片）各成一页") },
    };
    for (const Box &box : boxes) {
        *box.check = new QCheckBox(box.text, group);
        (*box.check)->setObjectName(QString::fromLatin1(box.name));
        (*box.check)->setToolTip(box.tip);
        layout->addWidget(*box.check);
    }

    textRecognitionCheck = new QCheckBox(tr("文字识别"), group);
    textRecognitionCheck->setObjectName(QStringLiteral("textRecognitionCheck"));
    textRecognitionCheck->setToolTip(tr("启用后，在后台识别每一页的文字，保存的PDF可搜索、可复制"));
    textLanguageCombo = new QComboBox(group);
    textLanguageCombo->setObjectName(QStringLiteral("textLanguageCombo"));
    textLanguageCombo->addItem(tr("中文+英文"), QStringLiteral("chi_sim+eng"));
    textLanguageCombo->addItem(tr("中文"), QStringLiteral("chi_sim"));
    textLanguageCombo->addItem(tr("英文"), QStringLiteral("eng"));
    textLanguageCombo->setToolTip(tr("文字识别的语言"));
    QHBoxLayout *row = new QHBoxLayout();
    row->addWidget(textRecognitionCheck);
    row->addWidget(textLanguageCombo, 1);
    layout->addLayout(row);
    layout->addStretch();
    return group;
}

QWidget *ScanSettingsPanel::createSplitGroup(QWidget *parent)
{
    QGroupBox *group = new QGroupBox(tr("分割与命名"), parent);
    QFormLayout *layout = new QFormLayout(group);
    splitCombo = new QComboBox(group);
    splitCombo->setObjectName(QStringLiteral("splitCombo"));
    splitCombo->addItem(tr("不分割"), int(SplitRule::None));
    splitCombo->addItem(tr("每页一个文件"), int(SplitRule::EveryPage));
    splitCombo->addItem(tr("每 N 页"), int(SplitRule::EveryNPages));
    splitCombo->addItem(tr("遇到空白页"), int(SplitRule::BlankPage));
    splitCombo->addItem(tr("遇到条码页"), int(SplitRule::Barcode));
    splitCombo->setToolTip(tr("进纸器扫描的一叠纸如何分成多个文件"));
    splitEverySpin = new QSpinBox(group);
    splitEverySpin->setObjectName(QStringLiteral("splitEverySpin"));
    splitEverySpin->setRange(1, 999);
    splitEverySpin->setSuffix(tr(" 页"));
    splitEverySpin->setToolTip(tr("每个文件的页数"));
    keepSeparatorCheck = new QCheckBox(tr("保留分隔页"), group);
    keepSeparatorCheck->setObjectName(QStringLiteral("keepSeparatorCheck"));
    keepSeparatorCheck->setToolTip(tr("条码页作为新文件的第一页保存，而不是丢弃"));
    fileNamePatternEdit = new QLineEdit(group);
    fileNamePatternEdit->setObjectName(QStringLiteral("fileNamePatternEdit"));
    fileNamePatternEdit->setToolTip(tr("可用字段: {日期} {时间} {序号} {条码} {方案} {页数}；已有的文件不会被覆盖"));
    layout->addRow(tr("分割文档:"), splitCombo);
    layout->addRow(QString(), splitEverySpin);
    layout->addRow(QString(), keepSeparatorCheck);
    layout->addRow(tr("文件名:"), fileNamePatternEdit);
    // Only the choice that uses them shows the count and the separator box.
    auto showDetails = [this]() {
        const SplitRule rule = SplitRule(splitCombo->currentData().toInt());
        splitEverySpin->setVisible(rule == SplitRule::EveryNPages);
        keepSeparatorCheck->setVisible(rule == SplitRule::Barcode);
    };
    connect(splitCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, showDetails);
    showDetails();
    return group;
}

void ScanSettingsPanel::bindSaveOptions()
{
    const QSettings store = AppSettings::openStore();
    compressionCombo->setCurrentIndex(AppSettings::pdfCompact.read(store) ? 1 : 0);
    setSizeLimit(AppSettings::maxFileBytes.read(store));
    saveResolutionCombo->setCurrentIndex(
        qMax(0, saveResolutionCombo->findData(AppSettings::saveResolution.read(store))));
    connect(compressionCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this]() {
        writeValue(AppSettings::pdfCompact, compressionCombo->currentIndex() == 1);
        emit saveOptionsChanged();
    });
    connect(sizeLimitCombo, QOverload<int>::of(&QComboBox::activated), this, &ScanSettingsPanel::chooseSizeLimit);
    connect(saveResolutionCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this]() {
        writeValue(AppSettings::saveResolution, saveResolutionCombo->currentData().toInt());
        emit saveOptionsChanged();
    });
    connect(jpegQualitySlider, &QSlider::valueChanged, this, &ScanSettingsPanel::saveOptionsChanged);
}

void ScanSettingsPanel::chooseSizeLimit(int index)
{
    const qint64 chosen = sizeLimitCombo->itemData(index).toLongLong();
    if (chosen != askForLimit) {
        setSizeLimit(chosen);
        return;
    }
    bool ok = false;
    const double megabytes = QInputDialog::getDouble(this, tr("大小上限"), tr("文件最大 (MB):"),
        shownSizeLimit > 0 ? double(shownSizeLimit) / 1e6 : 2.0, 0.1, 100000, 1, &ok);
    // A cancelled question leaves the limit that was shown before.
    setSizeLimit(ok ? qint64(megabytes * 1e6) : shownSizeLimit);
}

void ScanSettingsPanel::setSizeLimit(qint64 bytes)
{
    bytes = qMax<qint64>(0, bytes);
    const QSignalBlocker quiet(sizeLimitCombo);
    int index = -1;
    for (int i = 0; i < sizeLimitCombo->count() && index < 0; ++i) {
        if (sizeLimitCombo->itemData(i).toLongLong() == bytes)
            index = i;
    }
    if (index < 0) {
        for (int i = sizeLimitCombo->count() - 1; i >= 0; --i) {
            if (sizeLimitCombo->itemData(i, customLimitRole).toBool())
                sizeLimitCombo->removeItem(i);
        }
        index = sizeLimitCombo->count() - 1; // just before "自定义…"
        sizeLimitCombo->insertItem(index, limitText(bytes), bytes);
        sizeLimitCombo->setItemData(index, true, customLimitRole);
    }
    sizeLimitCombo->setCurrentIndex(index);
    if (bytes == shownSizeLimit)
        return;
    shownSizeLimit = bytes;
    writeValue(AppSettings::maxFileBytes, bytes);
    emit saveOptionsChanged();
}

SaveOptions ScanSettingsPanel::saveOptions() const
{
    SaveOptions options;
    options.compression = compressionCombo->currentIndex() == 1 ? SaveOptions::Compression::Compact
                                                                : SaveOptions::Compression::Standard;
    options.jpegQuality = jpegQualitySlider->value();
    options.saveDpi = saveResolutionCombo->currentData().toInt();
    options.sizeLimit = shownSizeLimit;
    return options;
}

void ScanSettingsPanel::bindSplitSettings()
{
    const QSettings store = AppSettings::openStore();
    splitCombo->setCurrentIndex(qMax(0, splitCombo->findData(int(AppSettings::splitRule.read(store)))));
    splitEverySpin->setValue(AppSettings::splitEvery.read(store));
    keepSeparatorCheck->setChecked(AppSettings::keepSeparator.read(store));
    fileNamePatternEdit->setText(AppSettings::fileNamePattern.read(store));
    connect(splitCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        [this]() { writeValue(AppSettings::splitRule, SplitRule(splitCombo->currentData().toInt())); });
    connect(splitEverySpin, QOverload<int>::of(&QSpinBox::valueChanged), this,
        [](int value) { writeValue(AppSettings::splitEvery, value); });
    connect(keepSeparatorCheck, &QCheckBox::toggled, this, [](bool on) { writeValue(AppSettings::keepSeparator, on); });
    connect(fileNamePatternEdit, &QLineEdit::textChanged, this,
        [](const QString &text) { writeAtOnce(AppSettings::fileNamePattern, text); });
}

QWidget *ScanSettingsPanel::createButtons(QWidget *parent)
{
    QWidget *buttons = new QWidget(parent);
    // The preview's buttons get a row of their own: "清除选区" coming and going
    // would otherwise widen and narrow the whole dock.
    QVBoxLayout *rows = new QVBoxLayout(buttons);
    rows->setContentsMargins(0, 0, 0, 0);
    QHBoxLayout *previewRow = new QHBoxLayout();
    QHBoxLayout *layout = new QHBoxLayout();
    rows->addLayout(previewRow);
    rows->addLayout(layout);
    delayScanButton = new QPushButton(tr("延时扫描"), buttons);
    delayScanButton->setObjectName(QStringLiteral("delayScanButton"));
    delayScanButton->setToolTip(tr("循环延时扫描，适合平板扫描仪多张扫描"));
    scanButton = new QPushButton(tr("扫描"), buttons);
    scanButton->setObjectName(QStringLiteral("scanButton"));
    scanButton->setToolTip(tr("执行完整扫描"));
    finishDelayScanButton = new QPushButton(tr("扫描完成"), buttons);
    finishDelayScanButton->setObjectName(QStringLiteral("finishDelayScanButton"));
    finishDelayScanButton->setToolTip(tr("结束延时扫描模式并保存"));
    finishDelayScanButton->setStyleSheet(
        QStringLiteral("QPushButton { background-color: #4CAF50; color: white; font-weight: bold; }"));
    finishDelayScanButton->hide();
    previewButton = new QPushButton(tr("预览"), buttons);
    previewButton->setObjectName(QStringLiteral("previewButton"));
    previewButton->setToolTip(tr("以低分辨率扫描整个稿台，在预览上选择要扫描的区域"));
    clearSelectionButton = new QPushButton(tr("清除选区"), buttons);
    clearSelectionButton->setObjectName(QStringLiteral("clearSelectionButton"));
    clearSelectionButton->setToolTip(tr("清除预览上的选区，按页面大小扫描"));
    clearSelectionButton->hide();
    previewRow->addWidget(previewButton);
    previewRow->addWidget(clearSelectionButton);
    layout->addWidget(delayScanButton);
    layout->addWidget(scanButton);
    layout->addWidget(finishDelayScanButton);
    return buttons;
}

void ScanSettingsPanel::showCustomArea(bool custom)
{
    const QString name = ScanArea::customName();
    const int index = pageSizeCombo->findText(name);
    clearSelectionButton->setVisible(custom);
    if (custom && index < 0) {
        // Not a stored choice: the selection itself is what the scan covers.
        const QSignalBlocker quiet(pageSizeCombo);
        pageSizeCombo->addItem(name);
        pageSizeCombo->setCurrentIndex(pageSizeCombo->count() - 1);
    } else if (!custom && index >= 0) {
        const QSignalBlocker quiet(pageSizeCombo);
        pageSizeCombo->removeItem(index);
        const int stored = pageSizeCombo->findText(AppSettings::pageSize.read(AppSettings::openStore()));
        pageSizeCombo->setCurrentIndex(stored >= 0 ? stored : 0);
    }
}

void ScanSettingsPanel::bindSettings()
{
    const QSettings store = AppSettings::openStore();
    auto bindText = [this](QComboBox *combo, const Setting<QString> &setting, const QString &stored) {
        const int index = combo->findText(stored);
        if (index >= 0)
            combo->setCurrentIndex(index);
        connect(combo, &QComboBox::currentTextChanged, this, [&setting](const QString &text) {
            // A box being refilled passes through empty; that is no choice.
            if (!text.isEmpty())
                writeAtOnce(setting, text);
        });
    };
    bindText(resolutionCombo, AppSettings::resolution, AppSettings::resolution.read(store));
    bindText(pageSizeCombo, AppSettings::pageSize, AppSettings::pageSize.read(store));
    bindText(saveFormatCombo, AppSettings::saveFormat, AppSettings::saveFormat.read(store));
    choosePaperSource(AppSettings::paperSource.read(store));
    connect(paperSourceCombo, &QComboBox::currentTextChanged, this, [](const QString &text) {
        if (!text.isEmpty())
            writeAtOnce(AppSettings::paperSource, text);
    });

    // An index from a damaged store would leave the box with no selection at all.
    const int colorMode = AppSettings::colorMode.read(store);
    if (colorMode >= 0 && colorMode < colorModeCombo->count())
        colorModeCombo->setCurrentIndex(colorMode);
    connect(colorModeCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [](int index) {
        if (index >= 0)
            writeValue(AppSettings::colorMode, index);
    });

    savePathEdit->setText(AppSettings::savePath.read(store));
    connect(savePathEdit, &QLineEdit::textChanged, this,
        [](const QString &path) { writeAtOnce(AppSettings::savePath, path); });

    jpegQualitySlider->setValue(AppSettings::jpegQuality.read(store));
    connect(jpegQualitySlider, &QSlider::valueChanged, this,
        [](int value) { writeValue(AppSettings::jpegQuality, value); });

    const struct
    {
        QCheckBox *check;
        const Setting<bool> &setting;
    } checks[] = {
        { removeBlankPagesCheck, AppSettings::removeBlankPages },
        { autoSaveCheck, AppSettings::autoSave },
        { autoDeskewCheck, AppSettings::autoDeskew },
        { autoCropCheck, AppSettings::autoCropPaper },
        { autoOrientCheck, AppSettings::autoOrient },
        { splitOriginalsCheck, AppSettings::splitOriginals },
        { textRecognitionCheck, AppSettings::textRecognition },
    };
    for (const auto &entry : checks) {
        entry.check->setChecked(entry.setting.read(store));
        const Setting<bool> *setting = &entry.setting;
        connect(entry.check, &QCheckBox::toggled, this, [setting](bool on) { writeValue(*setting, on); });
    }

    bindSplitSettings();
    bindSaveOptions();
    textLanguageCombo->setCurrentIndex(qMax(0, textLanguageCombo->findData(AppSettings::textLanguages.read(store))));
    connect(textLanguageCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
        if (index >= 0)
            writeAtOnce(AppSettings::textLanguages, textLanguageCombo->itemData(index).toString());
    });
}

void ScanSettingsPanel::choosePaperSource(const QString &label)
{
    // Earlier versions named the duplex feeder "双面自动进纸器"; a stored choice keeps working.
    const QString shown = label == QStringLiteral("双面自动进纸器") ? tr("双面进纸器") : label;
    const int index = paperSourceCombo->findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        paperSourceCombo->setCurrentIndex(index);
}

void ScanSettingsPanel::setPaperSources(const QStringList &feederSources)
{
    // The user's last choice, not whatever the box showed while it was refilled.
    const QString wanted = AppSettings::paperSource.read(AppSettings::openStore());
    {
        const QSignalBlocker blocker(paperSourceCombo);
        paperSourceCombo->clear();
        if (feederSources.isEmpty()) {
            paperSourceCombo->addItem(tr("平板"), QStringLiteral("Flatbed"));
            paperSourceCombo->setToolTip(tr("当前设备仅支持平板扫描"));
        } else {
            for (const QString &source : feederSources)
                paperSourceCombo->addItem(DeviceOptionLabels::sourceLabel(source), source);
            paperSourceCombo->setToolTip(tr("选择纸张来源：平板扫描或自动进纸器"));
        }
        const int index = paperSourceCombo->findText(wanted, Qt::MatchExactly | Qt::MatchCaseSensitive);
        paperSourceCombo->setCurrentIndex(index >= 0 ? index : 0);
    }
}

void ScanSettingsPanel::setDuplexModes(bool supported, const QStringList &modes)
{
    const QString previous = duplexCombo->currentData().toString();
    const QSignalBlocker blocker(duplexCombo);
    duplexCombo->clear();
    if (!supported) {
        duplexCombo->addItem(tr("单面"), QStringLiteral("Simplex"));
        duplexCombo->setEnabled(false);
        duplexCombo->setToolTip(tr("当前设备不支持双面扫描"));
        return;
    }
    if (modes.isEmpty()) {
        duplexCombo->addItem(tr("单面"), QStringLiteral("Simplex"));
        duplexCombo->addItem(tr("双面"), QStringLiteral("Duplex"));
    }
    for (const QString &mode : modes)
        duplexCombo->addItem(DeviceOptionLabels::duplexLabel(mode), mode);
    duplexCombo->setEnabled(true);
    duplexCombo->setToolTip(tr("选择扫描模式：单面或双面"));
    const int index = duplexCombo->findData(previous, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
    duplexCombo->setCurrentIndex(index >= 0 ? index : 0);
}

int ScanSettingsPanel::resolution() const
{
    return resolutionCombo->currentText().toInt();
}
