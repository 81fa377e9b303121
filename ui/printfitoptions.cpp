#include "ui/printfitoptions.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

PrintFitOptions::PrintFitOptions(QWidget *parent)
    : QWidget(parent)
{
    // The print dialog names the tab after the widget's title.
    setWindowTitle(tr("页面缩放"));
    fitCheck = new QCheckBox(tr("适合纸张"), this);
    fitCheck->setObjectName(QStringLiteral("fitToPaperCheck"));
    auto *hint = new QLabel(tr("不勾选时按扫描时的实际尺寸打印，大于纸张的页面缩小到纸张大小。"), this);
    hint->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fitCheck);
    layout->addWidget(hint);
    layout->addStretch();
}

PagePrinter::Scaling PrintFitOptions::scaling() const
{
    return fitCheck->isChecked() ? PagePrinter::Scaling::FitToPaper : PagePrinter::Scaling::RealSize;
}

void PrintFitOptions::setScaling(PagePrinter::Scaling scaling)
{
    fitCheck->setChecked(scaling == PagePrinter::Scaling::FitToPaper);
}
