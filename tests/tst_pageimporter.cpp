// Bringing files in as pages, where the window tests do not reach: TIFFs, scans
// written by other tools, pages and files over the limits, a password PDF with
// nobody to ask, and one failing file among several. The document keeps its
// pages through every failure.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "document/documentmanager.h"
#include "document/pageimporter.h"
#include "document/pagestore.h"
#include "tests/support/importfiles.h"

namespace {

QImage solid(int width, int height, const QColor &colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

int dpiOf(const QImage &image)
{
    return qRound(image.dotsPerMeterX() * 0.0254);
}

} // namespace

class PageImporterTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loadDocument_data();
    void loadDocument();
    void scannedJpegKeepsItsPixels_data();
    void scannedJpegKeepsItsPixels();
    void addInsertsFilesInOrder();

private:
    QString path(const QString &name) const { return dir.filePath(name); }
    // Two known pages, the second current, modified since the last save.
    void fill(DocumentManager &document);

    QTemporaryDir dir;
};

void PageImporterTest::initTestCase()
{
    QVERIFY(dir.isValid());
    using ImportFiles::writePdf;
    using ImportFiles::writeTiff;
    QVERIFY(writePdf(path("three.pdf"),
        { { QSizeF(72, 72), Qt::red, {} }, { QSizeF(72, 72), Qt::green, {} }, { QSizeF(72, 144), Qt::blue, {} } }));
    // 150 x 210 pixels over a page of 1 x 1.4 inches: a 150 dpi scan.
    QVERIFY(writePdf(path("scanned.pdf"), { { QSizeF(72, 100.8), Qt::white, solid(150, 210, QColor(200, 120, 40)) } }));
    QVERIFY(
        writeTiff(path("three.tif"), { solid(40, 30, Qt::red), solid(30, 40, Qt::green), solid(20, 20, Qt::gray) }));
    // Second pages of 200 x 200 inches (3600 megapixels at 300 dpi) and of a claimed 225 megapixels.
    QVERIFY(writePdf(path("huge.pdf"),
        { { QSizeF(72, 72), Qt::red, {} }, { QSizeF(14400, 14400), Qt::green, {} },
            { QSizeF(72, 72), Qt::blue, {} } }));
    QVERIFY(writeTiff(path("huge.tif"), { solid(20, 20, Qt::red), QImage(), solid(20, 20, Qt::blue) }));
    QVERIFY(ImportFiles::writePlainPdf(path("many.pdf"), 2001, Qt::gray));
    QVERIFY(ImportFiles::writePlainPdf(path("plain.pdf"), 2, Qt::magenta));
    QVERIFY(ImportFiles::encryptPdf(path("plain.pdf"), path("locked.pdf"), QStringLiteral("secret")));
    QVERIFY(ImportFiles::writeTruncated(path("three.pdf"), path("cut.pdf"), 0.4));
    QVERIFY(ImportFiles::writeTruncated(path("scanned.pdf"), path("third.pdf"), 1.0 / 3));
    QFile text(path("text.pdf"));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a PDF at all\n") > 0);
}

void PageImporterTest::fill(DocumentManager &document)
{
    document.addPage(solid(30, 20, Qt::yellow));
    document.addPage(solid(20, 30, Qt::cyan));
    document.setCurrentPage(1);
}

void PageImporterTest::loadDocument_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<QSize>>("sizes"); // empty: the file is refused
    QTest::addColumn<QList<QColor>>("colours");
    QTest::addColumn<int>("dpi"); // 0: not checked
    QTest::addColumn<QString>("error");

    const QSize inch(300, 300);
    const QString tooBig = QStringLiteral("第2页超过200百万像素的上限，未导入: %1");
    QTest::newRow("pdf pages at 300 dpi") << "three.pdf" << QList<QSize> { inch, inch, { 300, 600 } }
                                          << QList<QColor> { Qt::red, Qt::green, Qt::blue } << 300 << QString();
    QTest::newRow("scanned pdf page at its image's resolution")
        << "scanned.pdf" << QList<QSize> { { 150, 210 } } << QList<QColor> { QColor(200, 120, 40) } << 150 << QString();
    QTest::newRow("every page of a tiff") << "three.tif" << QList<QSize> { { 40, 30 }, { 30, 40 }, { 20, 20 } }
                                          << QList<QColor> { Qt::red, Qt::green, Qt::gray } << 0 << QString();
    QTest::newRow("pdf page of 3600 megapixels left out")
        << "huge.pdf" << QList<QSize> { inch, inch } << QList<QColor> { Qt::red, Qt::blue } << 300 << tooBig;
    QTest::newRow("tiff page claiming 225 megapixels left out")
        << "huge.tif" << QList<QSize> { { 20, 20 }, { 20, 20 } } << QList<QColor> { Qt::red, Qt::blue } << 0 << tooBig;
    QTest::newRow("not a pdf") << "text.pdf" << QList<QSize>() << QList<QColor>() << 0 << "无法读取PDF文件: %1";
    QTest::newRow("image pdf cut to a third")
        << "third.pdf" << QList<QSize>() << QList<QColor>() << 0 << "文件已损坏或不完整: %1";
    QTest::newRow("password without a prompt")
        << "locked.pdf" << QList<QSize>() << QList<QColor>() << 0 << "此PDF文件需要密码: %1";
    QTest::newRow("more than 2000 pages")
        << "many.pdf" << QList<QSize>() << QList<QColor>() << 0 << "文件有2001页，超过了每个文件2000页的上限: %1";
}

