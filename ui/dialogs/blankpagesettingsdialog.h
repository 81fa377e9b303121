#pragma once

#include <QDialog>

class QSlider;
class QVBoxLayout;
class QSpinBox;

// Asks for the blank-page detection parameters: the white threshold
// (200-255) and the minimum white share in percent (85-100).
class BlankPageSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    BlankPageSettingsDialog(int threshold, int ratio, QWidget *parent = nullptr);

    int threshold() const;
    int ratio() const;

private:
    QSpinBox *addSliderRow(QVBoxLayout *layout, int minimum, int maximum, int value, int tick, const QString &name);

    QSlider *thresholdSlider = nullptr;
    QSpinBox *thresholdSpin = nullptr;
    QSlider *ratioSlider = nullptr;
    QSpinBox *ratioSpin = nullptr;
};
