#pragma once

#include <QDialog>

class QDoubleSpinBox;

// Asks for a rotation angle in degrees (positive = clockwise), to a tenth of
// a degree, with quick one-degree steps.
class AngleDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AngleDialog(QWidget *parent = nullptr);

    double angle() const;

private:
    QDoubleSpinBox *angleSpin = nullptr;
};
