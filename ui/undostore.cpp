#include "ui/undostore.h"

#include <algorithm>

#include "document/documentmanager.h"

UndoStore::UndoStore(const DocumentManager *document, QObject *parent, int capacity)
    : QObject(parent)
    , document(document)
    , maxEntries(qMax(1, capacity))
{
}

void UndoStore::push(const QImage &image, PageId page)
{
    if (image.isNull() || document->indexOf(page) < 0)
        return;
    dropGone();
    entries.append({ image, page });
    while (entries.size() > maxEntries)
        entries.removeFirst();
}

bool UndoStore::takeNewest(QImage *image, PageId *page)
{
    dropGone();
    if (entries.isEmpty())
        return false;
    const Entry entry = entries.takeLast();
    *image = entry.image;
    *page = entry.page;
    return true;
}

int UndoStore::size() const
{
    return int(std::count_if(
        entries.cbegin(), entries.cend(), [this](const Entry &entry) { return document->indexOf(entry.page) >= 0; }));
}

void UndoStore::clear()
{
    entries.clear();
}

void UndoStore::dropGone()
{
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                      [this](const Entry &entry) { return document->indexOf(entry.page) < 0; }),
        entries.end());
}
