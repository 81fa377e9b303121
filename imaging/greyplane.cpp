#include "imaging/greyplane.h"

#include <algorithm>

GreyPlane GreyPlane::reduced(const QImage &page, int factor)
{
    GreyPlane plane;
    if (page.isNull() || factor < 1)
        return plane;
    QImage source = page;
    switch (page.format()) {
    case QImage::Format_Grayscale8:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGB888: // what scanners deliver; read as it is
        break;
    default:
        source = page.convertToFormat(QImage::Format_Grayscale8);
        break;
    }
    plane.width = source.width() / factor;
    plane.height = source.height() / factor;
    plane.grey.resize(size_t(plane.width) * size_t(plane.height));
    const bool grey = source.format() == QImage::Format_Grayscale8;
    const bool packed = source.format() == QImage::Format_RGB888;
    if (factor == 1 && grey) {
        for (int y = 0; y < plane.height; ++y)
            std::copy_n(source.constScanLine(y), plane.width, plane.grey.data() + size_t(y) * size_t(plane.width));
        return plane;
    }
    if (factor == 2) {
        // The common case (an A4 page at 300 dpi), four pixels at a time: red and
        // blue of the four summed in one word (ten bits each), green in another.
        for (int ry = 0; ry < plane.height; ++ry) {
            uchar *out = plane.grey.data() + size_t(ry) * size_t(plane.width);
            const uchar *first = source.constScanLine(2 * ry);
            const uchar *second = source.constScanLine(2 * ry + 1);
            if (grey) {
                for (int rx = 0; rx < plane.width; ++rx)
                    out[rx] = uchar((first[2 * rx] + first[2 * rx + 1] + second[2 * rx] + second[2 * rx + 1]) >> 2);
                continue;
            }
            if (packed) {
                for (int rx = 0; rx < plane.width; ++rx) {
                    const uchar *a = first + 6 * rx;
                    const uchar *b = second + 6 * rx;
                    const int red = a[0] + a[3] + b[0] + b[3];
                    const int green = a[1] + a[4] + b[1] + b[4];
                    const int blue = a[2] + a[5] + b[2] + b[5];
                    out[rx] = uchar((red * 11 + green * 16 + blue * 5) >> 7);
                }
                continue;
            }
            const auto *a = reinterpret_cast<const quint32 *>(first);
            const auto *b = reinterpret_cast<const quint32 *>(second);
            for (int rx = 0; rx < plane.width; ++rx) {
                const quint32 p0 = a[2 * rx], p1 = a[2 * rx + 1], p2 = b[2 * rx], p3 = b[2 * rx + 1];
                const quint32 redBlue = (p0 & 0xff00ffu) + (p1 & 0xff00ffu) + (p2 & 0xff00ffu) + (p3 & 0xff00ffu);
                const quint32 green
                    = ((p0 >> 8) & 0xffu) + ((p1 >> 8) & 0xffu) + ((p2 >> 8) & 0xffu) + ((p3 >> 8) & 0xffu);
                // qGray's weights on the sums: (11 r + 16 g + 5 b) / 32, over four pixels.
                out[rx] = uchar(((redBlue >> 16) * 11 + green * 16 + (redBlue & 0x3ffu) * 5) >> 7);
            }
        }
        return plane;
    }
    const int area = factor * factor;
    std::vector<int> sums(size_t(plane.width));
    for (int ry = 0; ry < plane.height; ++ry) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int k = 0; k < factor; ++k) {
            const uchar *line = source.constScanLine(ry * factor + k);
            if (packed) {
                for (int rx = 0; rx < plane.width; ++rx) {
                    const uchar *block = line + 3 * rx * factor;
                    int sum = 0;
                    for (int j = 0; j < factor; ++j)
                        sum += (block[3 * j] * 11 + block[3 * j + 1] * 16 + block[3 * j + 2] * 5) >> 5;
                    sums[size_t(rx)] += sum;
                }
            } else if (grey) {
                for (int rx = 0; rx < plane.width; ++rx) {
                    const uchar *block = line + rx * factor;
                    int sum = 0;
                    for (int j = 0; j < factor; ++j)
                        sum += block[j];
                    sums[size_t(rx)] += sum;
                }
            } else {
                const auto *pixels = reinterpret_cast<const QRgb *>(line);
                for (int rx = 0; rx < plane.width; ++rx) {
                    const QRgb *block = pixels + rx * factor;
                    int sum = 0;
                    for (int j = 0; j < factor; ++j)
                        sum += qGray(block[j]);
                    sums[size_t(rx)] += sum;
                }
            }
        }
        uchar *out = plane.grey.data() + size_t(ry) * size_t(plane.width);
        for (int rx = 0; rx < plane.width; ++rx)
            out[rx] = uchar(sums[size_t(rx)] / area);
    }
    return plane;
}
