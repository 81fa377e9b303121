// Bringing files in as pages: PDFs made by QPdfWriter (one encrypted by qpdf),
// truncated and oversized files, multi-page TIFFs; the document keeps its
// pages through every failure.
#include <QDir>
#include <QImageWriter>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "document/documentmanager.h"
#include "document/pageimporter.h"
#include "document/pagestore.h"
#include "tests/support/importfiles.h"

using ImportFiles::PdfPage;

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

QStringList stagedFiles(DocumentManager &document)
{
    return QDir(document.pageStore()->folder()).entryList({ QStringLiteral("import-*") }, QDir::Files);
}

} // namespace

class PageImporterTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void opensEveryPage_data();
    void opensEveryPage();
    void scannedJpegKeepsItsPixels_data();
    void scannedJpegKeepsItsPixels();
    void failedOpenKeepsPages_data();
    void failedOpenKeepsPages();
    void oversizedPagesAreLeftOut_data();
    void oversizedPagesAreLeftOut();
    void passwordIsAsked_data();
    void passwordIsAsked();
    void cancelLeavesDocument();
    void addInsertsFilesInOrder();

private:
    QString path(const QString &name) const { return dir->filePath(name); }
    // Builds the named test file and returns its path.
    QString make(const QString &kind);
    // A document of two known pages, the second current and modified.
    void fill(DocumentManager &document);
    void verifyUntouched(DocumentManager &document);

    std::unique_ptr<QTemporaryDir> dir;
    QString originalTitle;
};

void PageImporterTest::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

QString PageImporterTest::make(const QString &kind)
{
    const QString file = path(kind + (kind.contains(QLatin1String("tiff")) ? ".tif" : ".pdf"));
    bool ok = false;
    if (kind == QLatin1String("three-pages")) {
        ok = ImportFiles::writePdf(file,
            { { QSizeF(72, 72), Qt::red, {} }, { QSizeF(72, 72), Qt::green, {} }, { QSizeF(72, 144), Qt::blue, {} } });
    } else if (kind == QLatin1String("scanned")) {
        // 150 x 210 pixels over a page of 1 x 1.4 inches: a 150 dpi scan.
        ok = ImportFiles::writePdf(file, { { QSizeF(72, 100.8), Qt::white, solid(150, 210, QColor(200, 120, 40)) } });
    } else if (kind == QLatin1String("three-pages-tiff")) {
        ok = ImportFiles::writeTiff(
            file, { solid(40, 30, Qt::red), solid(30, 40, Qt::green), solid(20, 20, QColor(10, 20, 30)) });
    } else if (kind == QLatin1String("truncated")) {
        ok = make(QStringLiteral("three-pages")).size() > 0
            && ImportFiles::writeTruncated(path("three-pages.pdf"), file, 0.4);
    } else if (kind == QLatin1String("encrypted")) {
        ok = ImportFiles::writePlainPdf(path("plain.pdf"), 2, Qt::magenta)
            && ImportFiles::encryptPdf(path("plain.pdf"), file, QStringLiteral("secret"));
    } else if (kind == QLatin1String("too-many-pages")) {
        ok = ImportFiles::writePlainPdf(file, 2001, Qt::gray);
    } else if (kind == QLatin1String("text")) {
        QFile text(file);
        ok = text.open(QIODevice::WriteOnly) && text.write("not a PDF at all\n") > 0;
    } else if (kind == QLatin1String("huge-pdf-page")) {
        // 200 x 200 inches: 3600 megapixels at 300 dpi.
        ok = ImportFiles::writePdf(file,
            { { QSizeF(72, 72), Qt::red, {} }, { QSizeF(14400, 14400), Qt::green, {} },
                { QSizeF(72, 72), Qt::blue, {} } });
    } else if (kind == QLatin1String("huge-tiff-page")) {
        ok = ImportFiles::writeTiff(file, { solid(20, 20, Qt::red), QImage(), solid(20, 20, Qt::blue) });
    }
    if (!ok)
        qWarning("could not make %s", qPrintable(kind));
    return file;
}

void PageImporterTest::fill(DocumentManager &document)
{
    document.addPage(solid(30, 20, Qt::yellow));
    document.addPage(solid(20, 30, Qt::cyan));
    document.setCurrentPage(1);
    originalTitle = document.title();
}

void PageImporterTest::verifyUntouched(DocumentManager &document)
{
    QCOMPARE(document.pageCount(), 2);
    QCOMPARE(document.page(0), solid(30, 20, Qt::yellow));
    QCOMPARE(document.page(1), solid(20, 30, Qt::cyan));
    QCOMPARE(document.currentPageIndex(), 1);
    QCOMPARE(document.title(), originalTitle);
    QVERIFY(document.isModified());
    QCOMPARE(stagedFiles(document), QStringList());
}

