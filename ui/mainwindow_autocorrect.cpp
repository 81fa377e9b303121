// Automatic corrections: straightening, cropping to the sheet and turning
// upright, as commands on the current page and on every scanned page.
#include "ui/mainwindow.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDebug>
#include <QSettings>
#include <QStatusBar>

#include "document/documentmanager.h"
#include "imaging/imageprocessor.h"
#include "ocr/orientationdetector.h"
#include "settings/appsettings.h"
#include "ui/pagecorrector.h"

void MainWindow::onAutoStraightenClicked()
{
    applyAutoCorrection(tr("自动纠偏"), tr("正在自动纠偏..."), tr("自动纠偏完成"),
        tr("未检测到需要校正的倾斜，页面未改变"), [this](const QImage &page) { return imageProcessor->deskew(page); });
}

void MainWindow::onAutoCropPaperClicked()
{
    applyAutoCorrection(tr("裁切到纸张"), tr("正在检测纸张边缘..."), tr("已裁切到纸张边缘"),
        tr("未找到可靠的纸张边缘，页面未改变"),
        [this](const QImage &page) { return imageProcessor->cropToPaper(page); });
}

void MainWindow::onAutoOrientClicked()
{
    applyAutoCorrection(tr("自动转正"), tr("正在检测页面方向..."), tr("页面已转正"),
        tr("未能可靠判断页面方向，页面未改变"), [this](const QImage &page) {
            OrientationDetector &detector = corrector()->orientationDetector();
            if (!detector.isAvailable()) {
                qDebug() << "方向检测不可用：缺少 Tesseract 的 osd 数据";
                return page;
            }
            const OrientationDetector::Result result = detector.detect(page);
            onScanProgress(80);
            qDebug() << "页面方向检测:" << result.turn << "置信度:" << result.confidence << result.script;
            return result.certain ? PageCorrector::turn(page, result.turn, *imageProcessor) : page;
        });
}

void MainWindow::applyAutoCorrection(const QString &step, const QString &runningMessage, const QString &doneMessage,
    const QString &unchangedMessage, const std::function<QImage(const QImage &)> &operation)
{
    const PageEdit edit = currentPageEdit();
    if (edit.image.isNull())
        return;
    const QImage result = runWithProgress(runningMessage, [&]() { return operation(edit.image); });
    // Nothing to undo when the page stayed as it was.
    if (result.isNull() || result == edit.image) {
        statusBarWidget->showMessage(unchangedMessage, 3000);
        return;
    }
    if (commitPageEdit(edit.page, result, step))
        statusBarWidget->showMessage(doneMessage, 3000);
}

PageCorrector *MainWindow::corrector()
{
    if (!pageCorrector) {
        pageCorrector = new PageCorrector(this);
        pageCorrector->setObjectName(QStringLiteral("pageCorrector"));
    }
    return pageCorrector;
}

bool MainWindow::correctBeforeShowing(const QImage &image, const QString &doneMessage)
{
    PageCorrector::Options options;
    options.deskew = autoDeskewCheck && autoDeskewCheck->isChecked();
    options.cropToPaper = autoCropCheck && autoCropCheck->isChecked();
    options.orient = autoOrientCheck && autoOrientCheck->isChecked();
    if (image.isNull() || !options.any())
        return false;
    corrector()->submit(
        image, options, [this, doneMessage](const QImage &corrected) { testScannedPage(corrected, doneMessage); });
    return true;
}
