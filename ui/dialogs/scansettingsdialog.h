#pragma once

#include <QDialog>
#include <QString>

#include "settings/searchmode.h"

class QRadioButton;

// The "扫描设置" dialog: picks how the device search looks for scanners
// (USB only, USB and LAN through SANE, eSCL only) and offers the
// commands that add and remove registered eSCL devices. It only reports the
// chosen mode and the requests; the window stores and applies them.
class ScanSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ScanSettingsDialog(SearchMode searchMode, QWidget *parent = nullptr);

    SearchMode searchMode() const;

signals:
    void addEsclDeviceRequested();
    void removeEsclDeviceRequested();

private:
    QRadioButton *usbOnlyButton = nullptr;
    QRadioButton *usbAndNetworkButton = nullptr;
    QRadioButton *esclOnlyButton = nullptr;
};
