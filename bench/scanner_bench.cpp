// What Quirra's SANE side costs on top of libsane itself. SANE's "test" backend
// produces data at memory speed, so the gap between a Quirra scan (from
// startScan to its last signal) and a bare libsane loop doing the same scan is
// Quirra's own overhead: option negotiation, the worker thread, frame
// decoding, queued signals. Reported beside the times:
//   extra_MiB    peak heap in use during the scan above what it started with
//                and the final image(s) it delivered; counted by wrapping the
//                process's malloc (the bare loop's figure: its read buffer)
//   gui_gap_ms   longest gap between ticks of a 1 ms timer on the GUI thread
//                while the scan ran (wall clock: includes time the shared
//                machine's scheduler gave to other processes)
//   gui_busy_ms  the GUI thread's own CPU time within its longest-working gap:
//                how long Quirra's code kept the event loop from the timer
//   cpu_ms       CPU time of the whole process (all threads, the backend's
//                reader thread included) per scan: unlike the wall-clock time
//                it hardly depends on what else the machine is doing
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

extern "C" {
#include <sane/sane.h>
}

#include "bench/sanetestbackend.h"
#include "scanner/scannercontroller.h"

#include <malloc.h>
#include <time.h>

#include <atomic>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// Heap accounting: every allocation of the process (Qt, libsane, the backend)
// passes through these wrappers, which keep the bytes in use and their peak.
std::atomic<qint64> heapInUse { 0 };
std::atomic<qint64> heapPeak { 0 };

void noteAllocation(void *pointer)
{
    if (!pointer)
        return;
    const qint64 now = heapInUse += qint64(malloc_usable_size(pointer));
    qint64 peak = heapPeak.load(std::memory_order_relaxed);
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) { }
}

void noteRelease(void *pointer)
{
    if (pointer)
        heapInUse -= qint64(malloc_usable_size(pointer));
}

void resetHeapPeak()
{
    heapPeak = heapInUse.load();
}

} // namespace

extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void *__libc_memalign(size_t, size_t);
void __libc_free(void *);

void *malloc(size_t size)
{
    void *pointer = __libc_malloc(size);
    noteAllocation(pointer);
    return pointer;
}

void *calloc(size_t count, size_t size)
{
    void *pointer = __libc_calloc(count, size);
    noteAllocation(pointer);
    return pointer;
}

void *realloc(void *old, size_t size)
{
    noteRelease(old);
    void *pointer = __libc_realloc(old, size);
    if (pointer)
        noteAllocation(pointer);
    else if (old && size != 0)
        noteAllocation(old); // the old block stays
    return pointer;
}

void free(void *pointer)
{
    noteRelease(pointer);
    __libc_free(pointer);
}

void *memalign(size_t alignment, size_t size)
{
    void *pointer = __libc_memalign(alignment, size);
    noteAllocation(pointer);
    return pointer;
}

void *aligned_alloc(size_t alignment, size_t size)
{
    return memalign(alignment, size);
}

int posix_memalign(void **result, size_t alignment, size_t size)
{
    void *pointer = __libc_memalign(alignment, size);
    if (!pointer)
        return 12; // ENOMEM
    noteAllocation(pointer);
    *result = pointer;
    return 0;
}
}

namespace {

QTemporaryDir *configDir = nullptr;

bool prepareConfig()
{
    configDir = new QTemporaryDir;
    return useSaneTestBackend(*configDir);
}

double processCpuMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Measures the longest pause of the GUI thread's event loop.
class GapProbe
{
public:
    GapProbe()
    {
        timer.setInterval(1);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.nsecsElapsed();
            const qint64 cpu = threadCpuNanoseconds();
            longest = std::max(longest, now - last);
            busiest = std::max(busiest, cpu - lastCpu);
            last = now;
            lastCpu = cpu;
        });
    }
    void start()
    {
        clock.start();
        last = 0;
        longest = 0;
        lastCpu = threadCpuNanoseconds();
        busiest = 0;
        timer.start();
    }
    double stopMilliseconds()
    {
        timer.stop();
        return longest / 1e6;
    }
    double busiestMilliseconds() const { return busiest / 1e6; }

    static qint64 threadCpuNanoseconds()
    {
        timespec now;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    }

private:
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    qint64 lastCpu = 0;
    qint64 busiest = 0;
};

ScannerController *controller = nullptr;

ScannerController &readyController()
{
    if (!controller) {
        controller = new ScannerController;
        controller->initializeSync();
        controller->getAvailableScanners(false);
        controller->selectScanner(QStringLiteral("test:0"));
    }
    return *controller;
}

struct QuirraRun
{
    int pages = 0;
    qint64 imageBytes = 0;
    bool failed = false;
};

