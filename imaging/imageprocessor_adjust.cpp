#include "imaging/imageprocessor.h"

#include <QColor>
#include <QDebug>
#include <QTransform>

#include <cmath>

namespace {

int clampByte(int value)
{
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

// Truncates toward zero, then clamps; infinities and NaN (a zero or negative gamma)
// end up at the nearer bound or 0 instead of an undefined conversion.
int clampByte(double value)
{
    if (!(value > 0.0))
        return 0;
    if (value >= 255.0)
        return 255;
    return static_cast<int>(value);
}

} // namespace

QImage ImageProcessor::rotateLeft(const QImage &image)
{
    if (image.isNull()) {
        qDebug() << "无法旋转空图像";
        return QImage();
    }
    QImage result = image.transformed(QTransform().rotate(-90.0), Qt::FastTransformation);
    qDebug() << "图像已向左旋转90度";
    return result;
}

QImage ImageProcessor::rotateRight(const QImage &image)
{
    if (image.isNull()) {
        qDebug() << "无法旋转空图像";
        return QImage();
    }
    QImage result = image.transformed(QTransform().rotate(90.0), Qt::FastTransformation);
    qDebug() << "图像已向右旋转90度";
    return result;
}

QImage ImageProcessor::rotateByAngle(const QImage &image, double angle)
{
    if (image.isNull()) {
        qDebug() << "无法旋转空图像";
        return QImage();
    }
    if (std::fabs(angle) < 0.01) {
        qDebug() << "旋转角度为0，无需旋转";
        return image.copy();
    }
    emit processingProgress(0);
    qDebug() << "开始按指定角度旋转: " << angle << " 度";
    QImage result = image.transformed(QTransform().rotate(angle), Qt::SmoothTransformation);
    emit processingProgress(80);
    if (std::fabs(angle) > 0.5)
        result = cropToRotatedContent(result, angle);
    emit processingProgress(100);
    qDebug() << "角度旋转完成: " << angle << " 度";
    return result;
}

QImage ImageProcessor::cropToRotatedContent(const QImage &image, double angle)
{
    const double a = std::fabs(angle);
    if (a < 0.1)
        return image.copy();
    const double radians = a * 3.141592653589793 / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    const int width = image.width();
    const int height = image.height();
    const int newWidth = qBound(1, static_cast<int>(width * c - height * s), qMax(1, width));
    const int newHeight = qBound(1, static_cast<int>(height * c - width * s), qMax(1, height));
    return image.copy((width - newWidth) / 2, (height - newHeight) / 2, newWidth, newHeight);
}

QImage ImageProcessor::cropImage(const QImage &image, const QRect &rect)
{
    if (image.isNull()) {
        qDebug() << "无法裁剪空图像";
        return QImage();
    }
    if (rect.right() < rect.left() || rect.bottom() < rect.top() || !image.rect().contains(rect)) {
        qDebug() << "无效的裁剪区域";
        return image.copy();
    }
    QImage result = image.copy(rect);
    qDebug() << "图像已裁剪至: " << rect;
    return result;
}

QImage ImageProcessor::adjustBrightnessContrast(const QImage &image, int brightness, int contrast)
{
    if (image.isNull()) {
        qDebug() << "无法调整空图像";
        return QImage();
    }
    brightness = qBound(-100, brightness, 100);
    contrast = qBound(-100, contrast, 100);
    double factor = 1.0;
    if (contrast > 0)
        factor = contrast / 100.0 + 1;
    else if (contrast < 0)
        factor = 1 / (1 - contrast / 100.0);
    const int offset = brightness * 255 / 100;

    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const int width = result.width();
    const int height = result.height();
    auto adjust = [&](int c) {
        return clampByte(clampByte(static_cast<int>((c - 127) * factor + 127)) + offset);
    };
    for (int y = 0; y < height; ++y) {
        if (y % 20 == 0)
            reportProgress(y * 100 / height);
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(adjust(qRed(p)), adjust(qGreen(p)), adjust(qBlue(p)), qAlpha(p));
        }
    }
    emit processingProgress(100);
    qDebug() << "已调整亮度: " << brightness << ", 对比度: " << contrast;
    return result;
}

