// Automatic correction of scanned pages: how exactly the skew estimator finds
// the angle of A4 300 dpi pages turned by known angles (next to the estimate of
// the two older estimators combined, and to ImageMagick's -deskew 40% when its
// convert is installed), how exactly the paper edges of sheets on a platen are
// found, and what each step costs.
//
//   autocorrect_bench                    accuracy tables, then the timings
//   autocorrect_bench --no-imagemagick   without ImageMagick (about 3 s a page)
#include <QDebug>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/benchenvironment.h"
#include "imaging/imageprocessor.h"
#include "imaging/paperdetector.h"
#include "imaging/skewestimator.h"
#include "ocr/orientationdetector.h"
#include "tests/support/testpages.h"

namespace {

constexpr int dpi = 300;

struct SkewCase
{
    TestPages::Layout layout;
    int seed;
    double angle;
};

std::vector<SkewCase> skewCases()
{
    // -4 ... +5 degrees, with 0 among them, over every layout twice.
    const double angles[] = { -4.0, -2.7, -1.3, -0.6, -0.2, 0.0, 0.3, 0.8, 1.7, 2.3, 3.1, 4.4, 5.0, -3.4, 1.1, -0.9,
        2.9, 0.45, -1.85, 3.7, -2.1, 4.05, 0.15, -3.0 };
    std::vector<SkewCase> cases;
    int n = 0;
    for (int seed = 0; seed < 2; ++seed) {
        for (TestPages::Layout layout : TestPages::allLayouts())
            cases.push_back({ layout, seed, angles[n++ % int(std::size(angles))] });
    }
    return cases;
}

// The estimate of the two older estimators, combined as deskew used to combine them.
double olderEstimate(ImageProcessor &processor, const QImage &page)
{
    const QImage gray = processor.toGrayscale(page);
    const double lines = processor.detectSkewByLines(gray);
    const double text = processor.detectSkewByText(gray);
    const bool lineDecided = std::fabs(lines) > 0.1;
    const bool textDecided = std::fabs(text) > 0.1;
    if (lineDecided && textDecided)
        return (lines + text) * 0.5;
    return lineDecided ? lines : textDecided ? text : 0.0;
}

// ImageMagick reports the angle it would turn the page by; NaN without convert.
double imageMagickEstimate(const QImage &page, const QString &folder)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        return qQNaN();
    const QString path = folder + QStringLiteral("/page.png");
    page.convertToFormat(QImage::Format_Grayscale8).save(path);
    QProcess process;
    process.start(convert,
        { path, QStringLiteral("-deskew"), QStringLiteral("40%"), QStringLiteral("-format"),
            QStringLiteral("%[deskew:angle]"), QStringLiteral("info:") });
    if (!process.waitForFinished(120000))
        return qQNaN();
    bool ok = false;
    const double angle = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed().toDouble(&ok);
    return ok ? angle : qQNaN();
}

struct Summary
{
    std::vector<double> errors;
    void add(double error) { errors.push_back(std::fabs(error)); }
    double median() const
    {
        std::vector<double> sorted = errors;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? qQNaN() : sorted[sorted.size() / 2];
    }
    double worst() const { return errors.empty() ? qQNaN() : *std::max_element(errors.begin(), errors.end()); }
};

