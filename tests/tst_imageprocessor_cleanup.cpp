// Document clean-up of ImageProcessor: enhancement, background removal, bleaching,
// border removal, sharpening and denoising.
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

#include "imaging/imageprocessor.h"
#include "tests/support/logcapture.h"

class ImageProcessorCleanupTest : public QObject
{
    Q_OBJECT

private slots:
    void nullInput_data();
    void nullInput();
    void removeBackground_data();
    void removeBackground();
    void removeBackgroundOnDarkPageUses255();
    void bleach_data();
    void bleach();
    void bleachBackgroundChoice_data();
    void bleachBackgroundChoice();
    void bleachWithoutBrightColourReportsBlack();
    void bleachProgressOnShortPages_data();
    void bleachProgressOnShortPages();
    void removeBorder_data();
    void removeBorder();
    void sharpenKernel_data();
    void sharpenKernel();
    void denoiseKernel_data();
    void denoiseKernel();
    void enhanceColorDocumentBoostsInHsv_data();
    void enhanceColorDocumentBoostsInHsv();
    void enhanceDocumentChainsBothSteps();
    void enhanceDocumentFollowsShadedPaper_data();
    void enhanceDocumentFollowsShadedPaper();
};

namespace {

QImage filled(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QList<int> progressValues(const QSignalSpy &spy)
{
    QList<int> values;
    for (const QList<QVariant> &arguments : spy)
        values << arguments.at(0).toInt();
    return values;
}

QImage randomImage(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.generate());
    return image;
}

// An A4 page at dpi whose paper runs from grey top to grey bottom (with a little
// sensor noise), lines of dark strokes on its left three fifths and nothing on the
// rest.
QImage shadedPage(int dpi, int top, int bottom)
{
    QImage page(dpi * 827 / 100, dpi * 1169 / 100, QImage::Format_RGB32);
    QRandomGenerator noise(7);
    for (int y = 0; y < page.height(); ++y) {
        const double paper = top + double(bottom - top) * y / (page.height() - 1);
        auto *line = reinterpret_cast<QRgb *>(page.scanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            const int level = int(paper + noise.generateDouble() * 5.0 - 2.5);
            line[x] = qRgb(level, level, level - 4);
        }
    }
    QPainter painter(&page);
    painter.setPen(QPen(QColor(30, 30, 40), dpi / 100));
    for (int baseline = dpi; baseline < page.height() - dpi; baseline += dpi / 6)
        for (int x = dpi; x < page.width() * 3 / 5 - dpi / 10; x += dpi / 25)
            painter.drawLine(x, baseline - dpi / 12, x + dpi / 50, baseline);
    return page;
}

QVector<double> gaussian(int size, double sigma)
{
    QVector<double> kernel;
    double sum = 0;
    for (int i = -(size / 2); i <= size / 2; ++i) {
        for (int j = -(size / 2); j <= size / 2; ++j) {
            kernel << std::exp(-(i * i + j * j) / (2 * sigma * sigma));
            sum += kernel.last();
        }
    }
    for (double &w : kernel)
        w /= sum;
    return kernel;
}

} // namespace

void ImageProcessorCleanupTest::nullInput_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("enhanceDocument") << "enhanceDocument" << QStringList { "无法增强空图像" };
    QTest::newRow("enhanceColorDocument")
        << "enhanceColorDocument" << QStringList({ "开始彩色文档增强...", "无法锐化空图像", "彩色文档增强完成" });
    QTest::newRow("removeBackground") << "removeBackground"
                                      << QStringList(
                                             { "开始去除背景，保留内容...", "检测到背景亮度: 255", "背景去除完成" });
    QTest::newRow("bleach") << "bleach" << QStringList { "无法漂白空图像" };
    QTest::newRow("removeBorder") << "removeBorder" << QStringList { "无法处理空图像" };
    QTest::newRow("sharpen") << "sharpen" << QStringList { "无法锐化空图像" };
    QTest::newRow("denoise") << "denoise" << QStringList { "无法去噪空图像" };
}

