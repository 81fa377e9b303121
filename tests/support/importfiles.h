#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>

// Files for the import tests, made by the real writers: PDFs by QPdfWriter,
// encrypted ones by qpdf, TIFFs by libtiff.
namespace ImportFiles {

struct PdfPage
{
    // In points.
    QSizeF size;
    QColor colour;
    // When set, drawn over the whole page as a scanned sheet is.
    QImage scan;
};

bool writePdf(const QString &path, const QList<PdfPage> &pages);
// A PDF of count small pages of one colour.
bool writePlainPdf(const QString &path, int count, const QColor &colour);
// qpdf --encrypt with this user password (and another owner password).
bool encryptPdf(const QString &source, const QString &target, const QString &password);
// The first bytes of source only.
bool writeTruncated(const QString &source, const QString &target, double fraction);
// A TIFF with one directory per image. A null image stands for a directory
// that claims 15000 x 15000 grey pixels but holds 16 bytes: a header a reader
// must judge before it decodes anything.
bool writeTiff(const QString &path, const QList<QImage> &images);
// The colour at the centre of an image.
QColor centre(const QImage &image);
bool near(const QColor &actual, const QColor &expected, int tolerance = 6);

} // namespace ImportFiles
