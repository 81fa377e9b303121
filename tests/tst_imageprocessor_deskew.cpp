// Deskew of ImageProcessor: Sobel edge map, the line vote and the text-row
// estimate (kept for their callers), and the correction by the projection estimate.
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

#include "imaging/imageprocessor.h"
#include "imaging/skewestimator.h"
#include "tests/support/logcapture.h"

class ImageProcessorDeskewTest : public QObject
{
    Q_OBJECT

private slots:
    void edgesMarkRisesOnly();
    void edgesReportThreePasses();
    void ruledPageAngleIsFound_data();
    void ruledPageAngleIsFound();
    void deskewRotatesBackAndCrops();
    void uniformPageIsUnchanged();
    void smallImageHasNoLineVotes();
    void voteCountMustExceedNine_data();
    void voteCountMustExceedNine();
    void tiedVotesPickTheSmallestAngle();
    void textRowsGiveTheMeanAngle();
    void tooFewTextRows();
    void nullPage();
};

namespace {

QImage whitePage(int width, int height)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(255u);
    return image;
}

// One-pixel dark rules across the page at the given angle (positive: falling to the right).
QImage ruledPage(double angle)
{
    QImage image(800, 800, QImage::Format_ARGB32);
    image.fill(Qt::white);
    const double slope = std::tan(angle * M_PI / 180.0);
    for (int y0 = 30; y0 < 770; y0 += 20) {
        for (int x = 20; x < 720; ++x) {
            const int y = int(std::lround(y0 + (x - 20) * slope));
            if (y >= 0 && y < 800)
                image.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    return image;
}

double loggedNumber(const LogCapture &capture, const QString &prefix)
{
    const QStringList lines = capture.linesStartingWith(prefix);
    return lines.isEmpty() ? qQNaN()
                           : lines.first().mid(prefix.size()).section(' ', 0, 0, QString::SectionSkipEmpty).toDouble();
}

// A black band of rows 0..17 covering seed columns 10, 18, ... for the given count;
// its lower edge rows 17/18 carry the seeds of row 18.
QImage bandPage(int seedColumns)
{
    QImage image = whitePage(100, 100);
    for (int y = 0; y < 18; ++y)
        memset(image.scanLine(y), 0, size_t(qMin(100, 13 + 8 * (seedColumns - 1))));
    return image;
}

} // namespace

void ImageProcessorDeskewTest::edgesMarkRisesOnly()
{
    ImageProcessor processor;
    // Dark left half, white right half: only the rise at the boundary is an edge.
    QImage image = whitePage(8, 3);
    for (int y = 0; y < 3; ++y)
        memset(image.scanLine(y), 0, 4);
    QImage edges = processor.detectEdges(image);
    QCOMPARE(edges.format(), QImage::Format_Mono);
    for (int x = 0; x < 8; ++x)
        QCOMPARE(edges.pixelIndex(x, 1), (x == 3 || x == 4) ? 1 : 0);
    // Mirrored: white to dark is a fall, clamped away.
    image.invertPixels();
    edges = processor.detectEdges(image);
    for (int x = 0; x < 8; ++x)
        QCOMPARE(edges.pixelIndex(x, 1), 0);
    // A rise of 25 gives magnitude 100 (= 4 × 25): not above 100; 26 is.
    QImage step = whitePage(6, 3);
    for (int y = 0; y < 3; ++y) {
        memset(step.scanLine(y), 100, 3);
        memset(step.scanLine(y) + 3, 125, 3);
    }
    QCOMPARE(processor.detectEdges(step).pixelIndex(2, 1), 0);
    for (int y = 0; y < 3; ++y)
        memset(step.scanLine(y) + 3, 126, 3);
    QCOMPARE(processor.detectEdges(step).pixelIndex(2, 1), 1);
}

void ImageProcessorDeskewTest::edgesReportThreePasses()
{
    // Two kernel passes and the two-level step, each with its own 0..100.
    ImageProcessor processor;
    QSignalSpy progress(&processor, &ImageProcessor::processingProgress);
    LogCapture capture;
    processor.detectEdges(whitePage(3, 45));
    QList<int> values;
    for (const QList<QVariant> &arguments : progress)
        values << arguments.at(0).toInt();
    QCOMPARE(values, QList<int>({ 0, 44, 88, 100, 0, 44, 88, 100, 0, 44, 88, 100 }));
    QCOMPARE(capture.lines(), QStringList({ "图像已转换为灰度", "图像已转换为二值图像，阈值:  100" }));
}

void ImageProcessorDeskewTest::ruledPageAngleIsFound_data()
{
    QTest::addColumn<double>("angle");
    QTest::newRow("3 degrees") << 3.0;
    QTest::newRow("5 degrees") << 5.0;
    QTest::newRow("-2 degrees") << -2.0;
}

void ImageProcessorDeskewTest::ruledPageAngleIsFound()
{
    QFETCH(double, angle);
    ImageProcessor processor;
    const QImage gray = processor.toGrayscale(ruledPage(angle));
    // A ray of ±50 pixels stays on a one-pixel edge for deviations up to about two
    // degrees, and equal votes go to the smaller angle: the vote lands at or below
    // the true angle, within that reach.
    const double estimate = processor.detectSkewByLines(gray);
    QVERIFY2(estimate <= angle + 1e-9 && estimate >= angle - 2.5, qPrintable(QString::number(estimate)));
}

// deskew turns the page back by the projection estimate and crops it to the
// rotated content; the uncovered corners are paper white.
void ImageProcessorDeskewTest::deskewRotatesBackAndCrops()
{
    ImageProcessor processor;
    const QImage image = ruledPage(5.0);
    const SkewEstimate estimate = SkewEstimator::estimate(image);
    QVERIFY(estimate.certain && std::fabs(estimate.angle - 5.0) < 0.1);
    const QImage expected = processor.cropToRotatedContent(
        image.transformed(QTransform().rotate(-estimate.angle), Qt::SmoothTransformation), estimate.angle);

    QSignalSpy progress(&processor, &ImageProcessor::processingProgress);
    const QImage result = processor.deskew(image);
    QCOMPARE(result.size(), expected.size());
    QCOMPARE(result.format(), image.format());
    QVERIFY(std::fabs(SkewEstimator::estimate(result).angle) < 0.1);
    QCOMPARE(qGray(result.pixel(0, 0)), 255);
    QList<int> values;
    for (const QList<QVariant> &arguments : progress)
        values << arguments.at(0).toInt();
    QCOMPARE(values, QList<int>({ 0, 50, 90, 100 }));
}

void ImageProcessorDeskewTest::uniformPageIsUnchanged()
{
    ImageProcessor processor;
    QImage image(300, 200, QImage::Format_RGB888);
    image.fill(QColor(128, 128, 128));
    LogCapture capture;
    QCOMPARE(processor.deskew(image), image);
    QCOMPARE(capture.lines().last(), QStringLiteral("图像倾斜角度很小，无需校正"));
    QCOMPARE(capture.linesStartingWith(QStringLiteral("基于投影检测的倾斜角度: ")).size(), 1);
}

void ImageProcessorDeskewTest::smallImageHasNoLineVotes()
{
    ImageProcessor processor;
    QImage image = whitePage(20, 200);
    for (int y = 0; y < 200; y += 4)
        memset(image.scanLine(y), 0, 20);
    LogCapture capture;
    QCOMPARE(processor.detectSkewByLines(image), 0.0);
    QVERIFY(capture.contains("线条检测完成，最佳角度: 0 得票: 0"));
}

void ImageProcessorDeskewTest::voteCountMustExceedNine_data()
{
    QTest::addColumn<int>("seeds");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("9 votes") << 9 << false;
    QTest::newRow("10 votes") << 10 << true;
}

void ImageProcessorDeskewTest::voteCountMustExceedNine()
{
    QFETCH(int, seeds);
    QFETCH(bool, accepted);
    ImageProcessor processor;
    LogCapture capture;
    const double angle = processor.detectSkewByLines(bandPage(seeds));
    QCOMPARE(loggedNumber(capture, "线条检测完成，最佳角度: ") != 0.0, true);
    QVERIFY2(
        capture.lines().last().endsWith(QStringLiteral("得票: %1").arg(seeds)), qPrintable(capture.lines().last()));
    QCOMPARE(angle != 0.0, accepted);
}

void ImageProcessorDeskewTest::tiedVotesPickTheSmallestAngle()
{
    // A perfectly level edge gets the same votes over a range of small angles around
    // 0 (the rays stay within the edge rows); the most negative of them wins.
    ImageProcessor processor;
    const double angle = processor.detectSkewByLines(bandPage(10));
    QVERIFY2(angle < -0.1 && angle >= -15.0, qPrintable(QString::number(angle)));
}

void ImageProcessorDeskewTest::textRowsGiveTheMeanAngle()
{
    // Rows 10, 20, 30 hold ten black pixels each, shifted 10 columns right per row:
    // atan2(10, 10) = 45 degrees for both pairs.
    QImage image = whitePage(200, 100);
    memset(image.scanLine(10) + 50, 0, 10);
    memset(image.scanLine(20) + 60, 0, 10);
    memset(image.scanLine(30) + 70, 0, 10);
    ImageProcessor processor;
    LogCapture capture;
    QCOMPARE(processor.detectSkewByText(image), 45.0);
    QCOMPARE(capture.lines().last(), QStringLiteral("文字检测完成，平均倾斜角度: 45"));
    // Shifts of +10 and −5 columns: (45 + atan2(−5, 10)) / 2.
    memset(image.scanLine(30) + 70, 255, 10);
    memset(image.scanLine(30) + 55, 0, 10);
    QCOMPARE(processor.detectSkewByText(image), (45.0 + std::atan2(-5.0, 10.0) * 180 / M_PI) / 2);
}

void ImageProcessorDeskewTest::tooFewTextRows()
{
    QImage image = whitePage(200, 100);
    memset(image.scanLine(10) + 50, 0, 10);
    memset(image.scanLine(20) + 60, 0, 10);
    ImageProcessor processor;
    LogCapture capture;
    QCOMPARE(processor.detectSkewByText(image), 0.0);
    QCOMPARE(capture.lines().last(), QStringLiteral("检测到的文字行太少，无法判断倾斜"));
}

void ImageProcessorDeskewTest::nullPage()
{
    ImageProcessor processor;
    LogCapture capture;
    QVERIFY(processor.deskew(QImage()).isNull());
    QCOMPARE(capture.lines(), QStringList { "无法进行倾斜校正：空图像" });
}

QTEST_MAIN(ImageProcessorDeskewTest)
#include "tst_imageprocessor_deskew.moc"
