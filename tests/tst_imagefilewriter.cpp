#include <QtTest>

#include "document/imagefilewriter.h"
#include "document/pageresolution.h"
#include "ui/autosaver.h"

namespace {

QString runTool(const QString &program, const QStringList &arguments, int *exitCode = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return QString();
    if (exitCode)
        *exitCode = process.exitCode();
    return QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError());
}

// A page of text-like strokes in the given format at the given resolution (0: none set).
QImage textPage(const QSize &size, QImage::Format format, double dpi)
{
    QImage page(size, QImage::Format_RGB32);
    page.fill(Qt::white);
    for (int y = size.height() / 10; y < size.height() * 9 / 10; y += 24)
        for (int x = size.width() / 10; x < size.width() * 9 / 10; x += 16)
            for (int row = 0; row < 12; ++row)
                std::fill_n(reinterpret_cast<QRgb *>(page.scanLine(y + row)) + x, 3 + (x * 7 + y) % 9,
                    qRgb((x * 3) % 200, (y * 5) % 200, 90));
    page = page.convertToFormat(format, Qt::ThresholdDither);
    if (dpi > 0)
        PageResolution::set(&page, dpi, dpi);
    return page;
}

// pdfimages -list's rows after its two header lines, split into columns.
QList<QStringList> imageRows(const QString &pdf)
{
    QList<QStringList> rows;
    const QStringList lines = runTool(QStringLiteral("pdfimages"), { "-list", pdf }).split('\n', Qt::SkipEmptyParts);
    for (int i = 2; i < lines.size(); ++i)
        rows.append(lines.at(i).split(' ', Qt::SkipEmptyParts));
    return rows;
}

// pdfinfo's "Page N size:" values, e.g. "595.276 x 841.89".
QStringList pageSizes(const QString &pdf, int pages)
{
    QStringList sizes;
    const QString info = runTool(QStringLiteral("pdfinfo"), { "-f", "1", "-l", QString::number(pages), pdf });
    const QRegularExpression pattern(
        QStringLiteral("^Page\\s+\\d+ size:\\s+(\\S+ x \\S+) pts"), QRegularExpression::MultilineOption);
    for (auto match = pattern.globalMatch(info); match.hasNext();)
        sizes.append(match.next().captured(1));
    return sizes;
}

// qpdf --check's report when it finds fault with the file, else nothing.
QString qpdfComplaint(const QString &pdf)
{
    int exitCode = -1;
    const QString report = runTool(QStringLiteral("qpdf"), { "--check", pdf }, &exitCode);
    return exitCode == 0 ? QString() : report;
}

} // namespace

class ImageFileWriterTest : public QObject
{
    Q_OBJECT

private slots:
    void pageGeometry_data();
    void pageGeometry();
    void unreadablePageFailsTheWrite();
    void resolution_data();
    void resolution();
    void pageEncoding_data();
    void pageEncoding();
    void pageSizeFromResolution_data();
    void pageSizeFromResolution();
    void twoLevelPageKeepsItsInk_data();
    void twoLevelPageKeepsItsInk();
    void jpegQualityIsTheLayouts();
};

void ImageFileWriterTest::pageGeometry_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<QSize>("pageSize");
    QTest::addColumn<QRect>("red");
    // Where each PDF writer puts the image on the page, rendered at 18 dpi (A4 is 149 x 211): a single
    // automatic save stretches it over the whole page, margins included; a multi-page one fits and centres it.
    const QSize a4(149, 211);
    QTest::newRow("single, stretched") << "autoSingle" << QSize(400, 100) << a4 << QRect(QPoint(), a4);
    QTest::newRow("multi-page, fitted and centred") << "autoMulti" << QSize(400, 100) << a4 << QRect(0, 87, 149, 37);
    QTest::newRow("multi-page, tall image") << "autoMulti" << QSize(100, 400) << a4 << QRect(48, 0, 53, 211);
    // The document's page takes the first page's size in points, 400 x 100 at 18 dpi.
    QTest::newRow("document page size") << "document" << QSize(400, 100) << QSize(100, 25) << QRect(0, 0, 100, 25);
}

