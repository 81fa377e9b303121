#pragma once

#include <QString>

// Folders the file dialogs start in.
class FolderPaths
{
public:
    // File dialogs given a folder that does not exist open somewhere else with
    // the folder's name typed in as a file name: this is its nearest existing
    // parent (the home folder for an empty path).
    static QString existingStartFolder(const QString &folder);
};
