#pragma once

#include <QImage>
#include <QObject>
#include <QVector>

class DocumentManager;

// The last few page images saved before edits, each tied to the page it was
// taken from. The store follows the document's structural signals, so an
// entry moves with its page through insertions, removals and moves, and is
// dropped when its page is deleted or the document is replaced. A put-back
// (remove and insert at the same index, bracketed by beginPutBack/endPutBack)
// is a replacement, not a deletion. GUI thread only.
class UndoStore : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultCapacity = 10;

    explicit UndoStore(QObject *parent = nullptr, int capacity = defaultCapacity);

    // Keeps the store in step with this document from now on.
    void follow(DocumentManager *document);

    // Saves image as the state of page before an edit; the oldest entry goes
    // when the store is full. A null image or a negative page is ignored.
    void push(const QImage &image, int page);
    // Removes the newest entry and hands out its image and its page's index
    // now; false when the store is empty.
    bool takeNewest(QImage *image, int *page);
    int size() const { return entries.size(); }
    int capacity() const { return maxEntries; }
    void clear();

    // Marks the next removal and insertion at index as one replacement.
    void beginPutBack(int index);
    void endPutBack();

    // Follows one page index for as long as it lives, e.g. the page an edit
    // works on while the operation lets events through; -1 once the page is gone.
    class FollowedPage
    {
    public:
        FollowedPage(UndoStore *store, int index);
        ~FollowedPage();
        FollowedPage(const FollowedPage &) = delete;
        FollowedPage &operator=(const FollowedPage &) = delete;
        int index() const { return position; }

    private:
        UndoStore *owner;
        int position;
    };

public slots:
    // The document's structural changes, public so tests can drive them.
    void pageInserted(int index);
    void pageRemoved(int index);
    void pagesSwapped(int first, int second);
    void documentEmptied();

private:
    struct Entry
    {
        QImage image;
        int page;
    };

    template<typename Map> void remap(Map map);
    void onDocumentChanged();

    QVector<Entry> entries;
    QVector<int *> followers;
    DocumentManager *followedDocument = nullptr;
    int maxEntries;
    int putBackIndex = -1;
    bool putBackRemoved = false;
};
