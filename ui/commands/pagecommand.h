#pragma once

#include <QUndoCommand>
#include <QVector>

#include "document/documentmanager.h"

// One change of the document's pages on the undo history. A command holds page
// ids and the page store's parked content, never indices or images: an undo finds
// its pages wherever they are now, and the history costs disk, not memory.
// Children (a merge's new page and its removed sources) are applied in order and
// taken back in reverse, as one step.
class PageCommand : public QUndoCommand
{
public:
    PageCommand(DocumentManager *document, const QString &text, PageCommand *parent = nullptr);
    ~PageCommand() override;

    void redo() final;
    void undo() final;

    // Gives up what the command keeps for its undo (the history is over its disk
    // budget); it can no longer be taken back.
    void release();
    bool isReleased() const { return released; }
    // The undo could not get its pages back from the store; the document was left
    // as it was, and the next redo does nothing.
    bool failed() const;

protected:
    virtual void apply() = 0;
    // False when the page store could not give the pages back.
    virtual bool revert() = 0;
    virtual void releaseKept() = 0;

    DocumentManager *const document;

private:
    QVector<PageCommand *> parts;
    bool released = false;
    bool undoFailed = false;
    bool skipRedo = false;
};
