// Automatic corrections of a page: the skew estimator and deskew, the sheet on a
// platen scan, the page's orientation, and the three together as the scan
// pipeline applies them. Pages are drawn at 150 dpi with known angles, sheets
// and turns.
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

#include "imaging/imageprocessor.h"
#include "imaging/paperdetector.h"
#include "imaging/skewestimator.h"
#include "ocr/orientationdetector.h"
#include "tests/support/logcapture.h"
#include "tests/support/testpages.h"
#include "ui/pagecorrector.h"

using TestPages::Layout;
using TestPages::Platen;

Q_DECLARE_METATYPE(TestPages::Layout)
Q_DECLARE_METATYPE(TestPages::Platen)

namespace {

constexpr int dpi = 150;

QImage drawn(Layout layout, int seed = 0)
{
    return TestPages::page(layout, dpi, seed);
}

// Noise with no line in it: every pixel black or white at random.
QImage noisePage(QImage::Format format)
{
    QImage image(600, 800, QImage::Format_Grayscale8);
    quint32 state = 99;
    for (int y = 0; y < image.height(); ++y) {
        uchar *line = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            line[x] = (state >> 24) & 1 ? 255 : 0;
        }
    }
    return image.convertToFormat(format, Qt::ThresholdDither);
}

bool isPaperWhite(QRgb pixel)
{
    return qGray(pixel) > 200;
}

} // namespace

class AutoCorrectTest : public QObject
{
    Q_OBJECT

private slots:
    void skewIsMeasured_data();
    void skewIsMeasured();
    void pagesWithoutLinesAreNoAnswer_data();
    void pagesWithoutLinesAreNoAnswer();
    void deskewStraightensAndKeepsTheFormat_data();
    void deskewStraightensAndKeepsTheFormat();
    void deskewLeavesUncertainPagesAlone_data();
    void deskewLeavesUncertainPagesAlone();
    void sheetIsFound_data();
    void sheetIsFound();
    void noCertainEdgeLeavesThePage_data();
    void noCertainEdgeLeavesThePage();
    void orientationIsFound_data();
    void orientationIsFound();
    void orientationOfPagesWithoutText_data();
    void orientationOfPagesWithoutText();
    void pipelineCropsStraightensAndTurns();
};

void AutoCorrectTest::skewIsMeasured_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<double>("angle");
    QTest::newRow("english sans, upright") << Layout::EnglishSans << 0.0;
    QTest::newRow("english serif, -4") << Layout::EnglishSerif << -4.0;
    QTest::newRow("english mono, 0.3") << Layout::EnglishMono << 0.3;
    QTest::newRow("two columns, -1.3") << Layout::EnglishTwoColumns << -1.3;
    QTest::newRow("letter, 2.2") << Layout::EnglishLetter << 2.2;
    QTest::newRow("chinese, 1.7") << Layout::Chinese << 1.7;
    QTest::newRow("chinese mono, -0.6") << Layout::ChineseMono << -0.6;
    QTest::newRow("chinese large, 5") << Layout::ChineseLarge << 5.0;
    QTest::newRow("mixed, -2.7") << Layout::Mixed << -2.7;
    QTest::newRow("table, 15 (the limit)") << Layout::Table << 15.0;
    QTest::newRow("form, -15 (the limit)") << Layout::Form << -15.0;
    QTest::newRow("invoice, 9.5") << Layout::Invoice << 9.5;
}

// A page turned by a known angle within +-15 degrees is measured to a tenth of a degree.
void AutoCorrectTest::skewIsMeasured()
{
    QFETCH(Layout, layout);
    QFETCH(double, angle);
    const SkewEstimate estimate = SkewEstimator::estimate(TestPages::turned(drawn(layout), angle));
    QVERIFY(estimate.certain);
    QVERIFY2(std::fabs(estimate.angle - angle) <= 0.1, qPrintable(QString::number(estimate.angle)));
}

