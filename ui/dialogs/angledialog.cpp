#include "ui/dialogs/angledialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/dialogstyles.h"

AngleDialog::AngleDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("angleDialog"));
    setWindowTitle(tr("角度调整"));
    setMinimumWidth(350);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("<b>手动调整图像旋转角度</b>"), this));

    QGroupBox *quick = new QGroupBox(tr("快速调整"), this);
    QHBoxLayout *quickLayout = new QHBoxLayout(quick);
    QPushButton *left = new QPushButton(tr("← 左转 1°"), quick);
    left->setObjectName(QStringLiteral("leftOneDegree"));
    QPushButton *right = new QPushButton(tr("右转 1° →"), quick);
    right->setObjectName(QStringLiteral("rightOneDegree"));
    quickLayout->addWidget(left);
    quickLayout->addWidget(right);
    layout->addWidget(quick);

    QGroupBox *exact = new QGroupBox(tr("精确调整"), this);
    QFormLayout *exactLayout = new QFormLayout(exact);
    angleSpin = new QDoubleSpinBox(exact);
    angleSpin->setObjectName(QStringLiteral("angleSpin"));
    angleSpin->setRange(-180.0, 180.0);
    angleSpin->setSingleStep(0.1);
    angleSpin->setDecimals(1);
    angleSpin->setSuffix(tr(" 度"));
    angleSpin->setValue(0.0);
    exactLayout->addRow(tr("旋转角度:"), angleSpin);
    layout->addWidget(exact);
    connect(left, &QPushButton::clicked, this, [this]() { angleSpin->setValue(angleSpin->value() - 1.0); });
    connect(right, &QPushButton::clicked, this, [this]() { angleSpin->setValue(angleSpin->value() + 1.0); });

    layout->addWidget(DialogStyles::usageLabel(tr("\n<b>使用说明：</b>\n• 正值：顺时针旋转\n• 负值：逆时针旋转\n• "
                                                  "快速按钮：快速调整常用角度\n• 精确输入：输入任意角度（支持小数）\n• "
                                                  "可以多次调整，点击确定后应用"),
        this));

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

double AngleDialog::angle() const
{
    return angleSpin->value();
}
