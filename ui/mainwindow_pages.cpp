// Page list commands: the thumbnail list kept in step with the document, its
// context menu, adding and inserting pictures, deleting, moving and clearing.
#include "ui/mainwindow.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStatusBar>

#include <algorithm>

#include "document/documentmanager.h"
#include "ui/croppableimagewidget.h"
#include "ui/commands/arrangepagescommand.h"
#include "ui/commands/removepagescommand.h"
#include "ui/folderpaths.h"
#include "ui/pagelistwidget.h"

namespace {

// Making a row current from the document's side selects that row alone, so a
// later drag or merge works on what the user sees highlighted, not on rows
// left selected by earlier additions.
constexpr QItemSelectionModel::SelectionFlags currentOnly = QItemSelectionModel::ClearAndSelect;

QString pageItemText(int row)
{
    return MainWindow::tr("页面 %1").arg(row + 1);
}

void renumber(QListWidget *list, int fromRow)
{
    for (int row = qMax(0, fromRow); row < list->count(); ++row)
        list->item(row)->setText(pageItemText(row));
}

QString imageFileFilter()
{
    return MainWindow::tr("图像和PDF文件 (*.png *.jpg *.jpeg *.bmp *.tiff *.tif *.pdf);;图像文件 (*.png *.jpg *.jpeg "
                          "*.bmp *.tiff *.tif);;PDF文件 (*.pdf);;所有文件 (*.*)");
}

} // namespace

void MainWindow::onPageAdded(int index)
{
    QListWidgetItem *item
        = new QListWidgetItem(PageListWidget::thumbnailFor(documentManager->page(index)), pageItemText(index));
    {
        // The structural change alone must not look like a user selecting a row.
        const QSignalBlocker blocker(pageList);
        pageList->insertItem(index, item);
    }
    renumber(pageList, index + 1);
    pageList->setCurrentRow(index, currentOnly);
}

void MainWindow::onPageRemoved(int index)
{
    {
        const QSignalBlocker blocker(pageList);
        delete pageList->takeItem(index);
    }
    renumber(pageList, index);
}

void MainWindow::onPageMoved(int oldIndex, int newIndex)
{
    {
        const QSignalBlocker blocker(pageList);
        QListWidgetItem *item = pageList->takeItem(oldIndex);
        if (!item)
            return;
        pageList->insertItem(newIndex, item);
    }
    renumber(pageList, 0);
    pageList->setCurrentRow(newIndex, currentOnly);
}

void MainWindow::onCurrentPageChanged(int index)
{
    // The document announces its cursor before the list has the item of a page
    // just added; the view follows the document, the row follows when it exists.
    if (index < 0 || index >= documentManager->pageCount()) {
        currentImage = QImage();
        clearView();
        if (documentManager->pageCount() == 0)
            pageList->clear();
    } else {
        // A row the user made current with Ctrl or Shift keeps the selection it is part of.
        if (index < pageList->count() && pageList->currentRow() != index)
            pageList->setCurrentRow(index, currentOnly);
        currentImage = documentManager->page(index);
        displayImage(currentImage);
    }
    updateStatusBar();
}

void MainWindow::onPageSelected(int index)
{
    if (index >= 0 && index < documentManager->pageCount())
        documentManager->setCurrentPage(index);
}

void MainWindow::clearView()
{
    imageWidget->setImage(QImage());
}

void MainWindow::showPagesListContextMenu(const QPoint &pos)
{
    QMenu menu(tr("页面操作"), this);
    menu.setObjectName(QStringLiteral("pagesContextMenu"));
    menu.setToolTipsVisible(true);
    auto addEntry = [this](QMenu *to, const QString &text, const char *icon, const QString &tip, auto slot) {
        QAction *action = to->addAction(icon ? QIcon(QString::fromLatin1(icon)) : QIcon(), text);
        action->setToolTip(tip);
        if (slot)
            connect(action, &QAction::triggered, this, slot);
        return action;
    };
    using Slot = void (MainWindow::*)();

    addEntry(
        &menu, tr("添加图片"), ":/icons/scan.svg", tr("从文件添加新图片到文档末尾"), &MainWindow::onAddImageFromFile);
    if (pageList->itemAt(pos)) {
        const int row = pageList->currentRow();
        addEntry(
            &menu, tr("插入图片"), ":/icons/scan.svg", tr("在当前位置插入新图片"), &MainWindow::onInsertImageFromFile);
        menu.addSeparator();
        addEntry(&menu, tr("上移"), ":/icons/rotate-left.svg", tr("将此页面向上移动一位"), &MainWindow::onMovePageUp)
            ->setEnabled(row > 0);
        addEntry(&menu, tr("下移"), ":/icons/rotate-right.svg", tr("将此页面向下移动一位"), &MainWindow::onMovePageDown)
            ->setEnabled(row < pageList->count() - 1);
        menu.addSeparator();
        QMenu *split = menu.addMenu(QIcon(QStringLiteral(":/icons/layout-columns.svg")), tr("拆分图片"));
        split->setToolTipsVisible(true);
        split->menuAction()->setToolTip(tr("将图片拆分为多个部分"));
        addEntry(split, tr("左右拆分"), ":/icons/layout-columns.svg", tr("从中间左右拆分，适合左右排列的证件"),
            &MainWindow::onSplitImageHorizontal);
        addEntry(split, tr("上下拆分"), ":/icons/layout.svg", tr("从中间上下拆分，适合上下排列的证件"),
            &MainWindow::onSplitImageVertical);
        addEntry(&menu, tr("拆分多张原稿"), ":/icons/layout-columns.svg",
            tr("把此页上的每张原稿（收据、卡片、照片）拆成单独的页面"), &MainWindow::onSplitOriginalsClicked);
        addEntry(&menu, tr("识别文字"), ":/icons/enhance-text.svg", tr("显示此页面识别出的文字"),
            &MainWindow::onRecognizeTextClicked);
        addEntry(&menu, tr("按规则分割文档"), ":/icons/save-multi.svg",
            tr("按扫描设置中的分割规则把文档保存为多个文件"), &MainWindow::onSplitDocumentByRule);
        menu.addSeparator();
        addEntry(
            &menu, tr("删除此页"), ":/icons/delete.svg", tr("删除当前选中的页面"), &MainWindow::onDeleteCurrentPage);
    }
    if (pageList->count() == 0) {
        addEntry(&menu, tr("暂无页面"), nullptr, tr("添加图片开始创建文档"), Slot(nullptr))->setEnabled(false);
    } else {
        menu.addSeparator();
        addEntry(&menu, tr("清空所有页面"), ":/icons/clear-all.svg", tr("删除所有页面，创建新文档"),
            &MainWindow::onClearAllPages);
    }
    menu.exec(pageList->viewport()->mapToGlobal(pos));
}