void ImageProcessorCleanupTest::nullInput()
{
    QFETCH(QString, operation);
    QFETCH(QStringList, log);
    ImageProcessor processor;
    const QImage null;
    LogCapture capture;
    QImage result(1, 1, QImage::Format_ARGB32);
    if (operation == "enhanceDocument")
        result = processor.enhanceDocument(null);
    else if (operation == "enhanceColorDocument")
        result = processor.enhanceColorDocument(null);
    else if (operation == "removeBackground")
        result = processor.removeBackground(null);
    else if (operation == "bleach")
        result = processor.bleach(null, 240, 80);
    else if (operation == "removeBorder")
        result = processor.removeBorder(null, 10);
    else if (operation == "sharpen")
        result = processor.sharpen(null, 50);
    else if (operation == "denoise")
        result = processor.denoise(null, 45);
    QVERIFY(result.isNull());
    QCOMPARE(capture.lines(), log);
}

void ImageProcessorCleanupTest::removeBackground_data()
{
    // Paper brightness 230: T = 200, lift f = (L − 200) × 255 / 55.
    QTest::addColumn<QRgb>("input");
    QTest::addColumn<QRgb>("expected");
    // f = 15 × 255 / 55 = 69; 215 + 40 × 69 / 255 = 225.
    QTest::newRow("grey 215") << qRgba(215, 215, 215, 0x33) << qRgba(225, 225, 225, 0x33);
    QTest::newRow("colour of brightness 215") << qRgb(220, 210, 215) << qRgb(229, 222, 225);
    QTest::newRow("white stays white") << qRgb(255, 255, 255) << qRgb(255, 255, 255);
    // f = 255 × 1 / 55 = 4; 201 + 54 × 4 / 255 = 201.
    QTest::newRow("brightness 201 barely lifts") << qRgb(201, 201, 201) << qRgb(201, 201, 201);
    QTest::newRow("brightness 200 is content") << qRgb(200, 200, 200) << qRgb(221, 221, 221);
    // (150 − 127) × 1.3 + 127 = 156.9
    QTest::newRow("brightness 150 gains contrast") << qRgb(150, 150, 150) << qRgb(156, 156, 156);
    QTest::newRow("dark ink clamps at 0") << qRgb(10, 20, 30) << qRgb(0, 0, 0);
}

void ImageProcessorCleanupTest::removeBackground()
{
    QFETCH(QRgb, input);
    QFETCH(QRgb, expected);
    ImageProcessor processor;
    QImage image = filled(20, 20, qRgb(230, 230, 230));
    image.setPixel(3, 3, input);
    LogCapture capture;
    const QImage result = processor.removeBackground(image);
    QCOMPARE(result.pixel(3, 3), expected);
    QCOMPARE(capture.lines(), QStringList({ "开始去除背景，保留内容...", "检测到背景亮度: 230", "背景去除完成" }));
}

void ImageProcessorCleanupTest::removeBackgroundOnDarkPageUses255()
{
    ImageProcessor processor;
    QImage image = filled(10, 10, qRgb(120, 120, 120));
    image.setPixel(5, 5, qRgb(226, 226, 226));
    QSignalSpy progress(&processor, &ImageProcessor::processingProgress);
    LogCapture capture;
    const QImage result = processor.removeBackground(image);
    QVERIFY(capture.contains("检测到背景亮度: 255"));
    // T = 225: f = 255 / 30 = 8; 226 + 29 × 8 / 255 = 226.
    QCOMPARE(result.pixel(5, 5), qRgb(226, 226, 226));
    QCOMPARE(result.pixel(0, 0), qRgb(117, 117, 117));
    QCOMPARE(progressValues(progress), QList<int>({ 50 }));
}

