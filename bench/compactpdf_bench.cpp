// Compact PDF pages against the standard ones and the peers, on the office notice of
// tests/support/officepage.h (colour A4, 300 dpi). First a table, then the timings:
//   - the page's size, standard (what every save wrote before: RGB JPEG at the dock's
//     default 90) and compact, both with the invisible text layer, beside img2pdf
//     wrapping a JPEG of quality 75; whether it stays legible (tesseract chi_sim+eng on
//     the body of a 300 dpi render, character error against the original's) and
//     whether the seal stays red;
//   - the colour layers' codec: JPEG at the chosen quality against JPEG 2000 through
//     OpenJPEG (opj_compress) at no lower PSNR, size and time;
//   - a black-and-white page against its G4 TIFF: written from a 1-bit image
//     (standard and compact), and opened from img2pdf's G4 PDF and saved, before
//     (rendered to colour as the importer did) and now.
// The timings: one office page encoded (standard, compact, and the compact split
// and mask alone), and 20 office pages written standard and compact from the page
// store. QUIRRA_COMPACT_SKIP_TABLES=1 runs the timings alone.
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "bench/benchenvironment.h"
#include "document/documentmanager.h"
#include "document/imagefilewriter.h"
#include "document/mrcencoder.h"
#include "document/pagestore.h"
#include "document/pdfdocument.h"
#include "document/pageencoder.h"
#include "document/pdftextlayer.h"
#include "ocr/textrecognizer.h"
#include "tests/support/officepage.h"

namespace {

constexpr int pageCount = 20;

QTemporaryDir &scratch()
{
    static QTemporaryDir folder;
    return folder;
}

QString path(const QString &name)
{
    return scratch().filePath(name);
}

bool runTool(const QString &program, const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool ok
        = process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (output)
        *output = process.readAllStandardOutput();
    return ok;
}

double kB(const QString &file)
{
    return QFileInfo(file).size() / 1e3;
}

QString recognised(const QImage &image)
{
    const QString file = path(QStringLiteral("ocr.png"));
    image.save(file);
    QByteArray text;
    runTool(QStringLiteral("tesseract"), { file, "stdout", "-l", "chi_sim+eng", "--psm", "6" }, &text);
    return QString::fromUtf8(text);
}

double errorPercent(const QImage &page, const OfficePage::Page &office)
{
    return 100
        * TextPages::characterErrorRate(office.lines.join(QLatin1Char('\n')), recognised(page.copy(office.body)));
}

// Share of the seal's clearly red pixels in the original that are still clearly red.
double redKept(const QImage &page, const OfficePage::Page &office)
{
    int red = 0, kept = 0;
    const auto isRed = [](QRgb p) {
        return qRed(p) > 150 && qGreen(p) < 110 && qBlue(p) < 110;
    };
    for (int y = office.seal.top(); y <= office.seal.bottom(); ++y) {
        for (int x = office.seal.left(); x <= office.seal.right(); ++x) {
            if (!isRed(office.image.pixel(x, y)))
                continue;
            ++red;
            kept += isRed(page.pixel(x, y));
        }
    }
    return red ? 100.0 * kept / red : 0;
}

QImage rendered(const QString &pdf)
{
    PdfDocument document;
    document.open(pdf);
    return document.render(0, 300).convertToFormat(QImage::Format_RGB32);
}

double psnr(const QImage &a, const QImage &b)
{
    double sum = 0;
    qint64 n = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (const int d : { qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q) }) {
                sum += d * d;
                ++n;
            }
        }
    }
    return 10 * std::log10(255.0 * 255.0 / (sum / n));
}

