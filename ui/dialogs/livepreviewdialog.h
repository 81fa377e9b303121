#pragma once

#include <QDialog>
#include <QImage>
#include <QString>

#include "ui/previewcoalescer.h"

class QFormLayout;
class QLabel;
class QSlider;

// What a live-preview dialog shows: its title, heading, two slider rows and
// the usage text.
struct LivePreviewSetup
{
    QString title;
    QString heading;
    QString firstLabel;
    int firstMinimum;
    int firstMaximum;
    int firstTickInterval;
    QString secondLabel;
    int secondMinimum;
    int secondMaximum;
    int secondTickInterval;
    QString usage;
};

// A two-slider adjustment dialog with live preview. It is handed the operation
// to preview; every slider move asks for a preview of the newest values, which
// the window shows, and after acceptance it gives back the chosen values.
class LivePreviewDialog : public QDialog
{
    Q_OBJECT

public:
    using Setup = LivePreviewSetup;
    static Setup brightnessContrast();
    static Setup hueSaturation();

    LivePreviewDialog(const Setup &setup, PreviewCoalescer::Operation preview, QWidget *parent = nullptr);

    int firstValue() const;
    int secondValue() const;
    PreviewCoalescer *coalescer() const { return previewer; }

signals:
    void previewReady(const QImage &image);

private:
    QSlider *addRow(QFormLayout *form, const QString &label, int minimum, int maximum, int tick, const char *name);
    void requestPreview();

    PreviewCoalescer *previewer = nullptr;
    QSlider *firstSlider = nullptr;
    QSlider *secondSlider = nullptr;
};
