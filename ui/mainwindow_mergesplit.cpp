// Merge and split commands.
#include "ui/mainwindow.h"

// Merging and splitting are filled in by their own work; the tool bar and the
// page menu are already connected to these.
void MainWindow::onMergeImagesClicked()
{
}

void MainWindow::onSplitImageHorizontal()
{
}

void MainWindow::onSplitImageVertical()
{
}
