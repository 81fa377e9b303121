#include "imaging/imageprocessor.h"

#include <QDebug>
#include <QTransform>

#include <cmath>
#include <mutex>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "imaging/colourcache.h"
#include "imaging/fasthsv.h"
#include "imaging/rowwriter.h"

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

// Replaces each colour channel through its own table; alpha is kept.
void mapChannels(const QImage &source, const RowWriter &result, int firstRow, int endRow, const uchar *red,
    const uchar *green, const uchar *blue)
{
    const int width = source.width();
    for (int y = firstRow; y < endRow; ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(result(y));
        for (int x = 0; x < width; ++x) {
            const QRgb p = in[x];
            out[x] = (p & 0xff000000u) | (uint(red[(p >> 16) & 0xff]) << 16) | (uint(green[(p >> 8) & 0xff]) << 8)
                | blue[p & 0xff];
        }
    }
}

bool readsGrayDirectly(const QImage &image)
{
    const QImage::Format format = image.format();
    return format == QImage::Format_ARGB32 || format == QImage::Format_RGB32 || format == QImage::Format_Grayscale8;
}

// 1, 2 or 3 when angle is that many clockwise quarter turns (modulo a full
// turn), 0 otherwise, full turns included.
int quarterTurns(double angle)
{
    const double turns = angle / 90.0;
    const double nearest = std::round(turns);
    if (std::fabs(turns - nearest) > 1e-9)
        return 0;
    return ((static_cast<long long>(nearest) % 4) + 4) % 4;
}

// Whether cropToRotatedContent's rectangle for this rotated size and angle is
// a real one, before its clamping to at least one pixel.
bool innerCropLeavesRectangle(const QSize &rotated, double angle)
{
    const double a = std::fabs(angle);
    if (a < 0.1)
        return true;
    const double radians = a * 3.141592653589793 / 180.0;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    return static_cast<int>(rotated.width() * c - rotated.height() * s) >= 1
        && static_cast<int>(rotated.height() * c - rotated.width() * s) >= 1;
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
    QImage result;
    const int quarters = quarterTurns(angle);
    if (quarters > 0) {
        // A whole number of quarter turns moves every pixel to another pixel:
        // turn exactly, as the 90-degree commands do, with nothing to crop.
        const double quarterAngle = quarters == 3 ? -90.0 : 90.0 * quarters;
        result = image.transformed(QTransform().rotate(quarterAngle), Qt::FastTransformation);
        emit processingProgress(80);
    } else {
        result = image.transformed(QTransform().rotate(angle), Qt::SmoothTransformation);
        emit processingProgress(80);
        // The inner-crop formula only holds for small angles; where it would
        // leave no rectangle at all the whole rotated page is kept.
        if (std::fabs(angle) > 0.5 && innerCropLeavesRectangle(result.size(), angle))
            result = cropToRotatedContent(result, angle);
    }
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
    uchar table[256];
    for (int c = 0; c < 256; ++c)
        table[c] = uchar(clampByte(clampByte(static_cast<int>((c - 127) * factor + 127)) + offset));

    const QImage source = argb32Source(image);
    QImage result = argb32Like(source);
    if (result.isNull())
        return result;
    const int height = source.height();
    const RowWriter rows(result);
    runRows(
        source.width(), height, 20, [height](int y) { return y * 100 / height; },
        [&](int first, int end) { mapChannels(source, rows, first, end, table, table, table); });
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
    int hueTable[360];
    for (int h = 0; h < 360; ++h)
        hueTable[h] = (h + hue + 360) % 360;
    int saturationTable[256];
    for (int s = 0; s < 256; ++s)
        saturationTable[s] = clampByte(s * k);

    const QImage source = argb32Source(image);
    QImage result = argb32Like(source);
    if (result.isNull())
        return result;
    const int width = source.width();
    const int height = source.height();
    const RowWriter rows(result);
    runRows(
        width, height, 20, [height](int y) { return y * 100 / height; },
        [&](int first, int end) {
            ColourCache convert([&](QRgb p) {
                const FastHsv::Hsv hsv = FastHsv::fromRgb(p);
                return FastHsv::toRgb(hsv.h >= 0 ? hueTable[hsv.h] : -1, saturationTable[hsv.s], hsv.v);
            });
            for (int y = first; y < end; ++y) {
                const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
                auto *out = reinterpret_cast<QRgb *>(rows(y));
                for (int x = 0; x < width; ++x) {
                    out[x] = convert(in[x] & 0x00ffffffu);
                }
            }
        });
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
    const QImage source = argb32Source(image);
    const int width = source.width();
    const int height = source.height();
    // Per byte of the 32-bit word: blue, green, red (alpha is ignored).
    uchar minimum[4] = { 255, 255, 255, 255 };
    uchar maximum[4] = { 0, 0, 0, 0 };
    std::mutex merge;
    runRows(
        width, height, 20, [height](int y) { return y * 50 / height; },
        [&](int first, int end) {
            uchar low[4] = { 255, 255, 255, 255 };
            uchar high[4] = { 0, 0, 0, 0 };
            for (int y = first; y < end; ++y) {
                const uchar *line = source.constScanLine(y);
                int x = 0;
#ifdef __SSE2__
                __m128i lowVector = _mm_set1_epi8(char(0xff));
                __m128i highVector = _mm_setzero_si128();
                for (; x + 4 <= width; x += 4) {
                    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i *>(line + 4 * x));
                    lowVector = _mm_min_epu8(lowVector, pixels);
                    highVector = _mm_max_epu8(highVector, pixels);
                }
                alignas(16) uchar lows[16];
                alignas(16) uchar highs[16];
                _mm_store_si128(reinterpret_cast<__m128i *>(lows), lowVector);
                _mm_store_si128(reinterpret_cast<__m128i *>(highs), highVector);
                for (int i = 0; i < 16; ++i) {
                    low[i & 3] = qMin(low[i & 3], lows[i]);
                    high[i & 3] = qMax(high[i & 3], highs[i]);
                }
#endif
                for (; x < width; ++x) {
                    const QRgb p = reinterpret_cast<const QRgb *>(line)[x];
                    for (int i = 0; i < 3; ++i) {
                        const uchar c = uchar(p >> (8 * i));
                        low[i] = qMin(low[i], c);
                        high[i] = qMax(high[i], c);
                    }
                }
            }
            std::lock_guard<std::mutex> lock(merge);
            for (int i = 0; i < 3; ++i) {
                minimum[i] = qMin(minimum[i], low[i]);
                maximum[i] = qMax(maximum[i], high[i]);
            }
        });
    if (minimum[0] == maximum[0] && minimum[1] == maximum[1] && minimum[2] == maximum[2]) {
        qDebug() << "图像已经是最佳水平，无需自动调整";
        return image.copy();
    }
    uchar tables[3][256];
    for (int i = 0; i < 3; ++i) {
        const double scale = minimum[i] < maximum[i] ? 255.0 / (maximum[i] - minimum[i]) : 1.0;
        for (int v = 0; v < 256; ++v)
            tables[i][v] = uchar(clampByte((v - minimum[i]) * scale));
    }
    QImage result = argb32Like(source);
    if (result.isNull())
        return result;
    const RowWriter rows(result);
    runRows(
        width, height, 20, [height](int y) { return y * 50 / height + 50; },
        [&](int first, int end) { mapChannels(source, rows, first, end, tables[2], tables[1], tables[0]); });
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
    if (image.isNull()) {
        toGrayscale(image);
        return QImage();
    }
    // The grey copy itself is never needed: rows are converted as they are read.
    const QImage source = readsGrayDirectly(image) ? image : image.convertToFormat(QImage::Format_Grayscale8);
    qDebug() << "图像已转换为灰度";
    const int width = source.width();
    const int height = source.height();
    QImage result = monoLike(image, width, height);
    if (result.isNull())
        return result;
    const RowWriter rows(result);
    runRows(
        width, height, 20, [height](int y) { return y * 100 / height; },
        [&](int first, int end) {
            QVector<uchar> buffer(width);
            for (int y = first; y < end; ++y) {
                const uchar *in = grayRow(source, y, buffer.data());
                uchar *out = rows(y);
                for (int byte = 0; byte < (width + 7) / 8; ++byte) {
                    uint bits = 0;
                    const int count = qMin(8, width - 8 * byte);
                    for (int i = 0; i < count; ++i)
                        bits |= uint(in[8 * byte + i] > threshold) << (7 - i);
                    out[byte] = uchar(bits);
                }
            }
        });
    emit processingProgress(100);
    qDebug() << "图像已转换为二值图像，阈值: " << threshold;
    return result;
}

