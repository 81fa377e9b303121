#pragma once

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>

#include "document/imagefilewriter.h"
#include "document/saveoptions.h"

// File naming and writing for automatically saved scans. No dialogs: every
// operation reports success as a bool and the window talks to the user.
class AutoSaver
{
public:
    // "<folder>/<yyyyMMdd_HHmmss>.<ext>" at the given moment.
    static QString timestampedFileName(const QString &folder, const QString &ext, const QDateTime &when);
    // "<folder>/<yyyyMMdd_HHmmss>_p<NNN>.<ext>", page as three digits.
    static QString pageFileName(const QString &folder, const QString &ext, int page, const QDateTime &when);
    // path itself when no file of that name exists, else the first free
    // "<base>_<n>.<suffix>" (n = 1, 2, ...), so two saves in one second never
    // overwrite each other.
    static QString firstFreeName(const QString &path);

    // Writes one image through the document's file writer (ImageFileWriter).
    // format is upper case ("PDF", "PNG", "JPG", "BMP", "TIFF"); a PDF is one page
    // of the image's physical size, or, for an image without a resolution, an A4
    // page with the image stretched over it. options give the JPEG quality (also of
    // a PDF's grey and colour pages) and the PDF's compression, resolution and size
    // limit. The file appears only when it was written completely.
    // decorator, when given, adds a layer to a PDF's page (the recognised text).
    static bool writeImage(const QImage &image, const QString &path, const QString &format, const SaveOptions &options,
        const ImageFileWriter::PageDecorator &decorator = {});
    // One page per image, of its physical size, or A4 with the image fitted and
    // centred when it has no resolution; false for no images.
    static bool writePdf(const QList<QImage> &images, const QString &path, const QString &title,
        const SaveOptions &options = SaveOptions());
    // The same for pages handed out one at a time (see ImageFileWriter::writePdf);
    // report, when given, tells the files and bytes written.
    static bool writePdf(int pageCount, const ImageFileWriter::PageProvider &pageAt, const QString &path,
        const QString &title, const SaveOptions &options, const ImageFileWriter::PageDecorator &decorator = {},
        ImageFileWriter::PdfReport *report = nullptr);

    // Number of files in folder matching "*.<ext>".
    static int countFiles(const QString &folder, const QString &ext);
};
