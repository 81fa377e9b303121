// Multi-page TIFF through libtiff: Qt's TIFF writer puts one image in a file, so a
// second write through it leaves a file with only the first page.
#include "document/documentmanager.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <tiffio.h>

#include "document/filereplacement.h"
#include "document/pageencoder.h"
#include "document/pageresolution.h"
#include "document/pagestore.h"

namespace {

// Strips of about this many bytes: large enough that LZW's dictionary warms up, small
// enough that converting a strip stays in the cache.
constexpr qsizetype stripBytes = 256 * 1024;

// Classic TIFF addresses 4 GiB; leave room for directories and incompressible data.
constexpr qint64 classicTiffLimit = Q_INT64_C(0xE0000000);

struct TiffErrors
{
    QString message;
};

int recordTiffError(TIFF *, void *userData, const char *module, const char *format, va_list arguments)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    auto *errors = static_cast<TiffErrors *>(userData);
    if (errors->message.isEmpty()) {
        errors->message = QString::fromLocal8Bit(text);
        if (module && *module)
            errors->message = QString::fromLocal8Bit(module) + QStringLiteral(": ") + errors->message;
    }
    return 1;
}

int ignoreTiffWarning(TIFF *, void *, const char *, const char *, va_list)
{
    return 1;
}

QFile *deviceOf(thandle_t handle)
{
    return static_cast<QFile *>(handle);
}

tmsize_t readDevice(thandle_t handle, void *buffer, tmsize_t size)
{
    return deviceOf(handle)->read(static_cast<char *>(buffer), size);
}

tmsize_t writeDevice(thandle_t handle, void *buffer, tmsize_t size)
{
    return deviceOf(handle)->write(static_cast<const char *>(buffer), size);
}

toff_t seekDevice(thandle_t handle, toff_t offset, int whence)
{
    QFile *file = deviceOf(handle);
    qint64 position = static_cast<qint64>(offset);
    if (whence == SEEK_CUR)
        position += file->pos();
    else if (whence == SEEK_END)
        position += file->size();
    if (position < 0 || !file->seek(position))
        return static_cast<toff_t>(-1);
    return static_cast<toff_t>(position);
}

int closeDevice(thandle_t)
{
    return 0;
}

toff_t deviceSize(thandle_t handle)
{
    return static_cast<toff_t>(deviceOf(handle)->size());
}

int mapNothing(thandle_t, void **, toff_t *)
{
    return 0;
}

void unmapNothing(thandle_t, void *, toff_t)
{
}

// How one page is laid out in its TIFF directory, and the QImage format its rows are
// converted to on the way (Format_Invalid: the rows are written as they are).
struct PageLayout
{
    quint16 photometric = PHOTOMETRIC_RGB;
    quint16 bitsPerSample = 8;
    quint16 samplesPerPixel = 3;
    quint16 compression = COMPRESSION_LZW;
    bool alpha = false;
    QImage::Format rowFormat = QImage::Format_Invalid;
};

bool isBlackAndWhite(const QVector<QRgb> &table, bool *blackIsZero)
{
    if (table.size() != 2)
        return false;
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb first = table.at(0) | 0xff000000u;
    const QRgb second = table.at(1) | 0xff000000u;
    if (qAlpha(table.at(0)) != 255 || qAlpha(table.at(1)) != 255)
        return false;
    if (first == black && second == white) {
        *blackIsZero = true;
        return true;
    }
    if (first == white && second == black) {
        *blackIsZero = false;
        return true;
    }
    return false;
}

// Pages keep their depth: two-level pages stay 1-bit, grey pages grey, colour pages
// RGB, pages with an alpha channel RGBA. Compression is LZW, and CCITT G4 for 1-bit
// pages, a tenth of what run-length coding leaves of a text page.
PageLayout layoutFor(const QImage &image)
{
    PageLayout layout;
    bool blackIsZero = true;
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        if (isBlackAndWhite(image.colorTable(), &blackIsZero)) {
            layout.photometric = blackIsZero ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_MINISWHITE;
            layout.bitsPerSample = 1;
            layout.samplesPerPixel = 1;
            layout.compression = COMPRESSION_CCITTFAX4;
            if (image.format() == QImage::Format_MonoLSB)
                layout.rowFormat = QImage::Format_Mono;
            return layout;
        }
        break;
    case QImage::Format_Grayscale8:
        layout.photometric = PHOTOMETRIC_MINISBLACK;
        layout.samplesPerPixel = 1;
        return layout;
    case QImage::Format_Grayscale16:
        layout.photometric = PHOTOMETRIC_MINISBLACK;
        layout.bitsPerSample = 16;
        layout.samplesPerPixel = 1;
        return layout;
    case QImage::Format_RGB888:
        return layout;
    default:
        break;
    }
    if (image.hasAlphaChannel()) {
        layout.samplesPerPixel = 4;
        layout.alpha = true;
        layout.rowFormat = QImage::Format_RGBA8888;
    } else if (image.colorCount() > 0 && image.isGrayscale()) {
        layout.photometric = PHOTOMETRIC_MINISBLACK;
        layout.samplesPerPixel = 1;
        layout.rowFormat = QImage::Format_Grayscale8;
    } else {
        layout.rowFormat = QImage::Format_RGB888;
    }
    return layout;
}

