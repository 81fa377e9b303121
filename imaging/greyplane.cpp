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
        break;
    default:
        source = page.convertToFormat(QImage::Format_Grayscale8);
        break;
    }
    plane.width = source.width() / factor;
    plane.height = source.height() / factor;
    plane.grey.resize(size_t(plane.width) * size_t(plane.height));
    const bool grey = source.format() == QImage::Format_Grayscale8;
    if (factor == 1 && grey) {
        for (int y = 0; y < plane.height; ++y)
            std::copy_n(source.constScanLine(y), plane.width, plane.grey.data() + size_t(y) * size_t(plane.width));
        return plane;
    }
    const int area = factor * factor;
    std::vector<int> sums(size_t(plane.width));
    for (int ry = 0; ry < plane.height; ++ry) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int k = 0; k < factor; ++k) {
            const uchar *line = source.constScanLine(ry * factor + k);
            if (grey) {
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