void ImageProcessorCleanupTest::bleach_data()
{
    // Background (230, 220, 210), threshold 200: D = 165.
    QTest::addColumn<QRgb>("input");
    QTest::addColumn<int>("strength");
    QTest::addColumn<QRgb>("expected");
    QTest::newRow("background colour, k = 0.8") << qRgba(230, 220, 210, 0x44) << 80 << qRgba(250, 248, 246, 0x44);
    QTest::newRow("background colour, k = 1") << qRgb(230, 220, 210) << 100 << qRgb(255, 255, 255);
    // diff 33: k = 0.8 × 0.8 = 0.64
    QTest::newRow("diff 33") << qRgb(197, 220, 210) << 80 << qRgb(234, 242, 238);
    QTest::newRow("diff 165 is untouched") << qRgb(65, 220, 210) << 80 << qRgb(65, 220, 210);
    QTest::newRow("brightness 150 is untouched") << qRgb(150, 150, 150) << 80 << qRgb(150, 150, 150);
    // A strength outside the dialog's range neither wraps nor overflows.
    QTest::newRow("negative strength stays at 0") << qRgb(230, 220, 210) << -1000 << qRgb(0, 0, 0);
    QTest::newRow("huge strength stays at 255") << qRgb(230, 220, 210) << 2000000000 << qRgb(255, 255, 255);
}

void ImageProcessorCleanupTest::bleach()
{
    QFETCH(QRgb, input);
    QFETCH(int, strength);
    QFETCH(QRgb, expected);
    ImageProcessor processor;
    QImage image = filled(20, 20, qRgb(230, 220, 210));
    image.setPixel(7, 7, input);
    LogCapture capture;
    const QImage result = processor.bleach(image, 200, strength);
    QCOMPARE(result.pixel(7, 7), expected);
    QCOMPARE(capture.lines(),
        QStringList({ QStringLiteral("开始图片漂白处理，阈值: 200 强度: %1").arg(strength),
            QStringLiteral("检测到背景色 RGB: 230 220 210 出现次数: %1").arg(input == qRgb(230, 220, 210) ? 400 : 399),
            "图片漂白处理完成" }));
}

void ImageProcessorCleanupTest::bleachBackgroundChoice_data()
{
    // Colours are walked in ascending ARGB order: 210 grey first, then 230 grey.
    QTest::addColumn<int>("darkerCount");
    QTest::addColumn<int>("brighterCount");
    QTest::addColumn<QString>("expected");
    QTest::newRow("brighter with more than 80% of the count wins") << 10 << 9 << "230 230 230 出现次数: 9";
    QTest::newRow("exactly 80% does not") << 10 << 8 << "210 210 210 出现次数: 10";
    QTest::newRow("more wins outright") << 5 << 30 << "230 230 230 出现次数: 30";
}

void ImageProcessorCleanupTest::bleachBackgroundChoice()
{
    QFETCH(int, darkerCount);
    QFETCH(int, brighterCount);
    QFETCH(QString, expected);
    QImage image = filled(darkerCount + brighterCount, 1, qRgb(210, 210, 210));
    for (int x = darkerCount; x < image.width(); ++x)
        image.setPixel(x, 0, qRgb(230, 230, 230));
    ImageProcessor processor;
    LogCapture capture;
    processor.bleach(image, 200, 80);
    QCOMPARE(capture.linesStartingWith("检测到背景色 RGB:"), QStringList { "检测到背景色 RGB: " + expected });
}

void ImageProcessorCleanupTest::bleachWithoutBrightColourReportsBlack()
{
    ImageProcessor processor;
    const QImage image = filled(5, 5, qRgb(100, 100, 100));
    LogCapture capture;
    QCOMPARE(processor.bleach(image, 200, 80), image);
    QVERIFY(capture.contains("检测到背景色 RGB: 0 0 0 出现次数: 0"));
}

void ImageProcessorCleanupTest::bleachProgressOnShortPages_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<QList<int>>("expected");
    // Shorter than 10 rows: both loops report on every row.
    QTest::newRow("5 rows") << 5 << QList<int>({ 0, 10, 14, 18, 22, 26, 30, 30, 44, 58, 72, 86, 100 });
    // 20 rows: sampling every 2nd row, pixel pass every row (20 / 50 = 0).
    QTest::newRow("20 rows") << 20
                             << QList<int>({ 0, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 30, 33, 37, 40, 44, 47, 51,
                                    54, 58, 61, 65, 68, 72, 75, 79, 82, 86, 89, 93, 96, 100 });
}

