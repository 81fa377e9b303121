#include "annotation/annotationdialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "annotation/annotationtool.h"
#include "annotation/annotationwidget.h"

namespace {

QString comboStyle(bool withArrow)
{
    const QString head = QStringLiteral("QComboBox {  background-color: white;  border: 2px solid #dee2e6;  "
                                        "border-radius: 6px;  padding: 8px 12px;  font-size: 13px;  color: #212529;}"
                                        "QComboBox:hover {  border-color: #4A90E2;}");
    const QString arrow = QStringLiteral("QComboBox::drop-down {  border: none;  width: 25px;}"
                                         "QComboBox::down-arrow {  image: none;  border-left: 4px solid transparent;  "
                                         "border-right: 4px solid transparent;  border-top: 5px solid #6c757d;  "
                                         "margin-right: 8px;}");
    const QString view = QStringLiteral(
        "QComboBox QAbstractItemView {  background-color: white;  border: 2px solid #dee2e6;  border-radius: 6px;  "
        "selection-background-color: #e7f3ff;  selection-color: #212529;  padding: 4px;  color: #212529;}"
        "QComboBox QAbstractItemView::item {  padding: 6px 12px;  color: #212529;}"
        "QComboBox QAbstractItemView::item:hover {  background-color: #f8f9fa;  color: #212529;}"
        "QComboBox QAbstractItemView::item:selected {  background-color: #e7f3ff;  color: #212529;}");
    return withArrow ? head + arrow + view : head + view;
}

const char *const titleStyle
    = "QLabel {  font-weight: bold;  font-size: 14px;  color: #212529;  padding: 8px 0 4px 0;}";
const char *const hintStyle = "QLabel {  background-color: #e7f3ff;  color: #0066cc;  border: 1px solid #b3d9ff;  "
                              "border-radius: 6px;  padding: 10px;  font-size: 13px;}";
const char *const selectedStyle = "QLabel {  background-color: #d4edda;  color: #155724;  border: 1px solid #c3e6cb;  "
                                  "border-radius: 6px;  padding: 10px;  font-size: 13px;  font-weight: bold;}";
const char *const watermarkButtonStyle
    = "QPushButton {  background-color: #4A90E2;  color: white;  border: none;  padding: 10px;  border-radius: 4px;  "
      "font-size: 13px;}QPushButton:hover {  background-color: #357ABD;}";
const char *const historyButtonStyle
    = "QPushButton {  background-color: #f8f9fa;  border: 1px solid #dee2e6;  border-radius: 6px;  padding: 8px 16px;  "
      "font-size: 13px;  color: #495057;}QPushButton:hover {  background-color: #e9ecef;  border-color: #adb5bd;  "
      "color: #212529;}QPushButton:pressed {  background-color: #dee2e6;}";
const char *const plainButtonStyle
    = "QPushButton {  background-color: #f8f9fa;  border: 1px solid #dee2e6;  border-radius: 6px;  padding: 10px 20px; "
      " "
      "font-size: 13px;  color: #495057;}QPushButton:hover {  background-color: #e9ecef;  border-color: #adb5bd;}"
      "QPushButton:pressed {  background-color: #dee2e6;}";
const char *const applyButtonStyle
    = "QPushButton {  background-color: #4A90E2;  color: white;  border: none;  padding: 10px 20px;  "
      "border-radius: 6px;  font-size: 13px;  font-weight: bold;}QPushButton:hover {  background-color: #357ABD;}"
      "QPushButton:pressed {  background-color: #2868A8;}";
const char *const swatchStyle = "QPushButton {  background-color: %1;  border: 2px solid #ddd;  border-radius: 4px;}"
                                "QPushButton:hover {  border: 2px solid #4A90E2;}"
                                "QPushButton:checked {  border: 3px solid #4A90E2;}";

QLabel *sectionLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("font-weight: bold;"));
    return label;
}

