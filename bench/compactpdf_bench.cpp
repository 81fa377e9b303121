// Compact PDF pages against the standard ones and the peers, on the office notice of
// tests/support/officepage.h (colour A4, 300 dpi). First a table, then the timings:
//   - the page's size, standard (what every save wrote before: RGB JPEG at the dock's
//     default 90) and compact, both with the invisible text layer, beside img2pdf
//     wrapping a JPEG of quality 75; whether it stays legible (tesseract chi_sim+eng on
//     the body of a 300 dpi render, character error against the original's) and
//     whether the seal stays red;
//   - the colour layers' codec: JPEG at the chosen quality against JPEG 2000 through
//     OpenJPEG (opj_compress) at the same PSNR, size and time;
//   - a 1-bit page opened from img2pdf's G4 PDF and saved: before (rendered to colour
//     as the importer did) and now, against its G4 size.
// The timings: 20 office pages written standard and compact from the page store.
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
    ImageFileWriter::writePdf({ office.image }, compact, layout, nullptr, &report);

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
    std::printf("\nPaper layer %dx%d: JPEG q%d against JPEG 2000 (opj_compress) at the same PSNR\n",
        layers.background.width(), layers.background.height(), level.backgroundQuality);
    const QImage paper = layers.background.convertToFormat(QImage::Format_RGB32);
    const QString paperJpeg = path(QStringLiteral("paper.jpg"));
    const QString paperPng = path(QStringLiteral("paper.png"));
    const QString paperJ2k = path(QStringLiteral("paper.jp2"));
    QElapsedTimer timer;
    timer.start();
    paper.save(paperJpeg, "JPEG", level.backgroundQuality);
    const double jpegMs = timer.nsecsElapsed() / 1e6;
    const double jpegPsnr = psnr(paper, QImage(paperJpeg).convertToFormat(QImage::Format_RGB32));
    paper.save(paperPng);
    timer.restart();
    const bool j2k = runTool(
        QStringLiteral("opj_compress"), { "-i", paperPng, "-o", paperJ2k, "-q", QString::number(jpegPsnr, 'f', 2) });
    const double j2kMs = timer.nsecsElapsed() / 1e6;
    std::printf("%-12s %8s %8s %10s\n", "codec", "kB", "PSNR", "ms");
    std::printf("%-12s %8.1f %8.2f %10.1f\n", "JPEG", kB(paperJpeg), jpegPsnr, jpegMs);
    if (j2k) {
        const QString back = path(QStringLiteral("paper_back.png"));
        runTool(QStringLiteral("opj_decompress"), { "-i", paperJ2k, "-o", back });
        std::printf("%-12s %8.1f %8.2f %10.1f (incl. process start)\n", "JPEG 2000", kB(paperJ2k),
            psnr(paper, QImage(back).convertToFormat(QImage::Format_RGB32)), j2kMs);
    } else {
        std::printf("opj_compress not installed (libopenjp2-tools)\n");
    }
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
    std::printf("\n1-bit page from img2pdf (G4 %.1f kB), opened and saved\n", kB(peer));
    std::printf("%-28s %9s %9s\n", "", "kB", "x G4");
    std::printf("%-28s %9.1f %9.2f\n", "before (rendered to colour)", kB(before), kB(before) / kB(peer));
    std::printf("%-28s %9.1f %9.2f\n", "now (stays 1-bit)", kB(after), kB(after) / kB(peer));
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
BENCHMARK(BM_SavePdf20OfficePages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    keepUserFoldersApart();
    silenceLog();
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    printOfficePage();
    printTwoLevelPage();
    std::fflush(stdout);
    benchmark::RunSpecifiedBenchmarks();
    officeDocument.reset();
    benchmark::Shutdown();
    return 0;
}
