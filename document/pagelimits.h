#pragma once

#include <QImage>
#include <QSize>

// The largest page Quirra takes from a file or a device: far above any real
// sheet (A3 at 1200 dpi is 28 megapixels), far below what would exhaust the
// machine. Headers are checked against it before anything is allocated, so a
// damaged or hostile file is refused in bounded time and memory.
namespace PageLimits {

constexpr qint64 maxPixels = 200 * 1000 * 1000;
// Decoded bytes of one page; also keeps every band and row length within an int.
constexpr qint64 maxBytes = Q_INT64_C(2000) * 1000 * 1000;

// The row length Qt gives a fresh image of this width and format: rows padded
// to 32 bits. 64-bit, so that widths read from a file cannot overflow it.
inline qint64 bytesPerLine(qint64 width, QImage::Format format)
{
    const qint64 depth = QImage::toPixelFormat(format).bitsPerPixel();
    return ((width * depth + 31) >> 5) << 2;
}

inline qint64 decodedBytes(const QSize &size, QImage::Format format)
{
    return bytesPerLine(size.width(), format) * size.height();
}

inline bool fits(const QSize &size, QImage::Format format)
{
    return size.width() > 0 && size.height() > 0 && qint64(size.width()) * size.height() <= maxPixels
        && format > QImage::Format_Invalid && format < QImage::NImageFormats && decodedBytes(size, format) <= maxBytes;
}

} // namespace PageLimits
