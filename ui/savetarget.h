#pragma once

#include <QString>

// The file a "保存" writes and the format it writes there, from the name the user
// typed and the format chosen in the dock: a file's content always matches its name.
// A name ending in a suffix Quirra writes keeps it and gets that format; any other
// name gets the dock's format with its suffix added.
struct SaveTarget
{
    SaveTarget(const QString &typedPath, const QString &dockFormat);

    QString path;
    QString format; // lower case: "pdf", "png", "jpg", "bmp" or "tiff"
};
