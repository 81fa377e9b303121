#include "ui/dialogs/advancedsettingsdialog.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMetaEnum>
#include <QPushButton>
#include <QVBoxLayout>

AdvancedSettingsDialog::AdvancedSettingsDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("advancedSettingsDialog"));
    setWindowTitle(tr("高级图像处理设置"));
    resize(400, 300);
    QVBoxLayout *layout = new QVBoxLayout(this);

    QGroupBox *group = new QGroupBox(tr("图像处理功能"), this);
    // Two columns: one column of sixteen buttons is taller than a 768-pixel screen leaves.
    QGridLayout *groupLayout = new QGridLayout(group);
    const QMetaEnum commands = QMetaEnum::fromType<Command>();
    int placed = 0;
    auto addButton = [this, group, groupLayout, commands, &placed](
                         const QString &text, const char *icon, const QString &tip, Command command) {
        QPushButton *button = new QPushButton(QIcon(QString::fromLatin1(icon)), text, group);
        button->setObjectName(QString::fromLatin1(commands.valueToKey(command)));
        button->setToolTip(tip);
        connect(button, &QPushButton::clicked, this, [this, command]() {
            chosen = command;
            accept();
        });
        groupLayout->addWidget(button, placed / 2, placed % 2);
        ++placed;
        return button;
    };
    addButton(tr("角度调整"), ":/icons/auto-deskew.svg", tr("手动调整图像旋转角度（支持精确到0.1度）"), AngleCommand);
    addButton(
        tr("自动纠偏"), ":/icons/auto-deskew.svg", tr("自动检测页面的倾斜角度并校正（±15度以内）"), StraightenCommand);
    addButton(tr("自动裁切"), ":/icons/crop.svg", tr("找到平板扫描中纸张的边缘，裁切到纸张"), CropPaperCommand);
    addButton(tr("自动转正"), ":/icons/rotate-right.svg", tr("识别文字方向，把横放或倒置的页面转正"), OrientCommand);
    addButton(tr("文档增强"), ":/icons/enhance-text.svg", tr("保留彩色，突出内容，去除背景"), EnhanceCommand);
    addButton(tr("去除边框"), ":/icons/remove-border.svg", tr("自动去除扫描图像的边框"), BorderCommand);
    addButton(tr("图片漂白"), ":/icons/bleach.svg", tr("去除扫描图像的底色，使背景更白净"), BleachCommand);
    addButton(tr("空白页参数"), ":/icons/blank-page-simple.svg", tr("调整空白页检测的灵敏度参数"), BlankPageCommand);
    addButton(tr("亮度、对比度"), ":/icons/brightness.svg", tr("调整图像的亮度和对比度"), BrightnessContrastCommand);
    addButton(tr("色度、饱和度"), ":/icons/color.svg", tr("调整图像的色度和饱和度"), HueSaturationCommand);
    addButton(tr("灰度"), ":/icons/layout.svg", tr("将图像转换为灰度图像"), GrayscaleCommand);
    addButton(tr("黑白"), ":/icons/enhance-text.svg", tr("按自动计算的阈值将图像转换为黑白两色"), BinaryCommand);
    addButton(tr("自动色阶"), ":/icons/brightness.svg", tr("自动拉伸各颜色通道的色阶范围"), AutoLevelCommand);
    addButton(tr("识别文字"), ":/icons/enhance-text.svg", tr("显示当前页面识别出的文字"), RecognizeTextCommand);
    addButton(tr("拆分多张原稿"), ":/icons/layout-columns.svg",
        tr("把平板上同时扫描的多张原稿（收据、卡片、照片）各拆成一页，摆正并裁切"), SplitOriginalsCommand);

    QFrame *line = new QFrame(group);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    placed += placed % 2;
    groupLayout->addWidget(line, placed / 2, 0, 1, 2);
    placed += 2;

    QPushButton *undo
        = addButton(tr("撤销上一步操作"), ":/icons/undo.svg", tr("撤销最近一次的操作（最多100步）"), UndoCommand);
    undo->setStyleSheet(QStringLiteral("QPushButton { background-color: #FFA500; color: white; font-weight: bold; }"));
    layout->addWidget(group);

    QLabel *hint = new QLabel(tr("提示：这些高级功能将应用于当前选中的图像。\n处理可能需要一些时间，请耐心等待。\n"
                                 "所有操作都支持撤销（最多100步）。"),
        this);
    hint->setWordWrap(true);
    hint->setStyleSheet(QStringLiteral("QLabel { color: #666; font-size: 12px; }"));
    layout->addWidget(hint);

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}
