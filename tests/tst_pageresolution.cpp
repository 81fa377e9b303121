// A page's resolution follows it through every editing operation and into and out of
// its files, so the page prints at the size it was scanned at.
#include <QtTest>

#include <functional>

#include "document/documentmanager.h"
#include "document/pageresolution.h"
#include "imaging/imageprocessor.h"

Q_DECLARE_METATYPE(std::function<QImage(ImageProcessor &, const QImage &)>)

namespace {

using Operation = std::function<QImage(ImageProcessor &, const QImage &)>;

QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return QString();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// A page with two blocks of content left and right (and top and bottom), so that the
// split commands find two regions.
QImage scannedPage(QImage::Format format, double dpi)
{
    QImage page(240, 160, QImage::Format_RGB32);
    page.fill(Qt::white);
    for (const QRect &block : { QRect(20, 20, 70, 40), QRect(150, 100, 70, 40) })
        for (int y = block.top(); y <= block.bottom(); ++y)
            for (int x = block.left(); x <= block.right(); ++x)
                page.setPixel(x, y, qRgb(40 + x % 50, 60, 90 + y % 40));
    page = page.convertToFormat(format, Qt::ThresholdDither);
    PageResolution::set(&page, dpi, dpi);
    return page;
}

} // namespace

class PageResolutionTest : public QObject
{
    Q_OBJECT

private slots:
    void operationsKeepTheResolution_data();
    void operationsKeepTheResolution();
    void imageFilesRecordIt_data();
    void imageFilesRecordIt();
    void multiPageTiffRecordsItAndCodesTwoLevelAsG4();
};

void PageResolutionTest::operationsKeepTheResolution_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<int>("format");
    const int colour = QImage::Format_RGB32;
    const int grey = QImage::Format_Grayscale8;
    const int mono = QImage::Format_Mono;
    const auto row = [](const char *name, int format, Operation operation) {
        QTest::newRow(name) << operation << format;
    };
    row("rotate left", colour, [](ImageProcessor &p, const QImage &i) { return p.rotateLeft(i); });
    row("rotate right, two-level", mono, [](ImageProcessor &p, const QImage &i) { return p.rotateRight(i); });
    row("rotate by angle", colour, [](ImageProcessor &p, const QImage &i) { return p.rotateByAngle(i, 7.5); });
    row("crop to rotated content", grey,
        [](ImageProcessor &p, const QImage &i) { return p.cropToRotatedContent(i, 5); });
    row("crop", mono, [](ImageProcessor &p, const QImage &i) { return p.cropImage(i, QRect(10, 10, 100, 80)); });
    row("brightness and contrast", colour,
        [](ImageProcessor &p, const QImage &i) { return p.adjustBrightnessContrast(i, 20, 10); });
    row("hue and saturation", colour,
        [](ImageProcessor &p, const QImage &i) { return p.adjustHueSaturation(i, 30, 20); });
    row("auto level", grey, [](ImageProcessor &p, const QImage &i) { return p.autoLevel(i); });
    row("grey", colour, [](ImageProcessor &p, const QImage &i) { return p.toGrayscale(i); });
    row("two-level", colour, [](ImageProcessor &p, const QImage &i) { return p.toBinary(i, 128); });
    row("binarize", grey, [](ImageProcessor &p, const QImage &i) { return p.binarize(i); });
    row("gamma", colour, [](ImageProcessor &p, const QImage &i) { return p.applyGamma(i, 1.4); });
    row("kernel", grey, [](ImageProcessor &p, const QImage &i) {
        return p.applyKernel(i, { 0, -1, 0, -1, 5, -1, 0, -1, 0 }, 3);
    });
    row("deskew", grey, [](ImageProcessor &p, const QImage &i) { return p.deskew(i); });
    row("edges", colour, [](ImageProcessor &p, const QImage &i) { return p.detectEdges(i); });
    row("enhance", colour, [](ImageProcessor &p, const QImage &i) { return p.enhanceDocument(i); });
    row("enhance colour", colour, [](ImageProcessor &p, const QImage &i) { return p.enhanceColorDocument(i); });
    row("remove background", grey, [](ImageProcessor &p, const QImage &i) { return p.removeBackground(i); });
    row("bleach", colour, [](ImageProcessor &p, const QImage &i) { return p.bleach(i); });
    row("remove border", mono, [](ImageProcessor &p, const QImage &i) { return p.removeBorder(i, 8); });
    row("sharpen", colour, [](ImageProcessor &p, const QImage &i) { return p.sharpen(i, 50); });
    row("denoise", grey, [](ImageProcessor &p, const QImage &i) { return p.denoise(i, 50); });
    row("crop blank margins", colour, [](ImageProcessor &p, const QImage &i) { return p.autoCropBlankMargins(i); });
    row("split left half", colour, [](ImageProcessor &p, const QImage &i) { return p.splitLeftRight(i).value(0); });
    row("split bottom half", mono, [](ImageProcessor &p, const QImage &i) { return p.splitTopBottom(i).value(1); });
    row("merge side by side", colour, [](ImageProcessor &p, const QImage &i) {
        return p.mergeSideBySide(i, i.convertToFormat(QImage::Format_Grayscale8), 10);
    });
    row("merge stacked, two-level", mono,
        [](ImageProcessor &p, const QImage &i) { return p.mergeStacked(i, i, 4, 2); });
}

