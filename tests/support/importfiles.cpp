#include "tests/support/importfiles.h"

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>

#include <tiffio.h>

namespace ImportFiles {

namespace {

bool writeClaimedDirectory(TIFF *tiff)
{
    const quint32 side = 15000;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, side);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, side);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, quint16(8));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, quint16(1));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, side);
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    char bytes[16] = {};
    return TIFFWriteRawStrip(tiff, 0, bytes, sizeof bytes) >= 0 && TIFFWriteDirectory(tiff);
}

} // namespace

bool writePdf(const QString &path, const QList<PdfPage> &pages)
{
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageMargins(QMarginsF());
    QPainter painter;
    for (int i = 0; i < pages.size(); ++i) {
        const PdfPage &page = pages.at(i);
        writer.setPageSize(QPageSize(page.size, QPageSize::Point, QString(), QPageSize::ExactMatch));
        if (i == 0) {
            if (!painter.begin(&writer))
                return false;
        } else if (!writer.newPage()) {
            return false;
        }
        const QRect all(0, 0, writer.width(), writer.height());
        if (page.scan.isNull())
            painter.fillRect(all, page.colour);
        else
            painter.drawImage(all, page.scan);
    }
    return painter.end();
}

bool writePlainPdf(const QString &path, int count, const QColor &colour)
{
    QList<PdfPage> pages;
    for (int i = 0; i < count; ++i)
        pages.append({ QSizeF(36, 36), colour, QImage() });
    return writePdf(path, pages);
}

bool encryptPdf(const QString &source, const QString &target, const QString &password)
{
    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"),
        { QStringLiteral("--encrypt"), password, QStringLiteral("owner-") + password, QStringLiteral("256"),
            QStringLiteral("--"), source, target });
    return qpdf.waitForFinished(30000) && qpdf.exitStatus() == QProcess::NormalExit && qpdf.exitCode() == 0;
}

bool writeTruncated(const QString &source, const QString &target, double fraction)
{
    QFile in(source);
    QFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = in.readAll();
    return out.write(bytes.left(int(bytes.size() * fraction))) > 0;
}

bool writeTiff(const QString &path, const QList<QImage> &images)
{
    TIFF *tiff = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tiff)
        return false;
    bool ok = true;
    for (const QImage &source : images) {
        if (source.isNull()) {
            ok = ok && writeClaimedDirectory(tiff);
            continue;
        }
        const QImage image = source.convertToFormat(QImage::Format_RGB888);
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, quint32(image.width()));
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, quint32(image.height()));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, quint16(8));
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, quint16(3));
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, quint32(image.height()));
        TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        for (int y = 0; ok && y < image.height(); ++y)
            ok = TIFFWriteScanline(tiff, const_cast<uchar *>(image.constScanLine(y)), quint32(y)) >= 0;
        ok = ok && TIFFWriteDirectory(tiff);
    }
    TIFFClose(tiff);
    return ok;
}

QColor centre(const QImage &image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool near(const QColor &actual, const QColor &expected, int tolerance)
{
    return qAbs(actual.red() - expected.red()) <= tolerance && qAbs(actual.green() - expected.green()) <= tolerance
        && qAbs(actual.blue() - expected.blue()) <= tolerance;
}

} // namespace ImportFiles