void ImageFileWriterTest::pageGeometry()
{
    QFETCH(QString, writer);
    QFETCH(QSize, imageSize);
    QFETCH(QSize, pageSize);
    QFETCH(QRect, red);
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("page.pdf"));
    QImage image(imageSize, QImage::Format_RGB32);
    image.fill(Qt::red);
    ImageFileWriter::PdfLayout layout;
    QVERIFY(writer == "autoSingle"  ? AutoSaver::writeImage(image, path, "PDF", SaveOptions())
            : writer == "autoMulti" ? AutoSaver::writePdf({ image }, path, "多页扫描文档")
                                    : ImageFileWriter::writePdf({ image }, path, layout, nullptr));
    QProcess pdftoppm;
    pdftoppm.start("pdftoppm", QString("-r 18 -f 1 -l 1 -singlefile -png").split(' ') << path << path);
    QVERIFY(pdftoppm.waitForFinished(20000) && pdftoppm.exitCode() == 0);
    const QImage page(path + ".png");
    QCOMPARE(page.size(), pageSize);
    // Corners, edge middles and centre: red where the image lands, white elsewhere.
    for (int x : { 1, page.width() / 2, page.width() - 2 }) {
        for (int y : { 1, page.height() / 2, page.height() - 2 }) {
            const QColor seen = page.pixelColor(x, y), expected = red.contains(x, y) ? Qt::red : Qt::white;
            QVERIFY2(qAbs(seen.red() - expected.red()) < 12 && qAbs(seen.green() - expected.green()) < 12
                    && qAbs(seen.blue() - expected.blue()) < 12,
                qPrintable(QStringLiteral("%1 at %2,%3").arg(seen.name()).arg(x).arg(y)));
        }
    }
}

// A page the provider cannot hand out (its file lost) fails the whole write and keeps the earlier file.
void ImageFileWriterTest::unreadablePageFailsTheWrite()
{
    QTemporaryDir scratch;
    QFile earlier(scratch.filePath(QStringLiteral("unreadable.pdf")));
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier version") > 0);
    earlier.close();
    QImage image(60, 80, QImage::Format_RGB32);
    image.fill(Qt::red);
    QString errorText;
    QVERIFY(!ImageFileWriter::writePdf(
        3, [&image](int index, QImage *) { return index == 1 ? QImage() : image; }, earlier.fileName(), {},
        &errorText));
    QVERIFY(!errorText.isEmpty());
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier version"));
    QCOMPARE(QDir(scratch.path()).entryList(QDir::Files), QStringList { "unreadable.pdf" });
}

// Which dots per metre count as a resolution, and the page size in points they give.
void ImageFileWriterTest::resolution_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<int>("dotsPerMetre");
    QTest::addColumn<QSizeF>("points");
    QTest::newRow("A4 at 300 dpi snaps to A4") << QSize(2480, 3508) << 11811 << QSizeF(595.276, 841.89);
    QTest::newRow("Letter at 200 dpi, a few rows short") << QSize(1700, 2190) << 7874 << QSizeF(612, 792);
    QTest::newRow("150 dpi, no paper size") << QSize(1000, 500) << 5906 << QSizeF(480, 240);
    QTest::newRow("2 % off A4 is not A4") << QSize(2430, 3508) << 11811 << QSizeF(583.2, 841.9);
    QTest::newRow("Qt's default is unknown") << QSize(400, 300) << 3780 << QSizeF();
    QTest::newRow("zero is unknown") << QSize(400, 300) << 0 << QSizeF();
    QTest::newRow("above 10000 dpi is unknown") << QSize(400, 300) << 400000 << QSizeF();
}

