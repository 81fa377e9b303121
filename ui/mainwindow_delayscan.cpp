// Delay (loop) scan mode: a countdown between flatbed scans.
#include "ui/mainwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "scanner/scannercontroller.h"
#include "ui/dialogs/delayscandialog.h"

void MainWindow::onDelayScanButtonClicked()
{
    const bool esclDevice = scannerCombo->currentText().startsWith(QLatin1String("eSCL-"));
    if (!session()->delayActive() && !esclDevice) {
        if (!ensureScannerReady())
            return;
        if (scannerController->currentScanner().isEmpty()) {
            QMessageBox::warning(this, tr("扫描错误"), tr("未选择扫描仪"));
            return;
        }
    }
    if (session()->delayActive()) {
        leaveDelayMode();
        statusBarWidget->showMessage(tr("已取消延时扫描模式"), 3000);
        return;
    }
    DelayScanDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    session()->startDelay(dialog.interval(), autoSaveCheck->isChecked());
    finishDelayScanButton->show();
    // Every sheet is one page of the document; saving comes at the end.
    autoSaveCheck->setChecked(false);
    autoSaveCheck->setEnabled(false);
    delayTimer->start();
    statusBarWidget->showMessage(tr("延时扫描模式已启动，倒计时: %1 秒...").arg(session()->delayCountdown()));
}

void MainWindow::onDelayTimerTick()
{
    if (!session()->delayActive()) {
        delayTimer->stop();
        return;
    }
    const int left = session()->tick();
    if (left > 0) {
        statusBarWidget->showMessage(
            tr("延时扫描倒计时: %1 秒... (已扫描 %2 张)").arg(left).arg(session()->delayCount()));
        return;
    }
    delayTimer->stop();
    // A scan the user started by hand is still running: its end starts the
    // next countdown, and pressing the scan button now would cancel it.
    if (session()->isScanning())
        return;
    statusBarWidget->showMessage(tr("开始扫描第 %1 张...").arg(session()->delayCount() + 1));
    onScanButtonClicked();
}

void MainWindow::endDelayCycle(bool pageKept)
{
    endProgress();
    session()->restartCountdown();
    delayTimer->start();
    if (pageKept) {
        statusBarWidget->showMessage(tr("第 %1 张扫描完成，准备扫描下一张，倒计时: %2 秒...")
                                         .arg(session()->delayCount())
                                         .arg(session()->delayCountdown()));
    } else {
        statusBarWidget->showMessage(tr("检测到空白页已跳过，准备扫描下一张，倒计时: %1 秒... (已扫描 %2 张)")
                                         .arg(session()->delayCountdown())
                                         .arg(session()->delayCount()));
    }
}

void MainWindow::leaveDelayMode()
{
    delayTimer->stop();
    finishDelayScanButton->hide();
    autoSaveCheck->setEnabled(true);
    // The box gets back the state it had before the mode switched it off.
    autoSaveCheck->setChecked(session()->stopDelay());
}

void MainWindow::onFinishDelayScanClicked()
{
    if (!session()->delayActive())
        return;
    const int count = session()->delayCount();
    leaveDelayMode();
    const QString text = tr("延时扫描完成！共扫描 %1 张图片。").arg(count);
    statusBarWidget->showMessage(text, 5000);
    QMessageBox box(this);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(tr("延时扫描完成"));
    box.setText(text);
    box.setInformativeText(tr("是否现在保存扫描的图片？"));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    if (box.exec() != QMessageBox::Yes)
        return;
    if (count > 1)
        onSaveMultiPageDocument();
    else if (count == 1)
        onSaveCurrentImage();
}
