#include "ui/dialogs/bleachdialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

BleachDialog::BleachDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("bleachDialog"));
    setWindowTitle(tr("图片漂白设置"));
    // Only a width: the height follows the wrapped note, which a fixed size would
    // squeeze the spin boxes for.
    setMinimumWidth(350);
    QVBoxLayout *layout = new QVBoxLayout(this);

    QGroupBox *group = new QGroupBox(tr("漂白参数"), this);
    QFormLayout *form = new QFormLayout(group);
    thresholdSpin = new QSpinBox(group);
    thresholdSpin->setObjectName(QStringLiteral("thresholdSpin"));
    thresholdSpin->setRange(180, 255);
    thresholdSpin->setValue(240);
    thresholdSpin->setToolTip(tr("背景色检测阈值，值越高检测越严格"));
    strengthSpin = new QSpinBox(group);
    strengthSpin->setObjectName(QStringLiteral("strengthSpin"));
    strengthSpin->setRange(20, 100);
    strengthSpin->setValue(80);
    strengthSpin->setToolTip(tr("漂白强度，值越高漂白效果越强"));
    form->addRow(tr("检测阈值:"), thresholdSpin);
    form->addRow(tr("漂白强度:"), strengthSpin);
    layout->addWidget(group);

    QLabel *info
        = new QLabel(tr("图片漂白功能可以去除扫描文档的底色，\n使背景更加白净。适用于有轻微底色的文档。"), this);
    info->setWordWrap(true);
    info->setStyleSheet(QStringLiteral("QLabel { color: #666; font-size: 12px; margin: 10px; }"));
    layout->addWidget(info);

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int BleachDialog::threshold() const
{
    return thresholdSpin->value();
}

int BleachDialog::strength() const
{
    return strengthSpin->value();
}