QLabel *valueLabel(const QString &text, const QString &name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFixedWidth(50);
    return label;
}

QSlider *slider(int minimum, int maximum, int value, const QString &name, QWidget *parent)
{
    auto *s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(name);
    s->setRange(minimum, maximum);
    s->setValue(value);
    return s;
}

QHBoxLayout *row(QWidget *first, QWidget *second)
{
    auto *layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(first, 1);
    layout->addWidget(second);
    return layout;
}

QString percentOf(int value)
{
    return QString::number(value * 100 / 255) + QLatin1Char('%');
}

} // namespace

AnnotationDialog::AnnotationDialog(const QImage &image, QWidget *parent)
    : QDialog(parent)
    , pageImage(image)
{
    setWindowTitle(tr("批注和标记"));
    // The tool combo's own sheet styles its frame but not its drop-down button, which the
    // platform style would then draw as a sunken box inside the rounded frame; it gets the
    // mode combo's arrow. Both arrows are border triangles, which need an empty content box.
    setStyleSheet(QStringLiteral(
        "QComboBox#toolCombo::drop-down {  border: none;  width: 25px;}"
        "QComboBox#toolCombo::down-arrow {  image: none;  border-left: 4px solid transparent;  "
        "border-right: 4px solid transparent;  border-top: 5px solid #6c757d;  margin-right: 8px;}"
        "QComboBox#toolCombo::down-arrow, QComboBox#modeCombo::down-arrow {  width: 0px;  height: 0px;}"));
    colorPalette = { QColor(255, 255, 255), QColor(0, 0, 0), QColor(128, 128, 128), QColor(0, 0, 255),
        QColor(0, 255, 0), QColor(255, 0, 0), QColor(255, 165, 0), QColor(255, 255, 0) };
    currentColor = colorPalette.at(1);
    resize(dialogSizeFor(image.size()));

    annotationWidget = new AnnotationWidget(image, this);
    annotationWidget->setObjectName(QStringLiteral("annotationCanvas"));
    connect(annotationWidget, &AnnotationWidget::textInputRequested, this, &AnnotationDialog::onTextInputRequested);
    connect(
        annotationWidget, &AnnotationWidget::textAnnotationSelected, this, &AnnotationDialog::onTextAnnotationSelected);

    scrollArea = new QScrollArea(this);
    scrollArea->setObjectName(QStringLiteral("canvasScrollArea"));
    scrollArea->setWidgetResizable(false);
    scrollArea->setAlignment(Qt::AlignCenter);
    scrollArea->setStyleSheet(QStringLiteral("QScrollArea { border: none; background-color: #f0f0f0; }"));
    scrollArea->setWidget(annotationWidget);

    auto *layout = new QHBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea, 1);
    layout->addWidget(buildPanel());

    modeCombo->setCurrentIndex(0);
    onModeChanged(0);

    QTimer::singleShot(0, this, &AnnotationDialog::fitCanvas);
}

AnnotationDialog::~AnnotationDialog() = default;

QSize AnnotationDialog::dialogSizeFor(const QSize &pageSize)
{
    const int w = pageSize.width();
    const int h = pageSize.height();
    if (h + 100 <= 900 && w <= 800)
        return QSize(w + 400, h + 100);
    const double aspect = double(w) / h;
    if (aspect > 1)
        return QSize(1200, int(800 / aspect) + 100);
    return QSize(int(aspect * 800) + 400, 900);
}

QImage AnnotationDialog::resultImage() const
{
    return annotationWidget->resultImage();
}

void AnnotationDialog::fitCanvas()
{
    annotationWidget->fitToSize(QSize(width() - 360, height() - 40));
}

