// What one annotation edit costs on a full page: every change re-renders all annotations
// onto a copy of the page and rescales the result for the dialog's canvas.
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>

#include "annotation/annotationtool.h"
#include "annotation/annotationwidget.h"

namespace {

// An A4 page at 300 dpi with some grey "print" on it.
QImage a4Page(QImage::Format format)
{
    QImage page(2480, 3508, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setPen(QColor(40, 40, 40));
    QFont font;
    font.setPixelSize(36);
    painter.setFont(font);
    for (int line = 0; line < 70; ++line)
        painter.drawText(
            200, 300 + line * 45, QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789"));
    painter.end();
    return page.convertToFormat(format);
}

// Fifty annotations of every kind spread over the page.
QVector<AnnotationItem> fiftyAnnotations()
{
    QVector<AnnotationItem> items;
    for (int i = 0; i < 50; ++i) {
        AnnotationItem item;
        item.type = i % 7;
        const int x = 100 + (i % 5) * 450;
        const int y = 150 + (i / 5) * 330;
        item.rect = QRect(x, y, 400, 250);
        item.color = QColor::fromHsv((i * 37) % 360, 255, 220);
        item.lineWidth = 4 + i % 6;
        item.filled = (i % 3 == 0);
        item.transparency = 128 + (i * 11) % 128;
        item.points = { QPoint(x, y), QPoint(x + 400, y + 250) };
        if (item.type == AnnotationItem::Freehand) {
            item.points.clear();
            for (int k = 0; k < 120; ++k)
                item.points << QPoint(x + k * 3, y + 120 + int(80 * std::sin(k / 6.0)));
        }
        if (item.type == AnnotationItem::Text) {
            item.text = QStringLiteral("批注 %1 请核对").arg(i);
            item.font.setPointSize(48);
        }
        items << item;
    }
    return items;
}

// The dialog opens an A4 page at 965 × 900 and fits the canvas into 605 × 860.
const QSize canvasSpace(605, 860);

void fill(AnnotationTool *tool)
{
    for (const AnnotationItem &item : fiftyAnnotations())
        tool->addAnnotation(item);
}

void BM_EditRenderAndRescale(benchmark::State &state)
{
    AnnotationWidget widget(a4Page(QImage::Format(state.range(0))));
    widget.fitToSize(canvasSpace);
    fill(widget.annotationTool());
    AnnotationItem moved = widget.annotationTool()->annotationAt(10);
    for (auto _ : state) {
        moved.rect.translate(1, 0);
        widget.annotationTool()->updateAnnotation(10, moved);
        // The paint event does exactly this before it blits the display image.
        benchmark::DoNotOptimize(widget.resultImage().constBits());
    }
    state.counters["annotations"] = widget.annotationTool()->count();
    state.counters["scale"] = widget.displayScale();
}
BENCHMARK(BM_EditRenderAndRescale)
    ->Arg(QImage::Format_RGB32)
    ->Arg(QImage::Format_RGB888)
    ->Arg(QImage::Format_Grayscale8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One mouse-move step while dragging a text annotation: the list is rebuilt (a clear and 50
// additions). Arg 0: the display is refreshed once, at the next paint. Arg 1: refreshed after
// every one of the 51 list changes, as a direct re-render on each change signal would.
void BM_DragStep(benchmark::State &state)
{
    AnnotationWidget widget(a4Page(QImage::Format_RGB32));
    widget.fitToSize(canvasSpace);
    fill(widget.annotationTool());
    AnnotationItem text = widget.annotationTool()->annotationAt(49);
    text.type = AnnotationItem::Text;
    text.text = QStringLiteral("拖动");
    widget.annotationTool()->updateAnnotation(49, text);
    if (state.range(0) == 1) {
        QObject::connect(widget.annotationTool(), &AnnotationTool::annotationsChanged, &widget,
            [&widget] { benchmark::DoNotOptimize(widget.resultImage().constBits()); });
    }
    QPoint at = widget.imageToWidget(text.rect.center());
    QMouseEvent press(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    int direction = 1;
    for (auto _ : state) {
        at += QPoint(4 * direction, 0);
        direction = -direction;
        QMouseEvent move(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&widget, &move);
        benchmark::DoNotOptimize(widget.resultImage().constBits());
    }
    state.counters["annotations"] = widget.annotationTool()->count();
}
BENCHMARK(BM_DragStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RenderOnly(benchmark::State &state)
{
    const QImage page = a4Page(QImage::Format_RGB32);
    AnnotationTool tool;
    fill(&tool);
    for (auto _ : state)
        benchmark::DoNotOptimize(tool.renderAnnotations(page).constBits());
}
BENCHMARK(BM_RenderOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor of any full-size render: copying the page.
void BM_CopyOnly(benchmark::State &state)
{
    const QImage page = a4Page(QImage::Format_RGB32);
    for (auto _ : state)
        benchmark::DoNotOptimize(page.copy().constBits());
}
BENCHMARK(BM_CopyOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RescaleOnly(benchmark::State &state)
{
    const QImage page = a4Page(QImage::Format_RGB32);
    const QSize target(605, 855);
    for (auto _ : state)
        benchmark::DoNotOptimize(page.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation).constBits());
}
BENCHMARK(BM_RescaleOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
