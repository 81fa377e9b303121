// Device search and selection, and the eSCL device registry commands.
#include "ui/mainwindow.h"

// Device search and selection are filled in by their own work; the controls
// are already connected to these.
void MainWindow::onScannerSelected(int index)
{
    Q_UNUSED(index)
}

void MainWindow::onScanSettingsClicked()
{
}

void MainWindow::onAddESCLDevice()
{
}

void MainWindow::onRemoveESCLDevice()
{
}

void MainWindow::createScannerController()
{
}

void MainWindow::searchScanners()
{
}
