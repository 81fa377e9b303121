#pragma once

#include <QImage>
#include <QString>

// A page an importer has read and written as a finished page file, waiting to
// become a page of the document.
struct ImportedPage
{
    QString file;
    qint64 imageBytes = 0;
    QImage thumbnail;
};
