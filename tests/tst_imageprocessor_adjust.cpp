// Basic adjustments of ImageProcessor: rotations, crop, brightness/contrast,
// hue/saturation, auto level, grey and two-level conversion, gamma, convolution.
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

#include "imaging/imageprocessor.h"
#include "tests/support/logcapture.h"

class ImageProcessorAdjustTest : public QObject
{
    Q_OBJECT

private slots:
    void nullInputGivesNullImage_data();
    void nullInputGivesNullImage();
    void rotate90KeepsEveryPixel();
    void rotateByAngleThresholds_data();
    void rotateByAngleThresholds();
    void rotateByLargeAngles_data();
    void rotateByLargeAngles();
    void cropToRotatedContentSize_data();
    void cropToRotatedContentSize();
    void cropImage_data();
    void cropImage();
    void brightnessContrast_data();
    void brightnessContrast();
    void progressEveryTwentiethRow();
    void progressOnPagesSharedBetweenThreads();
    void hueSaturation_data();
    void hueSaturation();
    void autoLevelSingleColourIsUnchanged();
    void autoLevelStretchesEachChannel();
    void toBinaryThreshold_data();
    void toBinaryThreshold();
    void autoThreshold_data();
    void autoThreshold();
    void binarizeClampsThreshold_data();
    void binarizeClampsThreshold();
    void gamma_data();
    void gamma();
    void kernelIsNotMirroredAndRepeatsEdges();
    void kernelClampsEveryChannelIncludingAlpha();
    void kernelWithoutWeightsReturnsCopy_data();
    void kernelWithoutWeightsReturnsCopy();
};

namespace {

QImage filled(int width, int height, QRgb colour, QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image.convertToFormat(format);
}

QImage grayRow(const QVector<int> &values)
{
    QImage image(values.size(), 1, QImage::Format_Grayscale8);
    for (int x = 0; x < values.size(); ++x)
        image.scanLine(0)[x] = uchar(values[x]);
    return image;
}

// Index (0 black, 1 white) of each pixel of a one-row two-level image.
QVector<int> monoRow(const QImage &image)
{
    QVector<int> indices;
    for (int x = 0; x < image.width(); ++x)
        indices << image.pixelIndex(x, 0);
    return indices;
}

QImage numbered(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x * 10, y * 10, x + y, 255 - x));
    return image;
}

QList<int> progressValues(const QSignalSpy &spy)
{
    QList<int> values;
    for (const QList<QVariant> &arguments : spy)
        values << arguments.at(0).toInt();
    return values;
}

} // namespace

void ImageProcessorAdjustTest::nullInputGivesNullImage_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("log");
    QTest::newRow("rotateLeft") << "rotateLeft"
                                << "无法旋转空图像";
    QTest::newRow("rotateRight") << "rotateRight"
                                 << "无法旋转空图像";
    QTest::newRow("rotateByAngle") << "rotateByAngle"
                                   << "无法旋转空图像";
    QTest::newRow("cropImage") << "cropImage"
                               << "无法裁剪空图像";
    QTest::newRow("brightnessContrast") << "adjustBrightnessContrast"
                                        << "无法调整空图像";
    QTest::newRow("hueSaturation") << "adjustHueSaturation"
                                   << "无法调整空图像";
    QTest::newRow("autoLevel") << "autoLevel"
                               << "无法自动调整空图像";
    QTest::newRow("toGrayscale") << "toGrayscale"
                                 << "无法转换空图像";
    QTest::newRow("toBinary") << "toBinary"
                              << "无法转换空图像";
    QTest::newRow("binarize") << "binarize"
                              << "无法转换空图像";
    QTest::newRow("applyGamma logs nothing") << "applyGamma" << QString();
}

