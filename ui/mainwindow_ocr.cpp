// Text recognition: the dock's switch and languages, the text layer of the PDFs
// the window writes, and the "识别文字" command.
#include "ui/mainwindow.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTimer>

#include "document/documentmanager.h"
#include "document/pdftextlayer.h"
#include "ui/dialogs/recognizedtextdialog.h"
#include "ui/recognitionqueue.h"

void MainWindow::connectRecognitionControls()
{
    connect(textRecognitionCheck, &QCheckBox::toggled, this, &MainWindow::onRecognitionToggled);
    connect(textLanguageCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &MainWindow::onRecognitionLanguageChosen);
    connect(recognitionQueue, &RecognitionQueue::engineUnavailable, this, &MainWindow::showRecognitionUnavailable);
    recognitionQueue->setObjectName(QStringLiteral("recognitionQueue"));
    documentManager->setPdfDecoratorSource([this](const QVector<int> &indices) { return textLayerFor(indices); });
}

void MainWindow::onRecognitionToggled(bool enabled)
{
    if (enabled) {
        const QString missing = recognitionQueue->missingData();
        if (!missing.isEmpty()) {
            showRecognitionUnavailable(missing);
            return;
        }
    }
    recognitionQueue->setEnabled(enabled);
}

void MainWindow::onRecognitionLanguageChosen(int index)
{
    recognitionQueue->setLanguages(textLanguageCombo->itemData(index).toString());
    if (textRecognitionCheck->isChecked() && !recognitionQueue->missingData().isEmpty())
        showRecognitionUnavailable(recognitionQueue->missingData());
}

void MainWindow::showRecognitionUnavailable(const QString &message)
{
    {
        const QSignalBlocker blocker(textRecognitionCheck);
        textRecognitionCheck->setChecked(false);
    }
    recognitionQueue->setEnabled(false);
    QMessageBox::warning(this, tr("文字识别不可用"), message);
}

ImageFileWriter::PageDecorator MainWindow::textLayerFor(const QVector<int> &indices)
{
    QVector<PageId> ids;
    for (int index : indices)
        ids.append(documentManager->pageId(index));
    const int total = recognitionQueue->waitingAmong(ids);
    if (total > 0) {
        // Saving reads no page itself: it waits for the queue, these pages first.
        recognitionQueue->prioritise(ids);
        QProgressDialog progress(tr("正在识别文字 %1/%2").arg(0).arg(total), tr("取消"), 0, total, this);
        progress.setObjectName(QStringLiteral("textRecognitionProgress"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(0);
        progress.setAutoReset(false);
        progress.setAutoClose(false);
        QEventLoop loop;
        const auto update = [&] {
            const int done = total - recognitionQueue->waitingAmong(ids);
            progress.setValue(done);
            progress.setLabelText(tr("正在识别文字 %1/%2").arg(done).arg(total));
            if (done >= total)
                loop.quit();
        };
        const QMetaObject::Connection ready = connect(recognitionQueue, &RecognitionQueue::textReady, &loop, update);
        const QMetaObject::Connection failed
            = connect(recognitionQueue, &RecognitionQueue::recognitionFailed, &loop, update);
        connect(recognitionQueue, &RecognitionQueue::engineUnavailable, &loop, &QEventLoop::quit);
        connect(&progress, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
        progress.show();
        // A modal progress dialog lets events through in setValue(): a cancel can
        // come before the loop runs.
        update();
        if (!progress.wasCanceled() && recognitionQueue->waitingAmong(ids) > 0)
            loop.exec();
        disconnect(ready);
        disconnect(failed);
        const int missing = recognitionQueue->waitingAmong(ids);
        if (missing > 0) {
            // After the save's own message, which this one corrects.
            QTimer::singleShot(0, this, [this, missing] {
                statusBarWidget->showMessage(tr("文字识别已取消，%1页保存时没有文字层").arg(missing), 8000);
            });
        }
    }
    return PdfTextLayer::decorator(recognitionQueue->textsFor(indices));
}

void MainWindow::onRecognizeTextClicked()
{
    const int index = documentManager->currentPageIndex();
    if (index < 0) {
        statusBarWidget->showMessage(tr("请先选择一个页面"), 3000);
        return;
    }
    const PageId page = documentManager->pageId(index);
    auto *dialog = new RecognizedTextDialog(index + 1, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<RecognizedTextDialog> shown(dialog);
    const auto showText = [this, shown, page](PageId id) {
        if (shown && id == page)
            shown->showText(recognitionQueue->text(page).plainText());
    };
    connect(recognitionQueue, &RecognitionQueue::textReady, dialog, showText);
    connect(recognitionQueue, &RecognitionQueue::recognitionFailed, dialog, [shown, page](PageId id) {
        if (shown && id == page)
            shown->showFailure(tr("无法识别此页面的文字"));
    });
    connect(recognitionQueue, &RecognitionQueue::engineUnavailable, dialog,
        [shown](const QString &message) { shown->showFailure(message); });
    if (recognitionQueue->hasText(page)) {
        showText(page);
    } else {
        // Off: read once for this page. On: this page goes first.
        const QString missing = recognitionQueue->missingData();
        if (missing.isEmpty())
            recognitionQueue->recognizeNow(page);
        else
            dialog->showFailure(missing);
    }
    dialog->show();
}