QuirraRun runQuirra(const QString &mode, const QString &source, bool feeder, GapProbe *probe)
{
    ScannerController &scanner = readyController();
    QuirraRun run;
    QEventLoop loop;
    QList<QImage> images;
    auto done = QObject::connect(&scanner, &ScannerController::scanComplete, &loop, [&](const QImage &image) {
        images << image;
        if (!feeder)
            loop.quit();
    });
    auto finished = QObject::connect(&scanner, &ScannerController::multiPageScanFinished, &loop, [&] { loop.quit(); });
    auto failed = QObject::connect(&scanner, &ScannerController::scanError, &loop, [&] {
        run.failed = true;
        loop.quit();
    });
    if (probe)
        probe->start();
    if (scanner.startScan(QString(), mode, 300, source, QStringLiteral("Simplex")))
        loop.exec();
    else
        run.failed = true;
    QObject::disconnect(done);
    QObject::disconnect(finished);
    QObject::disconnect(failed);
    run.pages = images.size();
    for (const QImage &image : images)
        run.imageBytes += image.sizeInBytes();
    return run;
}

// The probe's 1 ms timer costs the GUI thread wake-ups that compete with the
// scan for the CPU, so only the run that reports the gaps carries it.
void quirraScan(benchmark::State &state, const QString &mode, const QString &source, bool feeder, bool probeGaps)
{
    GapProbe probe;
    double worstGap = 0.0;
    double worstBusy = 0.0;
    double extraMiB = -1e9;
    double imageMiB = 0.0;
    double cpu = 0.0;
    int pages = 0;
    for (auto _ : state) {
        const qint64 before = heapInUse.load();
        resetHeapPeak();
        const double cpuBefore = processCpuMilliseconds();
        const QuirraRun run = runQuirra(mode, source, feeder, probeGaps ? &probe : nullptr);
        cpu += processCpuMilliseconds() - cpuBefore;
        const qint64 peak = heapPeak.load();
        worstGap = std::max(worstGap, probe.stopMilliseconds());
        worstBusy = std::max(worstBusy, probe.busiestMilliseconds());
        if (run.failed) {
            state.SkipWithError("scan failed");
            break;
        }
        pages = run.pages;
        imageMiB = run.imageBytes / (1024.0 * 1024.0);
        // A feeder run holds every page; a single page its one image.
        extraMiB = std::max(extraMiB, (peak - before - run.imageBytes) / (1024.0 * 1024.0));
    }
    state.counters["pages"] = pages;
    state.counters["image_MiB"] = imageMiB;
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    state.counters["extra_MiB"] = extraMiB;
    if (probeGaps) {
        state.counters["gui_gap_ms"] = worstGap;
        state.counters["gui_busy_ms"] = worstBusy;
    }
}

void BM_QuirraColorPage(benchmark::State &state)
{
    quirraScan(state, QStringLiteral("彩色"), QStringLiteral("Flatbed"), false, false);
}

void BM_QuirraGrayPage(benchmark::State &state)
{
    quirraScan(state, QStringLiteral("灰度"), QStringLiteral("Flatbed"), false, false);
}

void BM_QuirraFeederRun(benchmark::State &state)
{
    quirraScan(state, QStringLiteral("彩色"), QStringLiteral("自动进纸器"), true, false);
}

void BM_QuirraFeederRunGuiGaps(benchmark::State &state)
{
    quirraScan(state, QStringLiteral("彩色"), QStringLiteral("自动进纸器"), true, true);
}

// The bare loop: what a minimal frontend does for the same scan.
SANE_Int findOption(SANE_Handle handle, const char *name)
{
    SANE_Int count = 0;
    sane_control_option(handle, 0, SANE_ACTION_GET_VALUE, &count, nullptr);
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor *descriptor = sane_get_option_descriptor(handle, i);
        if (descriptor && descriptor->name && std::strcmp(descriptor->name, name) == 0)
            return i;
    }
    return -1;
}

void setString(SANE_Handle handle, const char *name, const char *value)
{
    const SANE_Int option = findOption(handle, name);
    const SANE_Option_Descriptor *descriptor = sane_get_option_descriptor(handle, option);
    std::vector<char> buffer(size_t(std::max<SANE_Int>(descriptor->size, SANE_Int(std::strlen(value) + 1))), 0);
    std::memcpy(buffer.data(), value, std::strlen(value));
    sane_control_option(handle, option, SANE_ACTION_SET_VALUE, buffer.data(), nullptr);
}

struct BareRun
{
    int pages = 0;
    qint64 imageBytes = 0;
    bool failed = false;
};