void ImageProcessorAdjustTest::nullInputGivesNullImage()
{
    QFETCH(QString, operation);
    QFETCH(QString, log);
    ImageProcessor processor;
    const QImage null;
    LogCapture capture;
    QImage result(1, 1, QImage::Format_ARGB32);
    if (operation == "rotateLeft")
        result = processor.rotateLeft(null);
    else if (operation == "rotateRight")
        result = processor.rotateRight(null);
    else if (operation == "rotateByAngle")
        result = processor.rotateByAngle(null, 5.0);
    else if (operation == "cropImage")
        result = processor.cropImage(null, QRect(0, 0, 1, 1));
    else if (operation == "adjustBrightnessContrast")
        result = processor.adjustBrightnessContrast(null, 10, 10);
    else if (operation == "adjustHueSaturation")
        result = processor.adjustHueSaturation(null, 10, 10);
    else if (operation == "autoLevel")
        result = processor.autoLevel(null);
    else if (operation == "toGrayscale")
        result = processor.toGrayscale(null);
    else if (operation == "toBinary")
        result = processor.toBinary(null, 128);
    else if (operation == "binarize")
        result = processor.binarize(null, -1);
    else if (operation == "applyGamma")
        result = processor.applyGamma(null, 2.0);
    QVERIFY(result.isNull());
    QCOMPARE(capture.lines(), log.isEmpty() ? QStringList() : QStringList { log });
}

void ImageProcessorAdjustTest::rotate90KeepsEveryPixel()
{
    ImageProcessor processor;
    const QImage image = numbered(3, 2);
    LogCapture capture;
    const QImage left = processor.rotateLeft(image);
    const QImage right = processor.rotateRight(image);
    QCOMPARE(left.size(), QSize(2, 3));
    QCOMPARE(right.size(), QSize(2, 3));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            // Turning left brings the right-hand column to the top.
            QCOMPARE(left.pixel(y, 2 - x), image.pixel(x, y));
            QCOMPARE(right.pixel(1 - y, x), image.pixel(x, y));
        }
    }
    QCOMPARE(capture.lines(), QStringList({ "图像已向左旋转90度", "图像已向右旋转90度" }));
}

void ImageProcessorAdjustTest::rotateByAngleThresholds_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<bool>("rotates");
    QTest::addColumn<bool>("crops");
    QTest::newRow("0.005 is no rotation") << 0.005 << false << false;
    QTest::newRow("-0.009 is no rotation") << -0.009 << false << false;
    QTest::newRow("0.3 rotates without crop") << 0.3 << true << false;
    QTest::newRow("0.5 rotates without crop") << 0.5 << true << false;
    QTest::newRow("2.0 rotates and crops") << 2.0 << true << true;
    QTest::newRow("-2.0 rotates and crops") << -2.0 << true << true;
}

void ImageProcessorAdjustTest::rotateByAngleThresholds()
{
    QFETCH(double, angle);
    QFETCH(bool, rotates);
    QFETCH(bool, crops);
    ImageProcessor processor;
    QImage image = filled(200, 120, qRgb(200, 100, 50));
    image.setPixel(10, 10, qRgb(0, 0, 0));
    QSignalSpy progress(&processor, &ImageProcessor::processingProgress);
    LogCapture capture;
    const QImage result = processor.rotateByAngle(image, angle);

    if (!rotates) {
        QCOMPARE(result, image);
        QCOMPARE(capture.lines(), QStringList { "旋转角度为0，无需旋转" });
        QCOMPARE(progress.count(), 0);
        return;
    }
    const QImage rotated = image.transformed(QTransform().rotate(angle), Qt::SmoothTransformation);
    const QImage expected = crops ? processor.cropToRotatedContent(rotated, angle) : rotated;
    QCOMPARE(result, expected);
    if (crops)
        QVERIFY(result.width() < rotated.width() && result.height() < rotated.height());
    QCOMPARE(progressValues(progress), QList<int>({ 0, 80, 100 }));
    QCOMPARE(capture.lines().first(), QStringLiteral("开始按指定角度旋转:  %1  度").arg(angle));
    QCOMPARE(capture.lines().last(), QStringLiteral("角度旋转完成:  %1  度").arg(angle));
}

