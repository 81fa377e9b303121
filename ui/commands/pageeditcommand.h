#pragma once

#include <QImage>

#include "ui/commands/pagecommand.h"

// An edit of one page (rotate, crop, enhance, annotate, a correction): the page
// keeps its id and its place; undo and redo swap its content with the content it
// had, parked in the page store. The page becomes current either way.
class PageEditCommand : public PageCommand
{
public:
    PageEditCommand(DocumentManager *document, PageId page, const QImage &result, const QString &text,
        PageCommand *parent = nullptr);
    ~PageEditCommand() override;

protected:
    void apply() override;
    bool revert() override;
    void releaseKept() override;

private:
    bool exchange();

    const PageId page;
    QImage result;
    quint64 other = 0;
};
