// What the GUI thread pays when a page enters a long document, and when the
// user selects another page: the list item with its thumbnail, and the page
// fitted into the view. Pages are A4 at 300 dpi as the scanner delivers them
// (24-bit RGB); decoding a file is not part of it.
#include <QApplication>
#include <QListWidget>
#include <QPainter>

#include <benchmark/benchmark.h>

#include "document/documentmanager.h"
#include "document/pagestore.h"
#include "ui/imagescaler.h"
#include "ui/mainwindow.h"
#include "ui/pagelistwidget.h"

namespace {

QImage a4Page(int seed)
{
    QImage image(2480, 3508, QImage::Format_RGB888);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 3));
    for (int line = 0; line < 60; ++line)
        painter.drawLine(200, 300 + line * 50, 2200 - (line * seed) % 700, 300 + line * 50);
    return image;
}

// Paper with sensor noise and lines of text, as a colour scan looks to a codec.
QImage noisyA4Page(int seed)
{
    QImage image = a4Page(seed);
    quint32 state = quint32(seed) * 2654435761u + 1;
    for (int y = 0; y < image.height(); ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < image.width() * 3; ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = uchar(row[x] - (state >> 29));
        }
    }
    return image;
}

struct Window
{
    Window()
    {
        window.resize(1024, 768);
        window.show();
        QApplication::processEvents();
        document = window.findChild<DocumentManager *>(QStringLiteral("documentManager"));
        list = window.findChild<QListWidget *>(QStringLiteral("pageList"));
        const QImage page = a4Page(1);
        for (int i = 0; i < 100; ++i)
            document->addPage(page); // shared data: 100 pages, one buffer
        QApplication::processEvents();
    }
    MainWindow window;
    DocumentManager *document = nullptr;
    QListWidget *list = nullptr;
};

// addPage on a 100-page document: the list item, its thumbnail, the view
// showing the new page (the list makes it current), and the deferred relayout
// and repaint of the list and the view that follow in the event loop.
void BM_AddPageTo100PageDocument(benchmark::State &state)
{
    Window w;
    const QImage page = a4Page(2);
    for (auto _ : state) {
        w.document->addPage(page);
        QApplication::processEvents();
        state.PauseTiming();
        w.document->removePage(w.document->pageCount() - 1);
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["pages"] = w.document->pageCount();
}
BENCHMARK(BM_AddPageTo100PageDocument)->Unit(benchmark::kMillisecond);

// A click on another row of the list until the page is in the view and painted.
void BM_SelectAnotherPage(benchmark::State &state)
{
    Window w;
    int row = 0;
    for (auto _ : state) {
        row = row == 10 ? 20 : 10;
        w.list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        QApplication::processEvents();
    }
    state.counters["current"] = w.document->currentPageIndex();
}
BENCHMARK(BM_SelectAnotherPage)->Unit(benchmark::kMillisecond);

// The same click when the page is no longer in memory: the document reads it back
// from its file first. The two pages are noisy scans, the hardest case for the
// page codec; the store keeps only the current page decoded.
void BM_SelectPageReadFromDisk(benchmark::State &state)
{
    Window w;
    for (int row : { 10, 20 }) {
        w.document->removePage(row);
        w.document->insertPage(row, noisyA4Page(row));
    }
    w.document->pageStore()->waitForWrites();
    w.document->pageStore()->setCacheBudget(0);
    QApplication::processEvents();
    int row = 0;
    for (auto _ : state) {
        row = row == 10 ? 20 : 10;
        w.list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        QApplication::processEvents();
    }
    state.counters["current"] = w.document->currentPageIndex();
}
BENCHMARK(BM_SelectPageReadFromDisk)->Unit(benchmark::kMillisecond);

void BM_Thumbnail(benchmark::State &state)
{
    const QImage page = a4Page(3);
    for (auto _ : state)
        benchmark::DoNotOptimize(PageListWidget::thumbnailFor(page).cacheKey());
}
BENCHMARK(BM_Thumbnail)->Unit(benchmark::kMillisecond);

void BM_FitIntoView(benchmark::State &state)
{
    const QImage page = a4Page(4);
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageScaler::fitInto(page, QSize(640, 660)).constBits());
}
BENCHMARK(BM_FitIntoView)->Unit(benchmark::kMillisecond);

// The reference: Qt's smooth scaling straight from the full page, as a plain
// implementation would do it, into the view and into a thumbnail.
void BM_ReferencePlainSmoothScale(benchmark::State &state)
{
    const QImage page = a4Page(5);
    const QSize box(static_cast<int>(state.range(0)), static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const QImage scaled = page.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(scaled.constBits());
    }
}
BENCHMARK(BM_ReferencePlainSmoothScale)->Arg(100)->Arg(660)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