void printSkewAccuracy(bool withImageMagick, bool withOlder)
{
    QTemporaryDir folder;
    ImageProcessor processor;
    Summary ours;
    Summary older;
    Summary magick;
    std::printf("\nSkew of A4 %d dpi pages (degrees, positive = turned clockwise)\n", dpi);
    std::printf("%-22s %7s %9s %7s %9s %9s %9s\n", "page", "true", "estimate", "conf", "error", "older", "magick");
    for (const SkewCase &c : skewCases()) {
        const QImage page = TestPages::turned(TestPages::page(c.layout, dpi, c.seed), c.angle);
        const SkewEstimate estimate = SkewEstimator::estimate(page);
        ours.add(estimate.angle - c.angle);
        const double before = withOlder ? olderEstimate(processor, page) : qQNaN();
        if (withOlder)
            older.add(before - c.angle);
        const double theirs = withImageMagick ? imageMagickEstimate(page, folder.path()) : qQNaN();
        // ImageMagick names the angle it turns the page by, the opposite of ours.
        if (!std::isnan(theirs))
            magick.add(-theirs - c.angle);
        std::printf("%-22s %7.2f %9.3f %7.2f %9.3f %9.3f %9.3f\n",
            qPrintable(TestPages::layoutName(c.layout) + QStringLiteral("/%1").arg(c.seed)), c.angle, estimate.angle,
            estimate.confidence, estimate.angle - c.angle, before, -theirs);
        std::fflush(stdout);
    }
    std::printf("estimator: median error %.3f, worst %.3f degrees over %zu pages\n", ours.median(), ours.worst(),
        ours.errors.size());
    if (!older.errors.empty())
        std::printf("older lines+text combination: median error %.3f, worst %.3f\n", older.median(), older.worst());
    if (!magick.errors.empty())
        std::printf("ImageMagick -deskew 40%%: median error %.3f, worst %.3f\n", magick.median(), magick.worst());
}

struct PaperCase
{
    TestPages::Layout layout;
    int sheetDpi; // an A4 page drawn at this resolution is the sheet
    QSize sheetCut; // or a part of it (empty: the whole page)
    QPoint topLeft;
};

std::vector<PaperCase> paperCases()
{
    using L = TestPages::Layout;
    return {
        { L::EnglishSerif, 200, QSize(), QPoint(300, 400) },
        { L::Chinese, 250, QSize(), QPoint(0, 0) },
        { L::Table, 150, QSize(), QPoint(1000, 1500) },
        { L::Form, 300, QSize(900, 2400), QPoint(800, 200) },
        { L::Invoice, 300, QSize(2480, 2000), QPoint(0, 0) },
        { L::Mixed, 200, QSize(1654, 1100), QPoint(420, 2300) },
    };
}

QImage paperSheet(const PaperCase &c)
{
    const QImage whole = TestPages::page(c.layout, c.sheetDpi, 1);
    return c.sheetCut.isEmpty() ? whole : whole.copy(QRect(QPoint(0, 0), c.sheetCut));
}

void printPaperAccuracy()
{
    const QSize platen(2480, 3508);
    std::printf("\nPaper edges of sheets on an A4 300 dpi platen (pixels)\n");
    std::printf("%-16s %-10s %-22s %-22s %6s\n", "sheet", "platen", "true", "found", "error");
    int worst = 0;
    int missed = 0;
    for (const PaperCase &c : paperCases()) {
        const QImage sheet = paperSheet(c);
        const QRect truth(c.topLeft, sheet.size());
        for (TestPages::Platen kind : { TestPages::Platen::WhiteLid, TestPages::Platen::Dark }) {
            const QImage scan = TestPages::onPlaten(sheet, platen, c.topLeft, kind);
            const QRect found = PaperDetector::findSheet(scan);
            int error = -1;
            if (found.isNull()) {
                ++missed;
            } else {
                error = qMax(qMax(std::abs(found.left() - truth.left()), std::abs(found.top() - truth.top())),
                    qMax(std::abs(found.right() - truth.right()), std::abs(found.bottom() - truth.bottom())));
                worst = qMax(worst, error);
            }
            auto text = [](const QRect &r) {
                return r.isNull() ? QStringLiteral("none")
                                  : QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
            };
            std::printf("%-16s %-10s %-22s %-22s %6d\n", qPrintable(TestPages::layoutName(c.layout)),
                kind == TestPages::Platen::WhiteLid ? "white lid" : "dark", qPrintable(text(truth)),
                qPrintable(text(found)), error);
        }
    }
    std::printf("paper edges: worst error %d px, %d sheets not found\n", worst, missed);
}

