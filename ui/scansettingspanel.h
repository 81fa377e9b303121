#pragma once

#include <QStringList>
#include <QWidget>

#include "document/saveoptions.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;

// The scan dock's content: the scanner, the scan parameters, saving, the
// automatic corrections and recognition, and the scan buttons. Every choice is
// read from the settings store when the panel is made and written back the
// moment it changes, so a crash loses none. The window connects to its
// controls and reads them; it builds none of them.
class ScanSettingsPanel : public QWidget
{
    Q_OBJECT

public:
    explicit ScanSettingsPanel(QWidget *parent = nullptr);

    // The device's sources when it has a feeder; an empty list gives flatbed
    // only. The choice the user made last is kept when the device offers it.
    void setPaperSources(const QStringList &feederSources);
    void setDuplexModes(bool supported, const QStringList &modes);
    int resolution() const;
    // While a preview's selection is set, "页面大小" shows "自定义" and the
    // selection can be cleared; without one it shows the stored page size.
    void showCustomArea(bool custom);
    // How documents are written: compression, size limit, save resolution and
    // JPEG quality as the save controls show them.
    SaveOptions saveOptions() const;
    // Shows a size limit in "大小上限:"; one that is not listed becomes the
    // custom entry.
    void setSizeLimit(qint64 bytes);

    QComboBox *scannerCombo = nullptr;
    QPushButton *findDeviceButton = nullptr;
    QComboBox *resolutionCombo = nullptr;
    QComboBox *colorModeCombo = nullptr;
    QComboBox *pageSizeCombo = nullptr;
    QComboBox *paperSourceCombo = nullptr;
    QComboBox *duplexCombo = nullptr;
    QLineEdit *savePathEdit = nullptr;
    QPushButton *browseButton = nullptr;
    QComboBox *saveFormatCombo = nullptr;
    QSlider *jpegQualitySlider = nullptr;
    QComboBox *compressionCombo = nullptr;
    QComboBox *sizeLimitCombo = nullptr;
    QComboBox *saveResolutionCombo = nullptr;
    QComboBox *splitCombo = nullptr;
    QSpinBox *splitEverySpin = nullptr;
    QCheckBox *keepSeparatorCheck = nullptr;
    QLineEdit *fileNamePatternEdit = nullptr;
    QCheckBox *removeBlankPagesCheck = nullptr;
    QCheckBox *autoSaveCheck = nullptr;
    QCheckBox *autoDeskewCheck = nullptr;
    QCheckBox *autoCropCheck = nullptr;
    QCheckBox *autoOrientCheck = nullptr;
    QCheckBox *splitOriginalsCheck = nullptr;
    QCheckBox *textRecognitionCheck = nullptr;
    QComboBox *textLanguageCombo = nullptr;
    QPushButton *delayScanButton = nullptr;
    QPushButton *scanButton = nullptr;
    QPushButton *previewButton = nullptr;
    QPushButton *clearSelectionButton = nullptr;
    QPushButton *finishDelayScanButton = nullptr;

signals:
    // Any of the controls saveOptions() reads changed.
    void saveOptionsChanged();

private:
    QWidget *createScannerGroup(QWidget *parent);
    QWidget *createParameterGroup(QWidget *parent);
    QWidget *createSaveGroup(QWidget *parent);
    QWidget *createSplitGroup(QWidget *parent);
    QWidget *createButtons(QWidget *parent);
    void bindSplitSettings();
    void bindSaveOptions();
    // Asks for a limit in MB when "自定义…" is chosen; a cancel goes back.
    void chooseSizeLimit(int index);
    // Restores each control from the store and writes it back on every change.
    void bindSettings();
    void choosePaperSource(const QString &label);

    qint64 shownSizeLimit = 0;
};
