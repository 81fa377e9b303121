#pragma once

#include <QCoreApplication>

#include "document/saveoptions.h"

class QWidget;

// Asked when even the smallest file a save can make is over the size limit: the
// user keeps that file anyway, has the pages split into parts under the limit, or
// saves nothing.
class SizeLimitQuestion
{
    Q_DECLARE_TR_FUNCTIONS(SizeLimitQuestion)

public:
    // SaveAnyway or Split, or Refuse when the user cancels. A single page cannot be
    // split, so it is offered only when canSplit.
    static SaveOptions::OverLimit ask(QWidget *parent, qint64 smallestBytes, qint64 limitBytes, bool canSplit);
};
