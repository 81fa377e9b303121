// What scanning through the window costs: one A4 300 dpi colour page from the
// scanner's page signal until it is shown in the view and listed with its
// thumbnail (blank test included), and a ten-sheet colour feeder run of SANE's
// "test" backend pressed from the window's scan button until the run is over.
// Compare the run with BM_BareFeederRun of scanner_bench, the bare libsane loop
// for the same sheets (same test.conf). Reported beside the times:
//   gui_gap_ms   longest gap between ticks of a 1 ms timer on the GUI thread
//                during the run (wall clock; the shared machine's scheduler
//                is part of it)
//   gui_busy_ms  the GUI thread's own CPU time within its longest-working gap:
//                how long the window's code kept the event loop from the timer
//   cpu_ms       CPU time of the whole process (all threads) per run, which
//                hardly depends on what else the machine is doing
//   pages        pages that reached the document
// Nothing is saved: automatic saving is off, so the final save is not counted.
// The feeder run's argument 1 ticks "扫描后自动纠偏": every page is straightened
// on the corrector's thread before it is shown; argument 2 ticks "文字识别": every
// page is recognised in the background while the run goes on.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <time.h>

#include "bench/benchenvironment.h"
#include "bench/sanetestbackend.h"
#include "document/documentmanager.h"
#include "imaging/imageprocessor.h"
#include "scanner/scannercontroller.h"
#include "ui/mainwindow.h"
#include "ui/scansession.h"
#include "settings/appsettings.h"

namespace {

QTemporaryDir *scratch = nullptr;

// scanner_bench's configuration, so the window's run compares with its bare loop.
bool prepareEnvironment()
{
    scratch = new QTemporaryDir;
    return useSaneTestBackend(*scratch);
}

// The user's settings stay untouched: the window reads and writes a store of
// its own, with blank-page skipping on and automatic saving off.
void isolateSettings(bool autoDeskew = false, bool textRecognition = false)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch->path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, scratch->path());
    QSettings settings = AppSettings::openStore();
    settings.clear();
    AppSettings::removeBlankPages.write(settings, true);
    AppSettings::autoSave.write(settings, false);
    AppSettings::savePath.write(settings, scratch->path());
    AppSettings::resolution.write(settings, QStringLiteral("300"));
    AppSettings::autoDeskew.write(settings, autoDeskew);
    AppSettings::textRecognition.write(settings, textRecognition);
}

// An A4 page at 300 dpi as the scanner delivers it (24-bit RGB), mostly white
// with lines of text-like strokes: the blank test has to look at all of it.
QImage a4Page()
{
    QImage image(2480, 3508, QImage::Format_RGB888);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::darkBlue, 3));
    for (int line = 0; line < 60; ++line)
        painter.drawLine(200, 300 + line * 50, 2200 - (line * 7) % 700, 300 + line * 50);
    return image;
}

class GapProbe
{
public:
    GapProbe()
    {
        timer.setInterval(1);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.nsecsElapsed();
            const qint64 cpu = cpuNanoseconds(CLOCK_THREAD_CPUTIME_ID);
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
        lastCpu = cpuNanoseconds(CLOCK_THREAD_CPUTIME_ID);
        busiest = 0;
        timer.start();
    }
    double stopMilliseconds()
    {
        timer.stop();
        return longest / 1e6;
    }
    double busiestMilliseconds() const { return busiest / 1e6; }

