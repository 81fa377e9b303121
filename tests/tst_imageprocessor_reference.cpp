// The optimised operations of ImageProcessor against straightforward versions of
// the same arithmetic (QColor per pixel, one double sum per channel, no tables, one
// thread), on random images: the results must be bit-identical.
#include <QColor>
#include <QMap>
#include <QRandomGenerator>
#include <QtTest>

#include <cmath>

#include "imaging/fasthsv.h"
#include "imaging/imageprocessor.h"
#include "imaging/kernelisa.h"
#include "imaging/paperbackground.h"
#include "tests/support/logcapture.h"

class ImageProcessorReferenceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fastHsvReadsEveryRgbColourAsQColor();
    void fastHsvWritesEveryHsvTripleAsQColor();
    void brightnessContrast_data();
    void brightnessContrast();
    void hueSaturation_data();
    void hueSaturation();
    void autoLevel_data();
    void autoLevel();
    void gamma_data();
    void gamma();
    void binary_data();
    void binary();
    void kernel_data();
    void kernel();
    void edges_data();
    void edges();
    void skewEstimates_data();
    void skewEstimates();
    void blankPage_data();
    void blankPage();
    void removeBackground_data();
    void removeBackground();
    void bleach_data();
    void bleach();
    void enhanceColorDocument_data();
    void enhanceColorDocument();
    void contentBounds_data();
    void contentBounds();

private:
    LogCapture *capture = nullptr;
};

namespace ref {

int clampByte(int value)
{
    return value < 0 ? 0 : (value > 255 ? 255 : value);
}

int clampByte(double value)
{
    if (!(value > 0.0))
        return 0;
    if (value >= 255.0)
        return 255;
    return static_cast<int>(value);
}

QImage brightnessContrast(const QImage &image, int brightness, int contrast)
{
    brightness = qBound(-100, brightness, 100);
    contrast = qBound(-100, contrast, 100);
    double factor = 1.0;
    if (contrast > 0)
        factor = contrast / 100.0 + 1;
    else if (contrast < 0)
        factor = 1 / (1 - contrast / 100.0);
    const int offset = brightness * 255 / 100;
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    auto adjust = [&](int c) {
        return clampByte(clampByte(static_cast<int>((c - 127) * factor + 127)) + offset);
    };
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            line[x] = qRgba(adjust(qRed(line[x])), adjust(qGreen(line[x])), adjust(qBlue(line[x])), qAlpha(line[x]));
    }
    return result;
}

QImage hueSaturation(const QImage &image, int hue, int saturation)
{
    hue = qBound(-180, hue, 180);
    saturation = qBound(-100, saturation, 100);
    const double k = saturation / 100.0 + 1;
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            QColor color(line[x]);
            int h, s, v;
            color.getHsv(&h, &s, &v);
            if (h >= 0)
                h = (h + hue + 360) % 360;
            color.setHsv(h, clampByte(s * k), v, 255);
            line[x] = color.rgba();
        }
    }
    return result;
}

QImage autoLevel(const QImage &image)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    int minimum[3] = { 255, 255, 255 };
    int maximum[3] = { 0, 0, 0 };
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = result.pixel(x, y);
            const int channel[3] = { qRed(p), qGreen(p), qBlue(p) };
            for (int i = 0; i < 3; ++i) {
                minimum[i] = qMin(minimum[i], channel[i]);
                maximum[i] = qMax(maximum[i], channel[i]);
            }
        }
    }
    if (minimum[0] == maximum[0] && minimum[1] == maximum[1] && minimum[2] == maximum[2])
        return image.copy();
    double scale[3];
    for (int i = 0; i < 3; ++i)
        scale[i] = minimum[i] < maximum[i] ? 255.0 / (maximum[i] - minimum[i]) : 1.0;
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = result.pixel(x, y);
            result.setPixel(x, y,
                qRgba(clampByte((qRed(p) - minimum[0]) * scale[0]), clampByte((qGreen(p) - minimum[1]) * scale[1]),
                    clampByte((qBlue(p) - minimum[2]) * scale[2]), qAlpha(p)));
        }
    }
    return result;
}