void ImageProcessorAdjustTest::rotateByLargeAngles_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<QString>("expected");
    QTest::newRow("90 is a right turn") << 90.0 << "right";
    QTest::newRow("-90 is a left turn") << -90.0 << "left";
    QTest::newRow("180 is two right turns") << 180.0 << "half";
    QTest::newRow("-180 is two right turns") << -180.0 << "half";
    // 200 x 120 turned by 45 degrees has no inner rectangle left.
    QTest::newRow("45 keeps the whole rotated page") << 45.0 << "whole";
    QTest::newRow("-60 keeps the whole rotated page") << -60.0 << "whole";
    QTest::newRow("135 keeps the whole rotated page") << 135.0 << "whole";
    QTest::newRow("12 keeps the inner crop") << 12.0 << "crop";
    QTest::newRow("-20 keeps the inner crop") << -20.0 << "crop";
}

void ImageProcessorAdjustTest::rotateByLargeAngles()
{
    QFETCH(double, angle);
    QFETCH(QString, expected);
    ImageProcessor processor;
    const QImage image = numbered(200, 120);
    QSignalSpy progress(&processor, &ImageProcessor::processingProgress);
    const QImage result = processor.rotateByAngle(image, angle);
    const QImage rotated = image.transformed(QTransform().rotate(angle), Qt::SmoothTransformation);
    if (expected == QLatin1String("right"))
        QCOMPARE(result, processor.rotateRight(image));
    else if (expected == QLatin1String("left"))
        QCOMPARE(result, processor.rotateLeft(image));
    else if (expected == QLatin1String("half"))
        QCOMPARE(result, processor.rotateRight(processor.rotateRight(image)));
    else if (expected == QLatin1String("whole"))
        QCOMPARE(result, rotated);
    else
        QCOMPARE(result, processor.cropToRotatedContent(rotated, angle));
    QVERIFY(result.width() > 1 && result.height() > 1);
    QCOMPARE(progressValues(progress), QList<int>({ 0, 80, 100 }));
}

void ImageProcessorAdjustTest::cropToRotatedContentSize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("angle");
    QTest::addColumn<QRect>("expected");
    // 200 cos 2° − 100 sin 2° = 196.39, 100 cos 2° − 200 sin 2° = 92.96
    QTest::newRow("2 degrees") << QSize(200, 100) << 2.0 << QRect(2, 4, 196, 92);
    QTest::newRow("negative angle uses its size") << QSize(200, 100) << -2.0 << QRect(2, 4, 196, 92);
    QTest::newRow("below 0.1 is a copy") << QSize(200, 100) << 0.05 << QRect(0, 0, 200, 100);
    // At 45° a square has no inner area left; the crop keeps at least one pixel.
    QTest::newRow("45 degrees keeps one pixel") << QSize(50, 50) << 45.0 << QRect(24, 24, 1, 1);
}

void ImageProcessorAdjustTest::cropToRotatedContentSize()
{
    QFETCH(QSize, size);
    QFETCH(double, angle);
    QFETCH(QRect, expected);
    ImageProcessor processor;
    const QImage image = numbered(size.width(), size.height());
    QCOMPARE(processor.cropToRotatedContent(image, angle), image.copy(expected));
}

void ImageProcessorAdjustTest::cropImage_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<bool>("valid");
    QTest::newRow("inside") << QRect(1, 1, 2, 2) << true;
    QTest::newRow("touching the edges") << QRect(0, 0, 5, 4) << true;
    QTest::newRow("one pixel past the right edge") << QRect(1, 0, 5, 4) << false;
    QTest::newRow("one pixel past the bottom") << QRect(0, 1, 5, 4) << false;
    QTest::newRow("negative origin") << QRect(-1, 0, 2, 2) << false;
    QTest::newRow("empty") << QRect(2, 2, 0, 0) << false;
}