void ImageFileWriterTest::resolution()
{
    QFETCH(QSize, pixels);
    QFETCH(int, dotsPerMetre);
    QFETCH(QSizeF, points);
    QImage page(pixels, QImage::Format_Mono);
    page.setDotsPerMeterX(dotsPerMetre);
    page.setDotsPerMeterY(dotsPerMetre);
    QCOMPARE(PageResolution::isKnown(page), !points.isEmpty());
    const QSizeF size = PageResolution::sizeInPoints(page);
    QCOMPARE(size.isEmpty(), points.isEmpty());
    QVERIFY2(qAbs(size.width() - points.width()) < 0.1 && qAbs(size.height() - points.height()) < 0.1,
        qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
}

// Each page in its own encoding, at its own resolution, whatever came before it.
void ImageFileWriterTest::pageEncoding_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("encoding"); // pdfimages -list: color comp bpc enc
    QTest::newRow("two-level") << int(QImage::Format_Mono) << "gray 1 1 ccitt";
    QTest::newRow("two-level, LSB first") << int(QImage::Format_MonoLSB) << "gray 1 1 ccitt";
    QTest::newRow("grey") << int(QImage::Format_Grayscale8) << "gray 1 8 jpeg";
    QTest::newRow("grey palette") << int(QImage::Format_Indexed8) << "gray 1 8 jpeg";
    QTest::newRow("colour") << int(QImage::Format_RGB32) << "rgb 3 8 jpeg";
    QTest::newRow("colour with alpha") << int(QImage::Format_ARGB32_Premultiplied) << "rgb 3 8 jpeg";
}

void ImageFileWriterTest::pageEncoding()
{
    QFETCH(int, format);
    QFETCH(QString, encoding);
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("kinds.pdf"));
    QImage page = textPage(QSize(600, 800), QImage::Format(format), 300);
    if (format == QImage::Format_Indexed8) {
        page = textPage(QSize(600, 800), QImage::Format_Grayscale8, 300).convertToFormat(QImage::Format_Indexed8);
        QVERIFY(page.isGrayscale());
    }
    // A colour page first, so that the page under test cannot inherit its encoding.
    const QImage before = textPage(QSize(300, 300), QImage::Format_RGB32, 150);
    QString errorText;
    QVERIFY2(ImageFileWriter::writePdf({ before, page }, path, {}, &errorText), qPrintable(errorText));
    const QList<QStringList> rows = imageRows(path);
    QCOMPARE(rows.size(), 2);
    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi ...
    QCOMPARE(rows.at(1).mid(0, 5).join(' '), QStringLiteral("2 1 image 600 800"));
    QCOMPARE(rows.at(1).mid(5, 4).join(' '), encoding);
    QCOMPARE(rows.at(1).mid(12, 2).join(' '), QStringLiteral("300 300"));
    QCOMPARE(rows.at(0).mid(12, 2).join(' '), QStringLiteral("150 150"));
    QCOMPARE(qpdfComplaint(path), QString());
}

// pdfinfo's page sizes: each page its physical size and orientation in one document; a page
// without resolution keeps its pixels as points in a document and goes on A4 when saved automatically.
void ImageFileWriterTest::pageSizeFromResolution_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QList<QImage>>("pages");
    QTest::addColumn<QStringList>("sizes");
    const QImage a4 = textPage(QSize(2480, 3508), QImage::Format_Mono, 300);
    const QImage a4Landscape = textPage(QSize(3508, 2480), QImage::Format_Grayscale8, 300);
    const QImage small = textPage(QSize(300, 150), QImage::Format_RGB32, 150);
    const QImage unknown = textPage(QSize(400, 300), QImage::Format_RGB32, 0);
    QTest::newRow("document: A4 portrait then landscape")
        << "document" << QList<QImage> { a4, a4Landscape } << QStringList { "595.276 x 841.89", "841.89 x 595.276" };
    QTest::newRow("document: 150 dpi, then no resolution")
        << "document" << QList<QImage> { small, unknown } << QStringList { "144 x 72", "400 x 300" };
    QTest::newRow("automatic multi-page: no resolution on A4")
        << "autoMulti" << QList<QImage> { small, unknown } << QStringList { "144 x 72", "595.276 x 841.89" };
    QTest::newRow("automatic single: 150 dpi") << "autoSingle" << QList<QImage> { small } << QStringList { "144 x 72" };
    QTest::newRow("automatic single: no resolution on A4")
        << "autoSingle" << QList<QImage> { unknown } << QStringList { "595.276 x 841.89" };
}

