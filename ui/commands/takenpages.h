#pragma once

#include <QVector>

#include "document/documentmanager.h"

// Pages taken out of the document by a step of the history, each with the place
// it had, so they can be put back where they were.
class TakenPages
{
public:
    // Takes the pages of these ids that are in the document, the last place first
    // so the places of the others do not move.
    void take(DocumentManager *document, const QVector<PageId> &pages);
    // Puts them back in their places, first place first; the id of the first, or 0.
    PageId restore(DocumentManager *document);
    // Gives the parked pages up.
    void release(DocumentManager *document);

private:
    struct Taken
    {
        int index = -1;
        DocumentManager::ParkedPage page;
    };
    QVector<Taken> taken;
};
