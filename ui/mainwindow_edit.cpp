// Image editing commands, their dialogs, annotation and undo.
#include "ui/mainwindow.h"

#include <QCheckBox>
#include <QDebug>
#include <QHash>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressBar>
#include <QSettings>
#include <QStatusBar>
#include <cmath>

#include "annotation/annotationdialog.h"
#include "document/documentmanager.h"
#include "imaging/imageprocessor.h"
#include "ui/croppableimagewidget.h"
#include "ui/dialogs/advancedsettingsdialog.h"
#include "ui/dialogs/angledialog.h"
#include "ui/dialogs/blankpagesettingsdialog.h"
#include "ui/dialogs/bleachdialog.h"
#include "ui/dialogs/livepreviewdialog.h"
#include "ui/dialoggeometry.h"
#include "ui/imagescaler.h"
#include "ui/pagelistwidget.h"
#include "settings/appsettings.h"
#include "ui/commands/documenthistory.h"
#include "ui/commands/pageeditcommand.h"

void MainWindow::onRotateLeftClicked()
{
    applyPageEdit(tr("左旋转"), [this](const QImage &page) { return imageProcessor->rotateLeft(page); });
}

void MainWindow::onRotateRightClicked()
{
    applyPageEdit(tr("右旋转"), [this](const QImage &page) { return imageProcessor->rotateRight(page); });
}

void MainWindow::onConvertToGrayscaleClicked()
{
    applyPageEdit(tr("灰度化"), [this](const QImage &page) { return imageProcessor->toGrayscale(page); });
}

void MainWindow::onConvertToBinaryClicked()
{
    applyPageEdit(tr("黑白化"), [this](const QImage &page) { return imageProcessor->binarize(page, -1); });
}

void MainWindow::onAutoLevelClicked()
{
    const PageEdit edit = currentPageEdit(false);
    if (edit.image.isNull())
        return;
    const QImage result
        = runWithProgress(tr("正在自动调整图像..."), [&]() { return imageProcessor->autoLevel(edit.image); });
    statusBarWidget->showMessage(tr("自动调整完成"), 3000);
    commitPageEdit(edit.page, result, tr("自动色阶"));
}

void MainWindow::onCropClicked()
{
    if (currentImage.isNull()) {
        statusBarWidget->showMessage(tr("没有可裁剪的图像"), 3000);
        return;
    }
    if (imageWidget->isCropMode()) {
        imageWidget->setCropMode(false);
        statusBarWidget->showMessage(tr("已取消裁剪模式"), 2000);
        return;
    }
    imageWidget->setCropMode(true);
    imageWidget->setFocus();
    statusBarWidget->showMessage(tr("裁剪模式已启用 - 拖拽选择区域，ESC取消，Ctrl+R切换"));
}

void MainWindow::onCropCompleted(const QRect &rect)
{
    if (rect.right() < rect.left() || rect.bottom() < rect.top() || currentImage.isNull())
        return;
    const QImage result = imageProcessor->cropImage(currentImage, rect);
    if (result.isNull()) {
        statusBarWidget->showMessage(tr("无法裁剪图像，请检查选择区域"), 5000);
        return;
    }
    if (!commitPageEdit(documentManager->pageId(documentManager->currentPageIndex()), result, tr("裁剪"), false))
        displayImage(result);
    imageWidget->setCropMode(false);
    statusBarWidget->showMessage(tr("图像裁剪完成"), 3000);
}

void MainWindow::onCropCancelled()
{
    imageWidget->setCropMode(false);
    statusBarWidget->showMessage(tr("已取消裁剪操作"), 2000);
}

void MainWindow::onAdjustBrightnessContrastClicked()
{
    onAdjustBrightnessContrastDialogClicked();
}