// Time of opj_compress on a 16 x 16 image: what a run costs before it encodes
// anything (process start, library loading), taken off the codec's times.
double toolStartMs()
{
    const QString tiny = path(QStringLiteral("tiny.png"));
    QImage(16, 16, QImage::Format_RGB32).save(tiny);
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        runTool(QStringLiteral("opj_compress"), { "-i", tiny, "-o", path(QStringLiteral("tiny.jp2")) });
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

// A colour layer in JPEG at the writer's quality, and in JPEG 2000 (OpenJPEG)
// at the highest compression ratio whose PSNR is at least the JPEG's: the
// smaller file at the same fidelity wins. Times are the best of three; the
// JPEG 2000 one has the tool's start taken off.
void compareCodecs(const char *name, const QImage &layer, int quality)
{
    if (layer.isNull()) {
        std::printf("\n%s layer: none\n", name);
        return;
    }
    const QImage pixels = layer.convertToFormat(QImage::Format_RGB32);
    const QString jpeg = path(QStringLiteral("layer.jpg"));
    const QString png = path(QStringLiteral("layer.png"));
    const QString j2k = path(QStringLiteral("layer.jp2"));
    const QString back = path(QStringLiteral("layer_back.png"));
    double jpegMs = 1e9;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        layer.save(jpeg, "JPEG", quality);
        jpegMs = std::min(jpegMs, timer.nsecsElapsed() / 1e6);
    }
    const double jpegPsnr = psnr(pixels, QImage(jpeg).convertToFormat(QImage::Format_RGB32));
    std::printf("\n%s layer %dx%d: JPEG q%d against JPEG 2000 (opj_compress) at no lower PSNR\n", name, layer.width(),
        layer.height(), quality);
    std::printf("%-24s %8s %8s %8s\n", "codec", "kB", "PSNR", "ms");
    std::printf("%-24s %8.1f %8.2f %8.1f\n", "JPEG", kB(jpeg), jpegPsnr, jpegMs);
    pixels.save(png);
    static const double startMs = toolStartMs();
    // Compression ratios from the smallest file up; the first that reaches the
    // JPEG's PSNR is the one compared.
    for (const int ratio : { 3000, 2000, 1000, 600, 400, 300, 200, 150, 100, 70, 50, 35, 25, 15, 10, 5 }) {
        if (!runTool(QStringLiteral("opj_compress"), { "-i", png, "-o", j2k, "-r", QString::number(ratio) })) {
            std::printf("opj_compress not installed or failed (libopenjp2-tools)\n");
            return;
        }
        runTool(QStringLiteral("opj_decompress"), { "-i", j2k, "-o", back });
        const double quality2000 = psnr(pixels, QImage(back).convertToFormat(QImage::Format_RGB32));
        if (quality2000 < jpegPsnr)
            continue;
        double ms = 1e9;
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer timer;
            timer.start();
            runTool(QStringLiteral("opj_compress"), { "-i", png, "-o", j2k, "-r", QString::number(ratio) });
            ms = std::min(ms, timer.nsecsElapsed() / 1e6);
        }
        std::printf("%-24s %8.1f %8.2f %8.1f (tool start %.0f ms taken off)\n",
            qPrintable(QStringLiteral("JPEG 2000 ratio %1").arg(ratio)), kB(j2k), quality2000, ms - startMs, startMs);
        return;
    }
    std::printf("JPEG 2000: no ratio reached the JPEG's PSNR\n");
}

void printOfficePage()
{
    const OfficePage::Page office = OfficePage::render(3);
    TextRecognizer recognizer;
    QString errorText;
    ImageFileWriter::PdfLayout layout;
    if (recognizer.load(QStringLiteral("chi_sim+eng"), TextRecognizer::defaultDataPath(), &errorText))
        layout.decoratePage = PdfTextLayer::decorator({ recognizer.recognize(office.image) });
    else
        std::printf("no text layer: %s\n", qPrintable(errorText));

    const QString standard = path(QStringLiteral("standard.pdf"));
    const QString compact = path(QStringLiteral("compact.pdf"));
    ImageFileWriter::writePdf({ office.image }, standard, layout, nullptr);
    layout.options.compression = SaveOptions::Compression::Compact;
    ImageFileWriter::PdfReport report;
    QString compactError;
    if (!ImageFileWriter::writePdf({ office.image }, compact, layout, &compactError, &report))
        std::printf("compact write failed: %s\n", qPrintable(compactError));

    const QString jpeg = path(QStringLiteral("office.jpg"));
    const QString wrapped = path(QStringLiteral("img2pdf.pdf"));
    office.image.save(jpeg, "JPEG", 75);
    runTool(QStringLiteral("img2pdf"), { jpeg, "-o", wrapped });

    const double original = errorPercent(office.image, office);
    std::printf("\nOffice notice, colour A4 300 dpi (text layer included in ours)\n");
    std::printf("%-28s %9s %14s %10s\n", "writer", "kB", "char error %", "seal red %");
    std::printf("%-28s %9s %14.2f %10s\n", "original image", "-", original, "100");
    for (const auto &[name, file] : { std::pair<const char *, QString> { "standard (before, q90)", standard },
             { "compact (now)", compact }, { "img2pdf JPEG q75", wrapped } }) {
        const QImage page = rendered(file);
        std::printf("%-28s %9.1f %14.2f %10.1f\n", name, kB(file), errorPercent(page, office), redKept(page, office));
    }
    std::printf("compact pages written as layers: %d\n", report.layeredPages);

    // The colour layers in JPEG and in JPEG 2000 at the same PSNR.
    const MrcEncoder::Level level = MrcEncoder::level(0);
    const MrcEncoder::Layers layers = MrcEncoder::split(office.image, 300, level);
    compareCodecs("paper", layers.background, level.backgroundQuality);
    compareCodecs("ink", layers.foreground, level.foregroundQuality);
}

