#include "imaging/imageprocessor.h"

#include <QColor>
#include <QDebug>
#include <QMap>

#include <cmath>
#include <cstdlib>

namespace {

int clampByte(double value)
{
    if (!(value > 0.0))
        return 0;
    if (value >= 255.0)
        return 255;
    return static_cast<int>(value);
}

// Strength is used as given, so a negative or huge one must neither wrap around
// nor overflow the conversion.
int clampByte(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value >= 255.0f)
        return 255;
    return static_cast<int>(value);
}

int brightnessOf(QRgb p)
{
    return (qRed(p) + qGreen(p) + qBlue(p)) / 3;
}

} // namespace

QImage ImageProcessor::enhanceDocument(const QImage &image)
{
    if (image.isNull()) {
        qDebug() << "无法增强空图像";
        return QImage();
    }
    emit processingProgress(0);
    qDebug() << "开始文档增强处理（保留彩色，突出内容）...";
    QImage result = enhanceColorDocument(image);
    emit processingProgress(50);
    result = removeBackground(result);
    emit processingProgress(100);
    qDebug() << "文档增强完成";
    return result;
}

QImage ImageProcessor::enhanceColorDocument(const QImage &image)
{
    // A null page runs through: sharpen reports it and the result stays null.
    qDebug() << "开始彩色文档增强...";
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const int width = result.width();
    const int height = result.height();
    for (int y = 0; y < height; ++y) {
        if (y % 20 == 0)
            reportProgress(y * 50 / height);
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            QColor color(line[x]);
            int h, s, v;
            color.getHsv(&h, &s, &v);
            s = qMin(255, static_cast<int>(s * 1.3));
            v = v < 128 ? qMax(0, static_cast<int>(v * 0.8)) : qMin(255, static_cast<int>(v * 1.1));
            color.setHsv(h, s, v, 255);
            line[x] = color.rgba();
        }
    }
    result = sharpen(result, 40);
    qDebug() << "彩色文档增强完成";
    return result;
}

QImage ImageProcessor::removeBackground(const QImage &image)
{
    qDebug() << "开始去除背景，保留内容...";
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const int width = result.width();
    const int height = result.height();

    int histogram[256] = {};
    for (int y = 0; y < height; y += 2) {
        const auto *line = reinterpret_cast<const QRgb *>(result.constScanLine(y));
        for (int x = 0; x < width; x += 2)
            ++histogram[brightnessOf(line[x])];
    }
    int background = 255;
    int bestCount = 0;
    for (int i = 200; i <= 255; ++i) {
        if (histogram[i] > bestCount) {
            bestCount = histogram[i];
            background = i;
        }
    }
    qDebug() << "检测到背景亮度:" << background;

    const int threshold = background - 30;
    for (int y = 0; y < height; ++y) {
        if (y % 20 == 0)
            reportProgress(y * 50 / height + 50);
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb p = line[x];
            const int level = brightnessOf(p);
            int channel[3] = { qRed(p), qGreen(p), qBlue(p) };
            if (level > threshold) {
                const int f = (level - threshold) * 255 / (255 - threshold);
                for (int &c : channel)
                    c = qMin(255, c + (255 - c) * f / 255);
            } else {
                for (int &c : channel)
                    c = clampByte((c - 127) * 1.3 + 127);
            }
            line[x] = qRgba(channel[0], channel[1], channel[2], qAlpha(p));
        }
    }
    qDebug() << "背景去除完成";
    return result;
}

