// Writes the starting corpus of every target from what Quirra itself writes:
// page files, indexes and recovery folders from the page store's own code,
// images, TIFFs and PDFs from the document's writers, frames as SANE sends
// them, annotation JSON from the annotation tool; eSCL answers and browser
// output as the test doubles of the suite serve them.
//   quirra_fuzz_seeds <folder>    (one subfolder per target)
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTextStream>

#include "annotation/annotationtool.h"
#include "settings/scanprofilestore.h"
#include "document/pagetext.h"
#include "document/documentmanager.h"
#include "document/imagefilewriter.h"
#include "document/pagecodec.h"
#include "document/pageindex.h"
#include "fuzz/fuzztargets.h"

namespace {

QString outputRoot;
int written = 0;

void seed(const QString &target, const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(outputRoot + QLatin1Char('/') + target);
    QFile file(outputRoot + QLatin1Char('/') + target + QLatin1Char('/') + name);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        ++written;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Small pages with some structure: large enough for several bands and strips,
// small enough for the fuzzers' input sizes.
QImage page(QImage::Format format, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, ((x / 8 + y / 8) % 2) ? qRgb(250, 250, 245) : qRgb(x * 4 % 256, y * 2 % 256, 40));
    }
    QImage converted = image.convertToFormat(format);
    converted.setDotsPerMeterX(11811);
    converted.setDotsPerMeterY(11811);
    return converted;
}

QList<QImage> pages()
{
    return { page(QImage::Format_RGB888, 24, 16), page(QImage::Format_Grayscale8, 40, 300),
        page(QImage::Format_Mono, 64, 520), page(QImage::Format_Indexed8, 16, 16), page(QImage::Format_ARGB32, 8, 8) };
}

QByteArray pageFile(const QImage &image, const StoredEncoding &original = StoredEncoding())
{
    const QString path = FuzzTargets::scratchFolder() + QStringLiteral("/seed.qpage");
    QString errorText;
    PageCodec::writeFile(path, image, &errorText, original);
    const QByteArray bytes = readAll(path);
    QFile::remove(path);
    return bytes;
}

QByteArray indexFor(int count)
{
    PageIndex index;
    index.title = QStringLiteral("扫描文档");
    index.time = QDateTime(QDate(2026, 3, 1), QTime(9, 30));
    for (int i = 1; i <= count; ++i)
        index.pages << QStringLiteral("page-%1.qpage").arg(i);
    return index.toJson();
}

void documentSeeds()
{
    const QList<QImage> all = pages();
    for (int i = 0; i < all.size(); ++i)
        seed(QStringLiteral("page_file"), QStringLiteral("format-%1.qpage").arg(all.at(i).format()),
            pageFile(all.at(i)));
    // An imported page with the JPEG it came in.
    const ImageFileWriter::Encoded jpeg = ImageFileWriter::encode(all.at(0), "jpg", 75);
    seed(QStringLiteral("page_file"), QStringLiteral("with-original.qpage"),
        pageFile(all.at(0), StoredEncoding::jpeg(jpeg.bytes)));
    for (int count : { 0, 1, 3 })
        seed(QStringLiteral("page_index"), QStringLiteral("pages-%1.json").arg(count), indexFor(count));
    seed(QStringLiteral("recovery_folder"), QStringLiteral("one-page"),
        FuzzTargets::joinFolderParts({ indexFor(1), pageFile(all.at(0)) }));
    seed(QStringLiteral("recovery_folder"), QStringLiteral("three-pages"),
        FuzzTargets::joinFolderParts({ indexFor(3), pageFile(all.at(0)), pageFile(all.at(3)), pageFile(all.at(4)) }));

    const char *formats[] = { "png", "jpg", "bmp", "tif" };
    for (int f = 0; f < 4; ++f) {
        for (const QImage &image : { all.at(0), all.at(3) }) {
            const ImageFileWriter::Encoded encoded = ImageFileWriter::encode(image, formats[f], f == 1 ? 75 : -1);
            seed(QStringLiteral("document_image"),
                QStringLiteral("%1-%2").arg(QLatin1String(formats[f])).arg(image.format()), char(f) + encoded.bytes);
        }
    }

    DocumentManager document;
    document.addPage(all.at(0));
    document.addPage(all.at(2).copy(0, 0, 64, 64));
    document.addPage(all.at(1).copy(0, 0, 40, 30));
    const QString tiff = FuzzTargets::scratchFolder() + QStringLiteral("/seed.tif");
    const QString pdf = FuzzTargets::scratchFolder() + QStringLiteral("/seed.pdf");
    if (document.saveAsMultiPageTiff(tiff))
        seed(QStringLiteral("document_tiff"), QStringLiteral("three-pages.tif"), readAll(tiff));
    if (document.saveAsPdf(pdf))
        seed(QStringLiteral("document_pdf"), QStringLiteral("three-pages.pdf"), readAll(pdf));
    document.removePage(2);
    document.removePage(1);
    if (document.saveAsMultiPageTiff(tiff))
        seed(QStringLiteral("document_tiff"), QStringLiteral("one-page.tif"), readAll(tiff));
    if (document.saveAsPdf(pdf))
        seed(QStringLiteral("document_pdf"), QStringLiteral("one-page.pdf"), readAll(pdf));
}

