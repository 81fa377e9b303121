// Save, export and open commands.
#include "ui/mainwindow.h"

// Saving, exporting and opening are filled in by their own work; the tool bar
// and the close prompt are already connected to these. Until then the close
// prompt's "Save" saves nothing and so keeps the window open.
void MainWindow::onOpenDocument()
{
}

void MainWindow::onSaveDocument()
{
}

void MainWindow::onSaveAsDocument()
{
}

void MainWindow::onSaveMultiPageDocument()
{
}

void MainWindow::onExportDocument()
{
}

void MainWindow::onSaveCurrentImage()
{
}
