#pragma once

#include <QVector>

#include "ui/commands/pagecommand.h"

// A new order of pages (moved up or down, dragged in the list). Pages that came
// or went since keep their places; the pages of the command take the places they
// occupy in the order wanted. The moved page becomes current.
class ArrangePagesCommand : public PageCommand
{
public:
    ArrangePagesCommand(DocumentManager *document, const QVector<PageId> &before, const QVector<PageId> &after,
        PageId focus, const QString &text, PageCommand *parent = nullptr);
    ~ArrangePagesCommand() override;

protected:
    void apply() override;
    bool revert() override;
    void releaseKept() override { }

private:
    void arrange(const QVector<PageId> &order);

    const QVector<PageId> before;
    const QVector<PageId> after;
    const PageId focus;
};