void ImageProcessorCleanupTest::bleachProgressOnShortPages()
{
    QFETCH(int, height);
    QFETCH(QList<int>, expected);
    ImageProcessor processor;
    QImage image = filled(3, height, qRgb(230, 230, 230));
    image.setPixel(2, height - 1, qRgb(225, 225, 225));
    QSignalSpy progress(&processor, &ImageProcessor::processingProgress);
    const QImage result = processor.bleach(image, 200, 100);
    QCOMPARE(progressValues(progress), expected);
    // Every pixel is still processed, the last row included: diff 15 gives k = 150 / 165.
    QCOMPARE(result.pixel(2, height - 1), qRgb(252, 252, 252));
    QCOMPARE(result.pixel(0, 0), qRgb(255, 255, 255));
}

void ImageProcessorCleanupTest::removeBorder_data()
{
    QTest::addColumn<int>("border");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("100 is limited to a quarter of 300") << 100 << QRect(75, 75, 250, 150);
    QTest::newRow("10") << 10 << QRect(10, 10, 380, 280);
    QTest::newRow("0 returns the input") << 0 << QRect(0, 0, 400, 300);
    QTest::newRow("negative returns the input") << -5 << QRect(0, 0, 400, 300);
}

void ImageProcessorCleanupTest::removeBorder()
{
    QFETCH(int, border);
    QFETCH(QRect, expected);
    ImageProcessor processor;
    const QImage image = randomImage(400, 300, 3).convertToFormat(QImage::Format_RGB888);
    LogCapture capture;
    const QImage result = processor.removeBorder(image, border);
    QCOMPARE(result.format(), QImage::Format_RGB888);
    QCOMPARE(result, image.copy(expected));
    if (border > 0)
        QCOMPARE(capture.lines(),
            QStringList { QStringLiteral("图像已裁剪至:  QRect(%1,%1 %2x%3)")
                              .arg(expected.x())
                              .arg(expected.width())
                              .arg(expected.height()) });
    else
        QVERIFY(capture.lines().isEmpty());
}

void ImageProcessorCleanupTest::sharpenKernel_data()
{
    QTest::addColumn<int>("strength");
    QTest::addColumn<double>("k");
    QTest::newRow("50: −0.5 around, 5 in the centre") << 50 << 0.5;
    QTest::newRow("40") << 40 << 0.4;
    QTest::newRow("above 100 is 1") << 150 << 1.0;
    QTest::newRow("0 is a copy") << 0 << 0.0;
}

void ImageProcessorCleanupTest::sharpenKernel()
{
    QFETCH(int, strength);
    QFETCH(double, k);
    ImageProcessor processor;
    // A 60 centre in a 50 surround: 5 × 60 − 8 × 0.5 × 50 = 100 at strength 50.
    QImage image = filled(3, 3, qRgb(50, 50, 50));
    image.setPixel(1, 1, qRgb(60, 60, 60));
    const QImage result = processor.sharpen(image, strength);
    if (k == 0.0) {
        QCOMPARE(result, image);
        return;
    }
    QVector<double> kernel(9, -k);
    kernel[4] = 8 * k + 1;
    QCOMPARE(result, processor.applyKernel(image, kernel, 3));
    if (strength == 50)
        QCOMPARE(qRed(result.pixel(1, 1)), 100);
}

void ImageProcessorCleanupTest::denoiseKernel_data()
{
    QTest::addColumn<int>("strength");
    QTest::addColumn<int>("size");
    QTest::addColumn<double>("sigma");
    QTest::newRow("45: 7 x 7, sigma 1.4") << 45 << 7 << 1.4;
    QTest::newRow("19: 3 x 3, sigma 0.8") << 19 << 3 << 0.8;
    QTest::newRow("100: 13 x 13") << 100 << 13 << 2.3;
    QTest::newRow("above 100 is 13 x 13") << 250 << 13 << 2.3;
}

void ImageProcessorCleanupTest::denoiseKernel()
{
    QFETCH(int, strength);
    QFETCH(int, size);
    QFETCH(double, sigma);
    ImageProcessor processor;
    const QImage image = randomImage(31, 29, quint32(strength));
    QCOMPARE(processor.denoise(image, strength), processor.applyKernel(image, gaussian(size, sigma), size));
    QCOMPARE(processor.denoise(image, 0), image);
}