QWidget *AnnotationDialog::buildPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("controlPanel"));
    panel->setFixedWidth(320);
    panel->setStyleSheet(QStringLiteral("QWidget { background-color: white; }"));
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(15, 15, 15, 15);
    layout->setSpacing(15);

    auto *title = new QLabel(tr("功能"), panel);
    title->setStyleSheet(QLatin1String(titleStyle));
    layout->addWidget(title);

    modeCombo = new QComboBox(panel);
    modeCombo->setObjectName(QStringLiteral("modeCombo"));
    modeCombo->addItems({ tr("文本"), tr("水印"), tr("绘图") });
    modeCombo->setStyleSheet(comboStyle(true));
    layout->addWidget(modeCombo);

    auto *separator = new QFrame(panel);
    // A sunken or plain frame line would be drawn in the palette's dark colours over the style's grey.
    separator->setFrameShape(QFrame::NoFrame);
    separator->setFixedHeight(1);
    separator->setStyleSheet(QStringLiteral("background-color: #e0e0e0;"));
    layout->addWidget(separator);

    modeStack = new QStackedWidget(panel);
    modeStack->setObjectName(QStringLiteral("modeStack"));
    modeStack->addWidget(buildTextPage());
    modeStack->addWidget(buildWatermarkPage());
    modeStack->addWidget(buildDrawingPage());
    // On a low screen the controls scroll, while undo and the closing buttons below stay
    // in view.
    auto *modeScroll = new QScrollArea(panel);
    modeScroll->setObjectName(QStringLiteral("panelScrollArea"));
    modeScroll->setFrameShape(QFrame::NoFrame);
    modeScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    modeScroll->setWidgetResizable(true);
    modeScroll->setWidget(modeStack);
    layout->addWidget(modeScroll, 1);

    auto makeButton = [panel](const QString &text, const QString &name, const char *style) {
        auto *button = new QPushButton(text, panel);
        button->setObjectName(name);
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(QLatin1String(style));
        return button;
    };
    undoButton = makeButton(tr("↶ 撤销"), QStringLiteral("undoButton"), historyButtonStyle);
    redoButton = makeButton(tr("↷ 重做"), QStringLiteral("redoButton"), historyButtonStyle);
    clearButton = makeButton(tr("清除"), QStringLiteral("clearButton"), plainButtonStyle);
    cancelButton = makeButton(tr("取消"), QStringLiteral("cancelButton"), plainButtonStyle);
    applyButton = makeButton(tr("✓ 完成"), QStringLiteral("applyButton"), applyButtonStyle);
    applyButton->setDefault(true);

    auto *historyRow = new QHBoxLayout;
    historyRow->setSpacing(8);
    historyRow->addWidget(undoButton);
    historyRow->addWidget(redoButton);
    historyRow->addStretch();
    layout->addLayout(historyRow);
    layout->addSpacing(10);
    auto *actionRow = new QHBoxLayout;
    actionRow->setSpacing(10);
    actionRow->addWidget(clearButton);
    actionRow->addWidget(cancelButton);
    actionRow->addWidget(applyButton);
    layout->addLayout(actionRow);

    connect(modeCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &AnnotationDialog::onModeChanged);
    connect(undoButton, &QPushButton::clicked, this, &AnnotationDialog::onUndo);
    connect(redoButton, &QPushButton::clicked, this, &AnnotationDialog::onRedo);
    connect(clearButton, &QPushButton::clicked, this, &AnnotationDialog::onClear);
    connect(cancelButton, &QPushButton::clicked, this, &AnnotationDialog::onCancel);
    connect(applyButton, &QPushButton::clicked, this, &AnnotationDialog::onApply);
    return panel;
}