void esclSeeds()
{
    seed(QStringLiteral("escl_capabilities"), QStringLiteral("platen.xml"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<scan:ScannerCapabilities xmlns:pwg=\"http://www.pwg.org/schemas/2010/12/sm\" "
        "xmlns:scan=\"http://schemas.hp.com/imaging/escl/2011/05/03\">\n"
        "  <pwg:Version>2.63</pwg:Version>\n  <pwg:MakeAndModel>Office Scanner 3000</pwg:MakeAndModel>\n"
        "  <scan:Platen/>\n</scan:ScannerCapabilities>\n");
    seed(QStringLiteral("escl_location"), QStringLiteral("path"), "/eSCL/ScanJobs/1a2b-3c4d");
    seed(QStringLiteral("escl_location"), QStringLiteral("url"), "https://192.0.2.1:443/eSCL/ScanJobs/42");
    for (const char *format : { "jpg", "png" }) {
        seed(QStringLiteral("escl_document"), QLatin1String(format),
            ImageFileWriter::encode(page(QImage::Format_RGB888, 32, 24), format, -1).bytes);
    }
    seed(QStringLiteral("avahi_output"), QStringLiteral("services"),
        "+;eth0;IPv4;Office\\032Scanner\\0323000\\032Series\\032\\091A1B2C3\\093;_uscan._tcp;local\n"
        "=;eth0;IPv4;Office\\032Scanner\\0323000\\032Series\\032\\091A1B2C3\\093;_uscan._tcp;local;scanner.local;"
        "192.0.2.7;443;\"txtvers=1\" \"rs=eSCL\"\n"
        "=;eth0;IPv6;Desk Scanner;_uscan._tcp;local;desk.local;fe80::1;443;\"rs=eSCL\"\n"
        "=;lo;IPv4;USB Scanner;_uscan._tcp;local;localhost;127.0.0.1;60000;\"rs=eSCL\"\n");
}

void scannerSeeds()
{
    using FuzzTargets::frameInput;
    QByteArray grey;
    for (int i = 0; i < 8 * 6; ++i)
        grey.append(char(i * 5));
    seed(QStringLiteral("sane_frames"), QStringLiteral("gray8"), frameInput(0, 8, 8, 6, 8, grey, 13));
    seed(QStringLiteral("sane_frames"), QStringLiteral("rgb8"), frameInput(1, 8, 4, 4, 12, grey, 7));
    seed(QStringLiteral("sane_frames"), QStringLiteral("rgb16"), frameInput(1, 16, 2, 4, 12, grey, 255));
    seed(QStringLiteral("sane_frames"), QStringLiteral("lineart"), frameInput(0, 1, 10, 3, 2, grey.left(6), 1));
    seed(QStringLiteral("sane_frames"), QStringLiteral("open-length"), frameInput(0, 8, 3, -1, 3, grey, 9));
}

void annotationSeeds()
{
    AnnotationTool tool;
    for (int type = AnnotationItem::Text; type <= AnnotationItem::Freehand; ++type) {
        AnnotationItem item;
        item.type = type;
        item.rect = QRect(2 + type, 3, 20, 12);
        item.color = QColor(200, 30, 30);
        item.text = type == AnnotationItem::Text ? QStringLiteral("批注") : QString();
        item.points = { QPoint(1, 1), QPoint(10, 6), QPoint(20, 3) };
        item.filled = type == AnnotationItem::Rectangle;
        item.transparency = 128 + type;
        tool.addAnnotation(item);
    }
    seed(QStringLiteral("annotation_json"), QStringLiteral("every-kind.json"),
        QJsonDocument(tool.toJson()).toJson(QJsonDocument::Compact));
}

void pageTextSeeds()
{
    PageText text;
    text.imageSize = QSize(400, 200);
    TextLine line;
    line.box = QRect(10, 10, 300, 40);
    line.words = { { QStringLiteral("合同"), QRect(10, 10, 80, 40), 91.5f },
        { QStringLiteral("Invoice"), QRect(100, 12, 120, 36), 88.0f } };
    text.lines = { line };
    seed(QStringLiteral("page_text"), QStringLiteral("two-words.json"), text.toJson());
}

void profileSeeds()
{
    ScanProfile profile;
    profile.area = QRectF(10, 20, 100, 150);
    profile.splitRule = SplitRule::Barcode;
    seed(QStringLiteral("scan_profile"), QStringLiteral("barcode.json"),
        ScanProfileStore::encode(QStringLiteral("发票"), profile));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    outputRoot = QFile::decodeName(argv[1]);
    FuzzTargets::setUp(&argc, argv);
    documentSeeds();
    esclSeeds();
    scannerSeeds();
    annotationSeeds();
    pageTextSeeds();
    profileSeeds();
    QTextStream(stdout) << written << " seeds in " << outputRoot << Qt::endl;
    return written > 0 ? 0 : 1;
}