void PageImporterTest::opensEveryPage_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<QSize>>("sizes");
    QTest::addColumn<QList<QColor>>("colours");
    QTest::addColumn<int>("dpi");

    QTest::newRow("pdf pages at 300 dpi") << "three-pages" << QList<QSize> { { 300, 300 }, { 300, 300 }, { 300, 600 } }
                                          << QList<QColor> { Qt::red, Qt::green, Qt::blue } << 300;
    QTest::newRow("scanned pdf page at its image's resolution")
        << "scanned" << QList<QSize> { { 150, 210 } } << QList<QColor> { QColor(200, 120, 40) } << 150;
    QTest::newRow("every page of a tiff") << "three-pages-tiff" << QList<QSize> { { 40, 30 }, { 30, 40 }, { 20, 20 } }
                                          << QList<QColor> { Qt::red, Qt::green, QColor(10, 20, 30) } << 0;
}

// Opening a file makes all its pages the document, named after the file.
void PageImporterTest::opensEveryPage()
{
    QFETCH(QString, kind);
    QFETCH(QList<QSize>, sizes);
    QFETCH(QList<QColor>, colours);
    QFETCH(int, dpi);
    const QString file = make(kind);

    DocumentManager document;
    fill(document);
    QSignalSpy loaded(&document, &DocumentManager::documentLoaded);
    QSignalSpy errors(&document, &DocumentManager::documentError);

    QVERIFY(document.loadDocument(file));
    QCOMPARE(errors.count(), 0);
    QCOMPARE(loaded.count(), 1);
    QCOMPARE(document.pageCount(), sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
        const QImage page = document.page(i);
        QCOMPARE(page.size(), sizes.at(i));
        QVERIFY2(
            ImportFiles::near(ImportFiles::centre(page), colours.at(i)), qPrintable(ImportFiles::centre(page).name()));
        if (dpi > 0)
            QCOMPARE(dpiOf(page), dpi);
    }
    QCOMPARE(document.currentPageIndex(), 0);
    QCOMPARE(document.title(), QFileInfo(file).baseName());
    QCOMPARE(document.filePath(), file);
    QVERIFY(!document.isModified());
    QCOMPARE(stagedFiles(document), QStringList());
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
    QVERIFY(scan.save(jpeg, "JPEG", 90));
    const QString pdf = path("scan.pdf");
    QProcess img2pdf;
    img2pdf.start(
        QStringLiteral("img2pdf"), { jpeg, QStringLiteral("--rotation=%1").arg(rotation), QStringLiteral("-o"), pdf });
    QVERIFY(img2pdf.waitForFinished(30000));
    QCOMPARE(img2pdf.exitCode(), 0);

    DocumentManager document;
    QVERIFY(document.loadDocument(pdf));
    QCOMPARE(document.pageCount(), 1);
    const QImage expected = QImage(jpeg).transformed(QTransform().rotate(rotation));
    QCOMPARE(document.page(0).convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(dpiOf(document.page(0)), 120);
}

void PageImporterTest::failedOpenKeepsPages_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("error");

    QTest::newRow("truncated pdf") << "truncated"
                                   << "无法读取PDF文件: %1";
    QTest::newRow("not a pdf") << "text"
                               << "无法读取PDF文件: %1";
    QTest::newRow("password without a prompt") << "encrypted"
                                               << "此PDF文件需要密码: %1";
    QTest::newRow("more than 2000 pages") << "too-many-pages"
                                          << "文件有2001页，超过了每个文件2000页的上限: %1";
}

// A file that cannot be opened is reported and costs the user nothing.
void PageImporterTest::failedOpenKeepsPages()
{
    QFETCH(QString, kind);
    QFETCH(QString, error);
    const QString file = make(kind);

    DocumentManager document;
    fill(document);
    QSignalSpy errors(&document, &DocumentManager::documentError);
    QSignalSpy changed(&document, &DocumentManager::documentChanged);

    QVERIFY(!document.loadDocument(file));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().first().toString(), error.arg(file));
    QCOMPARE(changed.count(), 0);
    verifyUntouched(document);
}

void PageImporterTest::oversizedPagesAreLeftOut_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<QColor>>("colours");

    QTest::newRow("pdf page of 3600 megapixels") << "huge-pdf-page" << QList<QColor> { Qt::red, Qt::blue };
    QTest::newRow("tiff page claiming 225 megapixels") << "huge-tiff-page" << QList<QColor> { Qt::red, Qt::blue };
}

