// Merge and split commands.
#include "ui/mainwindow.h"

#include <QDebug>
#include <QListWidget>
#include <QMessageBox>
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
#include "ui/pagelistwidget.h"
#include "ui/pagemerger.h"

namespace {

// The texts of the two split directions.
struct SplitTexts
{
    QString progress;
    QString questionTitle;
    QString question;
    QString replaced;
    QString added;
    const char *log;
    QString failure;
};

SplitTexts splitTexts(bool leftRight)
{
    const QString failure = MainWindow::tr("无法检测到2个独立的内容区域。\n\n可能原因：\n• 图片中只有1个内容\n• "
                                           "图片中有3个或更多内容\n• 内容重叠或连接\n\n建议：\n• "
                                           "确保图片中有2个明显分离的内容\n• 内容应该%1分布");
    if (leftRight) {
        return { MainWindow::tr("正在左右拆分图片..."), MainWindow::tr("左右拆分成功"),
            MainWindow::tr("已提取左侧部分，右侧部分已自动丢弃。\n\n是否用左侧部分替换原图？\n• 是：替换原图\n• "
                           "否：在原图后添加左侧部分"),
            MainWindow::tr("左右拆分完成，已保留左侧部分"), MainWindow::tr("左右拆分完成，左侧部分已添加"),
            "左右拆分完成，保留左侧部分，丢弃右侧部分", failure.arg(MainWindow::tr("左右")) };
    }
    return { MainWindow::tr("正在上下拆分图片..."), MainWindow::tr("上下拆分成功"),
        MainWindow::tr("已提取上部分，下部分已自动丢弃。\n\n是否用上部分替换原图？\n• 是：替换原图\n• "
                       "否：在原图后添加上部分"),
        MainWindow::tr("上下拆分完成，已保留上部分"), MainWindow::tr("上下拆分完成，上部分已添加"),
        "上下拆分完成，保留上部分，丢弃下部分", failure.arg(MainWindow::tr("上下")) };
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
    statusBarWidget->showMessage(options.deleteSources ? tr("图片合并完成，原始图片已删除 - ") + done : done, 5000);
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
    int row = pageList->currentRow();
    if (row < 0)
        return;
    const QImage source = documentManager->page(row);
    if (source.isNull()) {
        statusBarWidget->showMessage(tr("无法获取当前图片"), 5000);
        return;
    }
    // The split lets events through; the page may move or go meanwhile.
    const PageId page = documentManager->pageId(row);
    const SplitTexts texts = splitTexts(leftRight);
    statusBarWidget->showMessage(texts.progress);
    startDeterminateProgress();
    const QList<QImage> parts = leftRight ? imageProcessor->splitLeftRight(source, PageMerger::contentThreshold)
                                          : imageProcessor->splitTopBottom(source, PageMerger::contentThreshold);
    endProgress();
    if (parts.size() != 2 || !PageMerger::separatedAtMiddle(source, leftRight)) {
        statusBarWidget->showMessage(tr("拆分失败"), 3000);
        QMessageBox::warning(this, tr("拆分失败"), texts.failure);
        return;
    }
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, texts.questionTitle, texts.question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    row = documentManager->indexOf(page);
    if (row < 0) {
        statusBarWidget->showMessage(tr("页面已被删除，处理结果未写回"), 3000);
        return;
    }
    const QString step = leftRight ? tr("左右拆分") : tr("上下拆分");
    if (answer == QMessageBox::Yes) {
        commitPageEdit(page, parts.first(), step);
        statusBarWidget->showMessage(texts.replaced, 3000);
    } else {
        pushCommand(new InsertPagesCommand(documentManager, row + 1, { parts.first() }, step));
        statusBarWidget->showMessage(texts.added, 3000);
    }
    qDebug() << texts.log;
}
