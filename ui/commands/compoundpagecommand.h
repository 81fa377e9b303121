#pragma once

#include "ui/commands/pagecommand.h"

// Several changes taken back as one step (a merge: the merged page and the
// removed sources); its parts are made with it as their parent.
class CompoundPageCommand : public PageCommand
{
public:
    CompoundPageCommand(DocumentManager *document, const QString &text)
        : PageCommand(document, text)
    {
    }

protected:
    void apply() override { }
    bool revert() override { return true; }
    void releaseKept() override { }
};
