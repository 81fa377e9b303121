#pragma once

#include <QMainWindow>

class QShowEvent;

// The one window of the application: it lays out the views and wires the
// subsystems together. Lives on the GUI thread.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // System-clock time in nanoseconds taken by the process entry before the
    // application object existed; the show event reports the time since then.
    qint64 startTime = 0;

protected:
    void showEvent(QShowEvent *event) override;
};