void MainWindow::onAdvancedSettingsClicked()
{
    AdvancedSettingsDialog dialog(this);
    dialog.exec();
    using Command = AdvancedSettingsDialog::Command;
    const QHash<int, void (MainWindow::*)()> commands {
        { Command::AngleCommand, &MainWindow::onAutoDeskewClicked },
        { Command::EnhanceCommand, &MainWindow::onEnhanceTextClicked },
        { Command::BorderCommand, &MainWindow::onRemoveBorderClicked },
        { Command::BleachCommand, &MainWindow::onBleachBackgroundClicked },
        { Command::BlankPageCommand, &MainWindow::onBlankPageSettingsClicked },
        { Command::BrightnessContrastCommand, &MainWindow::onAdjustBrightnessContrastDialogClicked },
        { Command::HueSaturationCommand, &MainWindow::onAdjustHueSaturationClicked },
        { Command::GrayscaleCommand, &MainWindow::onConvertToGrayscaleClicked },
        { Command::BinaryCommand, &MainWindow::onConvertToBinaryClicked },
        { Command::AutoLevelCommand, &MainWindow::onAutoLevelClicked },
        { Command::RecognizeTextCommand, &MainWindow::onRecognizeTextClicked },
        { Command::UndoCommand, &MainWindow::onUndoClicked },
        { Command::StraightenCommand, &MainWindow::onAutoStraightenClicked },
        { Command::CropPaperCommand, &MainWindow::onAutoCropPaperClicked },
        { Command::OrientCommand, &MainWindow::onAutoOrientClicked },
        { Command::SplitOriginalsCommand, &MainWindow::onSplitOriginalsClicked },
    };
    if (const auto slot = commands.value(dialog.chosenCommand()))
        (this->*slot)();
}

void MainWindow::onAutoDeskewClicked()
{
    const PageEdit edit = currentPageEdit();
    if (edit.image.isNull())
        return;
    AngleDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const double angle = dialog.angle();
    if (std::fabs(angle) < 0.01) {
        statusBarWidget->showMessage(tr("旋转角度为0，无需调整"), 3000);
        return;
    }
    const QImage result = runWithProgress(
        tr("正在旋转图像 %1 度...").arg(angle), [&]() { return imageProcessor->rotateByAngle(edit.image, angle); });
    if (result.isNull()) {
        statusBarWidget->showMessage(tr("角度调整失败，请重试"), 5000);
        return;
    }
    if (commitPageEdit(edit.page, result, tr("角度调整")))
        statusBarWidget->showMessage(tr("角度调整完成：旋转 %1 度").arg(angle), 3000);
}

void MainWindow::onEnhanceTextClicked()
{
    const PageEdit edit = currentPageEdit();
    if (edit.image.isNull())
        return;
    const QImage result = runWithProgress(tr("正在进行文档增强处理（保留彩色，突出内容）..."),
        [&]() { return imageProcessor->enhanceDocument(edit.image); });
    if (commitPageEdit(edit.page, result, tr("文档增强")))
        statusBarWidget->showMessage(tr("文档增强完成，已保留彩色并突出内容"), 3000);
}

void MainWindow::onRemoveBorderClicked()
{
    const PageEdit edit = currentPageEdit();
    if (edit.image.isNull())
        return;
    bool ok = false;
    const int width
        = QInputDialog::getInt(this, tr("去除边框"), tr("请输入要去除的边框宽度（像素）:"), 10, 0, 100, 1, &ok);
    if (!ok || documentManager->indexOf(edit.page) < 0)
        return;
    statusBarWidget->showMessage(tr("正在去除边框..."));
    const QImage result = imageProcessor->removeBorder(edit.image, width);
    if (commitPageEdit(edit.page, result, tr("去除边框")))
        statusBarWidget->showMessage(tr("边框去除完成"), 3000);
}

