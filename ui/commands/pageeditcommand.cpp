#include "ui/commands/pageeditcommand.h"

PageEditCommand::PageEditCommand(
    DocumentManager *document, PageId page, const QImage &result, const QString &text, PageCommand *parent)
    : PageCommand(document, text, parent)
    , page(page)
    , result(result)
{
}

PageEditCommand::~PageEditCommand()
{
    document->releaseParked(other);
}

void PageEditCommand::apply()
{
    if (!result.isNull()) {
        // The result lives in the page store from now on, not in the history.
        other = document->replacePage(page, result);
        result = QImage();
    } else {
        exchange();
    }
    document->setCurrentPage(document->indexOf(page));
}

bool PageEditCommand::revert()
{
    if (!exchange())
        return false;
    // The content came back from disk; a page file the store cannot read is
    // put back aside, and the page shows what it showed before the undo.
    if (document->page(document->indexOf(page)).isNull()) {
        exchange();
        return false;
    }
    document->setCurrentPage(document->indexOf(page));
    return true;
}

bool PageEditCommand::exchange()
{
    const quint64 previous = document->exchangeContent(page, other);
    if (previous == 0)
        return false;
    other = previous;
    return true;
}

void PageEditCommand::releaseKept()
{
    document->releaseParked(other);
    other = 0;
}
