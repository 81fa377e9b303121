// What the GUI thread pays when a page enters a long document, and when the
// user selects another page: the list item with its thumbnail, and the page
// fitted into the view. Pages are A4 at 300 dpi as the scanner delivers them
// (24-bit RGB); decoding a file is not part of it.
//
// Also the window's merge command from the dialog's OK to the merged page shown,
// and saving a 20-page document as PDF from the window (its Save, which writes to
// the document's file without a dialog), to set beside document_bench's
// BM_SavePdf20Pages for the same pages.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "bench/benchenvironment.h"
#include "bench/scannedpage.h"
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

// A colour ID card lying on the platen of an A4 300 dpi scan: off-white paper, the
// card (85.6 x 54 mm) with a photo and lines of print.
QImage cardOnA4(int seed)
{
    QImage image(2480, 3508, QImage::Format_RGB888);
    image.fill(QColor(250, 249, 246));
    QPainter painter(&image);
    const QRect card(180 + seed * 40, 200, 1011, 638);
    painter.fillRect(card, QColor(205, 225, 240));
    painter.fillRect(card.adjusted(40, 60, -760, -120), QColor(120, 90, 70));
    painter.setPen(QPen(QColor(30, 30, 60), 6));
    for (int line = 0; line < 8; ++line)
        painter.drawLine(card.left() + 320, card.top() + 90 + line * 60, card.right() - 60 - (line * 37) % 200,
            card.top() + 90 + line * 60);
    return image;
}

// Answers the merge dialog with OK and the result box with its button, and takes the
// time in between: from OK to the merged page in the view (the box comes after it).
class MergeDriver : public QObject
{
public:
    MergeDriver()
    {
        poll.setInterval(1);
        connect(&poll, &QTimer::timeout, this, [this]() {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal == last)
                return;
            last = modal;
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                elapsedNs = clock.nsecsElapsed();
                box->button(QMessageBox::Ok)->click();
            } else if (auto *buttons = modal->findChild<QDialogButtonBox *>()) {
                clock.start();
                buttons->button(QDialogButtonBox::Ok)->click();
            }
        });
        poll.start();
    }
    qint64 elapsedNs = 0;

private:
    QTimer poll;
    QElapsedTimer clock;
    QWidget *last = nullptr;
};

void BM_MergeTwoA4PagesFromOk(benchmark::State &state)
{
    MainWindow window;
    window.resize(1024, 768);
    window.show();
    QApplication::processEvents();
    auto *document = window.findChild<DocumentManager *>(QStringLiteral("documentManager"));
    auto *list = window.findChild<QListWidget *>(QStringLiteral("pageList"));
    document->addPage(cardOnA4(0));
    document->addPage(cardOnA4(3));
    MergeDriver driver;
    QSize merged;
    for (auto _ : state) {
        list->clearSelection();
        list->item(0)->setSelected(true);
        list->item(1)->setSelected(true);
        QMetaObject::invokeMethod(&window, "onMergeImagesClicked");
        state.SetIterationTime(double(driver.elapsedNs) / 1e9);
        merged = document->page(2).size();
        document->removePage(2);
        QApplication::processEvents();
    }
    state.counters["width"] = merged.width();
    state.counters["height"] = merged.height();
    document->newDocument();
}
BENCHMARK(BM_MergeTwoA4PagesFromOk)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SavePdf20PagesFromWindow(benchmark::State &state)
{
    QTemporaryDir scratch;
    MainWindow window;
    auto *document = window.findChild<DocumentManager *>(QStringLiteral("documentManager"));
    for (int i = 0; i < 20; ++i)
        document->addPage(scannedPage(quint32(i + 1)));
    const QString path = scratch.filePath(QStringLiteral("twenty.pdf"));
    if (!document->saveDocument(path)) {
        state.SkipWithError("first save failed");
        return;
    }
    for (auto _ : state) {
        QMetaObject::invokeMethod(&window, "onSaveDocument");
        if (document->filePath() != path)
            state.SkipWithError("saved elsewhere");
    }
    document->newDocument();
}
BENCHMARK(BM_SavePdf20PagesFromWindow)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    keepUserFoldersApart();
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
