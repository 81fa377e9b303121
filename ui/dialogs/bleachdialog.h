#pragma once

#include <QDialog>

class QSpinBox;

// Asks for the bleaching parameters: background threshold and strength.
class BleachDialog : public QDialog
{
    Q_OBJECT

public:
    explicit BleachDialog(QWidget *parent = nullptr);

    int threshold() const;
    int strength() const;

private:
    QSpinBox *thresholdSpin = nullptr;
    QSpinBox *strengthSpin = nullptr;
};
