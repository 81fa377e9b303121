#include "document/pageencoder.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>
#include <QPainter>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <tiffio.h>

#include "document/mrcencoder.h"
#include "document/pageresolution.h"

namespace {

bool isTwoLevel(const QImage &page)
{
    if (page.format() != QImage::Format_Mono && page.format() != QImage::Format_MonoLSB)
        return false;
    // QImage::isGrayscale() says false for every 1-bit image; the table decides.
    return page.colorCount() == 2 && qIsGray(page.color(0)) && qIsGray(page.color(1))
        && qGray(page.color(0)) != qGray(page.color(1));
}

// libtiff codes into memory: the G4 coder is what a TIFF writer uses, and its output
// of one strip is exactly what a PDF's CCITTFaxDecode filter takes.
struct MemoryTiff
{
    QByteArray bytes;
    qint64 position = 0;
    QString error;
};

MemoryTiff *memoryOf(thandle_t handle)
{
    return static_cast<MemoryTiff *>(handle);
}

tmsize_t readMemory(thandle_t, void *, tmsize_t)
{
    return 0;
}

tmsize_t writeMemory(thandle_t handle, void *buffer, tmsize_t size)
{
    MemoryTiff *memory = memoryOf(handle);
    const qint64 end = memory->position + size;
    if (end > memory->bytes.size())
        memory->bytes.resize(int(end));
    std::memcpy(memory->bytes.data() + memory->position, buffer, size_t(size));
    memory->position = end;
    return size;
}

toff_t seekMemory(thandle_t handle, toff_t offset, int whence)
{
    MemoryTiff *memory = memoryOf(handle);
    qint64 position = qint64(offset);
    if (whence == SEEK_CUR)
        position += memory->position;
    else if (whence == SEEK_END)
        position += memory->bytes.size();
    if (position < 0)
        return toff_t(-1);
    memory->position = position;
    return toff_t(position);
}

int closeMemory(thandle_t)
{
    return 0;
}

toff_t sizeOfMemory(thandle_t handle)
{
    return toff_t(memoryOf(handle)->bytes.size());
}

int mapNothing(thandle_t, void **, toff_t *)
{
    return 0;
}

void unmapNothing(thandle_t, void *, toff_t)
{
}

int recordError(TIFF *, void *userData, const char *, const char *format, va_list arguments)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    auto *memory = static_cast<MemoryTiff *>(userData);
    if (memory->error.isEmpty())
        memory->error = QString::fromLocal8Bit(text);
    return 1;
}

int ignoreWarning(TIFF *, void *, const char *, const char *, va_list)
{
    return 1;
}

QByteArray jpeg(const QImage &image, int quality, QString *errorText)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(qBound(0, quality, 100));
    // Huffman tables fitted to the page instead of the standard ones: about 5 % off
    // a scanned page for a few per cent more encoding time.
    writer.setOptimizedWrite(true);
    if (!writer.write(image)) {
        *errorText = writer.errorString();
        return QByteArray();
    }
    return bytes;
}

// JPEG has no transparency; a page that has some is seen on white paper.
QImage opaque(const QImage &page)
{
    if (!page.hasAlphaChannel())
        return page;
    QImage flat(page.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, page);
    return flat;
}

// A G4 mask that compresses worse than this many bits a pixel is describing
// halftone or noise, not strokes: a continuous-tone page is smaller and truer.
constexpr double maskBitsLimit = 0.12;
// Two-level pages scaled down keep a pixel black from about a fifth of black in it,
// so one-pixel strokes that fall across two pixels do not break up.
constexpr int strokeThreshold = 200;

double resolutionOf(const QImage &page)
{
    return PageResolution::isKnown(page) ? PageResolution::dpiX(page) : 0;
}

PageEncoder::Layer jpegLayer(const QImage &image, int quality, QString *errorText)
{
    PageEncoder::Layer layer;
    if (image.isNull())
        return layer;
    layer.width = image.width();
    layer.height = image.height();
    layer.grey = image.format() == QImage::Format_Grayscale8;
    layer.bytes = jpeg(image, quality, errorText);
    return layer;
}

} // namespace