QWidget *AnnotationDialog::buildPaletteRow(QList<QPushButton *> &buttons, int checkedIndex)
{
    // Eight 32-pixel swatches 8 pixels apart need 312 pixels, more than the 290 the panel
    // leaves inside its margins, so the swatches are laid out as two rows of four.
    auto *paletteRow = new QWidget;
    auto *layout = new QGridLayout(paletteRow);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    const int perRow = 4;
    for (int i = 0; i < colorPalette.size(); ++i) {
        auto *button = new QPushButton(paletteRow);
        button->setObjectName(QStringLiteral("colorButton%1").arg(i));
        button->setCheckable(true);
        button->setFixedSize(32, 32);
        button->setCursor(Qt::PointingHandCursor);
        button->setToolTip(colorPalette.at(i).name());
        button->setStyleSheet(QLatin1String(swatchStyle).arg(colorPalette.at(i).name()));
        button->setChecked(i == checkedIndex);
        connect(button, &QPushButton::clicked, this, [this, i] { onColorSelected(i); });
        layout->addWidget(button, i / perRow, i % perRow);
        buttons << button;
    }
    layout->setColumnStretch(perRow, 1);
    return paletteRow;
}

QWidget *AnnotationDialog::buildTextPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    hintLabel = new QLabel(tr("💡 点击画布添加文字"), page);
    hintLabel->setObjectName(QStringLiteral("hintLabel"));
    hintLabel->setStyleSheet(QLatin1String(hintStyle));
    hintLabel->setWordWrap(true);
    layout->addWidget(hintLabel);

    selectedTextLabel = new QLabel(page);
    selectedTextLabel->setObjectName(QStringLiteral("selectedTextLabel"));
    selectedTextLabel->setStyleSheet(QLatin1String(selectedStyle));
    selectedTextLabel->setWordWrap(true);
    selectedTextLabel->hide();
    layout->addWidget(selectedTextLabel);

    layout->addWidget(sectionLabel(tr("字体"), page));
    fontCombo = new QFontComboBox(page);
    fontCombo->setObjectName(QStringLiteral("fontCombo"));
    fontCombo->setStyleSheet(QStringLiteral("QFontComboBox { padding: 6px; }"));
    layout->addWidget(fontCombo);

    layout->addWidget(sectionLabel(tr("字号"), page));
    fontSizeSpin = new QSpinBox(page);
    fontSizeSpin->setObjectName(QStringLiteral("fontSizeSpin"));
    fontSizeSpin->setRange(8, 72);
    fontSizeSpin->setValue(16);
    fontSizeSpin->setStyleSheet(QStringLiteral("QSpinBox { padding: 6px; }"));
    layout->addWidget(fontSizeSpin);

    layout->addWidget(sectionLabel(tr("字体颜色"), page));
    QWidget *textPalette = buildPaletteRow(textColorButtons, 1);
    textPalette->setObjectName(QStringLiteral("textPalette"));
    layout->addWidget(textPalette);

    layout->addWidget(sectionLabel(tr("透明度"), page));
    transparencySlider = slider(50, 255, 255, QStringLiteral("transparencySlider"), page);
    transparencyLabel = valueLabel(QStringLiteral("100%"), QStringLiteral("transparencyLabel"), page);
    layout->addLayout(row(transparencySlider, transparencyLabel));
    layout->addStretch();

    connect(fontCombo, &QFontComboBox::currentFontChanged, this, &AnnotationDialog::onFontChanged);
    connect(fontSizeSpin, QOverload<int>::of(&QSpinBox::valueChanged), this, &AnnotationDialog::onFontSizeChanged);
    connect(transparencySlider, &QSlider::valueChanged, this, &AnnotationDialog::onTransparencyChanged);
    return page;
}