void ImageProcessorAdjustTest::cropImage()
{
    QFETCH(QRect, rect);
    QFETCH(bool, valid);
    ImageProcessor processor;
    const QImage image = numbered(5, 4);
    LogCapture capture;
    const QImage result = processor.cropImage(image, rect);
    if (valid) {
        QCOMPARE(result, image.copy(rect));
        QCOMPARE(capture.lines(),
            QStringList { QStringLiteral("图像已裁剪至:  QRect(%1,%2 %3x%4)")
                              .arg(rect.x())
                              .arg(rect.y())
                              .arg(rect.width())
                              .arg(rect.height()) });
    } else {
        QCOMPARE(result, image);
        QCOMPARE(capture.lines(), QStringList { "无效的裁剪区域" });
    }
}

void ImageProcessorAdjustTest::brightnessContrast_data()
{
    QTest::addColumn<int>("brightness");
    QTest::addColumn<int>("contrast");
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("log");
    QTest::newRow("brightness 100 on mid-grey") << 100 << 0 << 127 << 255 << "已调整亮度:  100 , 对比度:  0";
    QTest::newRow("brightness -100 on mid-grey") << -100 << 0 << 127 << 0 << "已调整亮度:  -100 , 对比度:  0";
    QTest::newRow("brightness 30 adds 76") << 30 << 0 << 100 << 176 << "已调整亮度:  30 , 对比度:  0";
    QTest::newRow("brightness -30 subtracts 76") << -30 << 0 << 100 << 24 << "已调整亮度:  -30 , 对比度:  0";
    QTest::newRow("arguments are clamped") << 150 << -300 << 0 << 255 << "已调整亮度:  100 , 对比度:  -100";
    QTest::newRow("contrast 100 doubles the distance") << 0 << 100 << 150 << 173 << "已调整亮度:  0 , 对比度:  100";
    QTest::newRow("contrast 100 clamps") << 0 << 100 << 200 << 255 << "已调整亮度:  0 , 对比度:  100";
    QTest::newRow("contrast -100 halves, truncating") << 0 << -100 << 200 << 163 << "已调整亮度:  0 , 对比度:  -100";
    QTest::newRow("contrast -100 below mid-grey") << 0 << -100 << 100 << 113 << "已调整亮度:  0 , 对比度:  -100";
    QTest::newRow("contrast 50 truncates toward zero") << 0 << 50 << 100 << 86 << "已调整亮度:  0 , 对比度:  50";
    // (0 − 127) × 1.5 + 127 = −63.5: clamped to 0 before the brightness is added.
    QTest::newRow("contrast clamps before brightness") << 20 << 50 << 0 << 51 << "已调整亮度:  20 , 对比度:  50";
}

void ImageProcessorAdjustTest::brightnessContrast()
{
    QFETCH(int, brightness);
    QFETCH(int, contrast);
    QFETCH(int, input);
    QFETCH(int, expected);
    QFETCH(QString, log);
    ImageProcessor processor;
    const QImage image = filled(3, 2, qRgba(input, input, input, 0x80));
    LogCapture capture;
    const QImage result = processor.adjustBrightnessContrast(image, brightness, contrast);
    QCOMPARE(result.format(), QImage::Format_ARGB32);
    QCOMPARE(result.pixel(2, 1), qRgba(expected, expected, expected, 0x80));
    QCOMPARE(capture.lines(), QStringList { log });
    QCOMPARE(image.pixel(2, 1), qRgba(input, input, input, 0x80));
}

void ImageProcessorAdjustTest::progressEveryTwentiethRow()
{
    ImageProcessor processor;
    const QImage image = filled(2, 45, qRgb(1, 2, 3));
    QSignalSpy spy(&processor, &ImageProcessor::processingProgress);
    processor.adjustBrightnessContrast(image, 10, 10);
    QCOMPARE(progressValues(spy), QList<int>({ 0, 44, 88, 100 }));
    spy.clear();
    processor.autoLevel(numbered(2, 45));
    QCOMPARE(progressValues(spy), QList<int>({ 0, 22, 44, 50, 72, 94, 100 }));
}

