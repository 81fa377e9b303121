#include "imaging/imageprocessor.h"

#include <QDebug>
#include <QMap>

#include <cmath>
#include <cstdlib>

#include "imaging/colourcache.h"
#include "imaging/fasthsv.h"
#include "imaging/paperbackground.h"
#include "imaging/rowwriter.h"

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

// A pixel below this share of its paper's brightness is ink in a two-level page:
// far enough below the paper's grain, near enough to keep a faint thin stroke.
constexpr int inkContrastPercent = 85;

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
    QImage result;
    if (!image.isNull()) {
        int saturationTable[256];
        int valueTable[256];
        for (int c = 0; c < 256; ++c) {
            saturationTable[c] = qMin(255, static_cast<int>(c * 1.3));
            valueTable[c] = c < 128 ? qMax(0, static_cast<int>(c * 0.8)) : qMin(255, static_cast<int>(c * 1.1));
        }
        const QImage source = argb32Source(image);
        result = argb32Like(source);
        const int width = source.width();
        const int height = source.height();
        if (!result.isNull()) {
            const RowWriter rows(result);
            runRows(
                width, height, 20, [height](int y) { return y * 50 / height; },
                [&](int first, int end) {
                    ColourCache convert([&](QRgb p) {
                        const FastHsv::Hsv hsv = FastHsv::fromRgb(p);
                        return FastHsv::toRgb(hsv.h, saturationTable[hsv.s], valueTable[hsv.v]);
                    });
                    for (int y = first; y < end; ++y) {
                        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
                        auto *out = reinterpret_cast<QRgb *>(rows(y));
                        for (int x = 0; x < width; ++x) {
                            out[x] = convert(in[x] & 0x00ffffffu);
                        }
                    }
                });
        }
    }
    result = sharpen(result, 40);
    qDebug() << "彩色文档增强完成";
    return result;
}

QImage ImageProcessor::removeBackground(const QImage &image)
{
    qDebug() << "开始去除背景，保留内容...";
    const QImage source = argb32Source(image);
    const int width = source.width();
    const int height = source.height();

    // The paper level follows the sheet: an even level for a whole page that darkens
    // toward one edge would turn its darker part into "content" with a hard step.
    PaperBackground paper(source.size());
    const int background = samplePaper(source, &paper);
    qDebug() << "检测到背景亮度:" << background;

    // Per paper level and brightness, the lift toward white (0..255) on the background
    // side, or 256 for content; per lift (and 256) the new channel value. Above
    // T = paper - 30 the lift grows linearly to full white at brightness 255;
    // content gets the contrast boost.
    QVector<quint16> lifts(256 * 256);
    for (int level = 0; level < 256; ++level) {
        const int threshold = level - 30;
        for (int brightness = 0; brightness < 256; ++brightness) {
            lifts[256 * level + brightness]
                = quint16(brightness > threshold ? (brightness - threshold) * 255 / (255 - threshold) : 256);
        }
    }
    QVector<uchar> channels(257 * 256);
    for (int c = 0; c < 256; ++c) {
        for (int f = 0; f < 256; ++f)
            channels[256 * f + c] = uchar(qMin(255, c + (255 - c) * f / 255));
        channels[256 * 256 + c] = uchar(clampByte((c - 127) * 1.3 + 127));
    }
    QImage result = argb32Like(source);
    if (!result.isNull()) {
        const RowWriter rows(result);
        runRows(
            width, height, 20, [height](int y) { return y * 50 / height + 50; },
            [&](int first, int end) {
                QVector<uchar> levels(width);
                for (int y = first; y < end; ++y) {
                    paper.rowLevels(y, levels.data());
                    const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
                    auto *out = reinterpret_cast<QRgb *>(rows(y));
                    for (int x = 0; x < width; ++x) {
                        const QRgb p = in[x];
                        const uchar *row = channels.constData() + 256 * lifts[256 * levels[x] + brightnessOf(p)];
                        out[x] = (p & 0xff000000u) | uint(row[(p >> 16) & 0xff]) << 16 | uint(row[(p >> 8) & 0xff]) << 8
                            | row[p & 0xff];
                    }
                }
            });
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
    const QImage source = argb32Source(image);
    qDebug() << "开始图片漂白处理，阈值:" << threshold << "强度:" << strength;
    const int width = source.width();
    const int height = source.height();
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
        const auto *line = reinterpret_cast<const QRgb *>(source.constScanLine(y));
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
    const int minimumBrightness = threshold - 49;
    // The factor depends on the colour distance only; a distance of 765 at most.
    QVector<float> factors(766, 0.0f);
    for (int diff = 0; diff <= 765 && diff <= limit - 1; ++diff)
        factors[diff] = (1.0f - float(diff) / float(limit)) * float(strength) / 100.0f;
    QImage result = argb32Like(source);
    if (result.isNull())
        return result;
    const RowWriter rows(result);
    runRows(
        width, height, rowInterval, [height](int y) { return y * 70 / height + 30; },
        [&](int first, int end) {
            for (int y = first; y < end; ++y) {
                const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
                auto *out = reinterpret_cast<QRgb *>(rows(y));
                for (int x = 0; x < width; ++x) {
                    const QRgb p = in[x];
                    const int r = qRed(p);
                    const int g = qGreen(p);
                    const int b = qBlue(p);
                    const int diff = std::abs(r - kr) + std::abs(g - kg) + std::abs(b - kb);
                    if (diff > limit - 1 || (r + g + b) / 3 < minimumBrightness) {
                        out[x] = p;
                        continue;
                    }
                    const float k = factors[diff];
                    out[x] = (p & 0xff000000u) | uint(clampByte(float(255 - r) * k + float(r))) << 16
                        | uint(clampByte(float(255 - g) * k + float(g))) << 8
                        | uint(clampByte(float(255 - b) * k + float(b)));
                }
            }
        });
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

QImage ImageProcessor::toTwoLevelOnPaper(const QImage &image)
{
    if (image.isNull()) {
        qDebug() << "无法处理空图像";
        return QImage();
    }
    qDebug() << "开始黑白转换（按局部纸张亮度）";
    emit processingProgress(0);
    const QImage source = argb32Source(image);
    const int width = source.width();
    const int height = source.height();
    // Ink is what is clearly darker than the paper around it: one threshold for the
    // whole sheet loses thin strokes where the paper is light and fills the shadowed
    // part with black.
    PaperBackground paper(source.size());
    samplePaper(source, &paper);
    QImage result = monoLike(image, width, height);
    if (result.isNull())
        return result;
    const RowWriter rows(result);
    runRows(
        width, height, 20, [height](int y) { return y * 100 / height; },
        [&](int first, int end) {
            QVector<uchar> levels(width);
            for (int y = first; y < end; ++y) {
                paper.rowLevels(y, levels.data());
                const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
                uchar *out = rows(y);
                for (int byte = 0; byte < (width + 7) / 8; ++byte) {
                    uint bits = 0;
                    const int count = qMin(8, width - 8 * byte);
                    for (int i = 0; i < count; ++i) {
                        const int x = 8 * byte + i;
                        bits |= uint(brightnessOf(in[x]) * 100 >= levels[x] * inkContrastPercent) << (7 - i);
                    }
                    out[byte] = uchar(bits);
                }
            }
        });
    emit processingProgress(100);
    qDebug() << "黑白转换完成";
    return result;
}