QWidget *AnnotationDialog::buildWatermarkPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    layout->addWidget(sectionLabel(tr("内容"), page));
    watermarkEdit = new QLineEdit(page);
    watermarkEdit->setObjectName(QStringLiteral("watermarkEdit"));
    watermarkEdit->setPlaceholderText(tr("例如：机密、样本等"));
    watermarkEdit->setStyleSheet(QStringLiteral("QLineEdit { padding: 8px; font-size: 13px; }"));
    layout->addWidget(watermarkEdit);

    layout->addWidget(sectionLabel(tr("位置"), page));
    watermarkPositionCombo = new QComboBox(page);
    watermarkPositionCombo->setObjectName(QStringLiteral("watermarkPositionCombo"));
    watermarkPositionCombo->addItems({ tr("居中"), tr("左上角"), tr("右上角"), tr("左下角"), tr("右下角"),
        tr("单行平铺"), tr("对角线平铺"), tr("铺满") });
    watermarkPositionCombo->setStyleSheet(QStringLiteral("QComboBox { padding: 8px; }"));
    layout->addWidget(watermarkPositionCombo);

    layout->addWidget(sectionLabel(tr("大小"), page));
    watermarkSizeSlider = slider(24, 120, 48, QStringLiteral("watermarkSizeSlider"), page);
    watermarkSizeLabel = valueLabel(QStringLiteral("48"), QStringLiteral("watermarkSizeLabel"), page);
    layout->addLayout(row(watermarkSizeSlider, watermarkSizeLabel));

    layout->addWidget(sectionLabel(tr("透明度"), page));
    watermarkOpacitySlider = slider(30, 200, 100, QStringLiteral("watermarkOpacitySlider"), page);
    // The label keeps its first text until the slider first moves.
    watermarkOpacityLabel = valueLabel(QStringLiteral("70%"), QStringLiteral("watermarkOpacityLabel"), page);
    layout->addLayout(row(watermarkOpacitySlider, watermarkOpacityLabel));

    addWatermarkButton = new QPushButton(tr("添加水印"), page);
    addWatermarkButton->setObjectName(QStringLiteral("addWatermarkButton"));
    addWatermarkButton->setCursor(Qt::PointingHandCursor);
    addWatermarkButton->setStyleSheet(QLatin1String(watermarkButtonStyle));
    layout->addWidget(addWatermarkButton);
    layout->addStretch();

    connect(watermarkSizeSlider, &QSlider::valueChanged, watermarkSizeLabel,
        [this](int value) { watermarkSizeLabel->setText(QString::number(value)); });
    connect(watermarkOpacitySlider, &QSlider::valueChanged, watermarkOpacityLabel,
        [this](int value) { watermarkOpacityLabel->setText(percentOf(value)); });
    connect(addWatermarkButton, &QPushButton::clicked, this, &AnnotationDialog::runWatermarkCommand);
    return page;
}

QWidget *AnnotationDialog::buildDrawingPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    layout->addWidget(sectionLabel(tr("工具"), page));
    toolCombo = new QComboBox(page);
    toolCombo->setObjectName(QStringLiteral("toolCombo"));
    toolCombo->addItem(tr("矩形"), int(AnnotationItem::Rectangle));
    toolCombo->addItem(tr("圆形"), int(AnnotationItem::Ellipse));
    toolCombo->addItem(tr("直线"), int(AnnotationItem::Line));
    toolCombo->addItem(tr("箭头"), int(AnnotationItem::Arrow));
    toolCombo->addItem(tr("高亮"), int(AnnotationItem::Highlight));
    toolCombo->addItem(tr("手绘"), int(AnnotationItem::Freehand));
    toolCombo->setStyleSheet(comboStyle(false));
    layout->addWidget(toolCombo);

    layout->addWidget(sectionLabel(tr("颜色"), page));
    QWidget *drawPalette = buildPaletteRow(drawColorButtons, 5);
    drawPalette->setObjectName(QStringLiteral("drawPalette"));
    layout->addWidget(drawPalette);

    layout->addWidget(sectionLabel(tr("线宽"), page));
    lineWidthSlider = slider(1, 20, 2, QStringLiteral("lineWidthSlider"), page);
    lineWidthLabel = valueLabel(QStringLiteral("2"), QStringLiteral("lineWidthLabel"), page);
    layout->addLayout(row(lineWidthSlider, lineWidthLabel));

    fillCheck = new QCheckBox(tr("填充"), page);
    fillCheck->setObjectName(QStringLiteral("fillCheck"));
    layout->addWidget(fillCheck);
    layout->addStretch();

    connect(toolCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &AnnotationDialog::onToolChanged);
    connect(lineWidthSlider, &QSlider::valueChanged, this, &AnnotationDialog::onLineWidthChanged);
    connect(fillCheck, &QCheckBox::toggled, annotationWidget, &AnnotationWidget::setFilled);
    return page;
}

