#include "ui/commands/documenthistory.h"

#include <QDebug>
#include <QUndoStack>

#include "document/documentmanager.h"
#include "document/pagestore.h"
#include "ui/commands/pagecommand.h"

namespace {

PageCommand *commandAt(const QUndoStack *stack, int index)
{
    // Only PageCommands are ever pushed; the stack hands them out const.
    return const_cast<PageCommand *>(static_cast<const PageCommand *>(stack->command(index)));
}

} // namespace

DocumentHistory::DocumentHistory(DocumentManager *document, QObject *parent)
    : QObject(parent)
    , document(document)
    , undoStack(new QUndoStack(this))
{
    undoStack->setUndoLimit(defaultStepLimit);
    for (auto signal : { &QUndoStack::canUndoChanged, &QUndoStack::canRedoChanged })
        connect(undoStack, signal, this, &DocumentHistory::changed);
    connect(undoStack, &QUndoStack::indexChanged, this, &DocumentHistory::changed);
    connect(document, &DocumentManager::pageAdded, this, &DocumentHistory::onPagesChangedOutside);
    connect(document, &DocumentManager::pageRemoved, this, &DocumentHistory::onPagesChangedOutside);
    connect(document, &DocumentManager::pageMoved, this, &DocumentHistory::onPagesChangedOutside);
    connect(document, &DocumentManager::documentSaved, this, [this]() {
        undoStack->setClean();
        followDocument();
    });
    // Another document: the steps of the last one have no pages to act on.
    connect(document, &DocumentManager::documentLoaded, this, &DocumentHistory::clearHistory);
    connect(document, &DocumentManager::documentCleared, this, &DocumentHistory::clearHistory);
}

DocumentHistory::~DocumentHistory()
{
    // The commands give their parked pages back while the document still exists.
    undoStack->clear();
}

void DocumentHistory::push(PageCommand *command)
{
    const bool expected = expectingStep;
    expectingStep = false;
    if (isBusy()) {
        delete command;
        // The change it stood for is in the document, outside the history.
        if (expected)
            undoStack->resetClean();
        return;
    }
    applying = true;
    undoStack->push(command);
    applying = false;
    followDocument();
    trimToBudget();
}

bool DocumentHistory::canUndo() const
{
    if (isBusy() || !undoStack->canUndo())
        return false;
    return !commandAt(undoStack, undoStack->index() - 1)->isReleased();
}

bool DocumentHistory::canRedo() const
{
    return !isBusy() && undoStack->canRedo();
}

QString DocumentHistory::undoText() const
{
    return canUndo() ? undoStack->undoText() : QString();
}

QString DocumentHistory::redoText() const
{
    return canRedo() ? undoStack->redoText() : QString();
}

bool DocumentHistory::undo()
{
    if (!canUndo())
        return false;
    const int index = undoStack->index() - 1;
    applying = true;
    undoStack->undo();
    bool done = true;
    if (commandAt(undoStack, index)->failed()) {
        // Back to where the history was; the command's next redo does nothing.
        undoStack->redo();
        done = false;
    }
    applying = false;
    followDocument();
    if (!done) {
        qDebug() << "撤销失败，无法从页面缓存取回页面";
        emit stepFailed();
    }
    return done;
}

bool DocumentHistory::redo()
{
    if (!canRedo())
        return false;
    applying = true;
    undoStack->redo();
    applying = false;
    followDocument();
    return true;
}

int DocumentHistory::count() const
{
    return undoStack->count();
}

int DocumentHistory::undoableCount() const
{
    int steps = 0;
    for (int i = undoStack->index() - 1; i >= 0 && !commandAt(undoStack, i)->isReleased(); --i)
        ++steps;
    return steps;
}

void DocumentHistory::setBusy(bool busy)
{
    busyCount = qMax(0, busyCount + (busy ? 1 : -1));
    emit changed();
}

void DocumentHistory::setByteBudget(qint64 bytes)
{
    byteBudget = bytes;
    trimToBudget();
}

void DocumentHistory::trimToBudget()
{
    // Parked pages are what the history costs; the oldest steps give theirs up
    // first and can no longer be taken back.
    for (int i = 0; i < undoStack->count() && document->pageStore()->parkedBytes() > byteBudget; ++i)
        commandAt(undoStack, i)->release();
    emit changed();
}

void DocumentHistory::followDocument()
{
    document->setModified(!undoStack->isClean());
}

void DocumentHistory::expectStep()
{
    expectingStep = true;
}

void DocumentHistory::onPagesChangedOutside()
{
    if (applying || expectingStep)
        return;
    // Scanned or recovered pages are no step of the history: the saved state
    // cannot be reached by undoing any more.
    undoStack->resetClean();
}

void DocumentHistory::clearHistory()
{
    applying = true;
    expectingStep = false;
    undoStack->clear();
    // clear() leaves an empty stack as it was, and a page added outside it may
    // have made the clean state unreachable.
    undoStack->setClean();
    applying = false;
    followDocument();
}