BareRun runBare(const char *mode, const char *source, bool feeder)
{
    BareRun run;
    SANE_Handle handle = nullptr;
    if (sane_open("test:0", &handle) != SANE_STATUS_GOOD) {
        run.failed = true;
        return run;
    }
    setString(handle, "mode", mode);
    setString(handle, "source", source);
    SANE_Word resolution = SANE_FIX(300);
    sane_control_option(handle, findOption(handle, "resolution"), SANE_ACTION_SET_VALUE, &resolution, nullptr);
    std::vector<SANE_Byte> chunk(32768);
    std::vector<std::vector<SANE_Byte>> pages;
    for (;;) {
        const SANE_Status started = sane_start(handle);
        if (started != SANE_STATUS_GOOD) {
            run.failed = pages.empty();
            break;
        }
        SANE_Parameters parameters;
        sane_get_parameters(handle, &parameters);
        std::vector<SANE_Byte> page;
        page.reserve(size_t(parameters.bytes_per_line) * size_t(std::max(parameters.lines, 1)));
        SANE_Int length = 0;
        SANE_Status status;
        while ((status = sane_read(handle, chunk.data(), SANE_Int(chunk.size()), &length)) == SANE_STATUS_GOOD)
            page.insert(page.end(), chunk.begin(), chunk.begin() + length);
        if (status != SANE_STATUS_EOF) {
            run.failed = true;
            break;
        }
        run.imageBytes += qint64(page.size());
        pages.push_back(std::move(page));
        if (!feeder)
            break;
    }
    sane_cancel(handle);
    sane_close(handle);
    run.pages = int(pages.size());
    return run;
}

// A Quirra scan's image arrives before its worker has closed the device, and the
// test backend refuses to open a device that is still open: the bare loop
// waits, outside its timing, until the device is free.
void waitUntilDeviceFree()
{
    for (int attempt = 0; attempt < 500; ++attempt) {
        SANE_Handle handle = nullptr;
        if (sane_open("test:0", &handle) == SANE_STATUS_GOOD) {
            sane_close(handle);
            return;
        }
        QThread::msleep(10);
    }
}

void bareScan(benchmark::State &state, const char *mode, const char *source, bool feeder)
{
    readyController(); // keeps SANE initialised, as in the Quirra runs
    waitUntilDeviceFree();
    double extraMiB = -1e9;
    double imageMiB = 0.0;
    double cpu = 0.0;
    int pages = 0;
    for (auto _ : state) {
        const qint64 before = heapInUse.load();
        resetHeapPeak();
        const double cpuBefore = processCpuMilliseconds();
        const BareRun run = runBare(mode, source, feeder);
        cpu += processCpuMilliseconds() - cpuBefore;
        const qint64 peak = heapPeak.load();
        if (run.failed) {
            state.SkipWithError("scan failed");
            break;
        }
        pages = run.pages;
        imageMiB = run.imageBytes / (1024.0 * 1024.0);
        extraMiB = std::max(extraMiB, (peak - before - run.imageBytes) / (1024.0 * 1024.0));
    }
    state.counters["pages"] = pages;
    state.counters["image_MiB"] = imageMiB;
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    state.counters["extra_MiB"] = extraMiB;
}

void BM_BareColorPage(benchmark::State &state)
{
    bareScan(state, "Color", "Flatbed", false);
}

void BM_BareGrayPage(benchmark::State &state)
{
    bareScan(state, "Gray", "Flatbed", false);
}

void BM_BareFeederRun(benchmark::State &state)
{
    bareScan(state, "Color", "Automatic Document Feeder", true);
}

// A preview of the whole 200 x 200 mm bed, from startPreview to its image.
void BM_QuirraPreviewWholeBed(benchmark::State &state)
{
    ScannerController &scanner = readyController();
    int width = 0;
    for (auto _ : state) {
        QEventLoop loop;
        bool failed = false;
        auto done = QObject::connect(&scanner, &ScannerController::previewComplete, &loop, [&](const QImage &image) {
            width = image.width();
            loop.quit();
        });
        auto error = QObject::connect(&scanner, &ScannerController::scanError, &loop, [&] {
            failed = true;
            loop.quit();
        });
        if (scanner.startPreview(QString()))
            loop.exec();
        else
            failed = true;
        QObject::disconnect(done);
        QObject::disconnect(error);
        if (failed) {
            state.SkipWithError("preview failed");
            break;
        }
    }
    state.counters["width_px"] = width;
}

} // namespace

BENCHMARK(BM_QuirraColorPage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareColorPage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QuirraGrayPage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareGrayPage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QuirraFeederRun)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareFeederRun)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QuirraFeederRunGuiGaps)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QuirraPreviewWholeBed)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    if (!prepareConfig())
        return 1;
    // The scanner's log lines are part of its work but their terminal output
    // is not; they are formatted and dropped.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete controller;
    delete configDir;
    return 0;
}
