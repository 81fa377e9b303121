// Printing the document and handing it to the mail program.
#include "ui/mainwindow.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QSlider>
#include <QStatusBar>

#include "document/documentmanager.h"
#include "ui/autosaver.h"
#include "ui/commands/documenthistory.h"
#include "ui/mailsender.h"
#include "ui/pageprinter.h"
#include "ui/printfitoptions.h"

void MainWindow::onPrintClicked()
{
    if (documentManager->pageCount() == 0) {
        statusBarWidget->showMessage(tr("没有可打印的页面"), 3000);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    auto *fit = new PrintFitOptions;
    fit->setWindowTitle(tr("缩放"));
    dialog.setOptionTabs({ fit });
    const QVector<PageId> selected = selectedPages();
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selected.size() > 0);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QVector<int> indices;
    if (printer.printRange() == QPrinter::Selection) {
        for (PageId page : selected)
            indices.append(documentManager->indexOf(page));
    } else {
        for (int i = 0; i < documentManager->pageCount(); ++i)
            indices.append(i);
    }
    statusBarWidget->showMessage(tr("正在打印..."));
    startDeterminateProgress();
    history->setBusy(true);
    const PagePrinter::Result result = PagePrinter::print(printer, indices.size(),
        documentManager->pageProvider(indices, DocumentManager::Content::PixelsOnly), fit->scaling(),
        [this](int done, int total) {
            progressBar->setValue(total > 0 ? done * 100 / total : 0);
            QCoreApplication::processEvents();
            return true;
        });
    history->setBusy(false);
    endProgress();
    if (result.outcome == PagePrinter::Outcome::Failed) {
        statusBarWidget->showMessage(tr("打印失败"), 5000);
        QMessageBox::warning(this, tr("打印失败"), result.errorText);
        return;
    }
    statusBarWidget->showMessage(
        result.outcome == PagePrinter::Outcome::Printed ? tr("已打印 %1 页").arg(indices.size()) : tr("打印已取消"),
        5000);
}

void MainWindow::onSendMailClicked()
{
    if (documentManager->pageCount() == 0) {
        statusBarWidget->showMessage(tr("没有可发送的页面"), 3000);
        return;
    }
    const MailSender::Result result
        = MailSender::send(documentManager->title(), [this](const QString &path, QString *errorText) {
              QVector<int> all;
              for (int i = 0; i < documentManager->pageCount(); ++i)
                  all.append(i);
              // The attachment is searchable like every PDF the window writes.
              const bool written = AutoSaver::writePdf(all.size(), documentManager->pageProvider(all), path,
                  documentManager->title(), automaticSaveOptions(), textLayerFor(all));
              if (!written)
                  *errorText = tr("无法写入PDF附件: %1").arg(path);
              return written;
          });
    if (!result.started) {
        QMessageBox::warning(this, tr("发送邮件"), result.errorText);
        return;
    }
    statusBarWidget->showMessage(tr("已打开邮件程序，附件: %1").arg(result.attachment), 5000);
}
