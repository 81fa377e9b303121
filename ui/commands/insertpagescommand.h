#pragma once

#include <QImage>
#include <QVector>

#include "ui/commands/pagecommand.h"
#include "ui/commands/takenpages.h"

// Pages that came into the document as one step (imported files, the parts of a
// split, a merged page): undo takes them out, redo puts them back in their places.
class InsertPagesCommand : public PageCommand
{
public:
    // Inserts images before index (index < 0: at the end) on its first redo.
    InsertPagesCommand(DocumentManager *document, int index, const QVector<QImage> &images, const QString &text,
        PageCommand *parent = nullptr);
    // Records pages already inserted (an import that finished); the first redo
    // does nothing.
    InsertPagesCommand(
        DocumentManager *document, const QVector<PageId> &inserted, const QString &text, PageCommand *parent = nullptr);
    ~InsertPagesCommand() override;

    QVector<PageId> pages() const { return inserted; }

protected:
    void apply() override;
    bool revert() override;
    void releaseKept() override;

private:
    int index = -1;
    QVector<QImage> images;
    QVector<PageId> inserted;
    bool alreadyApplied = false;
    // Filled while undone.
    TakenPages taken;
};
