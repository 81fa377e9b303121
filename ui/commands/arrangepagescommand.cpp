#include "ui/commands/arrangepagescommand.h"

ArrangePagesCommand::ArrangePagesCommand(DocumentManager *document, const QVector<PageId> &before,
    const QVector<PageId> &after, PageId focus, const QString &text, PageCommand *parent)
    : PageCommand(document, text, parent)
    , before(before)
    , after(after)
    , focus(focus)
{
}

ArrangePagesCommand::~ArrangePagesCommand() = default;

void ArrangePagesCommand::apply()
{
    arrange(after);
}

bool ArrangePagesCommand::revert()
{
    arrange(before);
    return true;
}

void ArrangePagesCommand::arrange(const QVector<PageId> &order)
{
    const QVector<PageId> current = document->pageIds();
    QVector<PageId> wanted;
    for (PageId page : order) {
        if (current.contains(page))
            wanted.append(page);
    }
    // The slots the command's pages hold now, filled in the order wanted.
    QVector<PageId> target = current;
    int next = 0;
    for (PageId &slot : target) {
        if (wanted.contains(slot))
            slot = wanted.at(next++);
    }
    document->arrange(target);
    document->setCurrentPage(document->indexOf(focus));
}