    static qint64 cpuNanoseconds(clockid_t clock)
    {
        timespec now;
        clock_gettime(clock, &now);
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

void BM_PageSignalToShownPage(benchmark::State &state)
{
    isolateSettings();
    MainWindow window;
    window.resize(1024, 768);
    window.show();
    QApplication::processEvents();
    auto *document = window.findChild<DocumentManager *>(QStringLiteral("documentManager"));
    auto *list = window.findChild<QListWidget *>(QStringLiteral("pageList"));
    const QImage page = a4Page();
    for (auto _ : state) {
        QMetaObject::invokeMethod(&window, "onScanComplete", Qt::DirectConnection, Q_ARG(QImage, page));
        // The view and the list repaint in the event loop.
        QApplication::processEvents();
        state.PauseTiming();
        if (document->pageCount() != 1 || list->count() != 1) {
            state.SkipWithError("the page did not arrive");
            break;
        }
        document->removePage(0);
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PageSignalToShownPage)->Unit(benchmark::kMillisecond);

// The blank test's share of a page, on the page as the scanner delivers it.
void BM_BlankTestOfScannedPage(benchmark::State &state)
{
    ImageProcessor processor;
    const QImage page = a4Page();
    for (auto _ : state)
        benchmark::DoNotOptimize(processor.isBlankPage(page, 240, 0.98));
}
BENCHMARK(BM_BlankTestOfScannedPage)->Unit(benchmark::kMillisecond);

void BM_WindowFeederRun(benchmark::State &state)
{
    isolateSettings(state.range(0) == 1, state.range(0) == 2);
    MainWindow window;
    window.resize(1024, 768);
    window.show();
    QApplication::processEvents();
    auto *scanners = window.findChild<QComboBox *>(QStringLiteral("scannerCombo"));
    auto *sources = window.findChild<QComboBox *>(QStringLiteral("paperSourceCombo"));
    auto *document = window.findChild<DocumentManager *>(QStringLiteral("documentManager"));
    auto *scanButton = window.findChild<QPushButton *>(QStringLiteral("scanButton"));
    // The device search, as the user starts it; the list arrives in the event loop.
    window.findChild<QPushButton *>(QStringLiteral("findDeviceButton"))->click();
    QElapsedTimer waited;
    waited.start();
    while (
        (scanners->count() < 2 || scanners->itemText(0).contains(QStringLiteral("正在"))) && waited.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    sources->setCurrentIndex(sources->findText(QStringLiteral("自动进纸器")));
    auto *controller = window.findChild<ScannerController *>();
    ScanSession *session = nullptr;
    if (!controller || sources->currentIndex() < 0) {
        state.SkipWithError("no test scanner with a feeder");
        return;
    }

    GapProbe probe;
    double worstGap = 0.0;
    double worstBusy = 0.0;
    double cpu = 0.0;
    int pages = 0;
    for (auto _ : state) {
        QEventLoop loop;
        bool failed = false;
        bool finished = false;
        auto end
            = QObject::connect(controller, &ScannerController::multiPageScanFinished, &loop, [&] { finished = true; });
        auto error = QObject::connect(controller, &ScannerController::scanError, &loop, [&] {
            failed = true;
            loop.quit();
        });
        // The run is over once the window has handled the finished signal and
        // every page that waited for its turn.
        QTimer idle;
        idle.setInterval(1);
        QObject::connect(&idle, &QTimer::timeout, &loop, [&] {
            if (finished && !session->isScanning() && !session->isBusy())
                loop.quit();
        });
        const qint64 cpuBefore = GapProbe::cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID);
        probe.start();
        idle.start();
        scanButton->click();
        if (!session)
            session = window.findChild<ScanSession *>();
        loop.exec();
        idle.stop();
        QObject::disconnect(end);
        QObject::disconnect(error);
        worstGap = std::max(worstGap, probe.stopMilliseconds());
        worstBusy = std::max(worstBusy, probe.busiestMilliseconds());
        cpu += (GapProbe::cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID) - cpuBefore) / 1e6;
        state.PauseTiming();
        pages = document->pageCount();
        if (failed || pages != 10) {
            state.SkipWithError("the run did not deliver ten pages");
            break;
        }
        document->newDocument();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
    state.counters["gui_gap_ms"] = worstGap;
    state.counters["gui_busy_ms"] = worstBusy;
    state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_WindowFeederRun)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    keepUserFoldersApart();
    if (!prepareEnvironment())
        return 1;
    // The log lines are part of the work; their terminal output is not.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete scratch;
    return 0;
}
