#pragma once

#include <QString>

// The status line after a document went into one file: how many pages and how
// large the file came out, so the user sees at once what the choice of format cost.
class SaveSummary
{
public:
    // "已保存 12 页，3.4 MB"; below a megabyte in kilobytes ("已保存 1 页，22 KB").
    static QString text(int pages, qint64 bytes);
    // "3.4 MB", below a megabyte "22 KB" (decimal units, as size limits are given).
    static QString sizeText(qint64 bytes);
    // The same for the file at path.
    static QString forFile(int pages, const QString &path);
};
