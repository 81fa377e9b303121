#include "ui/dialogs/scansettingsdialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QLabel *descriptionLabel(const QString &text, const QString &styleSheet, QWidget *parent)
{
    QLabel *label = new QLabel(text, parent);
    label->setStyleSheet(styleSheet);
    return label;
}

} // namespace

ScanSettingsDialog::ScanSettingsDialog(SearchMode searchMode, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("scanSettingsDialog"));
    setWindowTitle(tr("扫描设置"));
    setMinimumWidth(450);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("<b>扫描仪搜索设置</b>"), this));

    const QString spacedDescription
        = QStringLiteral("color: #666; font-size: 11px; margin-left: 20px; margin-bottom: 10px;");
    const QString lastDescription = QStringLiteral("color: #666; font-size: 11px; margin-left: 20px;");

    QGroupBox *modes = new QGroupBox(tr("搜索模式"), this);
    QVBoxLayout *modeLayout = new QVBoxLayout(modes);
    usbOnlyButton = new QRadioButton(tr("仅USB连接"), modes);
    usbOnlyButton->setObjectName(QStringLiteral("usbOnlyButton"));
    usbOnlyButton->setToolTip(tr("  • 搜索速度：快（< 5秒）\n  • 设备类型：USB、并口、串口\n  • 推荐：日常使用"));
    usbAndNetworkButton = new QRadioButton(tr("USB + 局域网"), modes);
    usbAndNetworkButton->setObjectName(QStringLiteral("usbAndNetworkButton"));
    usbAndNetworkButton->setToolTip(tr("  • 搜描速度：较慢（5-15秒）\n  • 设备类型：USB + "
                                       "网络设备（eSCL/AirScan）\n  • 适用：有网络扫描仪时使用"));
    esclOnlyButton = new QRadioButton(tr("仅 eSCL（原生）"), modes);
    esclOnlyButton->setObjectName(QStringLiteral("esclOnlyButton"));
    esclOnlyButton->setToolTip(tr("  • 搜索速度：快（< 3秒）\n  • 设备类型：eSCL网络扫描仪\n  • "
                                  "优势：原生实现，稳定性更好\n  • 推荐：Pantum、HP、Canon等网络扫描仪"));
    usbOnlyButton->setChecked(searchMode == SearchMode::UsbOnly);
    usbAndNetworkButton->setChecked(searchMode == SearchMode::UsbAndNetwork);
    esclOnlyButton->setChecked(searchMode == SearchMode::EsclOnly);

    modeLayout->addWidget(usbOnlyButton);
    modeLayout->addWidget(descriptionLabel(tr("只搜索USB连接的扫描仪（快速，推荐）"), spacedDescription, modes));
    modeLayout->addWidget(usbAndNetworkButton);
    modeLayout->addWidget(descriptionLabel(tr("搜索USB和局域网中的扫描仪（较慢）"), spacedDescription, modes));
    modeLayout->addWidget(esclOnlyButton);
    modeLayout->addWidget(
        descriptionLabel(tr("使用原生eSCL协议，不依赖SANE（推荐网络扫描仪）"), lastDescription, modes));
    layout->addWidget(modes);

    QLabel *help = new QLabel(tr("<b>关于扫描模式：</b><br>• <b>仅USB</b>：传统SANE方式，支持USB扫描仪<br>• "
                                 "<b>USB+局域网</b>：SANE方式，支持USB和网络扫描仪<br>• "
                                 "<b>仅eSCL</b>：原生实现，直接支持eSCL网络扫描仪<br><br><b>eSCL模式优势：</b><br>• "
                                 "不依赖SANE后端，兼容性更好<br>• 支持稿台和ADF扫描<br>• 智能重试机制，成功率更高<br>• "
                                 "适用于Pantum、HP、Canon等品牌<br><br><b>提示：</b><br>• 如果使用网络扫描仪，推荐选择 "
                                 "<b>仅eSCL</b> 模式<br>• 切换模式后需要重新点击 [查找设备]"),
        this);
    help->setWordWrap(true);
    help->setStyleSheet(QStringLiteral("color: #444; font-size: 11px; padding: 12px; background-color: #e7f3ff; "
                                       "border-radius: 5px; border-left: 4px solid #2196F3;"));
    layout->addWidget(help);

    QPushButton *addButton = new QPushButton(tr("➕ 添加 eSCL 设备"), this);
    addButton->setObjectName(QStringLiteral("addEsclDeviceButton"));
    addButton->setToolTip(tr("手动添加 eSCL 网络扫描仪"));
    addButton->setStyleSheet(QStringLiteral("QPushButton { padding: 8px; background-color: #4CAF50; color: white; "
                                            "border-radius: 4px; font-weight: bold; } QPushButton:hover { "
                                            "background-color: #45a049; }"));
    addButton->setAutoDefault(false);
    connect(addButton, &QPushButton::clicked, this, &ScanSettingsDialog::addEsclDeviceRequested);
    layout->addWidget(addButton);

    QPushButton *removeButton = new QPushButton(tr("🗑️ 删除 eSCL 设备"), this);
    removeButton->setObjectName(QStringLiteral("removeEsclDeviceButton"));
    removeButton->setToolTip(tr("删除已添加的 eSCL 网络扫描仪"));
    removeButton->setStyleSheet(QStringLiteral("QPushButton { padding: 8px; background-color: #f44336; color: white; "
                                               "border-radius: 4px; font-weight: bold; } QPushButton:hover { "
                                               "background-color: #da190b; }"));
    removeButton->setAutoDefault(false);
    connect(removeButton, &QPushButton::clicked, this, &ScanSettingsDialog::removeEsclDeviceRequested);
    layout->addWidget(removeButton);

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

SearchMode ScanSettingsDialog::searchMode() const
{
    if (esclOnlyButton->isChecked())
        return SearchMode::EsclOnly;
    if (usbAndNetworkButton->isChecked())
        return SearchMode::UsbAndNetwork;
    return SearchMode::UsbOnly;
}