int ImageProcessor::computeAutoThreshold(const QImage &image)
{
    if (image.isNull()) {
        toGrayscale(image);
        return 0;
    }
    const QImage source = readsGrayDirectly(image) ? image : image.convertToFormat(QImage::Format_Grayscale8);
    qDebug() << "图像已转换为灰度";
    const int width = source.width();
    const int height = source.height();
    qint64 histogram[256] = {};
    std::mutex merge;
    // No progress here; the chunks only spread the counting over the cores.
    runRows(
        width, height, 0, [](int) { return 0; },
        [&](int first, int end) {
            // Four interleaved tallies: a page of one paper grey would otherwise
            // serialise on a single counter.
            QVector<quint32> counts(4 * 256, 0);
            QVector<uchar> buffer(width);
            for (int y = first; y < end; ++y) {
                const uchar *line = grayRow(source, y, buffer.data());
                int x = 0;
                for (; x + 4 <= width; x += 4) {
                    ++counts[line[x]];
                    ++counts[256 + line[x + 1]];
                    ++counts[512 + line[x + 2]];
                    ++counts[768 + line[x + 3]];
                }
                for (; x < width; ++x)
                    ++counts[line[x]];
            }
            std::lock_guard<std::mutex> lock(merge);
            for (int i = 0; i < 256; ++i)
                histogram[i] += qint64(counts[i]) + counts[256 + i] + counts[512 + i] + counts[768 + i];
        });

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

    const QImage source = argb32Source(image);
    QImage result = argb32Like(source);
    if (result.isNull())
        return result;
    const int height = source.height();
    const RowWriter rows(result);
    runRows(
        source.width(), height, 20, [height](int y) { return y * 100 / height; },
        [&](int first, int end) { mapChannels(source, rows, first, end, table, table, table); });
    emit processingProgress(100);
    qDebug() << "已应用伽马校正: " << gamma;
    return result;
}
