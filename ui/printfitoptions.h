#pragma once

#include <QWidget>

#include "ui/pageprinter.h"

class QCheckBox;

// The print dialog's extra tab (QPrintDialog::setOptionTabs): whether pages print at
// their real size or fitted to the paper. Values in, values out; GUI thread.
class PrintFitOptions : public QWidget
{
    Q_OBJECT

public:
    explicit PrintFitOptions(QWidget *parent = nullptr);

    PagePrinter::Scaling scaling() const;
    void setScaling(PagePrinter::Scaling scaling);

private:
    QCheckBox *fitCheck = nullptr;
};
