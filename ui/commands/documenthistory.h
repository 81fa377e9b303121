#pragma once

#include <QList>
#include <QObject>
#include <QString>

class DocumentManager;
class PageCommand;
class QUndoStack;

// The document's one undo history. Every change a user makes to the pages is a
// PageCommand pushed here; undo and redo wait while a command or a scan runs
// (setBusy). The document is unmodified exactly at the saved state of the
// history: pages that arrive outside it (a scan, a recovery) make the saved state
// unreachable until the next save. The history is bounded by a number of steps
// and by the bytes its parked pages take; the oldest steps go first.
// GUI thread only.
class DocumentHistory : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultStepLimit = 100;
    static constexpr qint64 defaultByteBudget = qint64(4) * 1024 * 1024 * 1024;

    explicit DocumentHistory(DocumentManager *document, QObject *parent = nullptr);
    ~DocumentHistory() override;

    // Applies the command and records it; while busy, nothing happens and the
    // command is deleted.
    void push(PageCommand *command);
    // The pages about to change are a step pushed once they have (an import
    // that finishes later): undoing that step reaches the saved state again.
    void expectStep();
    bool canUndo() const;
    bool canRedo() const;
    // The next step's name ("右旋转"); empty when there is none.
    QString undoText() const;
    QString redoText() const;
    // False when nothing was done (busy, nothing to undo) or the page store could
    // not give the pages back (the document is left as it was).
    bool undo();
    bool redo();
    int count() const;
    // How many steps undo can still take back.
    int undoableCount() const;
    // While set (a counter: nested calls are fine), undo, redo and push wait.
    void setBusy(bool busy);
    bool isBusy() const { return busyCount > 0; }
    void setByteBudget(qint64 bytes);
    QUndoStack *stack() const { return undoStack; }

signals:
    // What can be undone or redone, or their names, may have changed.
    void changed();
    // An undo or redo failed to get pages back; the document is as it was.
    void stepFailed();

private:
    void trimToBudget();
    void followDocument();
    void onPagesChangedOutside();
    void clearHistory();

    DocumentManager *document;
    QUndoStack *undoStack;
    qint64 byteBudget = defaultByteBudget;
    int busyCount = 0;
    bool applying = false;
    bool expectingStep = false;
};