// A page above the limit is refused from its size alone; the file's other
// pages still come in.
void PageImporterTest::oversizedPagesAreLeftOut()
{
    QFETCH(QString, kind);
    QFETCH(QList<QColor>, colours);
    const QString file = make(kind);

    DocumentManager document;
    const PageImporter::Report report = document.importer()->openNow(file);
    QVERIFY(report.applied);
    QCOMPARE(report.failures, QStringList());
    QCOMPARE(report.refusals, QStringList { QStringLiteral("第2页超过200百万像素的上限，未导入: %1").arg(file) });
    QCOMPARE(document.pageCount(), colours.size());
    for (int i = 0; i < colours.size(); ++i)
        QVERIFY(ImportFiles::near(ImportFiles::centre(document.page(i)), colours.at(i)));
}

void PageImporterTest::passwordIsAsked_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QList<bool>>("retries");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QString>("failure");

    QTest::newRow("right password") << QStringList { "secret" } << QList<bool> { false } << 2 << QString();
    QTest::newRow("wrong, then right") << QStringList { "guess", "secret" } << QList<bool> { false, true } << 2
                                       << QString();
    QTest::newRow("declined") << QStringList { "" } << QList<bool> { false } << 0 << "未输入密码，未导入: %1";
    QTest::newRow("wrong, then declined")
        << QStringList { "guess", "" } << QList<bool> { false, true } << 0 << "未输入密码，未导入: %1";
}

// An encrypted PDF asks for its password, says so when one was wrong, and asks
// again until it opens or the user gives up.
void PageImporterTest::passwordIsAsked()
{
    QFETCH(QStringList, answers);
    QFETCH(QList<bool>, retries);
    QFETCH(int, pages);
    QFETCH(QString, failure);
    const QString file = make(QStringLiteral("encrypted"));

    DocumentManager document;
    fill(document);
    PageImporter *importer = document.importer();
    QList<bool> asked;
    connect(importer, &PageImporter::passwordRequired, this, [&](const QString &asking, bool wrong) {
        QCOMPARE(asking, file);
        asked << wrong;
        importer->answerPassword(answers.value(asked.size() - 1));
    });
    QSignalSpy finished(importer, &PageImporter::finished);

    QVERIFY(importer->open(file));
    QVERIFY(finished.wait(20000));
    const auto report = finished.first().first().value<PageImporter::Report>();
    QCOMPARE(asked, retries);
    if (failure.isEmpty()) {
        QVERIFY(report.applied);
        QCOMPARE(document.pageCount(), pages);
        QVERIFY(ImportFiles::near(ImportFiles::centre(document.page(0)), Qt::magenta));
    } else {
        QCOMPARE(report.failures, QStringList { failure.arg(file) });
        verifyUntouched(document);
    }
    QVERIFY(!importer->isRunning());
}

// A cancel, whenever it comes, leaves the document as it was.
void PageImporterTest::cancelLeavesDocument()
{
    const QString file = make(QStringLiteral("three-pages"));
    DocumentManager document;
    fill(document);
    PageImporter *importer = document.importer();
    connect(importer, &PageImporter::progress, importer, &PageImporter::cancel);
    QSignalSpy finished(importer, &PageImporter::finished);

    QVERIFY(importer->open(file));
    QVERIFY(finished.wait(20000));
    const auto report = finished.first().first().value<PageImporter::Report>();
    QVERIFY(report.cancelled);
    QVERIFY(!report.applied);
    verifyUntouched(document);
}

// Several files are added in the order given, before the chosen page; a file
// that fails is left out and reported, the others come in.
void PageImporterTest::addInsertsFilesInOrder()
{
    const QString pdf = make(QStringLiteral("three-pages"));
    const QString tiff = make(QStringLiteral("three-pages-tiff"));
    const QString broken = make(QStringLiteral("truncated"));
    DocumentManager document;
    fill(document);
    document.importer()->setThumbnailer([](const QImage &page) { return page.scaled(8, 8); });

    const PageImporter::Report report = document.importer()->addNow({ pdf, broken, tiff }, 1);
    QVERIFY(report.applied);
    QCOMPARE(report.pagesAdded, 6);
    QCOMPARE(report.failures, QStringList { QStringLiteral("无法读取PDF文件: %1").arg(broken) });
    const QList<QColor> expected { Qt::yellow, Qt::red, Qt::green, Qt::blue, Qt::red, Qt::green, QColor(10, 20, 30),
        Qt::cyan };
    QCOMPARE(document.pageCount(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QVERIFY2(
            ImportFiles::near(ImportFiles::centre(document.page(i)), expected.at(i)), qPrintable(QString::number(i)));
        // Imported pages bring their list picture; the others have none.
        QCOMPARE(document.thumbnail(i).size(), i == 0 || i == 7 ? QSize(0, 0) : QSize(8, 8));
    }
    QVERIFY(document.isModified());
    QCOMPARE(document.title(), originalTitle);
}

QTEST_MAIN(PageImporterTest)
#include "tst_pageimporter.moc"
