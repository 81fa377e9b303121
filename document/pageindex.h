#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// The index of a page-store folder: the document's title, when the index was
// last written and the page files in document order. It names a page only once
// the page's file is complete, and is replaced in one rename, so a folder left by
// a killed process always reads as a consistent document.
class PageIndex
{
public:
    // Far beyond a day of feeder runs; an index naming more is damaged.
    static constexpr int maxPages = 10000;

    static QString fileName();

    QByteArray toJson() const;
    // False for anything but a complete index of this format, with at most
    // maxPages pages, each named once.
    bool fromJson(const QByteArray &json);

    // Writes a temporary file beside the index, flushes it and renames it over the
    // index.
    static bool write(const QString &folder, const QByteArray &json, QString *errorText);
    bool read(const QString &folder);

    QString title;
    QDateTime time;
    QStringList pages;
};
