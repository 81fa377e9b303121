#pragma once

#include <QImage>
#include <QString>

#include "document/storedencoding.h"

// The file format of one page of the page store: a small header (size, format,
// row length, resolution, colour table) followed by the rows in bands of LZ4
// blocks. Lossless for every QImage format; bands decode on two threads. An
// imported page may carry the stream it came in after the bands, so the stream
// lives and dies with the pixels it was read into.
//
// Thread-safe: pure functions of their arguments and the file.
class PageCodec
{
public:
    // Writes the page to path + ".part", flushes it to the disk and only then
    // renames it to path, so path names either nothing or a complete page. A page
    // beyond PageLimits is not written (readFile would refuse it).
    static bool writeFile(
        const QString &path, const QImage &image, QString *errorText, const StoredEncoding &original = {});
    // The stream writeFile was given; null when there is none or the file cannot
    // be read. Reads only that part of the file.
    static StoredEncoding readOriginal(const QString &path);
    // Null with errorText set when the file is missing, truncated, not a page or
    // claims more than PageLimits or its bands can hold; nothing is allocated
    // before the header has been checked.
    // When reuse holds an image of the page's size and format that is shared with
    // no one, the page is decoded into its memory; reuse then holds the page.
    static QImage readFile(const QString &path, QString *errorText, QImage *reuse = nullptr);
    // The header's claims checked against the file's size, without decoding;
    // imageBytes receives the size of the decoded image.
    static bool inspect(const QString &path, qint64 *imageBytes);
};
