// Text recognition against the tesseract command on the same pages and models:
// character error rate, the time to read a batch of A4 pages in the background
// (with the GUI thread's longest stall meanwhile), what binarisation and deskew
// gain, and what the PDF text layer costs.
//
//   ocr_bench [--ocr-pages=N]   pages of the set (default 4 of 10; the full set
//                               takes minutes on two shared cores)
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "bench/benchenvironment.h"
#include "document/documentmanager.h"
#include "document/imagefilewriter.h"
#include "document/pdftextlayer.h"
#include "imaging/imageprocessor.h"
#include "ocr/textrecognizer.h"
#include "tests/support/textpages.h"
#include "ui/recognitionqueue.h"

namespace {

int pageCount = 4;
const QString languages = QStringLiteral("chi_sim+eng");

// The set: A4 at 300 dpi, 24 lines of Chinese and English, grain and specks; every
// third page skewed by a degree and a half, as a sheet fed slightly askew.
struct Set
{
    QTemporaryDir folder;
    QVector<TextPages::Page> pages;
    QStringList files;
};

Set &pageSet()
{
    static Set set;
    if (set.pages.isEmpty()) {
        for (int i = 0; i < 10; ++i) {
            const double skew = i % 3 == 2 ? 1.5 : 0;
            set.pages.append(
                TextPages::render(TextPages::mixedLines(24, i * 3), QSize(2480, 3508), 11, unsigned(i + 1), 14, skew));
            set.files.append(set.folder.filePath(QStringLiteral("page-%1.png").arg(i)));
            set.pages.last().image.save(set.files.last());
        }
    }
    return set;
}

QString reference(int page)
{
    return pageSet().pages.at(page).lines.join(QLatin1Char('\n'));
}

void reportRate(benchmark::State &state, double errors, double characters)
{
    state.counters["CER_%"] = characters > 0 ? 100 * errors / characters : 0;
    state.counters["pages"] = pageCount;
}

double letters(const QString &text)
{
    QString kept = text;
    return kept.remove(QLatin1Char(' ')).remove(QLatin1Char('\n')).size();
}

// The command, one page after another, as a user would run it.
void BM_TesseractCommand(benchmark::State &state)
{
    Set &set = pageSet();
    double errors = 0, characters = 0;
    for (auto _ : state) {
        errors = characters = 0;
        for (int i = 0; i < pageCount; ++i) {
            QProcess process;
            process.start(QStringLiteral("tesseract"),
                { set.files.at(i), QStringLiteral("-"), QStringLiteral("-l"), languages, QStringLiteral("--dpi"),
                    QStringLiteral("300") });
            process.waitForFinished(-1);
            const QString text = QString::fromUtf8(process.readAllStandardOutput());
            errors += TextPages::editDistance(reference(i), text);
            characters += letters(reference(i));
        }
    }
    reportRate(state, errors, characters);
}
BENCHMARK(BM_TesseractCommand)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The library on one thread, per preprocessing: 0 = the engine's own (Otsu),
// 1 = Sauvola, 2 = Otsu after our deskew.
void BM_Recognizer(benchmark::State &state)
{
    Set &set = pageSet();
    TextRecognizer recognizer;
    recognizer.load(languages);
    recognizer.setBinarisation(
        state.range(0) == 1 ? TextRecognizer::Binarisation::Sauvola : TextRecognizer::Binarisation::Otsu);
    ImageProcessor processor;
    double errors = 0, characters = 0;
    for (auto _ : state) {
        errors = characters = 0;
        for (int i = 0; i < pageCount; ++i) {
            const QImage page = state.range(0) == 2 ? processor.deskew(set.pages.at(i).image) : set.pages.at(i).image;
            const PageText text = recognizer.recognize(page);
            errors += TextPages::editDistance(reference(i), text.plainText());
            characters += letters(reference(i));
        }
    }
    reportRate(state, errors, characters);
    state.SetLabel(state.range(0) == 0 ? "otsu" : state.range(0) == 1 ? "sauvola" : "deskew+otsu");
}
BENCHMARK(BM_Recognizer)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The window's way: pages enter the document, the queue reads them on its pool;
// a 1 ms timer on the GUI thread measures the thread's longest stall while they are read.
void BM_BackgroundQueue(benchmark::State &state)
{
    Set &set = pageSet();
    double errors = 0, characters = 0;
    qint64 longestStall = 0;
    for (auto _ : state) {
        DocumentManager document;
        RecognitionQueue queue(&document);
        queue.setEnabled(true);
        QElapsedTimer sinceTick;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] { longestStall = qMax(longestStall, sinceTick.restart()); });
        int done = 0;
        QEventLoop loop;
        QObject::connect(&queue, &RecognitionQueue::textReady, [&] {
            if (++done == pageCount)
                loop.quit();
        });
        // Adding a page is the page store's cost, timed by its own benchmark.
        for (int i = 0; i < pageCount; ++i)
            document.addPage(set.pages.at(i).image);
        sinceTick.start();
        tick.start();
        loop.exec();
        tick.stop();
        errors = characters = 0;
        for (int i = 0; i < pageCount; ++i) {
            errors += TextPages::editDistance(reference(i), queue.text(document.pageId(i)).plainText());
            characters += letters(reference(i));
        }
    }
    reportRate(state, errors, characters);
    state.counters["gui_stall_ms"] = double(longestStall);
}
BENCHMARK(BM_BackgroundQueue)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The same timer with nothing running beside it: the stall the shared machine's
// scheduler alone gives the GUI thread, to read the figure above against.
void BM_IdleStall(benchmark::State &state)
{
    qint64 longestStall = 0;
    for (auto _ : state) {
        QElapsedTimer sinceTick;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] { longestStall = qMax(longestStall, sinceTick.restart()); });
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        sinceTick.start();
        tick.start();
        loop.exec();
    }
    state.counters["gui_stall_ms"] = double(longestStall);
}
BENCHMARK(BM_IdleStall)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// Bytes the text layer adds per page of text, against the same file without it.
void BM_TextLayerSize(benchmark::State &state)
{
    Set &set = pageSet();
    TextRecognizer recognizer;
    recognizer.load(languages);
    QVector<PageText> texts;
    QList<QImage> images;
    for (int i = 0; i < qMin(pageCount, 2); ++i) {
        images.append(set.pages.at(i).image);
        texts.append(recognizer.recognize(images.last()));
    }
    QTemporaryDir folder;
    const QString plain = folder.filePath(QStringLiteral("plain.pdf"));
    const QString layered = folder.filePath(QStringLiteral("layered.pdf"));
    for (auto _ : state) {
        ImageFileWriter::writePdf(images, plain, ImageFileWriter::PdfLayout(), nullptr);
        ImageFileWriter::PdfLayout layout;
        layout.decoratePage = PdfTextLayer::decorator(texts);
        ImageFileWriter::writePdf(images, layered, layout, nullptr);
    }
    state.counters["added_bytes_per_page"]
        = double(QFileInfo(layered).size() - QFileInfo(plain).size()) / images.size();
    int characters = 0;
    for (const PageText &text : texts)
        characters += text.plainText().size();
    state.counters["chars_per_page"] = double(characters) / images.size();
}
BENCHMARK(BM_TextLayerSize)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    keepUserFoldersApart();
    QGuiApplication app(argc, argv);
    silenceLog();
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--ocr-pages=", 12) == 0)
            pageCount = qBound(1, std::atoi(argv[i] + 12), 10);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
