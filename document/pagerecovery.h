#pragma once

#include <QList>
#include <QString>

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
};

// Finds the folders of the page store that no running process owns.
class PageRecovery
{
public:
    // Folders holding pages, newest first. Folders without pages are removed on
    // the way; a folder that cannot be read is reported in the log and left alone.
    static QList<RecoverableFolder> find(const QString &root);
    // Removes the folder and its pages.
    static bool discard(const RecoverableFolder &folder);
};