void ImageProcessorCleanupTest::enhanceColorDocumentBoostsInHsv_data()
{
    QTest::addColumn<QRgb>("input");
    QTest::addColumn<QRgb>("boosted");
    // s 128 → trunc(166.4); v 200 ≥ 128 → trunc(220.0)
    QTest::newRow("light colour") << qRgba(200, 100, 100, 0x10) << QColor::fromHsv(0, 166, 220).rgb();
    // v 100 < 128 → trunc(80.0); s 255 stays 255
    QTest::newRow("dark colour") << qRgb(0, 100, 0) << QColor::fromHsv(120, 255, 80).rgb();
    // v 240 → min(255, 264)
    QTest::newRow("light grey saturates v") << qRgb(240, 240, 240) << qRgb(255, 255, 255);
}

void ImageProcessorCleanupTest::enhanceColorDocumentBoostsInHsv()
{
    QFETCH(QRgb, input);
    QFETCH(QRgb, boosted);
    ImageProcessor processor;
    LogCapture capture;
    const QImage result = processor.enhanceColorDocument(filled(4, 4, input));
    QCOMPARE(result, processor.sharpen(filled(4, 4, boosted), 40));
    QCOMPARE(capture.lines().first(), QStringLiteral("开始彩色文档增强..."));
    QCOMPARE(capture.lines().at(1), QStringLiteral("彩色文档增强完成"));
}

void ImageProcessorCleanupTest::enhanceDocumentChainsBothSteps()
{
    ImageProcessor processor;
    const QImage image = randomImage(40, 30, 11);
    const QImage expected = processor.removeBackground(processor.enhanceColorDocument(image));
    QSignalSpy progress(&processor, &ImageProcessor::processingProgress);
    LogCapture capture;
    QCOMPARE(processor.enhanceDocument(image), expected);
    QCOMPARE(capture.lines().first(), QStringLiteral("开始文档增强处理（保留彩色，突出内容）..."));
    QCOMPARE(capture.lines().last(), QStringLiteral("文档增强完成"));
    const QList<int> values = progressValues(progress);
    QCOMPARE(values.first(), 0);
    QCOMPARE(values.last(), 100);
    QVERIFY(values.contains(50));
}

QTEST_MAIN(ImageProcessorCleanupTest)
#include "tst_imageprocessor_cleanup.moc"

void ImageProcessorCleanupTest::enhanceDocumentFollowsShadedPaper_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bottom");
    QTest::addColumn<int>("passes");
    QTest::newRow("darkening downwards, 300 dpi") << 300 << 240 << 195 << 1;
    QTest::newRow("darkening downwards, 300 dpi, twice") << 300 << 240 << 195 << 2;
    QTest::newRow("darkening downwards, 150 dpi, twice") << 150 << 240 << 195 << 2;
    QTest::newRow("lightening downwards, 300 dpi") << 300 << 190 << 245 << 1;
    QTest::newRow("strong shadow, 150 dpi") << 150 << 250 << 150 << 1;
}

// Enhancement follows the paper however it is shaded: along a text-free strip the
// row means change by a few grey levels at most from one row to the next (the
// sharpening of a pass lifts the paper's grain by about that much).
void ImageProcessorCleanupTest::enhanceDocumentFollowsShadedPaper()
{
    QFETCH(int, dpi);
    QFETCH(int, top);
    QFETCH(int, bottom);
    QFETCH(int, passes);
    ImageProcessor processor;
    QImage page = shadedPage(dpi, top, bottom);
    for (int pass = 0; pass < passes; ++pass)
        page = processor.enhanceDocument(page);
    const int left = page.width() * 13 / 20;
    double previous = -1;
    for (int y = 0; y < page.height(); ++y) {
        double sum = 0;
        for (int x = left; x < page.width(); ++x)
            sum += qGray(page.pixel(x, y));
        const double mean = sum / (page.width() - left);
        if (previous >= 0 && std::abs(mean - previous) > 4.0)
            QFAIL(qPrintable(QStringLiteral("row %1: %2 -> %3").arg(y).arg(previous).arg(mean)));
        previous = mean;
    }
}
