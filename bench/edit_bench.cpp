// What the user waits for in the editing commands, on an A4 300 dpi colour
// page: a one-click edit (rotate 90 degrees) from the action until the page is
// put back with its thumbnail and shown, an undo from the click until the
// restored page is shown, and a live preview fed by fifty slider steps 5 ms
// apart, timed from the last step until its value is on screen.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QSlider>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "bench/benchenvironment.h"
#include "document/documentmanager.h"
#include "document/pagestore.h"
#include "imaging/imageprocessor.h"
#include "ui/croppableimagewidget.h"
#include "ui/dialogs/livepreviewdialog.h"
#include "ui/imagescaler.h"
#include "ui/mainwindow.h"
#include "ui/commands/documenthistory.h"

namespace {

QImage a4Page()
{
    QImage image(2480, 3508, QImage::Format_RGB888);
    image.fill(QColor(250, 245, 235));
    QPainter painter(&image);
    painter.setPen(QPen(QColor(20, 40, 160), 3));
    for (int line = 0; line < 60; ++line)
        painter.drawLine(200, 300 + line * 50, 2200 - (line * 7) % 700, 300 + line * 50);
    painter.fillRect(300, 2800, 800, 400, QColor(200, 30, 30));
    return image;
}

struct Window
{
    explicit Window(int pages = 3)
    {
        window.resize(1024, 768);
        window.show();
        QApplication::processEvents();
        document = window.findChild<DocumentManager *>(QStringLiteral("documentManager"));
        view = window.findChild<CroppableImageWidget *>(QStringLiteral("imageWidget"));
        history = window.findChild<DocumentHistory *>(QStringLiteral("documentHistory"));
        const QImage page = a4Page();
        for (int i = 0; i < pages; ++i)
            document->addPage(page);
        document->setCurrentPage(pages / 2);
        QApplication::processEvents();
    }
    QAction *action(const QString &text)
    {
        for (QAction *candidate : window.findChildren<QAction *>()) {
            if (candidate->text() == text)
                return candidate;
        }
        return nullptr;
    }
    MainWindow window;
    DocumentManager *document = nullptr;
    CroppableImageWidget *view = nullptr;
    DocumentHistory *history = nullptr;
};

// The tool bar's "右旋转" on the middle page of three, up to the repaint.
void BM_RotateRightAction(benchmark::State &state)
{
    Window w;
    QAction *rotate = w.action(QStringLiteral("右旋转"));
    for (auto _ : state) {
        rotate->trigger();
        w.view->repaint();
        QApplication::processEvents();
    }
    state.counters["current"] = w.document->currentPageIndex();
}
BENCHMARK(BM_RotateRightAction)->Unit(benchmark::kMillisecond);

// The same edit written back with the bare remove and insert and a plain
// smooth fit of the page into the view: the figure the put-back compares with.
void BM_RotateRightBareIdiom(benchmark::State &state)
{
    Window w;
    ImageProcessor processor;
    for (auto _ : state) {
        const int index = w.document->currentPageIndex();
        const QImage result = processor.rotateRight(w.document->currentPage());
        w.document->removePage(index);
        w.document->insertPage(index, result);
        w.document->setCurrentPage(index);
        w.view->repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_RotateRightBareIdiom)->Unit(benchmark::kMillisecond);

// One undo of a recorded edit on a 100-page A4 document, from the click until
// the restored page is painted; recording the edit is not timed. Arg 1: redo.
void BM_Undo(benchmark::State &state)
{
    Window w(100);
    const bool redo = state.range(0) == 1;
    state.SetLabel(redo ? "redo" : "undo");
    for (auto _ : state) {
        state.PauseTiming();
        QMetaObject::invokeMethod(&w.window, "onConvertToGrayscaleClicked");
        if (redo)
            QMetaObject::invokeMethod(&w.window, "onUndoClicked");
        QApplication::processEvents();
        w.document->pageStore()->waitForWrites();
        state.ResumeTiming();
        QMetaObject::invokeMethod(&w.window, redo ? "onRedoClicked" : "onUndoClicked");
        w.view->repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_Undo)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A hundred recorded edits on a 100-page A4 document: what the history adds to
// the memory the page store holds once the writes are in.
void BM_HundredSteps(benchmark::State &state)
{
    Window w(100);
    PageStore *store = w.document->pageStore();
    store->waitForWrites();
    const qint64 before = store->residentBytes();
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            w.document->setCurrentPage(i);
            QMetaObject::invokeMethod(&w.window, "onRotateRightClicked");
        }
        store->waitForWrites();
    }
    state.counters["steps"] = w.history->count();
    state.counters["addedMB"] = double(store->residentBytes() - before) / (1024.0 * 1024.0);
    state.counters["parkedMB"] = double(store->parkedBytes()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_HundredSteps)->Unit(benchmark::kMillisecond)->Iterations(1);

// Fifty steps of the first slider (brightness or hue), the k-th due 5 k ms after the start. Steps that fall
// due while a preview is computed are delivered together when events are
// processed, as queued mouse moves would be. The time is from the last step
// until the preview of its value is in the view.
void BM_LivePreviewFiftySteps(benchmark::State &state)
{
    Window w(1);
    const bool hue = state.range(0) == 1;
    const char *const command = hue ? "onAdjustHueSaturationClicked" : "onAdjustBrightnessContrastDialogClicked";
    state.SetLabel(hue ? "hue/saturation" : "brightness/contrast");
    int previews = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        qint64 lastStepAt = -1;
        qint64 finalShownAt = -1;
        int step = 0;
        QTimer driver;
        driver.setInterval(1);
        QObject::connect(&driver, &QTimer::timeout, [&]() {
            auto *dialog = qobject_cast<LivePreviewDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (step == 0) {
                QObject::connect(dialog->coalescer(), &PreviewCoalescer::previewReady, dialog,
                    [&, dialog](const QImage &, int first) {
                        if (first != 50 || lastStepAt < 0)
                            return;
                        w.view->repaint();
                        finalShownAt = clock.nsecsElapsed();
                        previews = dialog->coalescer()->computedCount();
                        QTimer::singleShot(0, dialog, &QDialog::reject);
                    });
            }
            auto *slider = dialog->findChild<QSlider *>(QStringLiteral("firstSlider"));
            while (step < 50 && clock.nsecsElapsed() >= qint64(step + 1) * 5000000) {
                slider->setValue(++step);
                if (step == 50) {
                    lastStepAt = clock.nsecsElapsed();
                    driver.stop();
                }
            }
        });
        clock.start();
        driver.start();
        QMetaObject::invokeMethod(&w.window, command);
        state.SetIterationTime(double(finalShownAt - lastStepAt) / 1e9);
    }
    state.counters["previews"] = previews;
}
BENCHMARK(BM_LivePreviewFiftySteps)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Without coalescing and at full resolution: each of the fifty steps computes
// the whole page and fits it into the view.
void BM_PreviewEveryStepFullPage(benchmark::State &state)
{
    Window w(1);
    ImageProcessor processor;
    const QImage page = w.document->currentPage();
    for (auto _ : state) {
        for (int step = 1; step <= 50; ++step)
            w.view->setImage(processor.adjustBrightnessContrast(page, step, 0));
        w.view->repaint();
    }
}
BENCHMARK(BM_PreviewEveryStepFullPage)->Unit(benchmark::kMillisecond)->Iterations(1);

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
