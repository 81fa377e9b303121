#pragma once

#include <QList>
#include <QString>
#include <QVector>

#include <memory>

#include "document/pageindex.h"

class QLockFile;

// A page-store folder left behind by a process that died, locked by this process
// for as long as any copy of this value lives.
class RecoverableFolder
{
public:
    QString path;
    PageIndex index;
    std::shared_ptr<QLockFile> lock;
    // Positions in index.pages of the pages whose files are damaged: they are
    // left out of a recovery, the others come back.
    QVector<int> damaged;

    int recoverableCount() const { return index.pages.size() - damaged.size(); }
    bool isDamaged(int position) const { return damaged.contains(position); }
};

// Finds the folders of the page store that no running process owns.
class PageRecovery
{
public:
    // Folders holding pages, newest first. Folders without pages are removed on
    // the way; a folder whose index cannot be read, or none of whose pages can,
    // is reported in the log and left alone. A damaged page costs only itself.
    static QList<RecoverableFolder> find(const QString &root);
    // Removes the folder and its pages.
    static bool discard(const RecoverableFolder &folder);
};