QImage gamma(const QImage &image, double gamma)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    auto map = [gamma](int c) {
        return clampByte(std::pow(c / 255.0, 1.0 / gamma) * 255);
    };
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = result.pixel(x, y);
            result.setPixel(x, y, qRgba(map(qRed(p)), map(qGreen(p)), map(qBlue(p)), qAlpha(p)));
        }
    }
    return result;
}

QImage binary(const QImage &image, int threshold)
{
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    QImage result(gray.size(), QImage::Format_Mono);
    result.setColorTable({ qRgb(0, 0, 0), qRgb(255, 255, 255) });
    for (int y = 0; y < gray.height(); ++y)
        for (int x = 0; x < gray.width(); ++x)
            result.setPixel(x, y, gray.constScanLine(y)[x] > threshold ? 1 : 0);
    return result;
}

int autoThreshold(const QImage &image)
{
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    QVector<qint64> histogram(256, 0);
    for (int y = 0; y < gray.height(); ++y)
        for (int x = 0; x < gray.width(); ++x)
            ++histogram[gray.constScanLine(y)[x]];
    const qint64 total = qint64(gray.width()) * gray.height();
    double sumAll = 0;
    for (int i = 0; i < 256; ++i)
        sumAll += double(i) * double(histogram[i]);
    double sumB = 0, best = 0;
    qint64 wB = 0;
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
    return threshold;
}

QImage kernel(const QImage &image, const QVector<double> &kernel, int size)
{
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    QImage result = source.copy();
    const int width = source.width();
    const int height = source.height();
    const int half = size / 2;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double sum[4] = { 0, 0, 0, 0 };
            for (int ky = 0; ky < size; ++ky) {
                for (int kx = 0; kx < size; ++kx) {
                    const QRgb p
                        = source.pixel(qBound(0, x - half + kx, width - 1), qBound(0, y - half + ky, height - 1));
                    const double weight = kernel[ky * size + kx];
                    sum[0] += weight * qRed(p);
                    sum[1] += weight * qGreen(p);
                    sum[2] += weight * qBlue(p);
                    sum[3] += weight * qAlpha(p);
                }
            }
            result.setPixel(x, y, qRgba(clampByte(sum[0]), clampByte(sum[1]), clampByte(sum[2]), clampByte(sum[3])));
        }
    }
    return result;
}

QImage edges(const QImage &image)
{
    const QImage gx = kernel(image, { -1, 0, 1, -2, 0, 2, -1, 0, 1 }, 3);
    const QImage gy = kernel(image, { -1, -2, -1, 0, 0, 0, 1, 2, 1 }, 3);
    QImage magnitude(image.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int g1 = qRed(gx.pixel(x, y));
            const int g2 = qRed(gy.pixel(x, y));
            magnitude.scanLine(y)[x] = uchar(qMin(255, static_cast<int>(std::sqrt(double(g1 * g1 + g2 * g2)))));
        }
    }
    return binary(magnitude, 100);
}

double lines(const QImage &gray, int *bestVotes)
{
    const QImage edgeMap = edges(gray);
    const int width = edgeMap.width();
    const int height = edgeMap.height();
    const int shorter = qMin(width, height);
    const int reach = shorter < 510 ? shorter / 10 : 50;
    QMap<double, int> votesByAngle;
    double angle = -15.0;
    for (int n = 0; n < 151; ++n, angle += 0.2) {
        const double c = std::cos(angle * M_PI / 180.0);
        const double s = std::sin(angle * M_PI / 180.0);
        int votes = 0;
        for (int y = 10; height > 20 && width > 20 && y <= 10 + (height - 21) / 8 * 8; y += 8) {
            for (int x = 10; x <= 10 + (width - 21) / 8 * 8; x += 8) {
                if (edgeMap.pixelIndex(x, y) != 1)
                    continue;
                int hits = 0;
                for (int i = -reach; i <= reach; i += 2) {
                    const int px = static_cast<int>(c * i + x);
                    const int py = static_cast<int>(s * i + y);
                    if (px >= 0 && px < width && py >= 0 && py < height && edgeMap.pixelIndex(px, py) == 1)
                        ++hits;
                }
                if (hits > reach / 3)
                    ++votes;
            }
        }
        if (votes > 0)
            votesByAngle[angle] = votes;
    }
    double best = 0.0;
    *bestVotes = 0;
    for (auto it = votesByAngle.constBegin(); it != votesByAngle.constEnd(); ++it) {
        if (it.value() > *bestVotes) {
            *bestVotes = it.value();
            best = it.key();
        }
    }
    return *bestVotes > 9 ? best : 0.0;
}

