// Merge and split commands.
#include "ui/mainwindow.h"

#include <QDebug>
#include <QListWidget>
#include <QProgressBar>
#include <QStatusBar>

#include <algorithm>

#include "document/documentmanager.h"
#include "imaging/imageprocessor.h"
#include "ui/commands/compoundpagecommand.h"
#include "ui/commands/documenthistory.h"
#include "ui/commands/insertpagescommand.h"
#include "ui/commands/removepagescommand.h"
#include "ui/dialogs/mergedialog.h"
#include "ui/dialogs/splitdialog.h"
#include "ui/pagelistwidget.h"
#include "ui/pagemerger.h"

namespace {

// The status texts of the two split directions.
struct SplitTexts
{
    QString step;
    QString done;
    const char *log;
};

SplitTexts splitTexts(bool leftRight)
{
    if (leftRight)
        return { MainWindow::tr("左右拆分"), MainWindow::tr("左右拆分完成，左右两部分已插入到本页之后"),
            "左右拆分完成，两部分已插入" };
    return { MainWindow::tr("上下拆分"), MainWindow::tr("上下拆分完成，上下两部分已插入到本页之后"),
        "上下拆分完成，两部分已插入" };
}

} // namespace

void MainWindow::onMergeImagesClicked()
{
    QList<int> rows;
    for (QListWidgetItem *item : pageList->selectedItems())
        rows << pageList->row(item);
    if (rows.size() != 2) {
        statusBarWidget->showMessage(tr("请选择2张图片进行合并（按住 Ctrl 或 Shift 键可以选择多张图片）"), 5000);
        return;
    }
    MergeDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::sort(rows.begin(), rows.end());
    mergePages(rows.at(0), rows.at(1), dialog.options());
}

void MainWindow::mergePages(int firstRow, int secondRow, const MergeOptions &options)
{
    statusBarWidget->showMessage(tr("正在处理图片..."));
    startDeterminateProgress();
    // The image operations let events through, so pages may be added, moved or
    // deleted while the merge runs; the sources are followed, not remembered by row.
    const PageId firstPage = documentManager->pageId(firstRow);
    const PageId secondPage = documentManager->pageId(secondRow);
    const QImage first = documentManager->page(firstRow);
    const QImage second = documentManager->page(secondRow);
    if (first.isNull() || second.isNull()) {
        statusBarWidget->showMessage(tr("无法获取选中的图片"), 5000);
        endProgress();
        return;
    }
    PageMerger merger(imageProcessor);
    connect(&merger, &PageMerger::stepStarted, statusBarWidget,
        [this](const QString &text) { statusBarWidget->showMessage(text); });
    history->setBusy(true);
    const PageMerger::Result result = merger.merge(first, second, options);
    history->setBusy(false);
    endProgress();
    if (result.merged.isNull()) {
        statusBarWidget->showMessage(tr("图片合并失败，请检查图片格式"), 5000);
        return;
    }

    // The merged page and the removed sources are one step of the history.
    auto *merge = new CompoundPageCommand(documentManager, tr("合并图片"));
    new InsertPagesCommand(documentManager, -1, { result.merged }, tr("合并图片"), merge);
    if (options.deleteSources)
        new RemovePagesCommand(documentManager, { firstPage, secondPage }, tr("删除页面"), merge);
    pushCommand(merge);
    // The merged page is the one the user looks at next, wherever the cursor was.
    documentManager->setCurrentPage(documentManager->pageCount() - 1);
    const QString done = tr("合并完成！尺寸: %1 × %2 像素").arg(result.merged.width()).arg(result.merged.height());
    qDebug().noquote() << done;
    statusBarWidget->showMessage(
        options.deleteSources ? tr("图片合并完成，原始图片已删除 - %1").arg(done) : done, 5000);
}

void MainWindow::onSplitImageHorizontal()
{
    splitCurrentPage(true);
}

void MainWindow::onSplitImageVertical()
{
    splitCurrentPage(false);
}

void MainWindow::splitCurrentPage(bool leftRight)
{
    const int row = pageList->currentRow();
    if (row < 0)
        return;
    const QImage source = documentManager->page(row);
    if (source.isNull()) {
        statusBarWidget->showMessage(tr("无法获取当前图片"), 5000);
        return;
    }
    // The dialog lets events through; the page may move or go meanwhile.
    const PageId page = documentManager->pageId(row);
    SplitDialog dialog(
        source, leftRight, imageProcessor->findSplitLine(source, leftRight, PageMerger::contentThreshold), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int at = documentManager->indexOf(page);
    const QList<QImage> parts = imageProcessor->splitAt(source, leftRight, dialog.line());
    if (at < 0 || parts.size() != 2) {
        statusBarWidget->showMessage(tr("页面已被删除，处理结果未写回"), 3000);
        return;
    }
    // The page stays; both parts follow it in reading order, as one step.
    const SplitTexts texts = splitTexts(leftRight);
    pushCommand(new InsertPagesCommand(documentManager, at + 1, { parts.at(0), parts.at(1) }, texts.step));
    statusBarWidget->showMessage(texts.done, 3000);
    qDebug() << texts.log;
}
