// Barcode reading on separator sheets as a scanner delivers them: how many codes
// ZXing-cpp and ZBar read, and how long a page takes, with a code and without one.
// The comparison table is printed first; the Google Benchmark cases then time
// BarcodeReader on an A4 300 dpi page.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

// ZBar first: ZXing's error macros (FormatError, UnsupportedError) would
// rewrite ZBar's exception classes.
#include <zbar.h>
#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include "barcode/barcodereader.h"
#include "bench/benchenvironment.h"
#include "tests/support/barcodepages.h"
#include "tests/support/testpages.h"

namespace {

using Reader = std::function<QString(const QImage &grey)>;

QString readZxing(const QImage &grey, bool tryHarder, bool tryRotate)
{
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode | ZXing::BarcodeFormat::Code128 | ZXing::BarcodeFormat::Code39);
    hints.setTryHarder(tryHarder);
    hints.setTryRotate(tryRotate);
    const ZXing::ImageView view(
        grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum, static_cast<int>(grey.bytesPerLine()));
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    return result.isValid() ? QString::fromStdString(result.text()) : QString();
}

QString readZbar(const QImage &grey)
{
    zbar::ImageScanner scanner;
    scanner.set_config(zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
    scanner.set_config(zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, 1);
    scanner.set_config(zbar::ZBAR_CODE128, zbar::ZBAR_CFG_ENABLE, 1);
    scanner.set_config(zbar::ZBAR_CODE39, zbar::ZBAR_CFG_ENABLE, 1);
    // ZBar wants rows without padding.
    std::vector<uchar> packed(static_cast<size_t>(grey.width()) * grey.height());
    for (int y = 0; y < grey.height(); ++y)
        std::copy_n(grey.constScanLine(y), grey.width(), packed.data() + static_cast<size_t>(y) * grey.width());
    zbar::Image image(grey.width(), grey.height(), "Y800", packed.data(), packed.size());
    if (scanner.scan(image) <= 0)
        return QString();
    return QString::fromStdString(image.symbol_begin()->get_data());
}

struct Sample
{
    QImage page;
    QString expected; // empty: no code on the page
    int dpi;
    BarcodePages::Symbology symbology;
};

std::vector<Sample> &samples()
{
    static std::vector<Sample> all;
    if (!all.empty())
        return all;
    const BarcodePages::Symbology kinds[]
        = { BarcodePages::Symbology::QrCode, BarcodePages::Symbology::Code128, BarcodePages::Symbology::Code39 };
    for (int dpi : { 200, 300 }) {
        for (auto kind : kinds) {
            for (int seed = 0; seed < 8; ++seed) {
                const QString text = QStringLiteral("SEP-%1-%2").arg(dpi).arg(seed, 4, 10, QLatin1Char('0'));
                all.push_back({ BarcodePages::separatorSheet(kind, text, dpi, seed), text, dpi, kind });
            }
        }
    }
    int seed = 0;
    for (auto layout : TestPages::allLayouts()) {
        all.push_back({ BarcodePages::scanned(TestPages::page(layout, 300, seed), (seed % 5 - 2) * 0.7, seed),
            QString(), 300, BarcodePages::Symbology::QrCode });
        ++seed;
    }
    return all;
}

void compare(const char *name, const Reader &reader)
{
    struct Tally
    {
        int read = 0, total = 0;
        std::vector<double> ms;
    };
    Tally byKind[2][3];
    Tally empty;
    int wrong = 0;
    for (const Sample &sample : samples()) {
        QElapsedTimer timer;
        timer.start();
        const QString text = reader(sample.page.convertToFormat(QImage::Format_Grayscale8));
        const double ms = timer.nsecsElapsed() / 1e6;
        Tally &tally = sample.expected.isEmpty() ? empty : byKind[sample.dpi == 300][int(sample.symbology)];
        ++tally.total;
        tally.ms.push_back(ms);
        if (!text.isEmpty() && text != sample.expected)
            ++wrong;
        else if (!sample.expected.isEmpty() && text == sample.expected)
            ++tally.read;
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    auto worst = [](const std::vector<double> &v) {
        return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
    };
    for (int dpi = 0; dpi < 2; ++dpi) {
        for (int kind = 0; kind < 3; ++kind) {
            const Tally &t = byKind[dpi][kind];
            std::printf("%-22s %3d dpi %-8s read %2d/%2d  median %6.1f ms  worst %6.1f ms\n", name, dpi ? 300 : 200,
                qPrintable(BarcodePages::symbologyName(BarcodePages::Symbology(kind))), t.read, t.total, median(t.ms),
                worst(t.ms));
        }
    }
    std::printf("%-22s 300 dpi no code  %2d pages  median %6.1f ms  worst %6.1f ms  wrong texts %d\n\n", name,
        empty.total, median(empty.ms), worst(empty.ms), wrong);
}

void BM_BarcodeReader_SeparatorSheet(benchmark::State &state)
{
    const QImage page
        = BarcodePages::separatorSheet(BarcodePages::Symbology(state.range(0)), QStringLiteral("SEP-0001"), 300, 3);
    for (auto _ : state)
        benchmark::DoNotOptimize(BarcodeReader::read(page));
}
BENCHMARK(BM_BarcodeReader_SeparatorSheet)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_BarcodeReader_TextPage(benchmark::State &state)
{
    const QImage page
        = BarcodePages::scanned(TestPages::page(TestPages::allLayouts().at(state.range(0)), 300, 1), 0.8, 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(BarcodeReader::read(page));
}
BENCHMARK(BM_BarcodeReader_TextPage)->DenseRange(0, 11)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    keepUserFoldersApart();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!qEnvironmentVariableIsSet("QUIRRA_BARCODE_SKIP_COMPARISON")) {
        compare("ZXing default", [](const QImage &g) { return readZxing(g, true, true); });
        compare("ZXing no rotate", [](const QImage &g) { return readZxing(g, true, false); });
        compare("ZXing fast", [](const QImage &g) { return readZxing(g, false, false); });
        compare("ZBar", [](const QImage &g) { return readZbar(g); });
        compare("BarcodeReader", [](const QImage &g) {
            const auto codes = BarcodeReader::read(g);
            return codes.isEmpty() ? QString() : codes.first().text;
        });
    }
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