double text(const QImage &image)
{
    const QImage bin = binary(image, autoThreshold(image));
    const int width = bin.width();
    const int height = bin.height();
    QVector<int> counts(height, 0);
    qint64 sum = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            counts[y] += bin.pixelIndex(x, y) == 0 ? 1 : 0;
        sum += counts[y];
    }
    const qint64 average = sum / height;
    QVector<int> rows;
    for (int y = 0; y < height; ++y)
        if (counts[y] > average * 1.5)
            rows << y;
    if (rows.size() < 3)
        return 0.0;
    QVector<double> angles;
    for (int i = 0; i + 1 < rows.size(); ++i) {
        qint64 n1 = 0, sx1 = 0, n2 = 0, sx2 = 0;
        for (int x = 0; x < width; ++x) {
            if (bin.pixelIndex(x, rows[i]) == 0)
                ++n1, sx1 += x;
            if (bin.pixelIndex(x, rows[i + 1]) == 0)
                ++n2, sx2 += x;
        }
        if (n1 > 0 && n2 > 0)
            angles << std::atan2(double(sx2 / n2 - sx1 / n1), double(rows[i + 1] - rows[i])) * 180 / M_PI;
    }
    if (angles.isEmpty())
        return 0.0;
    double total = 0;
    for (double a : angles)
        total += a;
    return total / angles.size();
}

bool blank(const QImage &image, int whiteThreshold, double blankRatio)
{
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    const int width = gray.width();
    const int height = gray.height();
    const int mx = qMax(1, static_cast<int>(width * 0.01));
    const int my = qMax(1, static_cast<int>(height * 0.01));
    const int areaHeight = height - 2 * my;
    const int shorter = qMin(width, height);
    const int step = shorter < 400 ? 1 : shorter / 200;
    int white[3] = { 0, 0, 0 }, total[3] = { 0, 0, 0 };
    for (int y = my; y < height - my; y += step) {
        const int region = y < my + areaHeight / 3 ? 0 : (y >= (height - my) - areaHeight / 3 ? 2 : 1);
        for (int x = mx; x < width - mx; x += step) {
            ++total[region];
            if (gray.constScanLine(y)[x] >= whiteThreshold)
                ++white[region];
        }
    }
    double ratio[3];
    for (int i = 0; i < 3; ++i)
        ratio[i] = total[i] == 0 ? 1.0 : double(white[i]) / double(total[i]);
    const double weighted = (2.0 * ratio[0] + 1.0 * ratio[1] + 2.0 * ratio[2]) / 5;
    return weighted >= blankRatio && ratio[0] >= 0.95 * blankRatio && ratio[2] >= 0.95 * blankRatio;
}

int brightnessOf(QRgb p)
{
    return (qRed(p) + qGreen(p) + qBlue(p)) / 3;
}

// The paper level under each pixel is the estimator's; the arithmetic on top of it
// is the operation's.
QImage removeBackground(const QImage &image)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    PaperBackground paper(result.size());
    paper.sample(result, 0, paper.blockRows());
    paper.finish();
    QVector<uchar> levels(result.width());
    for (int y = 0; y < result.height(); ++y) {
        paper.rowLevels(y, levels.data());
        for (int x = 0; x < result.width(); ++x) {
            const int threshold = levels[x] - 30;
            const QRgb p = result.pixel(x, y);
            const int level = brightnessOf(p);
            int channel[3] = { qRed(p), qGreen(p), qBlue(p) };
            for (int &c : channel) {
                if (level > threshold)
                    c = qMin(255, c + (255 - c) * ((level - threshold) * 255 / (255 - threshold)) / 255);
                else
                    c = clampByte((c - 127) * 1.3 + 127);
            }
            result.setPixel(x, y, qRgba(channel[0], channel[1], channel[2], qAlpha(p)));
        }
    }
    return result;
}

int clampFloat(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value >= 255.0f)
        return 255;
    return static_cast<int>(value);
}

