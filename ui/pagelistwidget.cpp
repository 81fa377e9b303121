#include "ui/pagelistwidget.h"

#include <QDropEvent>
#include <QPixmap>

#include <algorithm>

#include "ui/filedrop.h"
#include "ui/imagescaler.h"

PageListWidget::PageListWidget(QWidget *parent)
    : QListWidget(parent)
{
}

QIcon PageListWidget::thumbnailFor(const QImage &page)
{
    return QIcon(QPixmap::fromImage(ImageScaler::fitInto(page, QSize(100, 100))));
}

QList<int> PageListWidget::reorderedRows(int count, QList<int> moved, int targetRow)
{
    std::sort(moved.begin(), moved.end());
    moved.erase(std::unique(moved.begin(), moved.end()), moved.end());
    moved.erase(
        std::remove_if(moved.begin(), moved.end(), [count](int row) { return row < 0 || row >= count; }), moved.end());
    targetRow = qBound(0, targetRow, count);

    QList<int> order;
    for (int row = 0; row < targetRow; ++row) {
        if (!moved.contains(row))
            order << row;
    }
    order << moved;
    for (int row = targetRow; row < count; ++row) {
        if (!moved.contains(row))
            order << row;
    }
    return order;
}

int PageListWidget::dropRowAt(const QPoint &pos) const
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return count();
    // Items flow left to right; the right half of an item means "after it".
    const QRect itemRect = visualRect(index);
    return pos.x() < itemRect.center().x() ? index.row() : index.row() + 1;
}

namespace {

bool isFromOutside(const QDropEvent *event, const QObject *list)
{
    return event->source() != list && !FileDrop::localFiles(event->mimeData()).isEmpty();
}

} // namespace

void PageListWidget::dragEnterEvent(QDragEnterEvent *event)
{
    // Internal-move mode turns away every drag that did not start here.
    if (!isFromOutside(event, this)) {
        QListWidget::dragEnterEvent(event);
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void PageListWidget::dragMoveEvent(QDragMoveEvent *event)
{
    if (!isFromOutside(event, this)) {
        QListWidget::dragMoveEvent(event);
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void PageListWidget::dropEvent(QDropEvent *event)
{
    if (isFromOutside(event, this)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        emit filesDropped(FileDrop::localFiles(event->mimeData()), dropRowAt(event->pos()));
        return;
    }
    // Apart from files from outside, the view accepts drags from itself only,
    // so this drop is a reordering of the list's own items.
    QList<int> rows;
    const QList<QListWidgetItem *> items = selectedItems();
    for (QListWidgetItem *item : items)
        rows << row(item);
    if (rows.isEmpty() && currentRow() >= 0)
        rows << currentRow();
    const int target = dropRowAt(event->pos());
    // Copy, not move: a move would make the view delete the dragged items.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    stopAutoScroll();
    if (!rows.isEmpty())
        emit pagesDropped(rows, target);
}
