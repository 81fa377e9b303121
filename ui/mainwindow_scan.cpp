// Scan control and the page pipeline, with the automatic-saving routines that
// adding a picture already uses.
#include "ui/mainwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QSlider>
#include <QStatusBar>

#include "ui/autosaver.h"

void MainWindow::onScanButtonClicked()
{
    // Scanning is wired up by the scan-control work; nothing starts yet.
}

void MainWindow::onPreviewButtonClicked()
{
}

void MainWindow::onScanProgress(int percentage)
{
    progressBar->setValue(percentage);
}

void MainWindow::onScanComplete(const QImage &image)
{
    Q_UNUSED(image)
}

void MainWindow::onScanError(const QString &errorMessage)
{
    Q_UNUSED(errorMessage)
}

void MainWindow::onADFStatusChanged(bool hasDocument)
{
    Q_UNUSED(hasDocument)
}

void MainWindow::onADFEmptyWarning()
{
}

void MainWindow::forceScanWithADF()
{
}

void MainWindow::onMultiPageScanStarted()
{
}

void MainWindow::onMultiPageScanFinished(int totalPages)
{
    Q_UNUSED(totalPages)
}

void MainWindow::onCurrentPageScanning(int pageNumber)
{
    Q_UNUSED(pageNumber)
}

bool MainWindow::ensureScannerReady()
{
    return false;
}

void MainWindow::runESCLScan(const QString &url)
{
    Q_UNUSED(url)
}

QString MainWindow::makeTimestampedFileName(const QString &ext) const
{
    return AutoSaver::timestampedFileName(savePathEdit->text(), ext, QDateTime::currentDateTime());
}

QString MainWindow::makePageFileName(const QString &ext, int page) const
{
    return AutoSaver::pageFileName(savePathEdit->text(), ext, page, QDateTime::currentDateTime());
}

void MainWindow::autoSaveScannedImage(const QImage &image)
{
    if (!autoSaveCheck || !autoSaveCheck->isChecked())
        return;
    const QString ext = saveFormatCombo->currentData().toString();
    const QString path = makeTimestampedFileName(ext);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (saveImageToFile(image, path)) {
        QMessageBox::information(this, tr("自动保存成功"), tr("扫描结果已自动保存到:\n%1").arg(path));
        statusBarWidget->showMessage(
            tr("已自动保存为 %1 格式到: %2").arg(saveFormatCombo->currentText(), QFileInfo(path).fileName()), 5000);
        updateAutoSaveCounter();
    } else {
        QMessageBox::warning(
            this, tr("自动保存失败"), tr("无法自动保存扫描结果到:\n%1\n请检查路径和权限设置").arg(path));
    }
}

void MainWindow::autoSaveMultiPage()
{
    const QString ext = saveFormatCombo->currentData().toString();
    if (ext == QLatin1String("pdf")) {
        const QString path = makeTimestampedFileName(ext);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (saveImagesAsPdf(multiPageImages, path)) {
            QMessageBox::information(this, tr("多页自动保存成功"), tr("多页文档已自动保存为PDF:\n%1").arg(path));
            statusBarWidget->showMessage(
                tr("已自动保存 %1 页为PDF: %2").arg(multiPageImages.size()).arg(QFileInfo(path).fileName()), 5000);
        } else {
            QMessageBox::warning(this, tr("多页自动保存失败"), tr("无法保存多页PDF到:\n%1").arg(path));
        }
        return;
    }
    int saved = 0;
    for (int i = 0; i < multiPageImages.size(); ++i) {
        const QString path = makePageFileName(ext, i + 1);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (saveImageToFile(multiPageImages.at(i), path))
            ++saved;
    }
    if (saved > 0) {
        QMessageBox::information(this, tr("多页自动保存成功"), tr("已自动保存 %1 个图像文件").arg(saved));
        statusBarWidget->showMessage(tr("已自动保存 %1 页为 %2 格式").arg(saved).arg(ext.toUpper()), 5000);
        updateAutoSaveCounter();
    } else {
        QMessageBox::warning(this, tr("多页自动保存失败"), tr("无法保存任何图像文件"));
    }
}

bool MainWindow::saveImageToFile(const QImage &image, const QString &path)
{
    const QString format = saveFormatCombo->currentData().toString().toUpper();
    const bool jpeg = format == QLatin1String("JPG") || format == QLatin1String("JPEG");
    const int quality = jpeg ? jpegQualitySlider->value() : -1;
    // A PDF that cannot be written is a failure like any other format.
    if (!AutoSaver::writeImage(image, path, format, quality)) {
        QMessageBox::warning(this, tr("保存失败"), tr("无法保存图像到: %1").arg(path));
        return false;
    }
    ++autoSaveCounter;
    return true;
}

bool MainWindow::saveImagesAsPdf(const QList<QImage> &images, const QString &path)
{
    return AutoSaver::writePdf(images, path, tr("多页扫描文档"));
}

void MainWindow::updateAutoSaveCounter()
{
    const int count = AutoSaver::countFiles(savePathEdit->text(), saveFormatCombo->currentData().toString());
    statusBarWidget->showMessage(tr("已自动保存 %1 个文件").arg(count), 3000);
}
