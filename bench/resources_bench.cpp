// What the tool bar pays at start-up for its icons: parsing and rendering the
// compiled-in SVGs at tool-bar size.
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <benchmark/benchmark.h>

#include "resources/resources.h"

namespace {

QStringList iconPaths()
{
    QStringList paths;
    for (const QString &name : QDir(QStringLiteral(":/icons")).entryList({ QStringLiteral("*.svg") }, QDir::Files))
        paths << QStringLiteral(":/icons/") + name;
    return paths;
}

void BM_RenderAllIcons(benchmark::State &state)
{
    const QStringList paths = iconPaths();
    for (auto _ : state) {
        for (const QString &path : paths) {
            QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            QSvgRenderer(path).render(&painter);
            painter.end();
            benchmark::DoNotOptimize(image.constBits());
        }
    }
    state.counters["icons"] = paths.size();
}
BENCHMARK(BM_RenderAllIcons)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    initQuirraResources();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