void AnnotationDialog::onModeChanged(int index)
{
    modeStack->setCurrentIndex(index);
    switch (index) {
    case 0: {
        annotationWidget->setTextMode(true);
        QFont font = fontCombo->currentFont();
        font.setPointSize(fontSizeSpin->value());
        annotationWidget->setTextFont(font);
        annotationWidget->setCurrentColor(currentColor);
        annotationWidget->setTransparency(transparencySlider->value());
        break;
    }
    case 1:
        annotationWidget->setTextMode(false);
        break;
    case 2:
        annotationWidget->setTextMode(false);
        annotationWidget->setCurrentTool(toolCombo->currentData().toInt());
        break;
    default:
        break;
    }
}

void AnnotationDialog::onToolChanged(int index)
{
    annotationWidget->setCurrentTool(toolCombo->itemData(index).toInt());
}

void AnnotationDialog::onColorSelected(int colorIndex)
{
    if (colorIndex < 0 || colorIndex >= colorPalette.size())
        return;
    currentColor = colorPalette.at(colorIndex);
    annotationWidget->setCurrentColor(currentColor);
    if (annotationWidget->selectedIndex() >= 0)
        annotationWidget->setSelectedTextColor(currentColor);
    const QList<QPushButton *> *buttons = nullptr;
    if (modeCombo->currentIndex() == 0)
        buttons = &textColorButtons;
    else if (modeCombo->currentIndex() == 2)
        buttons = &drawColorButtons;
    if (buttons) {
        for (int i = 0; i < buttons->size(); ++i)
            buttons->at(i)->setChecked(i == colorIndex);
    }
}

void AnnotationDialog::onLineWidthChanged(int width)
{
    annotationWidget->setLineWidth(width);
    lineWidthLabel->setText(QString::number(width));
}

void AnnotationDialog::onFontChanged(QFont font)
{
    font.setPointSize(fontSizeSpin->value());
    annotationWidget->setTextFont(font);
    if (annotationWidget->selectedIndex() >= 0)
        annotationWidget->setSelectedTextFont(font);
}

void AnnotationDialog::onFontSizeChanged(int size)
{
    QFont font = fontCombo->currentFont();
    font.setPointSize(size);
    annotationWidget->setTextFont(font);
    if (annotationWidget->selectedIndex() >= 0)
        annotationWidget->setSelectedTextSize(size);
}

void AnnotationDialog::onTransparencyChanged(int value)
{
    annotationWidget->setTransparency(value);
    transparencyLabel->setText(percentOf(value));
}

void AnnotationDialog::onUndo()
{
    annotationWidget->annotationTool()->undo();
}

void AnnotationDialog::onRedo()
{
    annotationWidget->annotationTool()->redo();
}

void AnnotationDialog::onClear()
{
    const QMessageBox::StandardButton answer
        = QMessageBox::question(this, tr("确认"), tr("确定要清除所有批注吗？"), QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::Yes)
        annotationWidget->annotationTool()->clearAnnotations();
}

void AnnotationDialog::onApply()
{
    accept();
}

void AnnotationDialog::onCancel()
{
    reject();
}

void AnnotationDialog::onTextInputRequested(QPoint)
{
}

void AnnotationDialog::onAddWatermark()
{
    runWatermarkCommand();
}

void AnnotationDialog::onQuickAddText()
{
}

void AnnotationDialog::onWatermarkTypeChanged(int)
{
}

