// What bringing a scanned PDF in costs: 20 A4 colour pages at 300 dpi, written by
// the document's own PDF writer (JPEG pages, as a scanner's PDF has them), opened
// through the importer the window uses. The GUI thread runs its event loop the
// whole time; a 2 ms timer measures the longest gap between its turns, and the
// resident memory is sampled on each turn.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <memory>

#include "bench/benchenvironment.h"
#include "bench/scannedpage.h"
#include "document/documentmanager.h"
#include "document/pageimporter.h"
#include "document/pagestore.h"

namespace {

constexpr int pageCount = 20;

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

QString scannedPdf()
{
    static QString path;
    if (path.isEmpty()) {
        DocumentManager document;
        for (int i = 0; i < pageCount; ++i)
            document.addPage(scannedPage(quint32(i + 1)));
        path = scratch().filePath(QStringLiteral("scanned.pdf"));
        if (!document.saveAsPdf(path))
            path.clear();
    }
    return path;
}

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

void BM_ImportScannedPdf20Pages(benchmark::State &state)
{
    const QString path = scannedPdf();
    if (path.isEmpty()) {
        state.SkipWithError("could not write the PDF");
        return;
    }
    double longestStall = 0;
    double memoryGrowth = 0;
    int pages = 0;
    for (auto _ : state) {
        DocumentManager document;
        const double before = residentMegabytes();
        double peak = before;
        QElapsedTimer sinceTurn;
        QTimer ticker;
        ticker.setInterval(2);
        QObject::connect(&ticker, &QTimer::timeout, [&]() {
            longestStall = qMax(longestStall, double(sinceTurn.nsecsElapsed()) / 1e6);
            peak = qMax(peak, residentMegabytes());
            sinceTurn.restart();
        });
        QEventLoop loop;
        QObject::connect(document.importer(), &PageImporter::finished, &loop, &QEventLoop::quit);
        sinceTurn.start();
        ticker.start();
        document.importer()->open(path);
        loop.exec();
        // The pages are in the document once they are on disk in the store.
        document.pageStore()->waitForWrites();
        ticker.stop();
        pages = document.pageCount();
        memoryGrowth = qMax(memoryGrowth, peak - before);
    }
    state.counters["pages"] = pages;
    state.counters["longest_stall_ms"] = longestStall;
    state.counters["rss_growth_MB"] = memoryGrowth;
}
BENCHMARK(BM_ImportScannedPdf20Pages)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    keepUserFoldersApart();
    QGuiApplication app(argc, argv);
    silenceLog();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
