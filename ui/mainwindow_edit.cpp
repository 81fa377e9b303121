// Image editing commands, their dialogs, annotation and undo.
#include "ui/mainwindow.h"

// The editing commands are filled in by their own work; the tool bar, the
// page view and the dock are already connected to these.
void MainWindow::onRotateLeftClicked()
{
}

void MainWindow::onRotateRightClicked()
{
}

void MainWindow::onCropClicked()
{
}

void MainWindow::onCropCompleted(const QRect &rect)
{
    Q_UNUSED(rect)
}

void MainWindow::onCropCancelled()
{
}

void MainWindow::onAdjustBrightnessContrastClicked()
{
}

void MainWindow::onAutoLevelClicked()
{
}

void MainWindow::onConvertToGrayscaleClicked()
{
}

void MainWindow::onConvertToBinaryClicked()
{
}

void MainWindow::onAdvancedSettingsClicked()
{
}

void MainWindow::onAutoDeskewClicked()
{
}

void MainWindow::onEnhanceTextClicked()
{
}

void MainWindow::onRemoveBorderClicked()
{
}

void MainWindow::onBleachBackgroundClicked()
{
}

void MainWindow::onAdjustBrightnessContrastDialogClicked()
{
}

void MainWindow::onAdjustHueSaturationClicked()
{
}

void MainWindow::onUndoClicked()
{
}

void MainWindow::onRemoveBlankPagesToggled(bool enabled)
{
    Q_UNUSED(enabled)
}

void MainWindow::onBlankPageSettingsClicked()
{
}

void MainWindow::onAnnotateImageClicked()
{
}