void MainWindow::onAddImageFromFile()
{
    insertImageFromFile(-1, tr("添加图片"));
}

void MainWindow::onInsertImageFromFile()
{
    const int row = pageList->currentRow();
    if (row < 0)
        onAddImageFromFile();
    else
        insertImageFromFile(row, tr("插入图片"));
}

// row < 0 appends; otherwise the new pages land before row, which is taken
// when the command starts so the dialog cannot shift it.
void MainWindow::insertImageFromFile(int row, const QString &title)
{
    const QStringList paths = QFileDialog::getOpenFileNames(this, title,
        FolderPaths::existingStartFolder(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)),
        imageFileFilter());
    importFiles(paths, row, false);
}

void MainWindow::onDeleteCurrentPage()
{
    const QVector<PageId> pages = selectedPages();
    if (pages.isEmpty())
        return;
    // A deletion is one step of the history: no question first, Ctrl+Z brings it back.
    pushCommand(new RemovePagesCommand(documentManager, pages, tr("删除页面")));
    statusBarWidget->showMessage(tr("已删除 %1 页（Ctrl+Z 可撤销）").arg(pages.size()), 3000);
}

QVector<PageId> MainWindow::selectedPages() const
{
    QList<int> rows;
    for (QListWidgetItem *item : pageList->selectedItems())
        rows << pageList->row(item);
    if (rows.isEmpty() && documentManager->currentPageIndex() >= 0)
        rows << documentManager->currentPageIndex();
    std::sort(rows.begin(), rows.end());
    QVector<PageId> pages;
    for (int row : qAsConst(rows))
        pages.append(documentManager->pageId(row));
    return pages;
}

void MainWindow::onMovePageUp()
{
    const int row = documentManager->currentPageIndex();
    if (row <= 0)
        return;
    movePageStep(row, row - 1);
    statusBarWidget->showMessage(tr("页面已上移"), 2000);
}

void MainWindow::onMovePageDown()
{
    const int row = documentManager->currentPageIndex();
    if (row < 0 || row >= documentManager->pageCount() - 1)
        return;
    movePageStep(row, row + 1);
    statusBarWidget->showMessage(tr("页面已下移"), 2000);
}

void MainWindow::movePageStep(int from, int to)
{
    const QVector<PageId> before = documentManager->pageIds();
    QVector<PageId> after = before;
    after.move(from, to);
    pushCommand(new ArrangePagesCommand(documentManager, before, after, before.at(from), tr("移动页面")));
}

void MainWindow::onClearAllClicked()
{
    if (documentManager->pageCount() == 0)
        return;
    pushCommand(new RemovePagesCommand(documentManager, documentManager->pageIds(), tr("清除所有页面")));
    statusBarWidget->showMessage(tr("所有页面已清空（Ctrl+Z 可撤销）"), 3000);
}

void MainWindow::onClearAllPages()
{
    onClearAllClicked();
}

void MainWindow::onNewDocument()
{
    if (!maybeSave())
        return;
    documentManager->newDocument();
    currentImage = QImage();
    clearView();
    updateWindowTitle();
    updateStatusBar();
}

void MainWindow::onPagesDropped(const QList<int> &rows, int targetRow)
{
    const QList<int> order = PageListWidget::reorderedRows(documentManager->pageCount(), rows, targetRow);
    const QVector<PageId> before = documentManager->pageIds();
    QVector<PageId> after;
    for (int row : order)
        after.append(before.at(row));
    if (after == before || rows.isEmpty())
        return;
    // The dragged page is the one the user is looking at afterwards.
    pushCommand(new ArrangePagesCommand(documentManager, before, after, before.at(rows.first()), tr("移动页面")));
}