QImage ImageProcessor::adjustHueSaturation(const QImage &image, int hue, int saturation)
{
    if (image.isNull()) {
        qDebug() << "无法调整空图像";
        return QImage();
    }
    hue = qBound(-180, hue, 180);
    saturation = qBound(-100, saturation, 100);
    emit processingProgress(0);
    qDebug() << "开始调整色度: " << hue << ", 饱和度: " << saturation;
    const double k = saturation / 100.0 + 1;

    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const int width = result.width();
    const int height = result.height();
    for (int y = 0; y < height; ++y) {
        if (y % 20 == 0)
            reportProgress(y * 100 / height);
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            QColor color(line[x]);
            int h, s, v;
            color.getHsv(&h, &s, &v);
            if (h >= 0)
                h = (h + hue + 360) % 360;
            s = clampByte(s * k);
            color.setHsv(h, s, v, 255);
            line[x] = color.rgba();
        }
    }
    emit processingProgress(100);
    qDebug() << "已调整色度: " << hue << ", 饱和度: " << saturation;
    return result;
}

QImage ImageProcessor::autoLevel(const QImage &image)
{
    if (image.isNull()) {
        qDebug() << "无法自动调整空图像";
        return QImage();
    }
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const int width = result.width();
    const int height = result.height();
    int minimum[3] = { 255, 255, 255 };
    int maximum[3] = { 0, 0, 0 };
    for (int y = 0; y < height; ++y) {
        if (y % 20 == 0)
            reportProgress(y * 50 / height);
        const auto *line = reinterpret_cast<const QRgb *>(result.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const int channel[3] = { qRed(line[x]), qGreen(line[x]), qBlue(line[x]) };
            for (int i = 0; i < 3; ++i) {
                minimum[i] = qMin(minimum[i], channel[i]);
                maximum[i] = qMax(maximum[i], channel[i]);
            }
        }
    }
    if (minimum[0] == maximum[0] && minimum[1] == maximum[1] && minimum[2] == maximum[2]) {
        qDebug() << "图像已经是最佳水平，无需自动调整";
        return image.copy();
    }
    double scale[3];
    for (int i = 0; i < 3; ++i)
        scale[i] = minimum[i] < maximum[i] ? 255.0 / (maximum[i] - minimum[i]) : 1.0;
    for (int y = 0; y < height; ++y) {
        if (y % 20 == 0)
            reportProgress(y * 50 / height + 50);
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb p = line[x];
            line[x]
                = qRgba(clampByte((qRed(p) - minimum[0]) * scale[0]), clampByte((qGreen(p) - minimum[1]) * scale[1]),
                    clampByte((qBlue(p) - minimum[2]) * scale[2]), qAlpha(p));
        }
    }
    emit processingProgress(100);
    qDebug() << "已自动调整图像水平";
    return result;
}

QImage ImageProcessor::toGrayscale(const QImage &image)
{
    if (image.isNull()) {
        qDebug() << "无法转换空图像";
        return QImage();
    }
    QImage result = image.convertToFormat(QImage::Format_Grayscale8);
    qDebug() << "图像已转换为灰度";
    return result;
}

QImage ImageProcessor::toBinary(const QImage &image, int threshold)
{
    const QImage gray = toGrayscale(image);
    if (gray.isNull())
        return QImage();
    const int width = gray.width();
    const int height = gray.height();
    QImage result(width, height, QImage::Format_Mono);
    result.fill(0);
    for (int y = 0; y < height; ++y) {
        if (y % 20 == 0)
            reportProgress(y * 100 / height);
        const uchar *in = gray.constScanLine(y);
        uchar *out = result.scanLine(y);
        for (int x = 0; x < width; ++x) {
            if (in[x] > threshold)
                out[x >> 3] |= 0x80 >> (x & 7);
        }
    }
    emit processingProgress(100);
    qDebug() << "图像已转换为二值图像，阈值: " << threshold;
    return result;
}

