#pragma once

#include <QDialog>
#include <QString>

class QRadioButton;

// The "扫描设置" dialog: picks how the device search looks for scanners
// (0 USB only, 1 USB and LAN through SANE, 2 eSCL only) and offers the
// commands that add and remove registered eSCL devices. It only reports the
// chosen mode and the requests; the window stores and applies them.
class ScanSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ScanSettingsDialog(int searchMode, QWidget *parent = nullptr);

    int searchMode() const;

    // The mode's name as the dialog's confirmation shows it.
    static QString modeName(int mode);

signals:
    void addEsclDeviceRequested();
    void removeEsclDeviceRequested();

private:
    QRadioButton *usbOnlyButton = nullptr;
    QRadioButton *usbAndNetworkButton = nullptr;
    QRadioButton *esclOnlyButton = nullptr;
};
