#pragma once

#include <QVector>

#include "ui/commands/pagecommand.h"
#include "ui/commands/takenpages.h"

// Deletes pages (one, a selection, or all of them); undo puts each back at the
// place it had, with its id, and makes the first of them current.
class RemovePagesCommand : public PageCommand
{
public:
    RemovePagesCommand(
        DocumentManager *document, const QVector<PageId> &pages, const QString &text, PageCommand *parent = nullptr);
    ~RemovePagesCommand() override;

protected:
    void apply() override;
    bool revert() override;
    void releaseKept() override;

private:
    const QVector<PageId> pages;
    TakenPages taken;
};
