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

#include "document/documentmanager.h"
#include "ui/croppableimagewidget.h"
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
        if (index < pageList->count())
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
        addEntry(&menu, tr("识别文字"), ":/icons/enhance-text.svg", tr("显示此页面识别出的文字"),
            &MainWindow::onRecognizeTextClicked);
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
        existingStartFolder(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)), imageFileFilter());
    importFiles(paths, row, false);
}

void MainWindow::onDeleteCurrentPage()
{
    const int row = pageList->currentRow();
    if (row < 0)
        return;
    const QString itemText = pageList->item(row)->text();
    const QMessageBox::StandardButton answer
        = QMessageBox::question(this, tr("确认删除"), tr("确定要删除 \"%1\" 吗？\n此操作无法撤销。").arg(itemText),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    documentManager->removePage(row);
    statusBarWidget->showMessage(tr("页面已删除: %1").arg(itemText), 3000);
}

void MainWindow::onMovePageUp()
{
    const int row = pageList->currentRow();
    if (row <= 0)
        return;
    documentManager->movePageUp(row);
    statusBarWidget->showMessage(tr("页面已上移"), 2000);
}

void MainWindow::onMovePageDown()
{
    const int row = pageList->currentRow();
    if (row < 0 || row >= pageList->count() - 1)
        return;
    documentManager->movePageDown(row);
    statusBarWidget->showMessage(tr("页面已下移"), 2000);
}

void MainWindow::onClearAllClicked()
{
    if (documentManager->pageCount() == 0)
        return;
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, tr("确认清除"), tr("确定要删除所有扫描的图片吗？此操作不可撤销！"), QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    while (documentManager->pageCount() > 0)
        documentManager->removePage(0);
}

void MainWindow::onClearAllPages()
{
    if (pageList->count() == 0)
        return;
    const QMessageBox::StandardButton answer
        = QMessageBox::question(this, tr("确认清空"), tr("确定要删除所有页面吗？\n此操作将清空当前文档，无法撤销。"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    documentManager->newDocument();
    currentImage = QImage();
    clearView();
    updateWindowTitle();
    updateStatusBar();
    statusBarWidget->showMessage(tr("所有页面已清空"), 3000);
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
    // Walk the wanted order and bring each page into place with the document's
    // own neighbour swaps; its signals move the list items along.
    QList<int> current;
    for (int row = 0; row < order.size(); ++row)
        current << row;
    for (int position = 0; position < order.size(); ++position) {
        const int from = current.indexOf(order.at(position));
        if (from != position) {
            movePage(from, position);
            current.move(from, position);
        }
    }
    // Every swap made the page it moved current; the dragged page is the one
    // the user is looking at.
    for (int position = 0; position < order.size(); ++position) {
        if (rows.contains(order.at(position))) {
            documentManager->setCurrentPage(position);
            break;
        }
    }
}

void MainWindow::movePage(int from, int to)
{
    for (int index = from; index > to; --index)
        documentManager->movePageUp(index);
    for (int index = from; index < to; ++index)
        documentManager->movePageDown(index);
}