void MainWindow::onBleachBackgroundClicked()
{
    const PageEdit edit = currentPageEdit();
    if (edit.image.isNull())
        return;
    BleachDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QImage result = runWithProgress(tr("正在进行图片漂白处理..."),
        [&]() { return imageProcessor->bleach(edit.image, dialog.threshold(), dialog.strength()); });
    if (result.isNull()) {
        statusBarWidget->showMessage(tr("图片漂白处理失败，请检查图像格式"), 5000);
        return;
    }
    if (!commitPageEdit(edit.page, result, tr("图片漂白")))
        return;
    statusBarWidget->showMessage(tr("图片漂白处理完成"), 3000);
    if (autoSaveCheck->isChecked())
        autoSaveScannedImage(result);
}

void MainWindow::onAdjustBrightnessContrastDialogClicked()
{
    runLivePreview(LivePreviewDialog::brightnessContrast(), tr("亮度对比度"), tr("亮度对比度调整完成"),
        [this](const QImage &image, int brightness, int contrast) {
            return imageProcessor->adjustBrightnessContrast(image, brightness, contrast);
        });
}

void MainWindow::onAdjustHueSaturationClicked()
{
    runLivePreview(LivePreviewDialog::hueSaturation(), tr("色度饱和度"), tr("色度饱和度调整完成"),
        [this](const QImage &image, int hue, int saturation) {
            return imageProcessor->adjustHueSaturation(image, hue, saturation);
        });
}

void MainWindow::onUndoClicked()
{
    const QString step = history->undoText();
    if (step.isEmpty()) {
        statusBarWidget->showMessage(tr("没有可撤销的操作"), 3000);
        return;
    }
    if (!history->undo())
        return;
    statusBarWidget->showMessage(tr("已撤销操作（剩余 %1 步可撤销）").arg(history->undoableCount()), 3000);
    qDebug() << "已撤销操作，剩余撤销步数:" << history->undoableCount();
}

void MainWindow::onRedoClicked()
{
    const QString step = history->redoText();
    if (step.isEmpty()) {
        statusBarWidget->showMessage(tr("没有可重做的操作"), 3000);
        return;
    }
    if (history->redo())
        statusBarWidget->showMessage(tr("已重做: %1").arg(step), 3000);
}

void MainWindow::onRemoveBlankPagesToggled(bool enabled)
{
    removeBlankPagesEnabled = enabled;
    statusBarWidget->showMessage(enabled ? tr("已启用自动去除空白页功能") : tr("已关闭自动去除空白页功能"), 3000);
    qDebug() << (enabled ? "自动去除空白页功能已启用" : "自动去除空白页功能已关闭");
}