void AutoCorrectTest::pagesWithoutLinesAreNoAnswer_data()
{
    QTest::addColumn<QImage>("page");
    QImage blank(1240, 1754, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QImage grey(300, 200, QImage::Format_Grayscale8);
    grey.fill(128);
    QImage tiny = drawn(Layout::EnglishSans).scaled(20, 20);
    QTest::newRow("blank") << blank;
    QTest::newRow("uniform grey") << grey;
    QTest::newRow("20 pixels") << tiny;
    QTest::newRow("photo") << TestPages::photo(QSize(1240, 1754));
    QTest::newRow("two-level noise") << noisePage(QImage::Format_Mono);
    QTest::newRow("turned by 20") << TestPages::turned(drawn(Layout::EnglishSerif), 20.0);
    QTest::newRow("turned by -30") << TestPages::turned(drawn(Layout::Chinese), -30.0);
    QTest::newRow("null") << QImage();
}

// Blank, tiny, photo-only and noise pages and pages turned beyond 15 degrees give no angle.
void AutoCorrectTest::pagesWithoutLinesAreNoAnswer()
{
    QFETCH(QImage, page);
    const SkewEstimate estimate = SkewEstimator::estimate(page);
    QVERIFY2(!estimate.certain, qPrintable(QStringLiteral("%1 (%2)").arg(estimate.angle).arg(estimate.confidence)));
    QCOMPARE(estimate.angle, 0.0);
}

void AutoCorrectTest::deskewStraightensAndKeepsTheFormat_data()
{
    QTest::addColumn<QImage>("page");
    QTest::addColumn<double>("angle");
    const QImage english = drawn(Layout::EnglishSerif, 1);
    QTest::newRow("colour, 3") << TestPages::turned(english, 3.0) << 3.0;
    QTest::newRow("grey, -1.5") << TestPages::turned(english.convertToFormat(QImage::Format_Grayscale8), -1.5) << -1.5;
    QTest::newRow("two-level, 2.4")
        << TestPages::turned(drawn(Layout::Table), 2.4).convertToFormat(QImage::Format_Mono, Qt::ThresholdDither)
        << 2.4;
}

// deskew turns the page back (nothing left to measure), crops it as it always did,
// fills the uncovered corners with paper white and keeps format and resolution.
void AutoCorrectTest::deskewStraightensAndKeepsTheFormat()
{
    QFETCH(QImage, page);
    QFETCH(double, angle);
    ImageProcessor processor;
    QSignalSpy progress(&processor, &ImageProcessor::processingProgress);
    LogCapture capture;
    const QImage result = processor.deskew(page);

    QCOMPARE(result.format(), page.format());
    QCOMPARE(result.dotsPerMeterX(), page.dotsPerMeterX());
    const QImage expectedCrop = processor.cropToRotatedContent(
        page.transformed(QTransform().rotate(-angle), Qt::SmoothTransformation), angle);
    QVERIFY(qAbs(result.width() - expectedCrop.width()) <= 2);
    QVERIFY(qAbs(result.height() - expectedCrop.height()) <= 2);
    const SkewEstimate left = SkewEstimator::estimate(result);
    QVERIFY2(std::fabs(left.angle) < 0.1, qPrintable(QString::number(left.angle)));
    for (const QPoint corner : { QPoint(0, 0), QPoint(result.width() - 1, 0), QPoint(0, result.height() - 1),
             QPoint(result.width() - 1, result.height() - 1) })
        QVERIFY(isPaperWhite(result.pixel(corner)));
    QCOMPARE(progress.first().at(0).toInt(), 0);
    QCOMPARE(progress.last().at(0).toInt(), 100);
    QCOMPARE(capture.linesStartingWith(QStringLiteral("倾斜校正完成，校正角度: ")).size(), 1);
}

void AutoCorrectTest::deskewLeavesUncertainPagesAlone_data()
{
    QTest::addColumn<QImage>("page");
    QTest::newRow("upright text") << drawn(Layout::Mixed);
    QTest::newRow("turned by 0.05") << TestPages::turned(drawn(Layout::EnglishSans), 0.05);
    QTest::newRow("photo") << TestPages::photo(QSize(900, 1200), 3);
    QTest::newRow("turned by 25") << TestPages::turned(drawn(Layout::Form), 25.0);
    QTest::newRow("two-level noise") << noisePage(QImage::Format_Mono);
    QImage tiny(12, 12, QImage::Format_ARGB32);
    tiny.fill(Qt::black);
    QTest::newRow("tiny") << tiny;
}

// Pages without a certain angle above 0.1 degree come back unchanged, never turned by a guess.
void AutoCorrectTest::deskewLeavesUncertainPagesAlone()
{
    QFETCH(QImage, page);
    ImageProcessor processor;
    LogCapture capture;
    QCOMPARE(processor.deskew(page), page);
    QCOMPARE(capture.lines().last(), QStringLiteral("图像倾斜角度很小，无需校正"));
}

void AutoCorrectTest::sheetIsFound_data()
{
    QTest::addColumn<QImage>("sheet");
    QTest::addColumn<QPoint>("topLeft");
    QTest::addColumn<Platen>("platen");
    const QImage a5 = TestPages::page(Layout::EnglishSerif, 100);
    const QImage receipt = drawn(Layout::Invoice).copy(0, 0, 420, 1200);
    const QImage wide = drawn(Layout::Chinese).copy(0, 0, 1240, 900);
    QTest::newRow("centred, white lid") << a5 << QPoint(200, 300) << Platen::WhiteLid;
    QTest::newRow("centred, dark") << a5 << QPoint(200, 300) << Platen::Dark;
    QTest::newRow("in the corner, white lid") << a5 << QPoint(0, 0) << Platen::WhiteLid;
    QTest::newRow("in the corner, dark") << a5 << QPoint(0, 0) << Platen::Dark;
    QTest::newRow("receipt, white lid") << receipt << QPoint(500, 120) << Platen::WhiteLid;
    QTest::newRow("receipt, dark") << receipt << QPoint(500, 120) << Platen::Dark;
    QTest::newRow("full width, white lid") << wide << QPoint(0, 0) << Platen::WhiteLid;
    QTest::newRow("full width, dark") << wide << QPoint(0, 0) << Platen::Dark;
}

// The sheet on a platen is found within 3 pixels and cropped to with no margin.
void AutoCorrectTest::sheetIsFound()
{
    QFETCH(QImage, sheet);
    QFETCH(QPoint, topLeft);
    QFETCH(Platen, platen);
    const QImage scan = TestPages::onPlaten(sheet, QSize(1240, 1754), topLeft, platen);
    const QRect truth(topLeft, sheet.size());
    const QRect found = PaperDetector::findSheet(scan);
    QVERIFY(!found.isNull());
    QVERIFY2(qAbs(found.left() - truth.left()) <= 3 && qAbs(found.top() - truth.top()) <= 3
            && qAbs(found.right() - truth.right()) <= 3 && qAbs(found.bottom() - truth.bottom()) <= 3,
        qPrintable(QStringLiteral("%1,%2 %3x%4").arg(found.x()).arg(found.y()).arg(found.width()).arg(found.height())));
    ImageProcessor processor;
    QCOMPARE(processor.cropToPaper(scan), scan.copy(found));
}

void AutoCorrectTest::noCertainEdgeLeavesThePage_data()
{
    QTest::addColumn<QImage>("scan");
    const QImage sheet = TestPages::page(Layout::Table, 100);
    QImage empty(1240, 1754, QImage::Format_RGB32);
    empty.fill(qRgb(226, 226, 226));
    QTest::newRow("a page of text filling the scan") << drawn(Layout::EnglishSans);
    QTest::newRow("a table filling the scan") << drawn(Layout::Table);
    QTest::newRow("photo") << TestPages::photo(QSize(1240, 1754), 5);
    QTest::newRow("empty platen") << empty;
    QTest::newRow("sheet lying askew") << TestPages::turned(
        TestPages::onPlaten(sheet, QSize(1240, 1754), QPoint(200, 300), Platen::Dark), 3.0, qRgb(24, 24, 24));
    QTest::newRow("tiny") << QImage(20, 20, QImage::Format_RGB32);
}

// Without a certain edge the page comes back unchanged.
void AutoCorrectTest::noCertainEdgeLeavesThePage()
{
    QFETCH(QImage, scan);
    if (scan.width() == 20)
        scan.fill(Qt::black);
    QVERIFY(PaperDetector::findSheet(scan).isNull());
    ImageProcessor processor;
    LogCapture capture;
    QCOMPARE(processor.cropToPaper(scan), scan);
    QVERIFY(capture.contains("未找到可靠的纸张边缘，保持原图"));
}

void AutoCorrectTest::orientationIsFound_data()
{
    QTest::addColumn<Layout>("layout");
    QTest::addColumn<int>("turned");
    for (int quarter = 0; quarter < 4; ++quarter) {
        QTest::addRow("english, turned by %d", 90 * quarter) << Layout::EnglishSerif << 90 * quarter;
        QTest::addRow("chinese, turned by %d", 90 * quarter) << Layout::Chinese << 90 * quarter;
    }
}

// A page turned by quarter turns is turned back by the rest of the circle.
void AutoCorrectTest::orientationIsFound()
{
    QFETCH(Layout, layout);
    QFETCH(int, turned);
    OrientationDetector detector;
    QVERIFY(detector.isAvailable());
    const QImage page = TestPages::page(layout, 200).transformed(QTransform().rotate(turned));
    const OrientationDetector::Result result = detector.detect(page);
    QVERIFY2(result.certain, qPrintable(QString::number(result.confidence)));
    QCOMPARE((turned + result.turn) % 360, 0);
}

void AutoCorrectTest::orientationOfPagesWithoutText_data()
{
    QTest::addColumn<QImage>("page");
    QImage blank(1240, 1754, QImage::Format_Grayscale8);
    blank.fill(255);
    QTest::newRow("blank") << blank;
    QTest::newRow("photo") << TestPages::photo(QSize(1240, 1754), 2);
    QTest::newRow("tiny") << QImage(16, 16, QImage::Format_Mono);
    QTest::newRow("null") << QImage();
}

// Pages without text give no turn.
void AutoCorrectTest::orientationOfPagesWithoutText()
{
    QFETCH(QImage, page);
    OrientationDetector detector;
    const OrientationDetector::Result result = detector.detect(page);
    QVERIFY(!result.certain);
    QCOMPARE(result.turn, 0);
}

// The scan pipeline's correction of a sheet lying upside down and turned on a
// dark platen: cropped to the sheet, straight and upright.
void AutoCorrectTest::pipelineCropsStraightensAndTurns()
{
    const QImage sheet = TestPages::page(Layout::EnglishSerif, 120);
    const QImage upsideDown = TestPages::turned(sheet.transformed(QTransform().rotate(180)), 1.2);
    const QImage scan = TestPages::onPlaten(upsideDown, QSize(1240, 1754), QPoint(150, 250), Platen::Dark);
    ImageProcessor processor;
    OrientationDetector detector;
    PageCorrector::Options options;
    options.deskew = options.cropToPaper = options.orient = true;
    const QImage result = PageCorrector::correct(scan, options, processor, detector);

    QVERIFY(qAbs(result.width() - sheet.width()) <= 40);
    QVERIFY(qAbs(result.height() - sheet.height()) <= 40);
    QVERIFY(std::fabs(SkewEstimator::estimate(result).angle) < 0.1);
    QCOMPARE(detector.detect(result).turn, 0);
    // The heading of the upright page is near the top.
    const OrientationDetector::Result again = detector.detect(result);
    QVERIFY(again.certain);

    PageCorrector::Options none;
    QCOMPARE(PageCorrector::correct(scan, none, processor, detector), scan);
}

QTEST_MAIN(AutoCorrectTest)
#include "tst_autocorrect.moc"
