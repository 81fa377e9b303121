// Where a document's pages live: the page codec next to the alternatives it was
// chosen over, on a scanned-looking A4 colour page at 300 dpi (26 MB of RGB888),
// each written to a file (flushed to the disk) and read back.
//
//   pagestore_bench --feeder-pages=999 [--pages-per-minute=60]
//       adds that many pages the way a feeder run does, one per event-loop turn,
//       as fast as they come or at a scanner's pace, and reports the GUI thread's
//       time per page, the disk used per page and the peak resident memory.
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include <lz4.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zstd.h>

#include "bench/benchenvironment.h"
#include "bench/scannedpage.h"
#include "document/documentmanager.h"
#include "document/pagecodec.h"
#include "document/pagestore.h"

namespace {

const QImage &samplePage()
{
    static const QImage page = scannedPage(7);
    return page;
}

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

bool writeSynced(const QString &path, const char *data, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data, size) == size && file.flush()
        && ::fdatasync(file.handle()) == 0;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

enum Codec { Raw, Zstd1, Lz4Bands, PngFastest };

const char *codecName(Codec codec)
{
    switch (codec) {
    case Raw:
        return "raw rows";
    case Zstd1:
        return "zstd level 1";
    case Lz4Bands:
        return "LZ4 bands (chosen)";
    case PngFastest:
        return "PNG fastest";
    }
    return "";
}

QString pathFor(Codec codec)
{
    return scratch().filePath(QStringLiteral("page-%1").arg(int(codec)));
}

bool writePage(Codec codec, const QImage &page)
{
    const QString path = pathFor(codec);
    const auto *bits = reinterpret_cast<const char *>(page.constBits());
    const size_t size = size_t(page.sizeInBytes());
    switch (codec) {
    case Raw:
        return writeSynced(path, bits, qint64(size));
    case Zstd1: {
        std::vector<char> out(ZSTD_compressBound(size));
        const size_t packed = ZSTD_compress(out.data(), out.size(), bits, size, 1);
        return !ZSTD_isError(packed) && writeSynced(path, out.data(), qint64(packed));
    }
    case Lz4Bands: {
        QString errorText;
        return PageCodec::writeFile(path, page, &errorText);
    }
    case PngFastest: {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.setCompression(0);
        return writer.write(page) && writeSynced(path, bytes.constData(), bytes.size());
    }
    }
    return false;
}

QImage readPage(Codec codec)
{
    const QString path = pathFor(codec);
    switch (codec) {
    case Raw: {
        const QByteArray bytes = readAll(path);
        QImage image(a4Width, a4Height, QImage::Format_RGB888);
        if (bytes.size() != image.sizeInBytes())
            return QImage();
        std::memcpy(image.bits(), bytes.constData(), size_t(bytes.size()));
        return image;
    }
    case Zstd1: {
        const QByteArray bytes = readAll(path);
        QImage image(a4Width, a4Height, QImage::Format_RGB888);
        const size_t got
            = ZSTD_decompress(image.bits(), size_t(image.sizeInBytes()), bytes.constData(), size_t(bytes.size()));
        return got == size_t(image.sizeInBytes()) ? image : QImage();
    }
    case Lz4Bands: {
        QString errorText;
        return PageCodec::readFile(path, &errorText);
    }
    case PngFastest:
        return QImageReader(path).read().convertToFormat(QImage::Format_RGB888);
    }
    return QImage();
}

void BM_WritePage(benchmark::State &state)
{
    const Codec codec = Codec(state.range(0));
    state.SetLabel(codecName(codec));
    for (auto _ : state) {
        if (!writePage(codec, samplePage()))
            state.SkipWithError("write failed");
    }
    state.counters["MB_on_disk"] = double(QFile(pathFor(codec)).size()) / 1e6;
}
BENCHMARK(BM_WritePage)
    ->DenseRange(Raw, PngFastest)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_ReadPage(benchmark::State &state)
{
    const Codec codec = Codec(state.range(0));
    state.SetLabel(codecName(codec));
    writePage(codec, samplePage());
    if (readPage(codec) != samplePage())
        state.SkipWithError("page did not come back exactly");
    for (auto _ : state)
        benchmark::DoNotOptimize(readPage(codec).constBits());
}
BENCHMARK(BM_ReadPage)
    ->DenseRange(Raw, PngFastest)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

long peakResidentKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Eight distinct scans, each handed over as a fresh copy, as a scanner delivers
// every page into a buffer of its own.
int feederRun(int count, int pagesPerMinute)
{
    std::vector<QImage> sources;
    for (quint32 i = 0; i < 8; ++i)
        sources.push_back(scannedPage(i + 1));
    DocumentManager document;
    double longest = 0;
    double total = 0;
    QElapsedTimer run;
    run.start();
    for (int i = 0; i < count; ++i) {
        QImage page = sources.at(size_t(i) % sources.size()).copy();
        page.scanLine(0)[0] = uchar(i);
        QElapsedTimer timer;
        timer.start();
        document.addPage(page);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        page = QImage();
        longest = qMax(longest, ms);
        total += ms;
        QCoreApplication::processEvents();
        if (pagesPerMinute > 0) {
            // The scanner's time per page, spent in the event loop as a scan would.
            QEventLoop wait;
            QTimer::singleShot(60000 / pagesPerMinute - int(timer.elapsed()), &wait, &QEventLoop::quit);
            wait.exec();
        }
    }
    document.pageStore()->waitForWrites();
    const double seconds = double(run.elapsed()) / 1000.0;
    std::printf("%d pages of %d x %d RGB888 (%.1f MB each) in %.1f s\n", count, a4Width, a4Height,
        double(samplePage().sizeInBytes()) / 1e6, seconds);
    std::printf("addPage on the GUI thread: %.2f ms mean, %.2f ms longest\n", total / count, longest);
    std::printf("disk used: %.1f MB per page, %.1f MB in all\n",
        double(document.pageStore()->diskBytes()) / 1e6 / count, double(document.pageStore()->diskBytes()) / 1e6);
    std::printf("pages in memory at the end: %.1f MB; peak resident: %.1f MB\n",
        double(document.pageStore()->residentBytes()) / 1e6, double(peakResidentKb()) / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    keepUserFoldersApart();
    QGuiApplication app(argc, argv);
    silenceLog();
    int feederPages = 0;
    int pagesPerMinute = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--feeder-pages=", 15) == 0)
            feederPages = std::atoi(argv[i] + 15);
        else if (std::strncmp(argv[i], "--pages-per-minute=", 19) == 0)
            pagesPerMinute = std::atoi(argv[i] + 19);
    }
    if (feederPages > 0)
        return feederRun(feederPages, pagesPerMinute);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
