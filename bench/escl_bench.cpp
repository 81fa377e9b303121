// What a network page costs on the client side: the enhancement of an A4
// 300 dpi page, its JPEG decode, and a whole platen scan against the loopback
// eSCL test server (POST, GET of the JPEG, decode, enhancement, DELETE). The
// scan minus the decode is what the client adds to the decode it cannot avoid.
#include <QBuffer>
#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "escl/esclscanner.h"
#include "tests/support/escltestserver.h"

namespace {

const QSize a4At300dpi(2480, 3507);

// A page as a scanner delivers it: paper with some grain, lines of dark "text".
QImage syntheticPage()
{
    QImage page(a4At300dpi, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < page.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(page.scanLine(y));
        const bool textRow = (y / 40) % 2 == 1 && y > 200 && y < page.height() - 200;
        for (int x = 0; x < page.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 29); // 0..7
            const bool ink = textRow && x > 180 && x < page.width() - 180 && ((x / 13) % 3 != 0);
            const int v = ink ? 30 + grain * 4 : 236 + grain * 2;
            line[x] = qRgb(v, v, qMax(0, v - 4));
        }
    }
    return page;
}

QByteArray encodeJpeg(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(85);
    writer.write(image);
    return bytes;
}

const QImage &page()
{
    static const QImage image = syntheticPage();
    return image;
}

const QByteArray &pageJpeg()
{
    static const QByteArray bytes = encodeJpeg(page());
    return bytes;
}

// The enhancement as the arithmetic is written: three double-precision
// channel computations per pixel. The reference the table version is measured against.
QImage referenceEnhance(const QImage &source)
{
    QImage image = source.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int r = qRed(line[x]);
            const int g = qGreen(line[x]);
            const int b = qBlue(line[x]);
            if (r + g + b > 722) {
                line[x] = qRgba(255, 255, 255, 255);
                continue;
            }
            auto channel = [](int c) {
                const int c1 = qMin(c + 10, 255);
                return qBound(0, static_cast<int>((c1 - 128) * 1.15 + 128), 255);
            };
            line[x] = qRgba(channel(r), channel(g), channel(b), 255);
        }
    }
    return image;
}

void BM_EnhanceReference(benchmark::State &state)
{
    const QImage &input = page();
    for (auto _ : state) {
        QImage result = referenceEnhance(input);
        benchmark::DoNotOptimize(result.constBits());
    }
    state.counters["Mpixel"] = double(input.width()) * input.height() / 1e6;
}
BENCHMARK(BM_EnhanceReference)->Unit(benchmark::kMillisecond);

// A caller that keeps its image: the page is copied once, then rewritten.
void BM_EnhanceKeepingInput(benchmark::State &state)
{
    const QImage &input = page();
    for (auto _ : state) {
        QImage result = ESCLScanner::enhanceScannedPage(input);
        benchmark::DoNotOptimize(result.constBits());
    }
}
BENCHMARK(BM_EnhanceKeepingInput)->Unit(benchmark::kMillisecond);

// The client's own case: the freshly decoded page is handed over and rewritten in place.
void BM_EnhanceHandedOver(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QImage decoded = page().copy();
        state.ResumeTiming();
        QImage result = ESCLScanner::enhanceScannedPage(std::move(decoded));
        benchmark::DoNotOptimize(result.constBits());
    }
}
BENCHMARK(BM_EnhanceHandedOver)->Unit(benchmark::kMillisecond);

void BM_DecodeJpeg(benchmark::State &state)
{
    QByteArray bytes = pageJpeg();
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        QImage image = reader.read();
        if (image.size() != a4At300dpi)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["JPEG_kB"] = bytes.size() / 1024.0;
}
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_PlatenScan(benchmark::State &state)
{
    using Response = EsclTestServer::Response;
    EsclTestServer server;
    if (!server.start()) {
        state.SkipWithError("no loopback server");
        return;
    }
    server.setStanding("POST", "/eSCL/ScanJobs", Response::created("/eSCL/ScanJobs/1"));
    server.setStanding("GET", "/eSCL/ScanJobs/1/NextDocument", Response::document(pageJpeg()));
    server.setStanding("DELETE", "/eSCL/ScanJobs/1", Response::withStatus(200));

    ESCLScanner scanner(server.baseUrl());
    // The 2000 ms wait for the scanner is the device's time, not the client's.
    ESCLScanner::Intervals intervals;
    intervals.scannerReadyDelayMs = 0;
    scanner.setIntervals(intervals);
    ESCLScanSettings settings;
    settings.width = 2480;
    settings.height = 3507;

    QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    for (auto _ : state) {
        QEventLoop loop;
        bool ok = false;
        auto done = QObject::connect(&scanner, &ESCLScanner::allPagesComplete, &loop, [&](int pages) {
            ok = pages == 1;
            loop.quit();
        });
        auto failed = QObject::connect(&scanner, &ESCLScanner::scanError, &loop, &QEventLoop::quit);
        scanner.startScan(settings);
        loop.exec();
        QObject::disconnect(done);
        QObject::disconnect(failed);
        if (!ok) {
            state.SkipWithError("scan failed");
            break;
        }
    }
    // Let the last DELETE go out before the server goes.
    QEventLoop settle;
    QTimer::singleShot(50, &settle, &QEventLoop::quit);
    settle.exec();
    qInstallMessageHandler(previous);
}
BENCHMARK(BM_PlatenScan)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