void MainWindow::onBlankPageSettingsClicked()
{
    BlankPageSettingsDialog dialog(blankPageThreshold, blankPageRatio, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    blankPageThreshold = dialog.threshold();
    blankPageRatio = dialog.ratio();
    QSettings store = AppSettings::openStore();
    AppSettings::blankPageThreshold.write(store, blankPageThreshold);
    AppSettings::blankPageRatio.write(store, blankPageRatio);
    statusBarWidget->showMessage(
        tr("空白页检测参数已更新：白色阈值=%1, 阈值范围=%2").arg(blankPageThreshold).arg(blankPageRatio), 5000);
    qDebug() << "空白页检测参数已更新: threshold=" << blankPageThreshold << "ratio=" << blankPageRatio;
}

void MainWindow::onAnnotateImageClicked()
{
    const int row = pageList->currentRow();
    if (row < 0) {
        statusBarWidget->showMessage(tr("请先选择要批注的图片"), 3000);
        return;
    }
    const PageEdit edit { documentManager->pageId(row), documentManager->page(row) };
    if (edit.image.isNull()) {
        statusBarWidget->showMessage(tr("无法获取当前图片"), 5000);
        return;
    }
    AnnotationDialog dialog(edit.image, this);
    // A tall page must not push the dialog's buttons below a 768-pixel screen.
    QSettings store = AppSettings::openStore();
    DialogGeometry::restore(&dialog, store, QStringLiteral("annotation"));
    DialogGeometry::remember(&dialog, store, QStringLiteral("annotation"));
    if (dialog.exec() != QDialog::Accepted) {
        statusBarWidget->showMessage(tr("批注已取消"), 3000);
        return;
    }
    const QImage annotated = dialog.resultImage();
    if (commitPageEdit(edit.page, annotated, tr("批注标记"))) {
        statusBarWidget->showMessage(tr("批注已应用"), 3000);
        qDebug() << "批注已应用到图片";
    }
}

MainWindow::PageEdit MainWindow::currentPageEdit(bool askForPage)
{
    const int index = documentManager->currentPageIndex();
    const PageEdit edit { documentManager->pageId(index), documentManager->currentPage() };
    if (edit.image.isNull() && askForPage)
        statusBarWidget->showMessage(tr("请先选择要处理的图像"), 3000);
    return edit;
}

bool MainWindow::commitPageEdit(PageId page, const QImage &image, const QString &step, bool reportGone)
{
    if (image.isNull())
        return false;
    // The operations let events through, and the page may have been deleted
    // meanwhile; its result then has no page to go to.
    if (documentManager->indexOf(page) < 0) {
        if (reportGone)
            statusBarWidget->showMessage(tr("页面已被删除，处理结果未写回"), 3000);
        return false;
    }
    pushCommand(new PageEditCommand(documentManager, page, image, step));
    return documentManager->indexOf(page) >= 0;
}

void MainWindow::pushCommand(PageCommand *command)
{
    history->push(command);
}

void MainWindow::applyPageEdit(const QString &step, const std::function<QImage(const QImage &)> &operation)
{
    const PageEdit edit = currentPageEdit(false);
    if (edit.image.isNull())
        return;
    commitPageEdit(edit.page, operation(edit.image), step);
}

QImage MainWindow::runWithProgress(const QString &message, const std::function<QImage()> &operation)
{
    statusBarWidget->showMessage(message);
    // A preview dialog may have taken the progress connection away.
    connect(
        imageProcessor, &ImageProcessor::processingProgress, this, &MainWindow::onScanProgress, Qt::UniqueConnection);
    startDeterminateProgress();
    // The operation lets events through; undo and redo wait for its result.
    history->setBusy(true);
    const QImage result = operation();
    history->setBusy(false);
    endProgress();
    return result;
}

void MainWindow::runLivePreview(const LivePreviewSetup &setup, const QString &step, const QString &doneMessage,
    const std::function<QImage(const QImage &, int, int)> &operation)
{
    const PageEdit edit = currentPageEdit();
    if (edit.image.isNull())
        return;
    const QImage &page = edit.image;
    // The preview only has to look right in the view: it works on the page
    // fitted to the view, the accepted values on the page itself.
    const QSize box = imageWidget->size() * imageWidget->devicePixelRatioF();
    const bool larger = page.width() > box.width() || page.height() > box.height();
    const QImage previewBase = larger && !box.isEmpty() ? ImageScaler::fitInto(page, box) : page;
    LivePreviewDialog dialog(
        setup,
        [this, previewBase, operation](int first, int second) {
            disconnect(imageProcessor, &ImageProcessor::processingProgress, this, &MainWindow::onScanProgress);
            return operation(previewBase, first, second);
        },
        this);
    connect(&dialog, &LivePreviewDialog::previewReady, this, &MainWindow::displayImage);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    connect(
        imageProcessor, &ImageProcessor::processingProgress, this, &MainWindow::onScanProgress, Qt::UniqueConnection);
    if (!accepted) {
        displayImage(page);
        statusBarWidget->showMessage(tr("已取消调整"), 2000);
        return;
    }
    if (dialog.firstValue() == 0 && dialog.secondValue() == 0) {
        displayImage(page);
        statusBarWidget->showMessage(tr("未进行任何调整"), 3000);
        return;
    }
    const QImage result = operation(page, dialog.firstValue(), dialog.secondValue());
    if (commitPageEdit(edit.page, result, step))
        statusBarWidget->showMessage(doneMessage, 3000);
}