void AnnotationDialog::onTextAnnotationSelected(int index)
{
    if (index < 0) {
        selectedTextLabel->hide();
        return;
    }
    const AnnotationItem item = annotationWidget->annotationTool()->annotationAt(index);
    if (item.type != AnnotationItem::Text)
        return;
    const QString preview = item.text.size() > 20 ? item.text.left(20) + QStringLiteral("...") : item.text;
    selectedTextLabel->setText(tr("✏️ 已选中: \"%1\"").arg(preview));
    selectedTextLabel->show();

    const QSignalBlocker fontBlocker(fontCombo);
    const QSignalBlocker sizeBlocker(fontSizeSpin);
    const QSignalBlocker transparencyBlocker(transparencySlider);
    fontCombo->setCurrentFont(item.font);
    fontSizeSpin->setValue(item.font.pointSize());
    for (int i = 0; i < textColorButtons.size(); ++i)
        textColorButtons.at(i)->setChecked(colorPalette.at(i).rgb() == item.color.rgb() && item.color.isValid());
    transparencySlider->setValue(item.transparency);
    transparencyLabel->setText(percentOf(item.transparency));
}

void AnnotationDialog::runWatermarkCommand()
{
    // Blank text would place invisible annotations that still catch clicks.
    if (watermarkEdit->text().trimmed().isEmpty()) {
        QMessageBox::warning(this, tr("提示"), tr("请输入水印内容"));
        return;
    }
    addWatermark(watermarkEdit->text(), watermarkPositionCombo->currentIndex(), watermarkOpacitySlider->value());
}

QSize AnnotationDialog::watermarkTextSize(const QString &text, const QFont &font)
{
    return AnnotationWidget::textBoxSize(text, font) - QSize(100, 40);
}

QVector<QPoint> AnnotationDialog::watermarkPositions(int position, const QSize &pageSize, int textW, int textH)
{
    const int w = pageSize.width();
    const int h = pageSize.height();
    const int bw = textW + 100;
    const int bh = textH + 40;
    QVector<QPoint> corners;
    switch (position) {
    case WatermarkCenter:
        corners << QPoint((w - bw) / 2, (h - bh) / 2);
        break;
    case WatermarkTopLeft:
        corners << QPoint(20, 20);
        break;
    case WatermarkTopRight:
        corners << QPoint(w - bw - 20, 20);
        break;
    case WatermarkBottomLeft:
        corners << QPoint(20, h - bh - 20);
        break;
    case WatermarkBottomRight:
        corners << QPoint(w - bw - 20, h - bh - 20);
        break;
    case WatermarkRowTile: {
        const int y = h / 2 - bh / 2;
        for (int x = 0; x < w; x += textW + 150)
            corners << QPoint(x, y);
        break;
    }
    case WatermarkDiagonalTile: {
        const int step = 2 * std::max(bw, bh);
        for (int y = -h; y < 2 * h; y += step) {
            for (int x = -w; x < 2 * w; x += step)
                corners << QPoint(x, y);
        }
        break;
    }
    case WatermarkFill:
        for (int y = 50; y < h; y += textH + 120) {
            for (int x = 50; x < w; x += textW + 200)
                corners << QPoint(x, y);
        }
        break;
    default:
        corners << QPoint(0, 0);
        break;
    }
    return corners;
}

void AnnotationDialog::addWatermark(const QString &text, int position, int opacity)
{
    QFont font = fontCombo->currentFont();
    font.setPointSize(watermarkSizeSlider->value());
    font.setWeight(QFont::Bold);
    const QSize textSize = watermarkTextSize(text, font);
    const QSize box(textSize.width() + 100, textSize.height() + 40);

    AnnotationItem item;
    item.type = AnnotationItem::Text;
    item.text = text;
    item.font = font;
    item.color = QColor(128, 128, 128);
    item.transparency = opacity;
    item.lineWidth = 2;
    item.filled = false;
    AnnotationTool *tool = annotationWidget->annotationTool();
    for (const QPoint &corner : watermarkPositions(position, pageImage.size(), textSize.width(), textSize.height())) {
        item.rect = QRect(corner, box);
        tool->addAnnotation(item);
    }
}
