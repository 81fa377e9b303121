#include "ui/dialogs/blankpagesettingsdialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "settings/appsettings.h"
#include "ui/dialogs/dialogstyles.h"

namespace {

const char *const sliderStyle = "QSlider::groove:horizontal {    border: 1px solid #999999;    height: 8px;    "
                                "background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #B0B0B0, stop:1 #00BFFF);"
                                "    margin: 2px 0;    border-radius: 4px;}QSlider::handle:horizontal {    "
                                "background: white;    border: 2px solid #5c5c5c;    width: 18px;    margin: -5px 0;"
                                "    border-radius: 9px;}QSlider::handle:horizontal:hover {    background: #00BFFF;"
                                "    border: 2px solid #0080FF;}";

QLabel *boldLabel(const QString &text, QWidget *parent)
{
    QLabel *label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 13px;"));
    return label;
}

} // namespace

BlankPageSettingsDialog::BlankPageSettingsDialog(int threshold, int ratio, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("blankPageSettingsDialog"));
    setWindowTitle(tr("空白页参数设置"));
    setMinimumSize(500, 400);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("<b>调整空白页检测灵敏度</b>"), this));

    QGroupBox *group = new QGroupBox(tr("检测参数"), this);
    QVBoxLayout *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(boldLabel(tr("白色阈值"), group));
    thresholdSpin = addSliderRow(groupLayout, 200, 255, threshold, 10, QStringLiteral("threshold"));
    thresholdSlider = group->findChild<QSlider *>(QStringLiteral("thresholdSlider"));
    QLabel *thresholdHint = new QLabel(tr("像素亮度大于此值被认为是空白像素（推荐：235-245）"), group);
    thresholdHint->setWordWrap(true);
    thresholdHint->setStyleSheet(QStringLiteral("color: #666; font-size: 11px; margin-bottom: 15px;"));
    groupLayout->addWidget(thresholdHint);
    groupLayout->addWidget(boldLabel(tr("阈值范围"), group));
    ratioSpin = addSliderRow(groupLayout, 85, 100, ratio, 5, QStringLiteral("ratio"));
    ratioSlider = group->findChild<QSlider *>(QStringLiteral("ratioSlider"));
    QLabel *ratioHint = new QLabel(tr("空白像素占比大于此值判定为空白页（推荐：96-99，已忽略边缘1%）"), group);
    ratioHint->setWordWrap(true);
    ratioHint->setStyleSheet(QStringLiteral("color: #666; font-size: 11px;"));
    groupLayout->addWidget(ratioHint);
    layout->addWidget(group);

    QLabel *advice
        = new QLabel(tr("<b>调整建议：</b><br>• 空白页未被检测到 → 降低白色阈值或阈值范围<br>• 非空白页被误判 → "
                        "提高白色阈值或阈值范围<br>• 有淡色背景的纸张 → 降低白色阈值到 230-235<br>• "
                        "有水印的空白页 → 降低阈值范围到 93-95<br>• 少量文字被误判 → 提高阈值范围到 99"),
            this);
    advice->setWordWrap(true);
    advice->setStyleSheet(DialogStyles::blueHint());
    layout->addWidget(advice);

    QDialogButtonBox *buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults, this);
    QPushButton *restore = buttons->button(QDialogButtonBox::RestoreDefaults);
    restore->setText(tr("恢复默认"));
    connect(restore, &QPushButton::clicked, this, [this]() {
        thresholdSlider->setValue(AppSettings::blankPageThreshold.defaultValue());
        ratioSlider->setValue(AppSettings::blankPageRatio.defaultValue());
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QSpinBox *BlankPageSettingsDialog::addSliderRow(
    QVBoxLayout *layout, int minimum, int maximum, int value, int tick, const QString &name)
{
    QWidget *parent = layout->parentWidget();
    QHBoxLayout *row = new QHBoxLayout;
    QSlider *slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name + QStringLiteral("Slider"));
    slider->setRange(minimum, maximum);
    slider->setValue(value);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(tick);
    slider->setMinimumWidth(300);
    slider->setStyleSheet(QString::fromUtf8(sliderStyle));
    QSpinBox *spin = new QSpinBox(parent);
    spin->setObjectName(name + QStringLiteral("Spin"));
    spin->setRange(minimum, maximum);
    spin->setValue(value);
    spin->setMinimumWidth(80);
    spin->setAlignment(Qt::AlignCenter);
    spin->setStyleSheet(QStringLiteral("font-size: 14px; padding: 5px;"));
    connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
    connect(spin, QOverload<int>::of(&QSpinBox::valueChanged), slider, &QSlider::setValue);
    row->addWidget(slider);
    row->addWidget(spin);
    layout->addLayout(row);
    return spin;
}

int BlankPageSettingsDialog::threshold() const
{
    return thresholdSpin->value();
}

int BlankPageSettingsDialog::ratio() const
{
    return ratioSpin->value();
}