// Turned clockwise by a quarter turns; the detector should answer the rest of the circle.
void printOrientationAccuracy()
{
    OrientationDetector detector;
    if (!detector.isAvailable()) {
        std::printf("\nOrientation: Tesseract's osd data is not installed\n");
        return;
    }
    std::printf("\nOrientation of A4 %d dpi pages turned by quarter turns\n", dpi);
    std::printf("%-22s %6s %6s %8s %8s\n", "page", "turned", "turn", "conf", "script");
    int right = 0;
    int wrong = 0;
    int unsure = 0;
    const TestPages::Layout layouts[] = { TestPages::Layout::EnglishSerif, TestPages::Layout::Chinese,
        TestPages::Layout::Mixed, TestPages::Layout::Form, TestPages::Layout::EnglishLetter };
    for (TestPages::Layout layout : layouts) {
        const QImage upright = TestPages::page(layout, dpi, 0);
        for (int quarter = 0; quarter < 4; ++quarter) {
            const QImage page = upright.transformed(QTransform().rotate(90 * quarter));
            const OrientationDetector::Result result = detector.detect(page);
            const bool correct = (90 * quarter + result.turn) % 360 == 0;
            if (!result.certain)
                ++unsure;
            else if (correct)
                ++right;
            else
                ++wrong;
            std::printf("%-22s %6d %6d %8.2f %8s%s\n", qPrintable(TestPages::layoutName(layout)), 90 * quarter,
                result.turn, result.confidence, qPrintable(result.script), result.certain ? "" : "  (unsure)");
            std::fflush(stdout);
        }
    }
    std::printf("orientation: %d right, %d wrong, %d left alone\n", right, wrong, unsure);
}

const QImage &a4Page()
{
    static const QImage page = TestPages::turned(TestPages::page(TestPages::Layout::Mixed, dpi, 0), 1.7);
    return page;
}

void BM_EstimateSkew(benchmark::State &state)
{
    const QImage &page = a4Page();
    for (auto _ : state)
        benchmark::DoNotOptimize(SkewEstimator::estimate(page));
}
BENCHMARK(BM_EstimateSkew)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EstimateSkewGrey(benchmark::State &state)
{
    const QImage page = a4Page().convertToFormat(QImage::Format_Grayscale8);
    for (auto _ : state)
        benchmark::DoNotOptimize(SkewEstimator::estimate(page));
}
BENCHMARK(BM_EstimateSkewGrey)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Deskew(benchmark::State &state)
{
    ImageProcessor processor;
    const QImage &page = a4Page();
    for (auto _ : state)
        benchmark::DoNotOptimize(processor.deskew(page));
}
BENCHMARK(BM_Deskew)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DetectOrientation(benchmark::State &state)
{
    OrientationDetector detector;
    const QImage page = TestPages::page(TestPages::Layout::EnglishSerif, dpi, 0).transformed(QTransform().rotate(90));
    detector.detect(page);
    for (auto _ : state)
        benchmark::DoNotOptimize(detector.detect(page));
}
BENCHMARK(BM_DetectOrientation)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FindPaper(benchmark::State &state)
{
    const QImage scan = TestPages::onPlaten(TestPages::page(TestPages::Layout::EnglishSerif, 200, 0), QSize(2480, 3508),
        QPoint(300, 400), TestPages::Platen::WhiteLid);
    for (auto _ : state)
        benchmark::DoNotOptimize(PaperDetector::findSheet(scan));
}
BENCHMARK(BM_FindPaper)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    keepUserFoldersApart();
    bool withImageMagick = true;
    bool withOlder = true;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--no-imagemagick") == 0)
            withImageMagick = false;
        if (qstrcmp(argv[i], "--no-older") == 0)
            withOlder = false;
    }
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!qEnvironmentVariableIsSet("QUIRRA_BENCH_TIMINGS_ONLY")) {
        printSkewAccuracy(withImageMagick, withOlder);
        printPaperAccuracy();
        printOrientationAccuracy();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
