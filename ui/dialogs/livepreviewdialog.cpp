#include "ui/dialogs/livepreviewdialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

#include "ui/dialogs/dialogstyles.h"

LivePreviewDialog::Setup LivePreviewDialog::brightnessContrast()
{
    return { tr("亮度、对比度调整（实时预览）"), tr("<b>调整图像的亮度和对比度</b>"), tr("亮度 (-100 到 100):"), -100,
        100, 20, tr("对比度 (-100 到 100):"), -100, 100, 20,
        tr("\n<b>使用说明：</b>\n• 拖动滑块即可实时预览效果\n• 亮度：正值变亮，负值变暗\n• "
           "对比度：正值增强，负值降低\n• 点击确定应用，取消恢复原图") };
}

LivePreviewDialog::Setup LivePreviewDialog::hueSaturation()
{
    return { tr("色度、饱和度调整（实时预览）"), tr("<b>调整图像的色度和饱和度</b>"), tr("色度 (-180 到 180):"), -180,
        180, 30, tr("饱和度 (-100 到 100):"), -100, 100, 20,
        tr("\n<b>使用说明：</b>\n• 拖动滑块即可实时预览效果\n• 色度：正值暖色调，负值冷色调\n• "
           "饱和度：正值更鲜艳，负值更灰暗\n• 点击确定应用，取消恢复原图") };
}

LivePreviewDialog::LivePreviewDialog(const Setup &setup, PreviewCoalescer::Operation preview, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("livePreviewDialog"));
    setWindowTitle(setup.title);
    setMinimumWidth(400);
    previewer = new PreviewCoalescer(std::move(preview), this);
    connect(
        previewer, &PreviewCoalescer::previewReady, this, [this](const QImage &image) { emit previewReady(image); });
    // A preview still running when the dialog closes finishes; nothing newer
    // may be computed after the answer.
    connect(this, &QDialog::finished, previewer, &PreviewCoalescer::discard);

    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(setup.heading, this));

    QGroupBox *group = new QGroupBox(tr("调整参数（拖动滑块实时预览）"), this);
    QFormLayout *form = new QFormLayout(group);
    firstSlider = addRow(
        form, setup.firstLabel, setup.firstMinimum, setup.firstMaximum, setup.firstTickInterval, "firstSlider");
    secondSlider = addRow(
        form, setup.secondLabel, setup.secondMinimum, setup.secondMaximum, setup.secondTickInterval, "secondSlider");
    layout->addWidget(group);

    layout->addWidget(DialogStyles::usageLabel(setup.usage, this));

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QSlider *LivePreviewDialog::addRow(
    QFormLayout *form, const QString &label, int minimum, int maximum, int tick, const char *name)
{
    QWidget *row = new QWidget(this);
    QHBoxLayout *rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    QSlider *slider = new QSlider(Qt::Horizontal, row);
    slider->setObjectName(QString::fromLatin1(name));
    slider->setRange(minimum, maximum);
    slider->setValue(0);
    slider->setTickInterval(tick);
    slider->setTickPosition(QSlider::TicksBelow);
    QLabel *value = new QLabel(QStringLiteral("0"), row);
    value->setObjectName(QString::fromLatin1(name) + QStringLiteral("Value"));
    // Room for "-180" so the slider does not jump as the number grows.
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("-180")) + 4);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    rowLayout->addWidget(slider);
    rowLayout->addWidget(value);
    connect(slider, &QSlider::valueChanged, this, [this, value](int number) {
        value->setText(QString::number(number));
        requestPreview();
    });
    form->addRow(label, row);
    return slider;
}

void LivePreviewDialog::requestPreview()
{
    previewer->request(firstSlider->value(), secondSlider->value());
}

int LivePreviewDialog::firstValue() const
{
    return firstSlider->value();
}

int LivePreviewDialog::secondValue() const
{
    return secondSlider->value();
}