// A 1-bit page as a peer writes it (G4 in img2pdf's PDF), opened and saved.
void printTwoLevelPage()
{
    const OfficePage::Page office = OfficePage::render(4);
    const QString png = path(QStringLiteral("bw.png"));
    const QString tiff = path(QStringLiteral("bw.tif"));
    const QString peer = path(QStringLiteral("bw_peer.pdf"));
    office.image.save(png);
    runTool(QStringLiteral("convert"),
        { png, "-colorspace", "gray", "-threshold", "60%", "-density", "300", "-compress", "Group4", tiff });
    runTool(QStringLiteral("img2pdf"), { tiff, "-o", peer });

    DocumentManager document;
    const QString before = path(QStringLiteral("bw_before.pdf"));
    const QString after = path(QStringLiteral("bw_after.pdf"));
    PdfDocument pdf;
    pdf.open(peer);
    ImageFileWriter::writePdf({ pdf.render(0, 300) }, before, ImageFileWriter::PdfLayout(), nullptr);
    if (!document.loadDocument(peer) || !document.saveDocument(after)) {
        std::printf("1-bit page: open or save failed\n");
        return;
    }
    // The same black-and-white page handed to the writer as a 1-bit image.
    const QImage bw = QImage(tiff).convertToFormat(QImage::Format_Mono);
    const QString bwStandard = path(QStringLiteral("bw_standard.pdf"));
    const QString bwCompact = path(QStringLiteral("bw_compact.pdf"));
    ImageFileWriter::PdfLayout layout;
    ImageFileWriter::writePdf({ bw }, bwStandard, layout, nullptr);
    layout.options.compression = SaveOptions::Compression::Compact;
    ImageFileWriter::writePdf({ bw }, bwCompact, layout, nullptr);

    const double g4 = kB(tiff);
    std::printf("\nBlack-and-white A4 300 dpi page: G4 TIFF %.1f kB, img2pdf's G4 PDF %.1f kB\n", g4, kB(peer));
    std::printf("%-36s %9s %9s\n", "", "kB", "x G4");
    std::printf("%-36s %9.1f %9.2f\n", "1-bit image written standard", kB(bwStandard), kB(bwStandard) / g4);
    std::printf("%-36s %9.1f %9.2f\n", "1-bit image written compact", kB(bwCompact), kB(bwCompact) / g4);
    std::printf("%-36s %9.1f %9.2f\n", "PDF opened, saved: before (colour)", kB(before), kB(before) / g4);
    std::printf("%-36s %9.1f %9.2f\n", "PDF opened, saved: now (1-bit)", kB(after), kB(after) / g4);
}

std::unique_ptr<DocumentManager> officeDocument;

DocumentManager &twentyOfficePages()
{
    if (!officeDocument) {
        officeDocument = std::make_unique<DocumentManager>();
        for (int i = 0; i < pageCount; ++i)
            officeDocument->addPage(OfficePage::render(unsigned(i + 1), i % 5 == 4).image);
        officeDocument->pageStore()->waitForWrites();
    }
    return *officeDocument;
}

// Argument: 0 standard, 1 compact.
void BM_SavePdf20OfficePages(benchmark::State &state)
{
    DocumentManager &document = twentyOfficePages();
    SaveOptions options;
    options.compression = state.range(0) == 0 ? SaveOptions::Compression::Standard : SaveOptions::Compression::Compact;
    document.setSaveOptions(options);
    const QString file = path(QStringLiteral("twenty.pdf"));
    for (auto _ : state) {
        if (!document.saveAsPdf(file))
            state.SkipWithError("saveAsPdf failed");
    }
    state.counters["kB_per_page"] = kB(file) / pageCount;
    state.counters["layered"] = document.lastPdfReport().layeredPages;
}
// One office page encoded on this thread, without the file around it.
// Argument: 0 standard, 1 compact, 2 the compact split alone, 3 the mask's G4 alone.
void BM_EncodeOfficePage(benchmark::State &state)
{
    const QImage page = OfficePage::render(3).image;
    PageEncoder::Settings settings;
    settings.compression = state.range(0) == 0 ? SaveOptions::Compression::Standard : SaveOptions::Compression::Compact;
    const MrcEncoder::Layers layers = MrcEncoder::split(page, 300, MrcEncoder::level(0));
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0:
        case 1:
            benchmark::DoNotOptimize(PageEncoder::encode(page, settings).bytes.size());
            break;
        case 2:
            benchmark::DoNotOptimize(MrcEncoder::split(page, 300, MrcEncoder::level(0)).mask.width());
            break;
        default: {
            QString errorText;
            benchmark::DoNotOptimize(PageEncoder::ccittG4(layers.mask, &errorText).size());
        }
        }
    }
}
BENCHMARK(BM_EncodeOfficePage)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK(BM_SavePdf20OfficePages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    keepUserFoldersApart();
    silenceLog();
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!qEnvironmentVariableIsSet("QUIRRA_COMPACT_SKIP_TABLES")) {
        printOfficePage();
        printTwoLevelPage();
    }
    std::fflush(stdout);
    benchmark::RunSpecifiedBenchmarks();
    officeDocument.reset();
    benchmark::Shutdown();
    return 0;
}