void ImageProcessorAdjustTest::progressOnPagesSharedBetweenThreads()
{
    // Large enough to be spread over the cores: the values are still those of a plain
    // row loop, in order.
    ImageProcessor processor;
    const QImage image = filled(400, 701, qRgb(1, 2, 3));
    QList<int> expected;
    for (int y = 0; y < 701; y += 20)
        expected << y * 100 / 701;
    expected << 100;
    QSignalSpy spy(&processor, &ImageProcessor::processingProgress);
    processor.applyGamma(image, 1.5);
    QCOMPARE(progressValues(spy), expected);
    spy.clear();
    processor.applyKernel(image, { 0.5, 0.5 }, 1);
    QCOMPARE(progressValues(spy), expected);
}

void ImageProcessorAdjustTest::hueSaturation_data()
{
    QTest::addColumn<QRgb>("input");
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<QRgb>("expected");
    QTest::newRow("hue +30 on red") << qRgb(255, 0, 0) << 30 << 0 << qRgb(255, 128, 0);
    QTest::newRow("hue -30 wraps to 330") << qRgb(255, 0, 0) << -30 << 0 << qRgb(255, 0, 128);
    QTest::newRow("hue is clamped to 180") << qRgb(255, 0, 0) << 250 << 0 << qRgb(0, 255, 255);
    QTest::newRow("grey keeps its hue, alpha becomes 255") << qRgba(90, 90, 90, 0x40) << 60 << 50 << qRgb(90, 90, 90);
    QTest::newRow("saturation -100 gives grey") << qRgb(200, 100, 50) << 0 << -100 << qRgb(200, 200, 200);
    // s = 128, k = 1.3: trunc(166.4) = 166.
    QTest::newRow("saturation +30 truncates") << qRgb(254, 127, 127) << 0 << 30 << QColor::fromHsv(0, 166, 254).rgb();
    QTest::newRow("alpha of a colour becomes 255") << qRgba(0, 0, 255, 0) << 0 << 0 << qRgb(0, 0, 255);
}

void ImageProcessorAdjustTest::hueSaturation()
{
    QFETCH(QRgb, input);
    QFETCH(int, hue);
    QFETCH(int, saturation);
    QFETCH(QRgb, expected);
    ImageProcessor processor;
    QSignalSpy spy(&processor, &ImageProcessor::processingProgress);
    LogCapture capture;
    const QImage result = processor.adjustHueSaturation(filled(2, 2, input), hue, saturation);
    QCOMPARE(result.pixel(1, 1), expected);
    QCOMPARE(progressValues(spy), QList<int>({ 0, 0, 100 }));
    const int h = qBound(-180, hue, 180);
    QCOMPARE(capture.lines(),
        QStringList({ QStringLiteral("开始调整色度:  %1 , 饱和度:  %2").arg(h).arg(saturation),
            QStringLiteral("已调整色度:  %1 , 饱和度:  %2").arg(h).arg(saturation) }));
}

void ImageProcessorAdjustTest::autoLevelSingleColourIsUnchanged()
{
    ImageProcessor processor;
    const QImage image = filled(4, 3, qRgb(10, 20, 30), QImage::Format_RGB888);
    LogCapture capture;
    const QImage result = processor.autoLevel(image);
    QCOMPARE(result.format(), QImage::Format_RGB888);
    QCOMPARE(result, image);
    QCOMPARE(capture.lines(), QStringList { "图像已经是最佳水平，无需自动调整" });
}

void ImageProcessorAdjustTest::autoLevelStretchesEachChannel()
{
    ImageProcessor processor;
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(50, 10, 0, 7));
    image.setPixel(1, 0, qRgba(125, 10, 255, 8));
    image.setPixel(2, 0, qRgba(200, 10, 100, 9));
    LogCapture capture;
    const QImage result = processor.autoLevel(image);
    // Red 50..200 spans 0..255 (75 × 1.7 = 127.5 → 127); a constant green drops to
    // v − min = 0; blue already spans 0..255.
    QCOMPARE(result.pixel(0, 0), qRgba(0, 0, 0, 7));
    QCOMPARE(result.pixel(1, 0), qRgba(127, 0, 255, 8));
    QCOMPARE(result.pixel(2, 0), qRgba(255, 0, 100, 9));
    QCOMPARE(capture.lines(), QStringList { "已自动调整图像水平" });
}