void ImageFileWriterTest::pageSizeFromResolution()
{
    QFETCH(QString, writer);
    QFETCH(QList<QImage>, pages);
    QFETCH(QStringList, sizes);
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("sizes.pdf"));
    QVERIFY(writer == "autoSingle"
            ? AutoSaver::writeImage(pages.first(), path, "PDF", SaveOptions { SaveOptions::Compression::Standard, 80 })
            : writer == "autoMulti" ? AutoSaver::writePdf(pages, path, "多页扫描文档")
                                    : ImageFileWriter::writePdf(pages, path, {}, nullptr));
    QCOMPARE(pageSizes(path, pages.size()), sizes);
    QCOMPARE(qpdfComplaint(path), QString());
}

// The G4 page shows black where the page is black, whichever colour table index is black.
void ImageFileWriterTest::twoLevelPageKeepsItsInk_data()
{
    QTest::addColumn<bool>("blackIsZero");
    QTest::newRow("index 0 black") << true;
    QTest::newRow("index 0 white") << false;
}

void ImageFileWriterTest::twoLevelPageKeepsItsInk()
{
    QFETCH(bool, blackIsZero);
    QImage page(240, 160, QImage::Format_Mono);
    page.setColorTable(blackIsZero ? QVector<QRgb> { qRgb(0, 0, 0), qRgb(255, 255, 255) }
                                   : QVector<QRgb> { qRgb(255, 255, 255), qRgb(0, 0, 0) });
    page.fill(blackIsZero ? 1 : 0);
    const QRect ink(40, 20, 60, 100);
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x)
            page.setPixel(x, y, blackIsZero ? 0 : 1);
    PageResolution::set(&page, 72, 72);
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("ink.pdf"));
    QVERIFY(ImageFileWriter::writePdf({ page }, path, {}, nullptr));
    runTool(QStringLiteral("pdftoppm"), { "-r", "72", "-singlefile", "-png", path, path });
    const QImage rendered(path + ".png");
    QCOMPARE(rendered.size(), page.size());
    for (const QPoint &point : { QPoint(45, 25), QPoint(95, 115), QPoint(10, 10), QPoint(200, 140) })
        QCOMPARE(qGray(rendered.pixel(point)) < 128, ink.contains(point));
}

// The layout's JPEG quality is the one the pages are encoded with.
void ImageFileWriterTest::jpegQualityIsTheLayouts()
{
    QTemporaryDir scratch;
    const QImage page = textPage(QSize(800, 600), QImage::Format_RGB32, 300);
    qint64 sizes[2] = {};
    for (int i = 0; i < 2; ++i) {
        ImageFileWriter::PdfLayout layout;
        layout.options.jpegQuality = i == 0 ? 50 : 95;
        const QString path = scratch.filePath(QStringLiteral("q%1.pdf").arg(i));
        QVERIFY(ImageFileWriter::writePdf({ page }, path, layout, nullptr));
        sizes[i] = imageRows(path).value(0).value(14).chopped(1).toDouble() * 1024;
    }
    QVERIFY2(sizes[0] * 3 / 2 < sizes[1], qPrintable(QStringLiteral("%1 %2").arg(sizes[0]).arg(sizes[1])));
}

QTEST_MAIN(ImageFileWriterTest)
#include "tst_imagefilewriter.moc"