QImage bleach(const QImage &image, int threshold, int strength)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const int width = result.width();
    const int height = result.height();
    const int step = qMin(width, height) < 200 ? 1 : qMin(width, height) / 100;
    QMap<QRgb, int> histogram;
    for (int y = 0; y < height; y += step)
        for (int x = 0; x < width; x += step)
            ++histogram[result.pixel(x, y)];
    int bestCount = 0, bestBrightness = 0;
    QRgb background = 0;
    for (auto it = histogram.constBegin(); it != histogram.constEnd(); ++it) {
        const int level = brightnessOf(it.key());
        if (level <= threshold)
            continue;
        if (it.value() > bestCount || (it.value() > 0.8 * bestCount && level > bestBrightness)) {
            bestCount = it.value();
            bestBrightness = level;
            background = it.key();
        }
    }
    const int limit = 765 - 3 * threshold;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb p = result.pixel(x, y);
            const int diff = std::abs(qRed(p) - qRed(background)) + std::abs(qGreen(p) - qGreen(background))
                + std::abs(qBlue(p) - qBlue(background));
            if (diff > limit - 1 || brightnessOf(p) < threshold - 49)
                continue;
            const float k = (1.0f - float(diff) / float(limit)) * float(strength) / 100.0f;
            auto lift = [k](int c) {
                return clampFloat(float(255 - c) * k + float(c));
            };
            result.setPixel(x, y, qRgba(lift(qRed(p)), lift(qGreen(p)), lift(qBlue(p)), qAlpha(p)));
        }
    }
    return result;
}

QImage enhanceColorDocument(const QImage &image)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            QColor color(result.pixel(x, y));
            int h, s, v;
            color.getHsv(&h, &s, &v);
            s = qMin(255, static_cast<int>(s * 1.3));
            v = v < 128 ? qMax(0, static_cast<int>(v * 0.8)) : qMin(255, static_cast<int>(v * 1.1));
            color.setHsv(h, s, v, 255);
            result.setPixel(x, y, color.rgba());
        }
    }
    QVector<double> sharpen(9, -0.4);
    sharpen[4] = 8 * 0.4 + 1;
    return kernel(result, sharpen, 3);
}

QRect contentBounds(const QImage &image, int threshold)
{
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    int minX = gray.width(), maxX = 0, minY = gray.height(), maxY = 0;
    bool found = false;
    for (int y = 0; y < gray.height(); ++y) {
        for (int x = 0; x < gray.width(); ++x) {
            if (gray.constScanLine(y)[x] < threshold) {
                found = true;
                minX = qMin(minX, x), maxX = qMax(maxX, x), minY = qMin(minY, y), maxY = qMax(maxY, y);
            }
        }
    }
    if (!found)
        return gray.rect();
    return QRect(QPoint(qMax(0, minX - 5), qMax(0, minY - 5)),
        QPoint(qMin(gray.width() - 1, maxX + 5), qMin(gray.height() - 1, maxY + 5)));
}

} // namespace ref

namespace {

// Random pixels, or (with few colours) a page-like mix of repeated colours.
QImage randomImage(int width, int height, quint32 seed, int colours = 0, QImage::Format format = QImage::Format_ARGB32)
{
    QRandomGenerator random(seed);
    QVector<QRgb> palette;
    for (int i = 0; i < colours; ++i)
        palette << random.generate();
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = colours > 0 ? palette[int(random.bounded(colours))] : random.generate();
    }
    return image.convertToFormat(format);
}

// A page: paper with noise, dark strokes and rules at a slant.
QImage pageImage(int width, int height, quint32 seed, double slant)
{
    QRandomGenerator random(seed);
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int n = int(random.bounded(9)) - 4;
            line[x] = qRgb(240 + n, 236 + n, 228 + n);
        }
    }
    const double t = std::tan(slant * M_PI / 180.0);
    for (int row = 40; row < height - 40; row += 24) {
        for (int x = 30; x < width - 30; ++x) {
            if (random.bounded(5) == 0)
                continue;
            const int y = row + int(std::lround((x - 30) * t));
            const int thickness = 1 + int(random.bounded(3));
            for (int k = 0; k < thickness && y + k >= 0 && y + k < height; ++k)
                image.setPixel(x, y + k, qRgb(30, 30, 40));
        }
    }
    return image;
}

} // namespace