QImage PageEncoder::downsampled(const QImage &page, double dpi)
{
    const double own = resolutionOf(page);
    if (dpi <= 0 || own <= 0 || own <= dpi * 1.01)
        return page;
    const double factor = dpi / own;
    const QSize size(qMax(1, qRound(page.width() * factor)), qMax(1, qRound(page.height() * factor)));
    QImage scaled;
    if (kindOf(page) == Kind::TwoLevel) {
        const QImage grey = page.convertToFormat(QImage::Format_Grayscale8)
                                .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                .convertToFormat(QImage::Format_Grayscale8);
        scaled = QImage(size, QImage::Format_Mono);
        scaled.setColorTable({ qRgb(0, 0, 0), qRgb(255, 255, 255) });
        scaled.fill(1);
        for (int y = 0; y < size.height(); ++y) {
            const uchar *row = grey.constScanLine(y);
            uchar *bits = scaled.scanLine(y);
            for (int x = 0; x < size.width(); ++x) {
                if (row[x] < strokeThreshold)
                    bits[x >> 3] &= uchar(~(0x80 >> (x & 7)));
            }
        }
    } else {
        scaled = page.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (page.format() == QImage::Format_Grayscale8 && scaled.format() != QImage::Format_Grayscale8)
            scaled = scaled.convertToFormat(QImage::Format_Grayscale8);
    }
    PageResolution::set(&scaled, dpi, dpi * PageResolution::dpiY(page) / own);
    return scaled;
}

PageEncoder::Encoded PageEncoder::encode(const QImage &source, const Settings &settings)
{
    const QImage page = downsampled(source, settings.saveDpi);
    if (settings.compression == SaveOptions::Compression::Standard || page.isNull())
        return encode(page, settings.jpegQuality);
    const MrcEncoder::Level level = MrcEncoder::level(settings.step);
    if (kindOf(page) == Kind::TwoLevel)
        return encode(downsampled(page, level.maskDpi), settings.jpegQuality);

    const QImage masked = downsampled(page, level.maskDpi);
    const double dpi = resolutionOf(masked);
    const MrcEncoder::Layers layers = MrcEncoder::split(opaque(masked), dpi, level);
    QString fallback = layers.fallback;
    if (fallback.isEmpty()) {
        Encoded encoded;
        encoded.kind = Kind::Layered;
        encoded.width = masked.width();
        encoded.height = masked.height();
        encoded.bytes = ccittG4(layers.mask, &encoded.errorText);
        if (!encoded.errorText.isEmpty())
            return encoded;
        if (encoded.bytes.size() * 8.0 <= maskBitsLimit * encoded.width * encoded.height) {
            encoded.background = jpegLayer(layers.background, level.backgroundQuality, &encoded.errorText);
            encoded.foreground = jpegLayer(layers.foreground, level.foregroundQuality, &encoded.errorText);
            encoded.inkColour = layers.uniformInk;
            return encoded;
        }
        fallback = QCoreApplication::translate("PageEncoder", "文字层压缩效果不佳");
    }
    // Continuous tone, at the compact resolution and quality for photographs.
    Encoded encoded = encode(downsampled(page, level.photoDpi), qMin(settings.jpegQuality, level.photoQuality));
    encoded.fallback = fallback;
    return encoded;
}

namespace {

// Whether original holds this very page in the encoding the writer would give it
// at these settings: G4 for a two-level page, a JPEG of the page's own kind, and
// no resolution to reduce.
bool keepsOriginal(const QImage &page, const PageEncoder::Settings &settings, const StoredEncoding &original)
{
    if (original.isNull() || page.isNull() || original.size != page.size())
        return false;
    const double own = resolutionOf(page);
    const auto reduces = [own](double dpi) {
        return dpi > 0 && own > dpi * 1.01;
    };
    if (reduces(settings.saveDpi))
        return false;
    const PageEncoder::Kind kind = PageEncoder::kindOf(page);
    if (original.kind == StoredEncoding::Kind::G4)
        return kind == PageEncoder::Kind::TwoLevel
            && (settings.compression == SaveOptions::Compression::Standard
                || !reduces(MrcEncoder::level(settings.step).maskDpi));
    return kind == (original.grey ? PageEncoder::Kind::Grey : PageEncoder::Kind::Colour);
}

} // namespace

PageEncoder::Encoded PageEncoder::encode(const QImage &page, const Settings &settings, const StoredEncoding &original)
{
    if (!keepsOriginal(page, settings, original))
        return encode(page, settings);
    Encoded copied;
    copied.kind = original.kind == StoredEncoding::Kind::G4 ? Kind::TwoLevel
        : original.grey                                     ? Kind::Grey
                                                            : Kind::Colour;
    copied.width = original.size.width();
    copied.height = original.size.height();
    copied.bytes = original.bytes;
    copied.blackIs1 = original.blackIs1;
    if (original.kind == StoredEncoding::Kind::G4 || settings.compression == SaveOptions::Compression::Standard)
        return copied;
    // Compact weighs the page's own JPEG against its layers: whichever is smaller.
    const Encoded encoded = encode(page, settings);
    return encoded.errorText.isEmpty() && encoded.size() < copied.size() ? encoded : copied;
}

