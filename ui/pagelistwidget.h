#pragma once

#include <QImage>
#include <QIcon>
#include <QList>
#include <QListWidget>

// The thumbnail list of the pages dock. A drag inside the list does not move
// any item by itself: it reports which rows were dropped where, and the window
// moves the pages in the document, whose signals then move the items. So the
// list can never show an order the document does not have. Files dragged in
// from a file manager are reported with the row they were dropped before.
class PageListWidget : public QListWidget
{
    Q_OBJECT

public:
    explicit PageListWidget(QWidget *parent = nullptr);

    // The thumbnail of a page: scaled to fit 100 x 100, aspect ratio kept.
    static QIcon thumbnailFor(const QImage &page);

    // The new order of count rows after the rows in moved (any order) were
    // dropped before targetRow (count means: at the end). Entry i of the result
    // is the old row that ends up at position i.
    static QList<int> reorderedRows(int count, QList<int> moved, int targetRow);

    // The row before which a drop at pos (viewport coordinates) inserts.
    int dropRowAt(const QPoint &pos) const;

    // Public so a drop can be delivered without a running drag (tests).
    void dropEvent(QDropEvent *event) override;

signals:
    void pagesDropped(const QList<int> &rows, int targetRow);
    // Files dragged in from outside, to be inserted before targetRow.
    void filesDropped(const QStringList &files, int targetRow);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
};
