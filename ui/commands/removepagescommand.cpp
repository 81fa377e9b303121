#include "ui/commands/removepagescommand.h"

#include <algorithm>

RemovePagesCommand::RemovePagesCommand(
    DocumentManager *document, const QVector<PageId> &pages, const QString &text, PageCommand *parent)
    : PageCommand(document, text, parent)
    , pages(pages)
{
}

RemovePagesCommand::~RemovePagesCommand()
{
    releaseKept();
}

void RemovePagesCommand::apply()
{
    QVector<int> indices;
    for (PageId page : qAsConst(pages)) {
        const int index = document->indexOf(page);
        if (index >= 0)
            indices.append(index);
    }
    // The last place first, so the places of the others do not move.
    std::sort(indices.begin(), indices.end(), std::greater<int>());
    taken.clear();
    for (int index : qAsConst(indices))
        taken.append({ index, document->takePage(index) });
}

bool RemovePagesCommand::revert()
{
    for (auto it = taken.crbegin(); it != taken.crend(); ++it)
        document->restorePage(it->index, it->page);
    if (!taken.isEmpty())
        document->setCurrentPage(document->indexOf(taken.constLast().page.id));
    taken.clear();
    return true;
}

void RemovePagesCommand::releaseKept()
{
    for (const Taken &entry : qAsConst(taken))
        document->releaseParked(entry.page.content);
    taken.clear();
}
