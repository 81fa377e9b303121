// What saving and opening a document costs: 20 A4 pages at 300 dpi already in memory,
// written as one PDF, one multi-page TIFF and a PNG series, and one A4 PNG opened.
// The TIFF is timed next to tiffcp joining the same pages from one-page TIFFs; one
// page of each kind in a PDF is weighed against img2pdf wrapping the same page
// (a JPEG from ImageMagick at the same quality, or a G4 TIFF).
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
#include "document/imagefilewriter.h"
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

bool runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Argument: 0 colour, 1 grey, 2 two-level; quality 75 for the JPEG pages.
void BM_PdfPageVsImg2pdf(benchmark::State &state)
{
    constexpr int quality = 75;
    const int kind = int(state.range(0));
    QImage page = scannedPage(5);
    if (kind == 1)
        page = page.convertToFormat(QImage::Format_Grayscale8);
    else if (kind == 2)
        page = page.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    const QString stem = scratch().filePath(QStringLiteral("kind%1").arg(kind));
    const QString path = stem + QStringLiteral(".pdf");
    ImageFileWriter::PdfLayout layout;
    layout.options.jpegQuality = quality;
    for (auto _ : state) {
        if (!ImageFileWriter::writePdf({ page }, path, layout, nullptr))
            state.SkipWithError("writePdf failed");
    }
    const QString png = stem + QStringLiteral(".png");
    const QString wrapped = stem + (kind == 2 ? QStringLiteral(".tif") : QStringLiteral(".jpg"));
    const QString reference = stem + QStringLiteral("_img2pdf.pdf");
    page.save(png);
    const QStringList convert = kind == 2 ? QStringList { png, "-compress", "Group4", wrapped }
                                          : QStringList { png, "-quality", QString::number(quality), wrapped };
    if (!runTool(QStringLiteral("convert"), convert)
        || !runTool(QStringLiteral("img2pdf"), { wrapped, "-o", reference })) {
        state.SkipWithError("convert or img2pdf failed");
        return;
    }
    const double ours = double(QFileInfo(path).size());
    const double theirs = double(QFileInfo(reference).size());
    state.counters["kB"] = ours / 1e3;
    state.counters["img2pdf_kB"] = theirs / 1e3;
    state.counters["ratio"] = ours / theirs;
}
BENCHMARK(BM_PdfPageVsImg2pdf)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

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

} // namespace

int main(int argc, char **argv)
{
    keepUserFoldersApart();
    QGuiApplication app(argc, argv);
    silenceLog();
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
