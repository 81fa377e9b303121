#include "ui/dialogs/mergedialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

MergeDialog::MergeDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("mergeDialog"));
    setWindowTitle(tr("合并图片"));
    setMinimumWidth(400);
    const MergeOptions defaults;

    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("<b>合并图片</b>"), this));
    QLabel *selected = new QLabel(tr("已选择 2 张图片"), this);
    selected->setStyleSheet(QStringLiteral("color: #666; margin: 10px 0;"));
    layout->addWidget(selected);

    QGroupBox *directionGroup = new QGroupBox(tr("合并方式"), this);
    QVBoxLayout *directionLayout = new QVBoxLayout(directionGroup);
    sideBySideRadio = new QRadioButton(tr("左右合并（适合身份证、驾驶证等横向证件）"), directionGroup);
    sideBySideRadio->setObjectName(QStringLiteral("sideBySideRadio"));
    stackedRadio = new QRadioButton(tr("上下合并（适合户口本、竖向证件或文档）"), directionGroup);
    stackedRadio->setObjectName(QStringLiteral("stackedRadio"));
    (defaults.sideBySide ? sideBySideRadio : stackedRadio)->setChecked(true);
    directionLayout->addWidget(sideBySideRadio);
    directionLayout->addWidget(stackedRadio);
    layout->addWidget(directionGroup);

    QGroupBox *spacingGroup = new QGroupBox(tr("图片间距"), this);
    QHBoxLayout *spacingLayout = new QHBoxLayout(spacingGroup);
    spacingSpin = new QSpinBox(spacingGroup);
    spacingSpin->setObjectName(QStringLiteral("spacingSpin"));
    spacingSpin->setRange(0, 100);
    spacingSpin->setSuffix(tr(" 像素"));
    spacingSpin->setValue(defaults.spacing);
    spacingLayout->addWidget(new QLabel(tr("间距:"), spacingGroup));
    spacingLayout->addWidget(spacingSpin);
    spacingLayout->addStretch();
    layout->addWidget(spacingGroup);

    smartSplitCheck = new QCheckBox(tr("智能拆分图片（推荐）"), this);
    smartSplitCheck->setObjectName(QStringLiteral("smartSplitCheck"));
    smartSplitCheck->setChecked(defaults.smartSplit);
    smartSplitCheck->setToolTip(tr("自动检测包含多个内容的图片，拆分后保留需要的部分"));
    layout->addWidget(smartSplitCheck);

    autoCropCheck = new QCheckBox(tr("自动裁剪空白边缘"), this);
    autoCropCheck->setObjectName(QStringLiteral("autoCropCheck"));
    autoCropCheck->setChecked(defaults.autoCrop);
    autoCropCheck->setToolTip(tr("自动检测并裁剪图片周围的空白区域"));
    layout->addWidget(autoCropCheck);

    QGroupBox *trimGroup = new QGroupBox(tr("边缘裁剪（避免黑白边）"), this);
    QHBoxLayout *trimLayout = new QHBoxLayout(trimGroup);
    edgeTrimCheck = new QCheckBox(tr("启用边缘裁剪"), trimGroup);
    edgeTrimCheck->setObjectName(QStringLiteral("edgeTrimCheck"));
    edgeTrimCheck->setChecked(true);
    edgeTrimCheck->setToolTip(tr("裁剪图片四周边缘，避免扫描产生的黑白边"));
    edgeTrimLabel = new QLabel(tr("裁剪宽度:"), trimGroup);
    edgeTrimSpin = new QSpinBox(trimGroup);
    edgeTrimSpin->setObjectName(QStringLiteral("edgeTrimSpin"));
    edgeTrimSpin->setRange(0, 50);
    edgeTrimSpin->setSuffix(tr(" 像素"));
    edgeTrimSpin->setValue(defaults.edgeTrim);
    edgeTrimSpin->setToolTip(tr("裁剪图片四周的像素数量"));
    connect(edgeTrimCheck, &QCheckBox::toggled, edgeTrimLabel, &QWidget::setEnabled);
    connect(edgeTrimCheck, &QCheckBox::toggled, edgeTrimSpin, &QWidget::setEnabled);
    trimLayout->addWidget(edgeTrimCheck);
    trimLayout->addWidget(edgeTrimLabel);
    trimLayout->addWidget(edgeTrimSpin);
    trimLayout->addStretch();
    layout->addWidget(trimGroup);

    deleteSourcesCheck = new QCheckBox(tr("合并后删除原始图片"), this);
    deleteSourcesCheck->setObjectName(QStringLiteral("deleteSourcesCheck"));
    deleteSourcesCheck->setChecked(defaults.deleteSources);
    layout->addWidget(deleteSourcesCheck);

    QLabel *notes
        = new QLabel(tr("<b>智能合并说明：</b><br>• 智能拆分：检测到包含多个内容的图片时，自动拆分并保留需要的部分"
                        "<br>• 自动裁剪：去除图片周围的空白，提取实际内容<br>• "
                        "边缘裁剪：裁剪图片四周边缘，避免扫描产生的黑白边<br>• "
                        "合并后的图片将添加到页面列表末尾<br>• 图片将自动居中对齐，背景为白色"),
            this);
    notes->setWordWrap(true);
    notes->setStyleSheet(QStringLiteral("color: #444; font-size: 11px; padding: 10px; background-color: #f5f5f5; "
                                        "border-radius: 5px; margin-top: 10px;"));
    layout->addWidget(notes);

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

MergeOptions MergeDialog::options() const
{
    MergeOptions options;
    options.sideBySide = sideBySideRadio->isChecked();
    options.spacing = spacingSpin->value();
    options.smartSplit = smartSplitCheck->isChecked();
    options.autoCrop = autoCropCheck->isChecked();
    options.edgeTrim = edgeTrimCheck->isChecked() ? edgeTrimSpin->value() : 0;
    options.deleteSources = deleteSourcesCheck->isChecked();
    return options;
}
