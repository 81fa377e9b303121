#include "ui/folderpaths.h"

#include <QDir>
#include <QFileInfo>

QString FolderPaths::existingStartFolder(const QString &folder)
{
    QString path = folder.isEmpty() ? QDir::homePath() : QDir(folder).absolutePath();
    while (!QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return QDir::homePath();
        path = parent;
    }
    return path;
}