PageEncoder::Kind PageEncoder::kindOf(const QImage &page)
{
    if (isTwoLevel(page))
        return Kind::TwoLevel;
    switch (page.format()) {
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
        return Kind::Grey;
    case QImage::Format_Indexed8:
        return page.isGrayscale() ? Kind::Grey : Kind::Colour;
    default:
        return Kind::Colour;
    }
}

PageEncoder::Encoded PageEncoder::encode(const QImage &page, int jpegQuality)
{
    Encoded encoded;
    if (page.isNull()) {
        encoded.errorText = QCoreApplication::translate("PageEncoder", "没有图像");
        return encoded;
    }
    encoded.kind = kindOf(page);
    encoded.width = page.width();
    encoded.height = page.height();
    switch (encoded.kind) {
    case Kind::TwoLevel:
        encoded.bytes = ccittG4(page, &encoded.errorText);
        break;
    case Kind::Grey:
        // Qt's JPEG writer writes one grey channel only for 8-bit grey input.
        encoded.bytes
            = jpeg(page.format() == QImage::Format_Grayscale8 ? page : page.convertToFormat(QImage::Format_Grayscale8),
                jpegQuality, &encoded.errorText);
        break;
    case Kind::Colour:
    case Kind::Layered: // kindOf never says so: layers are the compact encoder's choice
        encoded.bytes = jpeg(opaque(page), jpegQuality, &encoded.errorText);
        break;
    }
    return encoded;
}

QByteArray PageEncoder::ccittG4(const QImage &twoLevel, QString *errorText)
{
    const QImage rows
        = twoLevel.format() == QImage::Format_Mono ? twoLevel : twoLevel.convertToFormat(QImage::Format_Mono);
    // A fax codes 1 as black; which index of the page's table is black says whether
    // its bits need turning over.
    const bool zeroIsBlack = qGray(rows.color(0)) < qGray(rows.color(1));
    const int width = rows.width();
    const int height = rows.height();
    const qsizetype rowBytes = (qsizetype(width) + 7) / 8;
    QByteArray strip(int(rowBytes * height), Qt::Uninitialized);
    for (int y = 0; y < height; ++y) {
        const uchar *source = rows.constScanLine(y);
        uchar *target = reinterpret_cast<uchar *>(strip.data()) + y * rowBytes;
        for (qsizetype i = 0; i < rowBytes; ++i)
            target[i] = zeroIsBlack ? uchar(~source[i]) : source[i];
    }

    MemoryTiff memory;
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, recordError, &memory);
    TIFFOpenOptionsSetWarningHandlerExtR(options, ignoreWarning, nullptr);
    TIFF *tiff = TIFFClientOpenExt("page", "w", &memory, readMemory, writeMemory, seekMemory, closeMemory, sizeOfMemory,
        mapNothing, unmapNothing, options);
    TIFFOpenOptionsFree(options);
    if (!tiff) {
        *errorText
            = memory.error.isEmpty() ? QCoreApplication::translate("PageEncoder", "无法编码黑白页面") : memory.error;
        return QByteArray();
    }
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, quint32(width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, quint32(height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, quint16(1));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, quint16(1));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_MSB2LSB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, quint32(height));
    QByteArray coded;
    const qint64 start = memory.bytes.size();
    if (TIFFWriteEncodedStrip(tiff, 0, strip.data(), tmsize_t(strip.size())) >= 0) {
        uint64_t *offsets = nullptr;
        uint64_t *counts = nullptr;
        if (TIFFGetField(tiff, TIFFTAG_STRIPOFFSETS, &offsets) && TIFFGetField(tiff, TIFFTAG_STRIPBYTECOUNTS, &counts)
            && offsets && counts && offsets[0] >= quint64(start)
            && offsets[0] + counts[0] <= quint64(memory.bytes.size()))
            coded = memory.bytes.mid(int(offsets[0]), int(counts[0]));
    }
    TIFFClose(tiff);
    if (coded.isEmpty())
        *errorText
            = memory.error.isEmpty() ? QCoreApplication::translate("PageEncoder", "无法编码黑白页面") : memory.error;
    return coded;
}
