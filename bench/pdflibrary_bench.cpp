// The PDF libraries the writer was chosen from, each embedding the same 20
// compressed A4 pages (RGB JPEG at quality 90, encoded once up front) the way it
// must: qpdf takes the bytes as a stream, libharu copies them into its document
// until the save, cairo wants an image surface of the page's pixels with the JPEG
// attached. Timed: the whole file from the first page to the last byte. Memory:
// the process's peak resident size after each (it only grows, so read it in the
// order the rows run).
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QVector>

#include <benchmark/benchmark.h>

#include <cairo-pdf.h>
#include <hpdf.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <sys/resource.h>

#include "bench/benchenvironment.h"
#include "bench/scannedpage.h"
#include "document/pageencoder.h"

namespace {

constexpr int pageCount = 20;
constexpr double pointsPerPixel = 72.0 / 300.0;

const QVector<QByteArray> &jpegPages()
{
    static QVector<QByteArray> pages;
    if (pages.isEmpty()) {
        for (int i = 0; i < pageCount; ++i)
            pages.append(PageEncoder::encode(scannedPage(quint32(i + 1)), 90).bytes);
    }
    return pages;
}

QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

void report(benchmark::State &state, const QString &path)
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
    state.counters["peak_RSS_MB"] = double(usage.ru_maxrss) / 1024.0;
}

void BM_Qpdf20Pages(benchmark::State &state)
{
    const QVector<QByteArray> &pages = jpegPages();
    const QString path = scratch().filePath(QStringLiteral("qpdf.pdf"));
    for (auto _ : state) {
        QPDF pdf;
        pdf.emptyPDF();
        for (const QByteArray &jpeg : pages) {
            QPDFObjectHandle image = pdf.newStream(jpeg.toStdString());
            QPDFObjectHandle dictionary = image.getDict();
            dictionary.replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
            dictionary.replaceKey("/Subtype", QPDFObjectHandle::newName("/Image"));
            dictionary.replaceKey("/Width", QPDFObjectHandle::newInteger(a4Width));
            dictionary.replaceKey("/Height", QPDFObjectHandle::newInteger(a4Height));
            dictionary.replaceKey("/ColorSpace", QPDFObjectHandle::newName("/DeviceRGB"));
            dictionary.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
            dictionary.replaceKey("/Filter", QPDFObjectHandle::newName("/DCTDecode"));
            const double width = a4Width * pointsPerPixel;
            const double height = a4Height * pointsPerPixel;
            const std::string content
                = "q " + std::to_string(width) + " 0 0 " + std::to_string(height) + " 0 0 cm /Im0 Do Q";
            pdf.addPage(
                pdf.makeIndirectObject(QPDFObjectHandle::newDictionary({
                    { "/Type", QPDFObjectHandle::newName("/Page") },
                    { "/MediaBox", QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(0, 0, width, height)) },
                    { "/Resources",
                        QPDFObjectHandle::newDictionary(
                            { { "/XObject", QPDFObjectHandle::newDictionary({ { "/Im0", image } }) } }) },
                    { "/Contents", pdf.newStream(content) },
                })),
                false);
        }
        QPDFWriter writer(pdf, path.toLocal8Bit().constData());
        writer.write();
    }
    report(state, path);
}
BENCHMARK(BM_Qpdf20Pages)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Haru20Pages(benchmark::State &state)
{
    const QVector<QByteArray> &pages = jpegPages();
    const QString path = scratch().filePath(QStringLiteral("haru.pdf"));
    for (auto _ : state) {
        HPDF_Doc pdf = HPDF_New(nullptr, nullptr);
        for (const QByteArray &jpeg : pages) {
            HPDF_Image image = HPDF_LoadJpegImageFromMem(
                pdf, reinterpret_cast<const HPDF_BYTE *>(jpeg.constData()), HPDF_UINT(jpeg.size()));
            HPDF_Page page = HPDF_AddPage(pdf);
            HPDF_Page_SetWidth(page, HPDF_REAL(a4Width * pointsPerPixel));
            HPDF_Page_SetHeight(page, HPDF_REAL(a4Height * pointsPerPixel));
            HPDF_Page_DrawImage(
                page, image, 0, 0, HPDF_REAL(a4Width * pointsPerPixel), HPDF_REAL(a4Height * pointsPerPixel));
        }
        if (HPDF_SaveToFile(pdf, path.toLocal8Bit().constData()) != HPDF_OK)
            state.SkipWithError("HPDF_SaveToFile failed");
        HPDF_Free(pdf);
    }
    report(state, path);
}
BENCHMARK(BM_Haru20Pages)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Cairo20Pages(benchmark::State &state)
{
    const QVector<QByteArray> &pages = jpegPages();
    const QString path = scratch().filePath(QStringLiteral("cairo.pdf"));
    for (auto _ : state) {
        cairo_surface_t *pdf = cairo_pdf_surface_create(
            path.toLocal8Bit().constData(), a4Width * pointsPerPixel, a4Height * pointsPerPixel);
        cairo_t *context = cairo_create(pdf);
        for (const QByteArray &jpeg : pages) {
            // cairo draws surfaces, not bytes: the page's pixels must exist even when
            // the JPEG attached to them is what gets embedded.
            cairo_surface_t *image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, a4Width, a4Height);
            auto *copy = new QByteArray(jpeg);
            cairo_surface_set_mime_data(
                image, CAIRO_MIME_TYPE_JPEG, reinterpret_cast<const unsigned char *>(copy->constData()),
                (unsigned long)(copy->size()), [](void *data) { delete static_cast<QByteArray *>(data); }, copy);
            cairo_save(context);
            cairo_scale(context, pointsPerPixel, pointsPerPixel);
            cairo_set_source_surface(context, image, 0, 0);
            cairo_paint(context);
            cairo_restore(context);
            cairo_show_page(context);
            cairo_surface_destroy(image);
        }
        cairo_destroy(context);
        cairo_surface_finish(pdf);
        if (cairo_surface_status(pdf) != CAIRO_STATUS_SUCCESS)
            state.SkipWithError("cairo failed");
        cairo_surface_destroy(pdf);
    }
    report(state, path);
}
BENCHMARK(BM_Cairo20Pages)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    keepUserFoldersApart();
    QGuiApplication app(argc, argv);
    jpegPages();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
