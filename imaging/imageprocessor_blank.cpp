#include "imaging/imageprocessor.h"

#include <QDebug>
#include <QString>

namespace {

QString percent(double ratio)
{
    return QString::number(ratio * 100, 'f', 1);
}

} // namespace

bool ImageProcessor::isBlankPage(const QImage &image, int whiteThreshold, double blankRatio)
{
    if (image.isNull()) {
        qDebug() << "无法检测空图像";
        return false;
    }
    // Only about 200 x 280 points of a page are read: take their grey values straight
    // from the page (the values the Grayscale8 conversion would give) instead of
    // converting every pixel first.
    const QImage::Format format = image.format();
    const bool direct = format == QImage::Format_ARGB32 || format == QImage::Format_RGB32;
    const QImage gray
        = direct || format == QImage::Format_Grayscale8 ? image : image.convertToFormat(QImage::Format_Grayscale8);
    const int width = gray.width();
    const int height = gray.height();
    if (qint64(width) * height == 0)
        return false;

    const int mx = qMax(1, static_cast<int>(width * 0.01));
    const int my = qMax(1, static_cast<int>(height * 0.01));
    const int areaHeight = height - 2 * my;
    qDebug() << "空白页检测: 图像尺寸" << width << "x" << height << ", 忽略边缘" << mx << "x" << my << ", 检测区域"
             << width - 2 * mx << "x" << areaHeight;

    const int shorter = qMin(width, height);
    const int step = shorter < 400 ? 1 : shorter / 200;
    const int topEnd = my + areaHeight / 3;
    const int bottomStart = (height - my) - areaHeight / 3;

    int white[3] = { 0, 0, 0 };
    int total[3] = { 0, 0, 0 };
    for (int y = my; y < height - my; y += step) {
        const int region = y < topEnd ? 0 : (y >= bottomStart ? 2 : 1);
        const uchar *line = gray.constScanLine(y);
        const auto *pixels = reinterpret_cast<const QRgb *>(line);
        for (int x = mx; x < width - mx; x += step) {
            ++total[region];
            if ((direct ? qGray(pixels[x]) : line[x]) >= whiteThreshold)
                ++white[region];
        }
    }

    double ratio[3];
    for (int i = 0; i < 3; ++i)
        ratio[i] = total[i] == 0 ? 1.0 : double(white[i]) / double(total[i]);
    const double weighted = (2.0 * ratio[0] + 1.0 * ratio[1] + 2.0 * ratio[2]) / 5;
    const bool blank = weighted >= blankRatio && ratio[0] >= 0.95 * blankRatio && ratio[2] >= 0.95 * blankRatio;

    qDebug() << "空白页检测（区域加权）:"
             << "上部=" << percent(ratio[0]) << "%"
             << ", 中部=" << percent(ratio[1]) << "%"
             << ", 下部=" << percent(ratio[2]) << "%"
             << ", 加权平均=" << percent(weighted) << "%"
             << " (阈值:" << percent(blankRatio) << "%)"
             << ", 结果:" << (blank ? "空白页" : "非空白页");
    return blank;
}
