#pragma once

#include <QImage>
#include <QObject>
#include <QVector>

#include "document/pageid.h"

class DocumentManager;

// The last few page images saved before edits, each tied to the id of the page it
// was taken from, so an undo restores the page wherever it has moved since. Entries
// of pages that have left the document (deleted, or the document replaced) no longer
// count and are dropped. GUI thread only.
class UndoStore : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultCapacity = 10;

    explicit UndoStore(const DocumentManager *document, QObject *parent = nullptr, int capacity = defaultCapacity);

    // Saves image as the state of page before an edit; the oldest entry goes
    // when the store is full. A null image or a page not in the document is ignored.
    void push(const QImage &image, PageId page);
    // Removes the newest entry whose page is still there and hands out its image
    // and its page; false when there is none.
    bool takeNewest(QImage *image, PageId *page);
    int size() const;
    int capacity() const { return maxEntries; }
    void clear();

private:
    struct Entry
    {
        QImage image;
        PageId page;
    };

    void dropGone();

    const DocumentManager *document;
    QVector<Entry> entries;
    int maxEntries;
};
