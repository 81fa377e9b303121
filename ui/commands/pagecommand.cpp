#include "ui/commands/pagecommand.h"

PageCommand::PageCommand(DocumentManager *document, const QString &text, PageCommand *parent)
    : QUndoCommand(text, parent)
    , document(document)
{
    if (parent)
        parent->parts.append(this);
}

PageCommand::~PageCommand() = default;

void PageCommand::redo()
{
    if (skipRedo) {
        skipRedo = false;
        return;
    }
    undoFailed = false;
    apply();
    for (PageCommand *part : qAsConst(parts))
        part->redo();
}

void PageCommand::undo()
{
    if (released) {
        undoFailed = true;
        skipRedo = true;
        return;
    }
    // Taken back in reverse; a part that fails puts the parts already taken back
    // forward again, so the document is never left half undone.
    for (int i = parts.size() - 1; i >= 0; --i) {
        parts.at(i)->undo();
        if (parts.at(i)->failed()) {
            for (int j = i + 1; j < parts.size(); ++j)
                parts.at(j)->redo();
            parts.at(i)->skipRedo = false;
            undoFailed = true;
            skipRedo = true;
            return;
        }
    }
    if (!revert()) {
        for (PageCommand *part : qAsConst(parts))
            part->redo();
        undoFailed = true;
        skipRedo = true;
    }
}

void PageCommand::release()
{
    if (released)
        return;
    released = true;
    releaseKept();
    for (PageCommand *part : qAsConst(parts))
        part->release();
}

bool PageCommand::failed() const
{
    return undoFailed;
}
