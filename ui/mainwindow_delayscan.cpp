// Delay (loop) scan mode: a countdown between flatbed scans.
#include "ui/mainwindow.h"

// The delay-scan mode is filled in by its own work; the button and the timer
// are already connected to these.
void MainWindow::onDelayScanButtonClicked()
{
}

void MainWindow::onFinishDelayScanClicked()
{
}

void MainWindow::onDelayTimerTick()
{
}