void ImageProcessorReferenceTest::initTestCase()
{
    // The operations log; the tables below compare results only.
    capture = new LogCapture;
}

void ImageProcessorReferenceTest::fastHsvReadsEveryRgbColourAsQColor()
{
    for (QRgb rgb = 0; rgb < (1u << 24); ++rgb) {
        int h, s, v;
        QColor(rgb).getHsv(&h, &s, &v);
        const FastHsv::Hsv fast = FastHsv::fromRgb(rgb | 0xff000000u);
        if (fast.h != h || fast.s != s || fast.v != v)
            QFAIL(qPrintable(QStringLiteral("colour %1").arg(rgb, 6, 16, QLatin1Char('0'))));
    }
}

void ImageProcessorReferenceTest::fastHsvWritesEveryHsvTripleAsQColor()
{
    for (int h = -1; h < 360; ++h) {
        for (int s = 0; s < 256; ++s) {
            for (int v = 0; v < 256; ++v) {
                QColor color;
                color.setHsv(h, s, v, 255);
                if (FastHsv::toRgb(h, s, v) != color.rgba())
                    QFAIL(qPrintable(QStringLiteral("hsv %1 %2 %3").arg(h).arg(s).arg(v)));
            }
        }
    }
}

namespace {

void addImageRows()
{
    QTest::addColumn<QImage>("image");
    // 613 x 517 spreads over the cores in bands; 37 x 23 stays on one thread.
    QTest::newRow("random ARGB32") << randomImage(613, 517, 1);
    QTest::newRow("few colours") << randomImage(613, 517, 2, 12);
    QTest::newRow("small RGB888") << randomImage(37, 23, 3, 0, QImage::Format_RGB888);
    QTest::newRow("page") << pageImage(700, 560, 4, 1.5);
    QTest::newRow("grayscale") << randomImage(301, 257, 5, 0, QImage::Format_Grayscale8);
    QTest::newRow("one pixel") << randomImage(1, 1, 6);
}

} // namespace

void ImageProcessorReferenceTest::brightnessContrast_data()
{
    addImageRows();
}

void ImageProcessorReferenceTest::brightnessContrast()
{
    QFETCH(QImage, image);
    ImageProcessor processor;
    for (const QPoint &bc : { QPoint(20, 30), QPoint(-45, -70), QPoint(100, 100), QPoint(0, -13) })
        QCOMPARE(
            processor.adjustBrightnessContrast(image, bc.x(), bc.y()), ref::brightnessContrast(image, bc.x(), bc.y()));
}

void ImageProcessorReferenceTest::hueSaturation_data()
{
    addImageRows();
}

void ImageProcessorReferenceTest::hueSaturation()
{
    QFETCH(QImage, image);
    ImageProcessor processor;
    for (const QPoint &hs : { QPoint(30, 20), QPoint(-170, -60), QPoint(180, 100), QPoint(0, -100) })
        QCOMPARE(processor.adjustHueSaturation(image, hs.x(), hs.y()), ref::hueSaturation(image, hs.x(), hs.y()));
}

void ImageProcessorReferenceTest::autoLevel_data()
{
    addImageRows();
    QImage narrow(300, 300, QImage::Format_ARGB32);
    QRandomGenerator random(9);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 300; ++x)
            narrow.setPixel(x, y, qRgba(60 + int(random.bounded(100)), 7, 200 + int(random.bounded(20)), 99));
    QTest::newRow("narrow channels") << narrow;
}

void ImageProcessorReferenceTest::autoLevel()
{
    QFETCH(QImage, image);
    ImageProcessor processor;
    QCOMPARE(processor.autoLevel(image), ref::autoLevel(image));
}

void ImageProcessorReferenceTest::gamma_data()
{
    addImageRows();
}

void ImageProcessorReferenceTest::gamma()
{
    QFETCH(QImage, image);
    ImageProcessor processor;
    for (double g : { 0.45, 1.8, 2.2 })
        QCOMPARE(processor.applyGamma(image, g), ref::gamma(image, g));
}

