// The command line's conversion against the window's save: 20 A4 300 dpi colour
// pages as JPEG files (what a scanner's or a phone's pages usually are) converted
// into one PDF by `quirra --convert`, in process, next to the window's save of the
// same pages from its document (DocumentManager::saveAsPdf, the writer call
// behind "保存"). The conversion reads its pages from the files as the writer
// asks for them; the window's document has them in its page store already, once
// as scanned pages and once imported from the JPEG files (whose streams the
// writer may copy).
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <memory>

#include "app/batchrunner.h"
#include "app/commandline.h"
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

QStringList &inputFiles()
{
    static QStringList files;
    if (files.isEmpty()) {
        for (int i = 0; i < pageCount; ++i) {
            files.append(scratch().filePath(QStringLiteral("page-%1.jpg").arg(i + 1, 2, 10, QLatin1Char('0'))));
            scannedPage(quint32(i + 1)).save(files.last(), "JPEG", 90);
        }
    }
    return files;
}

// Released before the application object, so their page stores end their workers.
std::unique_ptr<DocumentManager> windowDocuments[2];

// Argument: 0 the pages scanned, 1 the pages imported from their files.
void BM_WindowSave20Pages(benchmark::State &state)
{
    std::unique_ptr<DocumentManager> &document = windowDocuments[state.range(0)];
    if (!document) {
        document = std::make_unique<DocumentManager>();
        if (state.range(0) == 0) {
            for (const QString &file : inputFiles())
                document->addPage(QImage(file));
        } else {
            document->importer()->addNow(inputFiles());
        }
        document->pageStore()->waitForWrites();
    }
    const QString path = scratch().filePath(QStringLiteral("window.pdf"));
    for (auto _ : state) {
        if (!document->saveAsPdf(path))
            state.SkipWithError("saveAsPdf failed");
    }
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_WindowSave20Pages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_Convert20Pages(benchmark::State &state)
{
    const QString path = scratch().filePath(QStringLiteral("converted.pdf"));
    QSettings store(scratch().filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    QString discard;
    QTextStream out(&discard);
    QTextStream err(&discard);
    const CommandLine::Request request
        = CommandLine::parse(QStringList { QStringLiteral("quirra"), QStringLiteral("--convert") } + inputFiles()
            + QStringList { QStringLiteral("--output"), path });
    for (auto _ : state) {
        BatchRunner runner(store, out, err);
        if (runner.run(request) != CommandLine::Done)
            state.SkipWithError("conversion failed");
        discard.clear();
    }
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_Convert20Pages)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    keepUserFoldersApart();
    QGuiApplication app(argc, argv);
    silenceLog();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (auto &document : windowDocuments)
        document.reset();
    return 0;
}
