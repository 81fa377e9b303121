#include "ui/commands/removepagescommand.h"

RemovePagesCommand::RemovePagesCommand(
    DocumentManager *document, const QVector<PageId> &pages, const QString &text, PageCommand *parent)
    : PageCommand(document, text, parent)
    , pages(pages)
{
}

RemovePagesCommand::~RemovePagesCommand()
{
    taken.release(document);
}

void RemovePagesCommand::apply()
{
    taken.take(document, pages);
}

bool RemovePagesCommand::revert()
{
    document->setCurrentPage(document->indexOf(taken.restore(document)));
    return true;
}

void RemovePagesCommand::releaseKept()
{
    taken.release(document);
}
