#include "ui/commands/takenpages.h"

#include <algorithm>
#include <functional>

void TakenPages::take(DocumentManager *document, const QVector<PageId> &pages)
{
    QVector<int> indices;
    for (PageId page : pages) {
        const int index = document->indexOf(page);
        if (index >= 0)
            indices.append(index);
    }
    std::sort(indices.begin(), indices.end(), std::greater<int>());
    taken.clear();
    for (int index : qAsConst(indices))
        taken.append({ index, document->takePage(index) });
}

PageId TakenPages::restore(DocumentManager *document)
{
    for (auto it = taken.crbegin(); it != taken.crend(); ++it)
        document->restorePage(it->index, it->page);
    const PageId first = taken.isEmpty() ? 0 : taken.constLast().page.id;
    taken.clear();
    return first;
}

void TakenPages::release(DocumentManager *document)
{
    for (const Taken &entry : qAsConst(taken))
        document->releaseParked(entry.page.content);
    taken.clear();
}