void ImageProcessorAdjustTest::toBinaryThreshold_data()
{
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QVector<int>>("expected");
    QTest::newRow("128: equal is black") << 128 << QVector<int>({ 0, 0, 0, 1, 1 });
    QTest::newRow("129") << 129 << QVector<int>({ 0, 0, 0, 0, 1 });
    QTest::newRow("0: only black stays black") << 0 << QVector<int>({ 0, 1, 1, 1, 1 });
}

void ImageProcessorAdjustTest::toBinaryThreshold()
{
    QFETCH(int, threshold);
    QFETCH(QVector<int>, expected);
    ImageProcessor processor;
    LogCapture capture;
    const QImage result = processor.toBinary(grayRow({ 0, 127, 128, 129, 255 }), threshold);
    QCOMPARE(result.format(), QImage::Format_Mono);
    QCOMPARE(result.colorTable(), QVector<QRgb>({ qRgb(0, 0, 0), qRgb(255, 255, 255) }));
    QCOMPARE(monoRow(result), expected);
    QCOMPARE(capture.lines(),
        QStringList({ "图像已转换为灰度", QStringLiteral("图像已转换为二值图像，阈值:  %1").arg(threshold) }));
}

void ImageProcessorAdjustTest::autoThreshold_data()
{
    QTest::addColumn<QVector<int>>("values");
    QTest::addColumn<int>("expected");
    QTest::newRow("two grey values: the first of the tie wins") << QVector<int>({ 50, 200, 50, 200 }) << 50;
    QTest::newRow("one grey value") << QVector<int>({ 77, 77, 77 }) << 0;
    // Classes {10} and {20, 200}: t = 10 gives 1·2·(10 − 110)² = 20000, t = 20 gives
    // 2·1·(15 − 200)² = 68450.
    QTest::newRow("three values") << QVector<int>({ 10, 20, 200 }) << 20;
}

void ImageProcessorAdjustTest::autoThreshold()
{
    QFETCH(QVector<int>, values);
    QFETCH(int, expected);
    ImageProcessor processor;
    LogCapture capture;
    QCOMPARE(processor.computeAutoThreshold(grayRow(values)), expected);
    QCOMPARE(capture.lines(), QStringList({ "图像已转换为灰度", QStringLiteral("自动计算的阈值:  %1").arg(expected) }));
}

void ImageProcessorAdjustTest::binarizeClampsThreshold_data()
{
    QTest::addColumn<int>("threshold");
    QTest::addColumn<QVector<int>>("expected");
    QTest::newRow("300 is 255: all black") << 300 << QVector<int>({ 0, 0, 0, 0 });
    QTest::newRow("-5 is 0") << -5 << QVector<int>({ 0, 1, 1, 1 });
    QTest::newRow("-1 is automatic (50)") << -1 << QVector<int>({ 0, 0, 1, 1 });
}

void ImageProcessorAdjustTest::binarizeClampsThreshold()
{
    QFETCH(int, threshold);
    QFETCH(QVector<int>, expected);
    ImageProcessor processor;
    QCOMPARE(monoRow(processor.binarize(grayRow({ 0, 50, 200, 255 }), threshold)), expected);
}