QImage ImageProcessor::bleach(const QImage &image, int threshold, int strength)
{
    if (image.isNull()) {
        qDebug() << "无法漂白空图像";
        return QImage();
    }
    emit processingProgress(0);
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    qDebug() << "开始图片漂白处理，阈值:" << threshold << "强度:" << strength;
    const int width = result.width();
    const int height = result.height();
    const int shorter = qMin(width, height);
    const int step = shorter < 200 ? 1 : shorter / 100;

    // Pages shorter than 10 (or 50) rows would make the reporting interval zero;
    // report on every row then, and still process every pixel.
    const int sampleInterval = qMax(1, height / 10);
    const int rowInterval = qMax(1, height / 50);

    QMap<QRgb, int> histogram;
    for (int y = 0; y < height; y += step) {
        if (y % sampleInterval == 0)
            reportProgress(y * 20 / height + 10);
        const auto *line = reinterpret_cast<const QRgb *>(result.constScanLine(y));
        for (int x = 0; x < width; x += step)
            ++histogram[line[x]];
    }

    int bestCount = 0;
    int bestBrightness = 0;
    QRgb background = 0;
    for (auto it = histogram.constBegin(); it != histogram.constEnd(); ++it) {
        const int level = brightnessOf(it.key());
        if (level <= threshold)
            continue;
        const int n = it.value();
        if (n > bestCount || (n > 0.8 * bestCount && level > bestBrightness)) {
            bestCount = n;
            bestBrightness = level;
            background = it.key();
        }
    }
    qDebug() << "检测到背景色 RGB:" << qRed(background) << qGreen(background) << qBlue(background)
             << "出现次数:" << bestCount;
    emit processingProgress(30);

    const int limit = 765 - 3 * threshold;
    const int kr = qRed(background);
    const int kg = qGreen(background);
    const int kb = qBlue(background);
    for (int y = 0; y < height; ++y) {
        if (y % rowInterval == 0)
            reportProgress(y * 70 / height + 30);
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb p = line[x];
            const int diff = std::abs(qRed(p) - kr) + std::abs(qGreen(p) - kg) + std::abs(qBlue(p) - kb);
            if (diff > limit - 1 || brightnessOf(p) < threshold - 49)
                continue;
            const float k = (1.0f - float(diff) / float(limit)) * float(strength) / 100.0f;
            int channel[3] = { qRed(p), qGreen(p), qBlue(p) };
            for (int &c : channel)
                c = clampByte(float(255 - c) * k + float(c));
            line[x] = qRgba(channel[0], channel[1], channel[2], qAlpha(p));
        }
    }
    emit processingProgress(100);
    qDebug() << "图片漂白处理完成";
    return result;
}

QImage ImageProcessor::removeBorder(const QImage &image, int border)
{
    if (image.isNull()) {
        qDebug() << "无法处理空图像";
        return QImage();
    }
    const int width = image.width();
    const int height = image.height();
    const int b = qMin(border, qMin(width, height) / 4);
    if (b > 0)
        return cropImage(image, QRect(b, b, width - 2 * b, height - 2 * b));
    return image.copy();
}

QImage ImageProcessor::sharpen(const QImage &image, int strength)
{
    if (image.isNull()) {
        qDebug() << "无法锐化空图像";
        return QImage();
    }
    if (strength < 1)
        return image.copy();
    const double k = strength > 100 ? 1.0 : strength / 100.0;
    QVector<double> kernel(9, -k);
    kernel[4] = 8 * k + 1;
    return applyKernel(image, kernel, 3);
}

QImage ImageProcessor::denoise(const QImage &image, int strength)
{
    if (image.isNull()) {
        qDebug() << "无法去噪空图像";
        return QImage();
    }
    if (strength < 1)
        return image.copy();
    const int a = strength > 100 ? 5 : strength / 20;
    const int size = 2 * a + 3;
    const double sigma = 0.3 * a + 0.8;
    const int half = size / 2;
    QVector<double> kernel;
    kernel.reserve(size * size);
    double sum = 0;
    for (int i = -half; i <= half; ++i) {
        for (int j = -half; j <= half; ++j) {
            const double weight = std::exp(-(i * i + j * j) / (2 * sigma * sigma));
            kernel.append(weight);
            sum += weight;
        }
    }
    for (double &weight : kernel)
        weight /= sum;
    return applyKernel(image, kernel, size);
}