void PageResolutionTest::operationsKeepTheResolution()
{
    QFETCH(Operation, operation);
    QFETCH(int, format);
    ImageProcessor processor;
    const QImage page = scannedPage(QImage::Format(format), 150);
    const QImage result = operation(processor, page);
    QVERIFY(!result.isNull());
    QCOMPARE(PageResolution::dpiX(result), PageResolution::dpiX(page));
    QCOMPARE(PageResolution::dpiY(result), PageResolution::dpiY(page));
}

// A one-page document saved as each image format records its resolution (identify reads
// it back) and opens again with it.
void PageResolutionTest::imageFilesRecordIt_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("format");
    QTest::addColumn<double>("dpi");
    QTest::newRow("png, 150 dpi") << "png" << int(QImage::Format_RGB32) << 150.0;
    QTest::newRow("jpg, 600 dpi") << "jpg" << int(QImage::Format_Grayscale8) << 600.0;
    QTest::newRow("bmp, 300 dpi") << "bmp" << int(QImage::Format_RGB32) << 300.0;
    QTest::newRow("tiff, two-level, 200 dpi") << "tiff" << int(QImage::Format_Mono) << 200.0;
}

void PageResolutionTest::imageFilesRecordIt()
{
    QFETCH(QString, suffix);
    QFETCH(int, format);
    QFETCH(double, dpi);
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("page.") + suffix);
    DocumentManager document;
    document.addPage(scannedPage(QImage::Format(format), dpi));
    QVERIFY(document.saveDocument(path));
    const QStringList seen
        = runTool(QStringLiteral("identify"), { "-units", "PixelsPerInch", "-format", "%x %y\\n", path })
              .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    QCOMPARE(seen.size(), 2);
    QCOMPARE(qRound(seen.at(0).toDouble()), qRound(dpi));
    QCOMPARE(qRound(seen.at(1).toDouble()), qRound(dpi));

    DocumentManager opened;
    QVERIFY(opened.loadDocument(path));
    QCOMPARE(qRound(PageResolution::dpiX(opened.page(0))), qRound(dpi));
    QCOMPARE(qRound(PageResolution::dpiY(opened.page(0))), qRound(dpi));
}

// tiffinfo: each page its own resolution; two-level pages in CCITT G4, the others as before.
void PageResolutionTest::multiPageTiffRecordsItAndCodesTwoLevelAsG4()
{
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("stack.tiff"));
    DocumentManager document;
    const QImage twoLevel = scannedPage(QImage::Format_Mono, 300);
    document.addPage(twoLevel);
    document.addPage(scannedPage(QImage::Format_Grayscale8, 150));
    QVERIFY(document.saveAsMultiPageTiff(path));
    const QString info = runTool(QStringLiteral("tiffinfo"), { path });
    QCOMPARE(info.count(QStringLiteral("Compression Scheme: CCITT Group 4")), 1);
    QVERIFY2(info.contains(QStringLiteral("Resolution: 300, 300 pixels/inch")), qPrintable(info));
    QVERIFY2(info.contains(QStringLiteral("Resolution: 150, 150 pixels/inch")), qPrintable(info));
    // The G4 page reads back pixel for pixel.
    DocumentManager opened;
    QVERIFY(opened.loadDocument(path));
    QCOMPARE(opened.pageCount(), 2);
    QCOMPARE(opened.page(0).convertToFormat(QImage::Format_RGB32), twoLevel.convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(PageResolutionTest)
#include "tst_pageresolution.moc"