void ImageProcessorAdjustTest::gamma_data()
{
    QTest::addColumn<double>("gamma");
    QTest::addColumn<QVector<int>>("expected");
    // trunc(sqrt(64 / 255) × 255) = trunc(127.75)
    QTest::newRow("2.0") << 2.0 << QVector<int>({ 0, 127, 255 });
    QTest::newRow("1.0 is identity") << 1.0 << QVector<int>({ 0, 64, 255 });
    QTest::newRow("0.5 squares") << 0.5 << QVector<int>({ 0, 16, 255 });
    // Out of the expected range: no crash, the values saturate.
    QTest::newRow("0 turns all but white black") << 0.0 << QVector<int>({ 0, 0, 255 });
    QTest::newRow("-1 saturates") << -1.0 << QVector<int>({ 255, 255, 255 });
}

void ImageProcessorAdjustTest::gamma()
{
    QFETCH(double, gamma);
    QFETCH(QVector<int>, expected);
    ImageProcessor processor;
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 1));
    image.setPixel(1, 0, qRgba(64, 64, 64, 2));
    image.setPixel(2, 0, qRgba(255, 255, 255, 3));
    LogCapture capture;
    const QImage result = processor.applyGamma(image, gamma);
    for (int x = 0; x < 3; ++x)
        QCOMPARE(result.pixel(x, 0), qRgba(expected[x], expected[x], expected[x], x + 1));
    QCOMPARE(capture.lines(), QStringList { QStringLiteral("已应用伽马校正:  %1").arg(gamma) });
}

void ImageProcessorAdjustTest::kernelIsNotMirroredAndRepeatsEdges()
{
    ImageProcessor processor;
    const QImage image = numbered(4, 3);
    // A single weight in the top-left cell reads the pixel up and to the left.
    const QImage result = processor.applyKernel(image, { 1, 0, 0, 0, 0, 0, 0, 0, 0 }, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            QCOMPARE(result.pixel(x, y), image.pixel(qMax(0, x - 1), qMax(0, y - 1)));
    QCOMPARE(processor.applyKernel(image, { 0, 0, 0, 0, 1, 0, 0, 0, 0 }, 3), image);
}

void ImageProcessorAdjustTest::kernelClampsEveryChannelIncludingAlpha()
{
    ImageProcessor processor;
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(10, 200, 100, 255));
    image.setPixel(1, 0, qRgba(20, 100, 100, 255));
    image.setPixel(2, 0, qRgba(30, 0, 100, 255));
    // Horizontal difference right − left: the weights sum to 0, so alpha becomes 0.
    const QImage result = processor.applyKernel(image, { 0, 0, 0, -1, 0, 1, 0, 0, 0 }, 3);
    QCOMPARE(result.pixel(0, 0), qRgba(10, 0, 0, 0));
    QCOMPARE(result.pixel(1, 0), qRgba(20, 0, 0, 0));
    QCOMPARE(result.pixel(2, 0), qRgba(10, 0, 0, 0));
    // 2.5 × value truncates and clamps.
    const QImage scaled = processor.applyKernel(image, { 2.5 }, 1);
    QCOMPARE(scaled.pixel(0, 0), qRgba(25, 255, 250, 255));
}

void ImageProcessorAdjustTest::kernelWithoutWeightsReturnsCopy_data()
{
    QTest::addColumn<QVector<double>>("kernel");
    QTest::addColumn<int>("size");
    QTest::newRow("empty kernel") << QVector<double>() << 3;
    QTest::newRow("size 0") << QVector<double>({ 1.0 }) << 0;
    QTest::newRow("negative size") << QVector<double>({ 1.0 }) << -1;
    QTest::newRow("fewer weights than size × size") << QVector<double>({ 1, 1, 1, 1 }) << 3;
}

void ImageProcessorAdjustTest::kernelWithoutWeightsReturnsCopy()
{
    QFETCH(QVector<double>, kernel);
    QFETCH(int, size);
    ImageProcessor processor;
    const QImage image = numbered(4, 3).convertToFormat(QImage::Format_RGB888);
    LogCapture capture;
    QCOMPARE(processor.applyKernel(image, kernel, size), image);
    QVERIFY(capture.lines().isEmpty());
}

QTEST_MAIN(ImageProcessorAdjustTest)
#include "tst_imageprocessor_adjust.moc"
