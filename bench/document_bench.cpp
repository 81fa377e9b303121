// What saving and opening a document costs: 20 A4 pages at 300 dpi already in memory,
// written as one PDF, one multi-page TIFF and a PNG series, and one A4 PNG opened.
// The TIFF is timed next to tiffcp joining the same pages from one-page TIFFs.
//
//   document_bench --hold-pages=100     holds 100 A4 pages and exits; run it under
//                                       /usr/bin/time -v for the peak memory.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/resource.h>

#include "bench/benchenvironment.h"
#include "bench/scannedpage.h"
#include "document/documentmanager.h"
#include "document/pagestore.h"

namespace {

constexpr int pageCount = 20;

// Released before the application object, so that its page store ends its
// worker and removes its folder.
std::unique_ptr<DocumentManager> twentyPageDocument;

DocumentManager &twentyPages()
{
    if (!twentyPageDocument) {
        twentyPageDocument = std::make_unique<DocumentManager>();
        for (int i = 0; i < pageCount; ++i)
            twentyPageDocument->addPage(scannedPage(quint32(i + 1)));
        // Saved from the page store as a document of this size is after a scan:
        // every page on disk, the last few still decoded in memory.
        twentyPageDocument->pageStore()->waitForWrites();
    }
    return *twentyPageDocument;
}

double childrenCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

void BM_SavePdf20Pages(benchmark::State &state)
{
    DocumentManager &document = twentyPages();
    const QString path = scratch().filePath(QStringLiteral("twenty.pdf"));
    for (auto _ : state) {
        if (!document.saveAsPdf(path))
            state.SkipWithError("saveAsPdf failed");
    }
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_SavePdf20Pages)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_SaveTiff20Pages(benchmark::State &state)
{
    DocumentManager &document = twentyPages();
    const QString path = scratch().filePath(QStringLiteral("twenty.tif"));
    for (auto _ : state) {
        if (!document.saveAsMultiPageTiff(path))
            state.SkipWithError("saveAsMultiPageTiff failed");
    }
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_SaveTiff20Pages)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The reference: the same pages as one-page LZW TIFFs (Qt's writer, compression 1),
// joined into one file by tiffcp. Only the joining is timed.
void BM_TiffcpJoin20Pages(benchmark::State &state)
{
    DocumentManager &document = twentyPages();
    QStringList arguments;
    for (int i = 0; i < pageCount; ++i) {
        const QString single = scratch().filePath(QStringLiteral("single_%1.tif").arg(i + 1));
        if (!QFileInfo::exists(single)) {
            QImageWriter writer(single, "tiff");
            writer.setCompression(1);
            writer.write(document.page(i));
        }
        arguments << single;
    }
    const QString joined = scratch().filePath(QStringLiteral("joined.tif"));
    arguments << joined;
    const double childrenBefore = childrenCpuSeconds();
    for (auto _ : state) {
        QFile::remove(joined);
        QProcess tiffcp;
        tiffcp.start(QStringLiteral("tiffcp"), arguments);
        if (!tiffcp.waitForFinished(-1) || tiffcp.exitCode() != 0)
            state.SkipWithError("tiffcp failed");
    }
    state.counters["MB"] = double(QFileInfo(joined).size()) / 1e6;
    // The CPU column counts this process only; tiffcp's own CPU time is this counter.
    state.counters["tiffcp_cpu_ms"]
        = benchmark::Counter((childrenCpuSeconds() - childrenBefore) * 1000.0 / double(state.iterations()));
}
BENCHMARK(BM_TiffcpJoin20Pages)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_SavePngSeries20Pages(benchmark::State &state)
{
    DocumentManager &document = twentyPages();
    QDir(scratch().path()).mkpath(QStringLiteral("series"));
    const QString path = scratch().filePath(QStringLiteral("series/scan.png"));
    for (auto _ : state) {
        if (!document.saveAsImages(path))
            state.SkipWithError("saveAsImages failed");
    }
    qint64 bytes = 0;
    for (const QFileInfo &file : QDir(scratch().filePath(QStringLiteral("series"))).entryInfoList(QDir::Files))
        bytes += file.size();
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_SavePngSeries20Pages)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_LoadA4Png(benchmark::State &state)
{
    const QString path = scratch().filePath(QStringLiteral("a4.png"));
    if (!QFileInfo::exists(path))
        scannedPage(99).save(path);
    DocumentManager document;
    for (auto _ : state) {
        if (!document.loadDocument(path))
            state.SkipWithError("loadDocument failed");
    }
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_LoadA4Png)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// Builds each page in place and hands it over, as the scan pipeline does; the document
// should then hold exactly one image per page.
int holdPages(int count)
{
    DocumentManager document;
    for (int i = 0; i < count; ++i)
        document.addPage(scannedPage(quint32(i + 1)));
    const qint64 pageBytes = document.page(0).sizeInBytes();
    std::printf("%d pages of %d x %d RGB888, %lld bytes each, %.1f MB in all\n", document.pageCount(), a4Width,
        a4Height, static_cast<long long>(pageBytes), double(pageBytes) * count / 1e6);
    return 0;
}

void quietLog(QtMsgType, const QMessageLogContext &, const QString &)
{
}

} // namespace

int main(int argc, char **argv)
{
    keepUserFoldersApart();
    QGuiApplication app(argc, argv);
    // Every save logs a line; the benchmark output is easier to read without them.
    qInstallMessageHandler(quietLog);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--hold-pages=", 13) == 0)
            return holdPages(std::atoi(argv[i] + 13));
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    twentyPageDocument.reset();
    return 0;
}
