#pragma once

#include <QDialog>

class QComboBox;

// Asks for the interval between the sheets of a delay scan. Values out only:
// the window starts the mode with interval().
class DelayScanDialog : public QDialog
{
    Q_OBJECT

public:
    explicit DelayScanDialog(QWidget *parent = nullptr);

    // Chosen interval in seconds.
    int interval() const;
    void setInterval(int seconds);

private:
    QComboBox *intervalCombo = nullptr;
};