int ImageProcessor::computeAutoThreshold(const QImage &image)
{
    const QImage gray = toGrayscale(image);
    if (gray.isNull())
        return 0;
    const int width = gray.width();
    const int height = gray.height();
    qint64 histogram[256] = {};
    for (int y = 0; y < height; ++y) {
        const uchar *line = gray.constScanLine(y);
        for (int x = 0; x < width; ++x)
            ++histogram[line[x]];
    }
    const qint64 total = qint64(width) * height;
    double sumAll = 0;
    for (int i = 0; i < 256; ++i)
        sumAll += double(i) * double(histogram[i]);

    double sumB = 0;
    qint64 wB = 0;
    double best = 0;
    int threshold = 0;
    for (int t = 0; t < 256; ++t) {
        wB += histogram[t];
        if (wB == 0)
            continue;
        const qint64 wF = total - wB;
        if (wF == 0)
            break;
        sumB += double(t) * double(histogram[t]);
        const double mB = sumB / double(wB);
        const double mF = (sumAll - sumB) / double(wF);
        const double between = double(wB) * double(wF) * (mB - mF) * (mB - mF);
        if (between > best) {
            best = between;
            threshold = t;
        }
    }
    qDebug() << "自动计算的阈值: " << threshold;
    return threshold;
}

QImage ImageProcessor::binarize(const QImage &image, int threshold)
{
    if (image.isNull()) {
        qDebug() << "无法转换空图像";
        return QImage();
    }
    threshold = threshold == -1 ? computeAutoThreshold(image) : qBound(0, threshold, 255);
    return toBinary(image, threshold);
}

QImage ImageProcessor::applyGamma(const QImage &image, double gamma)
{
    if (image.isNull())
        return QImage();
    uchar table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<uchar>(clampByte(std::pow(i / 255.0, 1.0 / gamma) * 255));

    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const int width = result.width();
    const int height = result.height();
    for (int y = 0; y < height; ++y) {
        if (y % 20 == 0)
            reportProgress(y * 100 / height);
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(table[qRed(p)], table[qGreen(p)], table[qBlue(p)], qAlpha(p));
        }
    }
    emit processingProgress(100);
    qDebug() << "已应用伽马校正: " << gamma;
    return result;
}

QImage ImageProcessor::applyKernel(const QImage &image, const QVector<double> &kernel, int size)
{
    if (image.isNull() || kernel.isEmpty() || size <= 0 || kernel.size() < size * size)
        return image.copy();
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    QImage result = source.copy();
    const int width = source.width();
    const int height = source.height();
    const int half = size / 2;
    for (int y = 0; y < height; ++y) {
        if (y % 20 == 0)
            reportProgress(y * 100 / height);
        auto *out = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            double sum[4] = { 0, 0, 0, 0 };
            for (int ky = 0; ky < size; ++ky) {
                const int sy = qBound(0, y - half + ky, height - 1);
                const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(sy));
                for (int kx = 0; kx < size; ++kx) {
                    const int sx = qBound(0, x - half + kx, width - 1);
                    const double weight = kernel[ky * size + kx];
                    const QRgb p = in[sx];
                    sum[0] += weight * qRed(p);
                    sum[1] += weight * qGreen(p);
                    sum[2] += weight * qBlue(p);
                    sum[3] += weight * qAlpha(p);
                }
            }
            out[x] = qRgba(clampByte(sum[0]), clampByte(sum[1]), clampByte(sum[2]), clampByte(sum[3]));
        }
    }
    emit processingProgress(100);
    return result;
}
