#include "ui/dialogs/layoutdialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A preset's button with the lines under it that say where everything goes.
QPushButton *addPreset(QVBoxLayout *layout, const QString &text, const QString &toolTip, const QString &description)
{
    QWidget *parent = layout->parentWidget();
    QPushButton *button = new QPushButton(text, parent);
    button->setToolTip(toolTip);
    button->setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding: 10px; }"));
    QLabel *label = new QLabel(description, parent);
    label->setStyleSheet(QStringLiteral("color: #666; font-size: 11px; margin-left: 20px; margin-bottom: 10px;"));
    layout->addWidget(button);
    layout->addWidget(label);
    return button;
}

} // namespace

LayoutDialog::LayoutDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("layoutDialog"));
    setWindowTitle(tr("界面布局设置"));
    setMinimumWidth(500);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("<b>选择界面布局</b>"), this));

    QGroupBox *presets = new QGroupBox(tr("预设布局"), this);
    QVBoxLayout *presetLayout = new QVBoxLayout(presets);
    QPushButton *defaultButton = addPreset(presetLayout, tr("📐 默认布局"), tr("工具栏在上，页面列表在左，扫描配置在右"),
        tr("  • 工具栏：顶部\n  • 页面列表：左侧\n  • 扫描配置：右侧\n  • 适合：标准使用"));
    connect(defaultButton, &QPushButton::clicked, this, &LayoutDialog::defaultLayoutChosen);
    QPushButton *mirroredButton
        = addPreset(presetLayout, tr("🔄 反转布局"), tr("工具栏在上，扫描配置在左，页面列表在右"),
            tr("  • 工具栏：顶部\n  • 扫描配置：左侧\n  • 页面列表：右侧\n  • 适合：左手操作"));
    connect(mirroredButton, &QPushButton::clicked, this, &LayoutDialog::mirroredLayoutChosen);
    layout->addWidget(presets);

    QPushButton *resetButton = new QPushButton(tr("🔄 恢复默认布局"), this);
    resetButton->setStyleSheet(
        QStringLiteral("QPushButton { background-color: #FFA500; color: white; font-weight: bold; padding: 8px; }"));
    connect(resetButton, &QPushButton::clicked, this, &LayoutDialog::resetChosen);
    layout->addWidget(resetButton);

    QLabel *hints = new QLabel(tr("<b>提示：</b><br>• 所有停靠窗口都可以自由拖动和调整大小<br>• "
                                  "可以将停靠窗口拖出主窗口成为独立窗口<br>• 双击停靠窗口标题栏可以最大化/还原<br>• "
                                  "布局设置会自动保存"),
        this);
    hints->setWordWrap(true);
    hints->setStyleSheet(QStringLiteral("color: #444; font-size: 11px; padding: 12px; background-color: #e3f2fd; "
                                        "border-radius: 5px; border-left: 4px solid #2196F3;"));
    layout->addWidget(hints);

    QPushButton *closeButton = new QPushButton(tr("关闭"), this);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(closeButton);
}
