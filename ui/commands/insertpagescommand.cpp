#include "ui/commands/insertpagescommand.h"

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
    taken.release(document);
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
        taken.restore(document);
    }
    if (!inserted.isEmpty())
        document->setCurrentPage(document->indexOf(inserted.constFirst()));
}

bool InsertPagesCommand::revert()
{
    taken.take(document, inserted);
    return true;
}

void InsertPagesCommand::releaseKept()
{
    taken.release(document);
}