// Writes one page as the current directory and closes the directory.
bool writePage(TIFF *tiff, const QImage &image, int pageIndex, int pageCount)
{
    const PageLayout layout = layoutFor(image);
    const int width = image.width();
    const int height = image.height();
    const qsizetype rowBytes = (static_cast<qsizetype>(width) * layout.bitsPerSample * layout.samplesPerPixel + 7) / 8;
    // G4 codes each row against the one above; a new strip starts over, so a 1-bit
    // page (about a megabyte at A4 300 dpi) goes in one strip.
    const int rowsPerStrip = layout.compression == COMPRESSION_CCITTFAX4
        ? height
        : int(qBound<qsizetype>(1, stripBytes / rowBytes, height));

    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, quint32(width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, quint32(height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bitsPerSample);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout.samplesPerPixel);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, layout.compression);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, quint32(rowsPerStrip));
    TIFFSetField(tiff, TIFFTAG_PAGENUMBER, quint16(pageIndex), quint16(pageCount));
    if (layout.alpha) {
        const quint16 extra[] = { EXTRASAMPLE_UNASSALPHA };
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, quint16(1), extra);
    }
    if (PageResolution::isKnown(image)) {
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(PageResolution::dpiX(image)));
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(PageResolution::dpiY(image)));
    } else if (image.dotsPerMeterX() > 0 && image.dotsPerMeterY() > 0) {
        TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(image.dotsPerMeterX() * 0.0254));
        TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(image.dotsPerMeterY() * 0.0254));
    }

    QByteArray strip(rowsPerStrip * rowBytes, Qt::Uninitialized);
    tstrip_t stripIndex = 0;
    for (int top = 0; top < height; top += rowsPerStrip, ++stripIndex) {
        const int rows = qMin(rowsPerStrip, height - top);
        QImage converted;
        const uchar *source = image.constScanLine(top);
        qsizetype sourceStride = image.bytesPerLine();
        if (layout.rowFormat != QImage::Format_Invalid) {
            // A view of the strip's rows, converted on its own: no full-page copy.
            QImage band(source, width, rows, image.bytesPerLine(), image.format());
            if (image.colorCount() > 0)
                band.setColorTable(image.colorTable());
            converted = band.convertToFormat(layout.rowFormat);
            source = converted.constBits();
            sourceStride = converted.bytesPerLine();
        }
        char *target = strip.data();
        for (int row = 0; row < rows; ++row)
            std::memcpy(target + row * rowBytes, source + row * sourceStride, size_t(rowBytes));
        if (TIFFWriteEncodedStrip(tiff, stripIndex, target, tmsize_t(rows * rowBytes)) < 0)
            return false;
    }
    return TIFFWriteDirectory(tiff) != 0;
}

} // namespace

bool DocumentManager::saveAsMultiPageTiff(const QString &path)
{
    m_lastSaveCancelled = false;
    if (pageCount() == 0) {
        emit documentError(tr("没有要保存的页面"));
        return false;
    }

    QFile file;
    QString errorText;
    if (!FileReplacement::open(path, &file, &errorText)) {
        emit documentError(tr("保存TIFF文件失败: %1").arg(errorText));
        return false;
    }

    qint64 rawBytes = 0;
    for (int i = 0; i < pageCount(); ++i)
        rawBytes += m_store->imageBytes(i);

    TiffErrors errors;
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, recordTiffError, &errors);
    TIFFOpenOptionsSetWarningHandlerExtR(options, ignoreTiffWarning, nullptr);
    TIFF *tiff = TIFFClientOpenExt(QFile::encodeName(path).constData(), rawBytes > classicTiffLimit ? "w8" : "w", &file,
        readDevice, writeDevice, seekDevice, closeDevice, deviceSize, mapNothing, unmapNothing, options);
    TIFFOpenOptionsFree(options);

    const auto failure = [&]() {
        if (file.error() != QFileDevice::NoError)
            return file.errorString();
        return errors.message.isEmpty() ? tr("未知错误") : errors.message;
    };
    const auto discard = [&](const QString &message) {
        if (tiff)
            TIFFClose(tiff);
        FileReplacement::discard(&file);
        emit documentError(message);
        return false;
    };

    if (!tiff)
        return discard(tr("保存TIFF文件失败: %1").arg(failure()));
    for (int i = 0; i < pageCount(); ++i) {
        if (!writePage(tiff, PageEncoder::downsampled(page(i), m_saveOptions.saveDpi), i, pageCount())) {
            if (i == 0)
                return discard(tr("保存TIFF文件失败: %1").arg(failure()));
            return discard(tr("保存TIFF文件第%1页失败: %2").arg(i + 1).arg(failure()));
        }
        if (m_saveProgress && !m_saveProgress(i + 1, pageCount())) {
            TIFFClose(tiff);
            FileReplacement::discard(&file);
            m_lastSaveCancelled = true;
            return false;
        }
    }
    TIFFClose(tiff);
    tiff = nullptr;
    if (!errors.message.isEmpty())
        return discard(tr("保存TIFF文件失败: %1").arg(failure()));
    if (!FileReplacement::commit(&file, path, &errorText)) {
        emit documentError(tr("保存TIFF文件失败: %1").arg(errorText));
        return false;
    }
    qDebug() << "成功保存" << pageCount() << "页到多页TIFF文件:" << path;
    return true;
}
