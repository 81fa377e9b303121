// Finding several originals on an A4 page at 300 dpi: four receipts and cards,
// turned by up to 5 degrees, on the lid's white and on a dark background.
// Reported beside the time: the farthest any found corner lies from where the
// original's corner is (edge_px), and how many originals were found.
#include <QGuiApplication>
#include <QLineF>

#include <benchmark/benchmark.h>

#include "imaging/originalsdetector.h"
#include "tests/support/testpages.h"

namespace {

void detectOriginals(benchmark::State &state, TestPages::Platen platen, bool withImages)
{
    const QVector<TestPages::Laid> laid { { QRectF(12, 15, 80, 140), 4.5 }, { QRectF(110, 20, 85.6, 54), -3 },
        { QRectF(115, 100, 90, 54), 1.5 }, { QRectF(20, 180, 170, 100), -5 } };
    QVector<QPolygonF> truth;
    const QImage page = TestPages::originalsOnPlaten(QSizeF(210, 297), 300, laid, platen, &truth);
    OriginalsDetector::Result result;
    for (auto _ : state) {
        result = OriginalsDetector::detect(page, withImages);
        benchmark::DoNotOptimize(result.originals.size());
    }
    // Reading order of these four: 0, 1, 2, 3.
    double worst = 0;
    for (int i = 0; i < result.originals.size() && i < truth.size(); ++i) {
        for (int c = 0; c < 4; ++c)
            worst = std::max(worst, QLineF(result.originals.at(i).corners.at(c), truth.at(i).at(c)).length());
    }
    state.counters["found"] = result.originals.size();
    state.counters["edge_px"] = worst;
}

void BM_OriginalsWhiteLid(benchmark::State &state)
{
    detectOriginals(state, TestPages::Platen::WhiteLid, true);
}

void BM_OriginalsDark(benchmark::State &state)
{
    detectOriginals(state, TestPages::Platen::Dark, true);
}

// Finding alone, without cutting the straightened images.
void BM_OriginalsWhiteLidFindOnly(benchmark::State &state)
{
    detectOriginals(state, TestPages::Platen::WhiteLid, false);
}

} // namespace

BENCHMARK(BM_OriginalsWhiteLid)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OriginalsDark)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OriginalsWhiteLidFindOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
