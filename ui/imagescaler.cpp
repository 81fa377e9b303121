#include "ui/imagescaler.h"

#include <QVector>

#include <algorithm>

namespace {

// Averages blocks of factor x factor pixels, reading every step-th row of a
// block (all of them with step 1, which is the exact area average smooth
// scaling computes). Rows are summed byte by byte first, a loop the compiler
// vectorises, and the sums are then folded across each block. It reads the
// page once in its own format, where Qt's smooth scaling first converts the
// whole page to 32 bits.
// Separate function so the compiler knows the two rows do not overlap.
void addRow(quint32 *__restrict sum, const uchar *__restrict line, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        sum[i] += line[i];
}

template<int BytesPerPixel> QImage boxReduce(const QImage &source, int factor, int step)
{
    // The last row and column of blocks take whatever the page has left, so
    // the result covers the whole page and nothing shifts.
    const int width = source.width();
    const int height = source.height();
    const int outWidth = (width + factor - 1) / factor;
    const int outHeight = (height + factor - 1) / factor;
    QImage output(outWidth, outHeight, source.format());
    if (output.isNull())
        return output;
    const int rowBytes = width * BytesPerPixel;
    QVector<quint32> sums(rowBytes);

    for (int oy = 0; oy < outHeight; ++oy) {
        quint32 *sum = sums.data();
        std::fill(sum, sum + rowBytes, 0u);
        const int lastRow = qMin(height, (oy + 1) * factor);
        quint32 rows = 0;
        for (int y = oy * factor; y < lastRow; y += step, ++rows)
            addRow(sum, source.constScanLine(y), rowBytes);
        uchar *out = output.scanLine(oy);
        for (int ox = 0; ox < outWidth; ++ox) {
            const int firstColumn = ox * factor;
            const int columns = qMin(width, firstColumn + factor) - firstColumn;
            const quint32 samples = rows * quint32(columns);
            const quint32 *block = sum + firstColumn * BytesPerPixel;
            for (int channel = 0; channel < BytesPerPixel; ++channel) {
                quint32 total = 0;
                for (int dx = 0; dx < columns; ++dx)
                    total += block[dx * BytesPerPixel + channel];
                out[ox * BytesPerPixel + channel] = uchar((total + samples / 2) / samples);
            }
            if (BytesPerPixel == 4)
                reinterpret_cast<QRgb *>(out)[ox] |= 0xff000000u; // RGB32 keeps its padding byte opaque
        }
    }
    return output;
}

// The source reduced by an integer factor without losing detail the final
// smooth step would keep; a null image when no fast path applies.
QImage preReduce(const QImage &image, int factor)
{
    // Large factors only feed thumbnails; a sparser sampling of each block is
    // indistinguishable there and reads a fraction of the page.
    const int step = factor >= 8 ? factor / 4 : 1;
    switch (image.format()) {
    case QImage::Format_RGB888:
        return boxReduce<3>(image, factor, step);
    case QImage::Format_Grayscale8:
        return boxReduce<1>(image, factor, step);
    case QImage::Format_RGB32:
        return boxReduce<4>(image, factor, step);
    default:
        // Transparency, palettes and one-bit pages keep Qt's own path.
        return QImage();
    }
}

} // namespace

QImage ImageScaler::fitInto(const QImage &image, const QSize &box)
{
    if (image.isNull() || box.width() <= 0 || box.height() <= 0)
        return QImage();
    const QSize target = image.size().scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const int factor = qMin(image.width() / target.width(), image.height() / target.height());
    QImage source = image;
    if (factor >= 2) {
        const QImage reduced = preReduce(image, factor);
        if (!reduced.isNull())
            source = reduced;
    }
    if (source.size() == target)
        return source;
    return source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
