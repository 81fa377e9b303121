#include "ui/commands/insertpagescommand.h"

#include <algorithm>

InsertPagesCommand::InsertPagesCommand(
    DocumentManager *document, int index, const QVector<QImage> &images, const QString &text, PageCommand *parent)
    : PageCommand(document, text, parent)
    , index(index)
    , images(images)
{
}

InsertPagesCommand::InsertPagesCommand(
    DocumentManager *document, const QVector<PageId> &inserted, const QString &text, PageCommand *parent)
    : PageCommand(document, text, parent)
    , inserted(inserted)
    , alreadyApplied(true)
{
}

InsertPagesCommand::~InsertPagesCommand()
{
    releaseKept();
}

void InsertPagesCommand::apply()
{
    if (alreadyApplied) {
        alreadyApplied = false;
        return;
    }
    if (!images.isEmpty()) {
        // The images live in the page store from now on, not in the history.
        int at = index < 0 ? document->pageCount() : qMin(index, document->pageCount());
        for (const QImage &image : qAsConst(images)) {
            document->insertPage(at, image);
            inserted.append(document->pageId(at));
            ++at;
        }
        images.clear();
    } else {
        for (auto it = taken.crbegin(); it != taken.crend(); ++it)
            document->restorePage(it->index, it->page);
        taken.clear();
    }
    if (!inserted.isEmpty())
        document->setCurrentPage(document->indexOf(inserted.constFirst()));
}

bool InsertPagesCommand::revert()
{
    QVector<int> indices;
    for (PageId page : qAsConst(inserted)) {
        const int at = document->indexOf(page);
        if (at >= 0)
            indices.append(at);
    }
    std::sort(indices.begin(), indices.end(), std::greater<int>());
    taken.clear();
    for (int at : qAsConst(indices))
        taken.append({ at, document->takePage(at) });
    return true;
}

void InsertPagesCommand::releaseKept()
{
    for (const Taken &entry : qAsConst(taken))
        document->releaseParked(entry.page.content);
    taken.clear();
}