// Opening a file makes all its pages the document, named after the file; a page
// over the limit is left out from its size alone, and a file that cannot be
// opened is reported and costs the user nothing.
void PageImporterTest::loadDocument()
{
    QFETCH(QString, name);
    QFETCH(QList<QSize>, sizes);
    QFETCH(QList<QColor>, colours);
    QFETCH(int, dpi);
    QFETCH(QString, error);
    const QString file = path(name);
    DocumentManager document;
    fill(document);
    const QString title = document.title();
    QSignalSpy errors(&document, &DocumentManager::documentError);

    QCOMPARE(document.loadDocument(file), !sizes.isEmpty());
    QCOMPARE(errors.count(), error.isEmpty() ? 0 : 1);
    if (!error.isEmpty())
        QCOMPARE(errors.first().first().toString(), error.arg(file));
    QCOMPARE(
        QDir(document.pageStore()->folder()).entryList({ QStringLiteral("import-*") }, QDir::Files), QStringList());
    if (sizes.isEmpty()) {
        QCOMPARE(document.pageCount(), 2);
        QCOMPARE(document.page(0), solid(30, 20, Qt::yellow));
        QCOMPARE(document.page(1), solid(20, 30, Qt::cyan));
        QCOMPARE(document.currentPageIndex(), 1);
        QCOMPARE(document.title(), title);
        QVERIFY(document.isModified());
        return;
    }
    QCOMPARE(document.pageCount(), sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
        const QImage page = document.page(i);
        QCOMPARE(page.size(), sizes.at(i));
        QVERIFY2(ImportFiles::near(ImportFiles::centre(page), colours.at(i)), qPrintable(QString::number(i)));
        if (dpi > 0)
            QCOMPARE(dpiOf(page), dpi);
    }
    QCOMPARE(document.currentPageIndex(), 0);
    QCOMPARE(document.title(), QFileInfo(file).baseName());
    QCOMPARE(document.filePath(), file);
    QVERIFY(!document.isModified());
}

void PageImporterTest::scannedJpegKeepsItsPixels_data()
{
    QTest::addColumn<int>("rotation");
    QTest::newRow("upright") << 0;
    QTest::newRow("turned by the page") << 90;
}

// A sheet written by an image-to-PDF tool comes back as its own JPEG's pixels,
// at its resolution, turned as the page turns it.
void PageImporterTest::scannedJpegKeepsItsPixels()
{
    QFETCH(int, rotation);
    QImage scan(180, 240, QImage::Format_RGB32);
    for (int y = 0; y < scan.height(); ++y) {
        for (int x = 0; x < scan.width(); ++x)
            scan.setPixel(x, y, qRgb(x, y, (x * y) % 256));
    }
    scan.setDotsPerMeterX(qRound(120 / 0.0254));
    scan.setDotsPerMeterY(qRound(120 / 0.0254));
    const QString jpeg = path("scan.jpg");
    const QString pdf = path(QStringLiteral("scan%1.pdf").arg(rotation));
    QVERIFY(scan.save(jpeg, "JPEG", 90));
    QCOMPARE(QProcess::execute(QStringLiteral("img2pdf"),
                 { jpeg, QStringLiteral("--rotation=%1").arg(rotation), QStringLiteral("-o"), pdf }),
        0);

    DocumentManager document;
    QVERIFY(document.loadDocument(pdf));
    QCOMPARE(document.pageCount(), 1);
    const QImage expected = QImage(jpeg).transformed(QTransform().rotate(rotation));
    QCOMPARE(document.page(0).convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(dpiOf(document.page(0)), 120);
}

// Several files are added in the order given, before the chosen page; a file
// that fails is left out and reported, the others come in.
void PageImporterTest::addInsertsFilesInOrder()
{
    DocumentManager document;
    fill(document);
    const QString title = document.title();
    const PageImporter::Report report
        = document.importer()->addNow({ path("three.pdf"), path("cut.pdf"), path("three.tif") }, 1);
    QVERIFY(report.applied);
    QCOMPARE(report.pagesAdded, 6);
    QCOMPARE(report.failures, QStringList { QStringLiteral("文件已损坏或不完整: %1").arg(path("cut.pdf")) });
    const QList<QColor> expected { Qt::yellow, Qt::red, Qt::green, Qt::blue, Qt::red, Qt::green, Qt::gray, Qt::cyan };
    QCOMPARE(document.pageCount(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QVERIFY2(
            ImportFiles::near(ImportFiles::centre(document.page(i)), expected.at(i)), qPrintable(QString::number(i)));
    }
    QVERIFY(document.isModified());
    QCOMPARE(document.title(), title);
}

QTEST_MAIN(PageImporterTest)
#include "tst_pageimporter.moc"