void ImageProcessorReferenceTest::binary_data()
{
    addImageRows();
    QTest::newRow("RGB32") << randomImage(333, 251, 7, 0, QImage::Format_RGB32);
    QTest::newRow("premultiplied") << randomImage(333, 251, 8, 0, QImage::Format_ARGB32_Premultiplied);
}

void ImageProcessorReferenceTest::binary()
{
    QFETCH(QImage, image);
    ImageProcessor processor;
    const int threshold = ref::autoThreshold(image);
    QCOMPARE(processor.computeAutoThreshold(image), threshold);
    QCOMPARE(processor.binarize(image, -1), ref::binary(image, threshold));
    QCOMPARE(processor.toBinary(image, 77), ref::binary(image, 77));
}

void ImageProcessorReferenceTest::kernel_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QVector<double>>("kernel");
    QTest::addColumn<int>("size");
    QRandomGenerator random(10);
    auto randomKernel = [&random](int size, bool withZeros) {
        QVector<double> kernel;
        for (int i = 0; i < size * size; ++i)
            kernel << ((withZeros && random.bounded(3) == 0) ? 0.0 : random.generateDouble() * 2 - 0.9);
        return kernel;
    };
    QVector<double> sharpen40(9, -0.4);
    sharpen40[4] = 8 * 0.4 + 1;
    QTest::newRow("sharpen 40") << randomImage(613, 517, 11) << sharpen40 << 3;
    // Weights that are exact binary fractions take the integer path.
    QVector<double> sharpen50(9, -0.5);
    sharpen50[4] = 5;
    QTest::newRow("sharpen 50") << randomImage(613, 517, 18) << sharpen50 << 3;
    QTest::newRow("sharpen 50, page") << pageImage(701, 333, 19, 2.0) << sharpen50 << 3;
    QTest::newRow("binomial 3 x 3") << randomImage(
        301, 257, 20, 30) << QVector<double>({ 0.0625, 0.125, 0.0625, 0.125, 0.25, 0.125, 0.0625, 0.125, 0.0625 })
                                    << 3;
    QTest::newRow("negative sum, quarters")
        << randomImage(203, 141, 21) << QVector<double>({ -0.25, 0, 0.75, -1.5, 0, 0.25, 0, -0.75, 0.5 }) << 3;
    QTest::newRow("Sobel") << randomImage(203, 141, 22) << QVector<double>({ -1, 0, 1, -2, 0, 2, -1, 0, 1 }) << 3;
    QTest::newRow("integers too large for 16 bits")
        << randomImage(203, 141, 23) << QVector<double>({ 40, -30, 50, 0, 1, 0, -60, 20, 10 }) << 3;
    QTest::newRow("exact 5 x 5 on 7 columns") << randomImage(7, 90, 24) << QVector<double>(25, 0.03125) << 5;
    QTest::newRow("random 3 x 3") << randomImage(613, 517, 12) << randomKernel(3, false) << 3;
    QTest::newRow("random 5 x 5 with zeros") << randomImage(301, 257, 13, 40) << randomKernel(5, true) << 5;
    QTest::newRow("even size 4") << randomImage(97, 61, 14) << randomKernel(4, false) << 4;
    QTest::newRow("13 x 13 on a narrow page") << randomImage(9, 400, 15) << randomKernel(13, false) << 13;
    QTest::newRow("1 x 1 on one pixel") << randomImage(1, 1, 16) << QVector<double> { 1.7 } << 1;
    QTest::newRow("7 x 7 on RGB888") << randomImage(203, 141, 17, 0, QImage::Format_RGB888) << randomKernel(7, false)
                                     << 7;
}

void ImageProcessorReferenceTest::kernel()
{
    QFETCH(QImage, image);
    QFETCH(QVector<double>, kernel);
    QFETCH(int, size);
    ImageProcessor processor;
    const QImage expected = ref::kernel(image, kernel, size);
    // Every instruction-set path this processor can run, widest first.
    for (KernelIsa::Level level : { KernelIsa::Avx512, KernelIsa::Avx2, KernelIsa::Scalar }) {
        KernelIsa::setCeiling(level);
        const QImage result = processor.applyKernel(image, kernel, size);
        KernelIsa::setCeiling(KernelIsa::Avx512);
        QVERIFY2(result == expected, qPrintable(QStringLiteral("level %1").arg(level)));
    }
}

