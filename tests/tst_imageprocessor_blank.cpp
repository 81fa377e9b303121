// Blank-page test of ImageProcessor: region weighting, sampling step, margins, log lines.
#include <QtTest>

#include "imaging/imageprocessor.h"
#include "tests/support/logcapture.h"

class ImageProcessorBlankTest : public QObject
{
    Q_OBJECT

private slots:
    void whitePageIsBlankAndLogsBothLines();
    void bands_data();
    void bands();
    void samplingStep_data();
    void samplingStep();
    void onePixelPageIsBlank();
    void greyEqualToThresholdCountsAsWhite_data();
    void greyEqualToThresholdCountsAsWhite();
    void nullPageIsNotBlank();
    void otherFormatsAreJudgedOnTheirGrey();
};

namespace {

QImage page(int width, int height, int grey = 255)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(uint(grey));
    return image;
}

void paintRows(QImage &image, int firstRow, int rowCount, int grey = 0)
{
    for (int y = firstRow; y < firstRow + rowCount; ++y)
        memset(image.scanLine(y), grey, size_t(image.width()));
}

} // namespace

void ImageProcessorBlankTest::whitePageIsBlankAndLogsBothLines()
{
    ImageProcessor processor;
    LogCapture capture;
    QVERIFY(processor.isBlankPage(page(100, 100).convertToFormat(QImage::Format_ARGB32), 240, 0.98));
    QCOMPARE(capture.lines(),
        QStringList({ "空白页检测: 图像尺寸 100 x 100 , 忽略边缘 1 x 1 , 检测区域 98 x 98",
            "空白页检测（区域加权）: 上部= \"100.0\" % , 中部= \"100.0\" % , 下部= \"100.0\" % , 加权平均= \"100.0\" % "
            " "
            "(阈值: \"98.0\" %) , 结果: 空白页" }));
}

void ImageProcessorBlankTest::bands_data()
{
    // 300 × 300: margins 3, sampled rows 3..296, top rows < 101, bottom rows >= 199,
    // 98 middle rows; every row counts the same 294 samples.
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<bool>("blank");
    QTest::addColumn<double>("ratio");
    QTest::newRow("band across the top tenth") << 0 << 30 << false << 0.98;
    QTest::newRow("band across the bottom tenth") << 270 << 30 << false << 0.98;
    QTest::newRow("a header line of 4 rows") << 10 << 4 << true << 0.98;
    QTest::newRow("a header line of 5 rows (weighted 97.96%)") << 10 << 5 << false << 0.98;
    // Middle 90/98 white: (2 + 0.918 + 2) / 5 = 0.984 passes although the middle alone does not.
    QTest::newRow("middle band of 8 rows") << 140 << 8 << true << 0.98;
    // Middle 88/98 white: (2 + 0.898 + 2) / 5 = 0.980 - not quite.
    QTest::newRow("middle band of 10 rows") << 140 << 10 << false << 0.98;
    QTest::newRow("band in the ignored margin") << 0 << 3 << true << 0.98;
    // At ratio 0.9 a top of 78/98 gives a weighted 91.8% but fails top >= 85.5%.
    QTest::newRow("ratio 0.9: top band of 20 rows") << 10 << 20 << false << 0.9;
    QTest::newRow("ratio 0.9: middle band of 20 rows") << 140 << 20 << true << 0.9;
}

void ImageProcessorBlankTest::bands()
{
    QFETCH(int, firstRow);
    QFETCH(int, rowCount);
    QFETCH(bool, blank);
    QFETCH(double, ratio);
    ImageProcessor processor;
    QImage image = page(300, 300);
    paintRows(image, firstRow, rowCount);
    LogCapture capture;
    QCOMPARE(processor.isBlankPage(image, 240, ratio), blank);
    QVERIFY(capture.lines().last().endsWith(blank ? " 结果: 空白页" : " 结果: 非空白页"));
}

void ImageProcessorBlankTest::samplingStep_data()
{
    // Every pixel off the sampling grid is black: a page sampled on that grid is blank.
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("blank");
    QTest::newRow("300 x 300 samples every pixel") << QSize(300, 300) << 2 << false;
    QTest::newRow("400 x 600 uses step 2") << QSize(400, 600) << 2 << true;
    QTest::newRow("400 x 600 is not step 3") << QSize(400, 600) << 3 << false;
    QTest::newRow("A4 at 300 dpi uses step 12") << QSize(2480, 3508) << 12 << true;
}

void ImageProcessorBlankTest::samplingStep()
{
    QFETCH(QSize, size);
    QFETCH(int, step);
    QFETCH(bool, blank);
    ImageProcessor processor;
    QImage image = page(size.width(), size.height(), 0);
    const int mx = qMax(1, int(size.width() * 0.01));
    const int my = qMax(1, int(size.height() * 0.01));
    for (int y = my; y < size.height(); y += step)
        for (int x = mx; x < size.width(); x += step)
            image.scanLine(y)[x] = 255;
    QCOMPARE(processor.isBlankPage(image, 240, 0.98), blank);
}

void ImageProcessorBlankTest::onePixelPageIsBlank()
{
    ImageProcessor processor;
    LogCapture capture;
    // Nothing is sampled inside the one-pixel margins, so every ratio is 1.0.
    QVERIFY(processor.isBlankPage(page(1, 1, 0), 240, 0.98));
    QCOMPARE(capture.lines().first(), QStringLiteral("空白页检测: 图像尺寸 1 x 1 , 忽略边缘 1 x 1 , 检测区域 -1 x -1"));
    QVERIFY(capture.lines().last().startsWith("空白页检测（区域加权）: 上部= \"100.0\" % , 中部= \"100.0\" %"));
}

void ImageProcessorBlankTest::greyEqualToThresholdCountsAsWhite_data()
{
    QTest::addColumn<int>("threshold");
    QTest::addColumn<bool>("blank");
    QTest::newRow("240 at threshold 240") << 240 << true;
    QTest::newRow("240 at threshold 241") << 241 << false;
}

void ImageProcessorBlankTest::greyEqualToThresholdCountsAsWhite()
{
    QFETCH(int, threshold);
    QFETCH(bool, blank);
    ImageProcessor processor;
    QCOMPARE(processor.isBlankPage(page(50, 50, 240), threshold, 0.98), blank);
}

void ImageProcessorBlankTest::nullPageIsNotBlank()
{
    ImageProcessor processor;
    LogCapture capture;
    QVERIFY(!processor.isBlankPage(QImage(), 240, 0.98));
    QCOMPARE(capture.lines(), QStringList { "无法检测空图像" });
}

void ImageProcessorBlankTest::otherFormatsAreJudgedOnTheirGrey()
{
    // (200, 250, 250) is grey 235 by Qt's weights: not white at 240, white at 230.
    ImageProcessor processor;
    QImage image(60, 60, QImage::Format_RGB888);
    image.fill(QColor(200, 250, 250));
    QVERIFY(!processor.isBlankPage(image, 240, 0.98));
    QVERIFY(processor.isBlankPage(image, 230, 0.98));
    QImage argb(60, 60, QImage::Format_ARGB32);
    argb.fill(qRgba(200, 250, 250, 10));
    QCOMPARE(processor.isBlankPage(argb, 236, 0.98), qGray(200, 250, 250) >= 236);
}

QTEST_MAIN(ImageProcessorBlankTest)
#include "tst_imageprocessor_blank.moc"
