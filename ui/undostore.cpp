#include "ui/undostore.h"

#include <QDebug>

#include "document/documentmanager.h"

UndoStore::UndoStore(QObject *parent, int capacity)
    : QObject(parent)
    , maxEntries(qMax(1, capacity))
{
}

void UndoStore::follow(DocumentManager *document)
{
    followedDocument = document;
    connect(document, &DocumentManager::pageAdded, this, &UndoStore::pageInserted);
    connect(document, &DocumentManager::pageRemoved, this, &UndoStore::pageRemoved);
    connect(document, &DocumentManager::pageMoved, this, &UndoStore::pagesSwapped);
    connect(document, &DocumentManager::documentChanged, this, &UndoStore::onDocumentChanged);
}

void UndoStore::push(const QImage &image, int page)
{
    if (image.isNull() || page < 0)
        return;
    entries.append({ image, page });
    while (entries.size() > maxEntries)
        entries.removeFirst();
}

bool UndoStore::takeNewest(QImage *image, int *page)
{
    if (entries.isEmpty())
        return false;
    const Entry entry = entries.takeLast();
    *image = entry.image;
    *page = entry.page;
    return true;
}

void UndoStore::clear()
{
    entries.clear();
    for (int *follower : qAsConst(followers))
        *follower = -1;
}

void UndoStore::beginPutBack(int index)
{
    putBackIndex = index;
    putBackRemoved = false;
}

void UndoStore::endPutBack()
{
    // A put-back whose insertion never came (a null image) did delete the page.
    if (putBackRemoved) {
        const int index = putBackIndex;
        putBackIndex = -1;
        putBackRemoved = false;
        pageRemoved(index);
        return;
    }
    putBackIndex = -1;
}

template<typename Map> void UndoStore::remap(Map map)
{
    for (int i = entries.size() - 1; i >= 0; --i) {
        entries[i].page = map(entries[i].page);
        if (entries[i].page < 0)
            entries.remove(i);
    }
    for (int *follower : qAsConst(followers)) {
        if (*follower >= 0)
            *follower = map(*follower);
    }
}

void UndoStore::pageInserted(int index)
{
    if (putBackIndex >= 0 && putBackRemoved && index == putBackIndex) {
        putBackRemoved = false;
        return;
    }
    remap([index](int page) { return page >= index ? page + 1 : page; });
}

void UndoStore::pageRemoved(int index)
{
    if (putBackIndex >= 0 && !putBackRemoved && index == putBackIndex) {
        putBackRemoved = true;
        return;
    }
    remap([index](int page) { return page == index ? -1 : (page > index ? page - 1 : page); });
}

void UndoStore::pagesSwapped(int first, int second)
{
    remap([first, second](int page) { return page == first ? second : (page == second ? first : page); });
}

void UndoStore::documentEmptied()
{
    clear();
}

void UndoStore::onDocumentChanged()
{
    // A new, opened or cleared document announces itself only by being empty;
    // no page of the old one is left to restore into.
    if (followedDocument && followedDocument->pageCount() == 0 && putBackIndex < 0)
        documentEmptied();
}

UndoStore::FollowedPage::FollowedPage(UndoStore *store, int index)
    : owner(store)
    , position(index)
{
    owner->followers.append(&position);
}

UndoStore::FollowedPage::~FollowedPage()
{
    owner->followers.removeOne(&position);
}