void ImageProcessorReferenceTest::edges_data()
{
    addImageRows();
}

void ImageProcessorReferenceTest::edges()
{
    QFETCH(QImage, image);
    ImageProcessor processor;
    QCOMPARE(processor.detectEdges(image), ref::edges(image));
}

void ImageProcessorReferenceTest::skewEstimates_data()
{
    QTest::addColumn<QImage>("image");
    QTest::newRow("page at 1.5 degrees") << pageImage(700, 560, 20, 1.5);
    QTest::newRow("page at -4 degrees") << pageImage(620, 480, 21, -4.0);
    QTest::newRow("small page") << pageImage(300, 200, 22, 2.0);
    QTest::newRow("random") << randomImage(250, 250, 23);
}

void ImageProcessorReferenceTest::skewEstimates()
{
    QFETCH(QImage, image);
    ImageProcessor processor;
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    int votes = 0;
    QCOMPARE(processor.detectSkewByLines(gray), ref::lines(gray, &votes));
    QCOMPARE(processor.detectSkewByText(gray), ref::text(gray));
}

void ImageProcessorReferenceTest::blankPage_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<double>("ratio");
    QTest::newRow("page, 240") << pageImage(820, 1100, 30, 0.0) << 240 << 0.98;
    QTest::newRow("page, 200, 0.9") << pageImage(820, 1100, 30, 0.0) << 200 << 0.9;
    QTest::newRow("page RGB32") << pageImage(820, 1100, 31, 0.0).convertToFormat(QImage::Format_RGB32) << 230 << 0.95;
    QTest::newRow("random RGB888") << randomImage(450, 420, 32, 0, QImage::Format_RGB888) << 120 << 0.4;
    QTest::newRow("random grayscale") << randomImage(450, 420, 33, 0, QImage::Format_Grayscale8) << 100 << 0.6;
}

void ImageProcessorReferenceTest::blankPage()
{
    QFETCH(QImage, image);
    QFETCH(int, threshold);
    QFETCH(double, ratio);
    ImageProcessor processor;
    QCOMPARE(processor.isBlankPage(image, threshold, ratio), ref::blank(image, threshold, ratio));
}

void ImageProcessorReferenceTest::removeBackground_data()
{
    addImageRows();
}

void ImageProcessorReferenceTest::removeBackground()
{
    QFETCH(QImage, image);
    ImageProcessor processor;
    QCOMPARE(processor.removeBackground(image), ref::removeBackground(image));
}

void ImageProcessorReferenceTest::bleach_data()
{
    addImageRows();
}

void ImageProcessorReferenceTest::bleach()
{
    QFETCH(QImage, image);
    ImageProcessor processor;
    for (const QPoint &ts : { QPoint(240, 80), QPoint(180, 20), QPoint(100, 100), QPoint(200, 55) })
        QCOMPARE(processor.bleach(image, ts.x(), ts.y()), ref::bleach(image, ts.x(), ts.y()));
}

void ImageProcessorReferenceTest::enhanceColorDocument_data()
{
    addImageRows();
}

void ImageProcessorReferenceTest::enhanceColorDocument()
{
    QFETCH(QImage, image);
    ImageProcessor processor;
    const QImage expected = ref::enhanceColorDocument(image);
    QCOMPARE(processor.enhanceColorDocument(image), expected);
    QCOMPARE(processor.enhanceDocument(image), ref::removeBackground(expected));
}

void ImageProcessorReferenceTest::contentBounds_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("threshold");
    QTest::newRow("page") << pageImage(700, 560, 40, 1.0) << 200;
    QTest::newRow("random at 3") << randomImage(400, 300, 41, 0, QImage::Format_Grayscale8) << 3;
    QTest::newRow("RGB888 at 1") << randomImage(400, 300, 42, 0, QImage::Format_RGB888) << 1;
}

void ImageProcessorReferenceTest::contentBounds()
{
    QFETCH(QImage, image);
    QFETCH(int, threshold);
    ImageProcessor processor;
    QCOMPARE(processor.detectContentBounds(image, threshold), ref::contentBounds(image, threshold));
}

QTEST_MAIN(ImageProcessorReferenceTest)
#include "tst_imageprocessor_reference.moc"
