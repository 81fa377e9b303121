// Saving and loading documents: real files on disk, checked with Qt's readers and with
// pdfinfo and tiffinfo.
#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <tiffio.h>

#include "document/documentmanager.h"
#include "tests/support/filesizelimit.h"
#include "tests/support/logcapture.h"

namespace {

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
}

// A page with structure in both directions and some noise, so that a row or channel
// mix-up shows in an exact comparison.
QImage patterned(int width, int height, QImage::Format format, quint32 seed = 1)
{
    QImage image(width, height, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = int(random.bounded(32));
            row[x] = qRgba((x * 7 + noise) % 256, (y * 5) % 256, (x + y + noise) % 256,
                format == QImage::Format_ARGB32 ? (x * 11 + y) % 256 : 255);
        }
    }
    if (format == QImage::Format_Mono || format == QImage::Format_MonoLSB) {
        // Index 0 black, index 1 white, as the page algorithms make them.
        QImage mono = image.convertToFormat(format, Qt::ThresholdDither);
        if (qGray(mono.color(0)) > qGray(mono.color(1))) {
            mono.invertPixels();
            mono.setColorTable({ qRgb(0, 0, 0), qRgb(255, 255, 255) });
        }
        return mono;
    }
    return image.convertToFormat(format);
}

// The same two-level image with its colour table the other way round.
QImage whiteIsZero(const QImage &mono)
{
    QImage inverted = mono;
    inverted.invertPixels();
    inverted.setColorTable({ qRgb(255, 255, 255), qRgb(0, 0, 0) });
    return inverted;
}

// Incompressible content, for running into the file-size limit.
QImage noise(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_RGB888);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        random.fillRange(reinterpret_cast<quint32 *>(image.scanLine(y)), image.bytesPerLine() / 4);
    return image;
}

QString runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return QString();
    return QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError());
}

bool hasLine(const QString &text, const QString &pattern)
{
    return text.contains(
        QRegularExpression(QLatin1Char('^') + pattern + QLatin1Char('$'), QRegularExpression::MultilineOption));
}

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image);
    return bytes;
}

bool samePixels(const QImage &a, const QImage &b)
{
    return a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

// The rows of one TIFF directory as stored, packed, read with libtiff itself.
QByteArray tiffRows(const QString &path, int directory)
{
    TIFF *tiff = TIFFOpen(QFile::encodeName(path).constData(), "r");
    if (!tiff)
        return QByteArray();
    QByteArray rows;
    if (TIFFSetDirectory(tiff, tdir_t(directory))) {
        quint32 width = 0;
        quint32 height = 0;
        quint16 bits = 0;
        quint16 samples = 0;
        TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
        // The decoder leaves bits past the right edge undefined.
        const int usedBits = int(width * bits * samples % 8);
        const tmsize_t rowBytes = TIFFScanlineSize(tiff);
        QByteArray row(int(rowBytes), Qt::Uninitialized);
        for (quint32 y = 0; y < height; ++y) {
            if (TIFFReadScanline(tiff, row.data(), y) < 0)
                break;
            if (usedBits != 0)
                row[row.size() - 1] = char(row.at(row.size() - 1) & (0xff << (8 - usedBits)));
            rows += row;
        }
    }
    TIFFClose(tiff);
    return rows;
}

// The packed rows an image should be stored as, in the given QImage format.
QByteArray packedRows(const QImage &image, QImage::Format format, int bitsPerPixel)
{
    const QImage converted = image.convertToFormat(format);
    const int rowBytes = (converted.width() * bitsPerPixel + 7) / 8;
    const int usedBits = converted.width() * bitsPerPixel % 8;
    QByteArray rows;
    for (int y = 0; y < converted.height(); ++y) {
        rows.append(reinterpret_cast<const char *>(converted.constScanLine(y)), rowBytes);
        if (usedBits != 0)
            rows[rows.size() - 1] = char(rows.at(rows.size() - 1) & (0xff << (8 - usedBits)));
    }
    return rows;
}

// An expected error text is either exact (with %1 standing for the path) or, ending in
// "...", a prefix that must be followed by a reason.
bool matchesError(const QString &actual, const QString &expected, const QString &path)
{
    if (!expected.endsWith(QLatin1String("...")))
        return actual == (expected.contains(QLatin1String("%1")) ? expected.arg(path) : expected);
    QString prefix = expected.chopped(3);
    if (prefix.contains(QLatin1String("%1")))
        prefix = prefix.arg(path);
    return actual.startsWith(prefix) && actual.size() > prefix.size();
}

struct Recorded
{
    explicit Recorded(DocumentManager *document)
    {
        QObject::connect(document, &DocumentManager::documentError, [this](const QString &e) { errors << e; });
        QObject::connect(document, &DocumentManager::documentSaved, [this](const QString &p) { saved << p; });
        QObject::connect(document, &DocumentManager::documentLoaded, [this](const QString &p) { loaded << p; });
    }
    QStringList errors;
    QStringList saved;
    QStringList loaded;
};

} // namespace

class DocumentPersistenceTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void nothingToSave_data();
    void nothingToSave();
    void saveDocumentAsAddsSuffix_data();
    void saveDocumentAsAddsSuffix();
    void unsupportedSuffix();
    void imageSeriesNaming_data();
    void imageSeriesNaming();
    void saveAsImagesLeavesModelAlone();
    void singleUpperCaseJpeg();
    void pdfPagesWithoutResolutionTakeTheirPixelsAsPoints();
    void pdfKeepsEachPagesOwnPicture();
    void titleFollowsSavedFile();
    void unusableFolder_data();
    void unusableFolder();
    void tiffRoundTrip();
    void upperCaseTifIsMultiPageTiff();
    void failedWritesKeepExistingFile_data();
    void failedWritesKeepExistingFile();
    void cancelledSaveWritesNothing_data();
    void cancelledSaveWritesNothing();
    void partlyWrittenSeriesIsNotSaved();
    void pageChangesWhileReportingAnError();
    void failedLoadKeepsPages_data();
    void failedLoadKeepsPages();
    void loadReadsByContent_data();
    void loadReadsByContent();

private:
    QString path(const QString &name) const { return dir->filePath(name); }
    QScopedPointer<QTemporaryDir> dir;
};

void DocumentPersistenceTest::init()
{
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
}

void DocumentPersistenceTest::nothingToSave_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("saveDocument") << "saveDocument";
    QTest::newRow("saveAsPdf") << "saveAsPdf";
    QTest::newRow("saveAsMultiPageTiff") << "saveAsMultiPageTiff";
    QTest::newRow("saveAsImages") << "saveAsImages";
}

void DocumentPersistenceTest::nothingToSave()
{
    QFETCH(QString, operation);
    DocumentManager document;
    Recorded recorded(&document);
    bool result = true;
    if (operation == QLatin1String("saveDocument"))
        result = document.saveDocument(path(QStringLiteral("x.pdf")));
    else if (operation == QLatin1String("saveAsPdf"))
        result = document.saveAsPdf(path(QStringLiteral("x.pdf")));
    else if (operation == QLatin1String("saveAsMultiPageTiff"))
        result = document.saveAsMultiPageTiff(path(QStringLiteral("x.tif")));
    else
        result = document.saveAsImages(path(QStringLiteral("x.png")));
    QVERIFY(!result);
    QCOMPARE(recorded.errors, QStringList { "没有要保存的页面" });
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList());
}

void DocumentPersistenceTest::saveDocumentAsAddsSuffix_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("written");
    QTest::newRow("suffix added") << "out"
                                  << "pdf"
                                  << "out.pdf";
    QTest::newRow("suffix kept whatever its case") << "out.PDF"
                                                   << "pdf"
                                                   << "out.PDF";
    QTest::newRow("other suffix gets the format appended") << "out.png"
                                                           << "tif"
                                                           << "out.png.tif";
    QTest::newRow("tiff") << "scan"
                          << "tiff"
                          << "scan.tiff";
}

void DocumentPersistenceTest::saveDocumentAsAddsSuffix()
{
    QFETCH(QString, name);
    QFETCH(QString, format);
    QFETCH(QString, written);
    DocumentManager document;
    document.addPage(patterned(40, 30, QImage::Format_RGB32));
    Recorded recorded(&document);
    QVERIFY(document.saveDocumentAs(path(name), format));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList { written });
    QCOMPARE(recorded.saved, QStringList { path(written) });
    QCOMPARE(document.filePath(), path(written));
}

void DocumentPersistenceTest::unsupportedSuffix()
{
    DocumentManager document;
    document.addPage(patterned(40, 30, QImage::Format_RGB32));
    const QString title = document.title();
    Recorded recorded(&document);
    QVERIFY(!document.saveDocument(path(QStringLiteral("x.GIF"))));
    QVERIFY(!document.saveDocument(path(QStringLiteral("noSuffix"))));
    QCOMPARE(recorded.errors, QStringList({ "不支持的文件格式: gif", "不支持的文件格式: " }));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList());
    QVERIFY(document.isModified());
    QCOMPARE(document.title(), title);
    QCOMPARE(document.filePath(), QString());
}

void DocumentPersistenceTest::imageSeriesNaming_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("typed name replaced by date") << "scan.png" << today() << "png";
    QTest::newRow("name starting with date kept") << today() + "-a.png" << today() + "-a"
                                                  << "png";
    QTest::newRow("complete base name before last dot") << today() + ".v2.bmp" << today() + ".v2"
                                                        << "bmp";
    QTest::newRow("suffix keeps its case") << "scan.JPeG" << today() << "JPeG";
}

void DocumentPersistenceTest::imageSeriesNaming()
{
    QFETCH(QString, name);
    QFETCH(QString, base);
    QFETCH(QString, suffix);
    DocumentManager document;
    const QList<QImage> pages { patterned(40, 30, QImage::Format_RGB32, 1), patterned(50, 20, QImage::Format_RGB32, 2),
        patterned(30, 60, QImage::Format_RGB32, 3) };
    for (const QImage &page : pages)
        document.addPage(page);
    Recorded recorded(&document);
    LogCapture log;
    QVERIFY(document.saveDocument(path(name)));

    QStringList expected;
    for (int i = 1; i <= 3; ++i)
        expected << QStringLiteral("%1_000%2.%3").arg(base).arg(i).arg(suffix);
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files, QDir::Name), expected);
    for (int i = 0; i < 3; ++i) {
        const QImage back(path(expected.at(i)));
        QCOMPARE(back.size(), pages.at(i).size());
        if (!suffix.startsWith(QLatin1String("J")))
            QVERIFY(samePixels(back, pages.at(i)));
    }
    QVERIFY(recorded.errors.isEmpty());
    QCOMPARE(document.filePath(), path(name));
    QVERIFY(!document.isModified());
    QVERIFY(log.contains(QStringLiteral("成功保存 3 个图像文件到 \"%1\"").arg(dir->path())));
    QVERIFY(log.contains(QStringLiteral("成功将 3 页保存为多个图像文件")));
}

// The multi-page save options of the window write a series without saving the document.
void DocumentPersistenceTest::saveAsImagesLeavesModelAlone()
{
    DocumentManager document;
    document.addPage(patterned(40, 30, QImage::Format_RGB32, 1));
    document.addPage(patterned(40, 30, QImage::Format_RGB32, 2));
    const QString title = document.title();
    Recorded recorded(&document);
    QVERIFY(document.saveAsImages(path(QStringLiteral("x.png"))));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files).size(), 2);
    QVERIFY(document.isModified());
    QCOMPARE(document.title(), title);
    QCOMPARE(document.filePath(), QString());
    QVERIFY(recorded.saved.isEmpty());
}

// One page goes to the typed name itself; JPEG at quality 90 whatever the suffix's case.
void DocumentPersistenceTest::singleUpperCaseJpeg()
{
    const QImage page = patterned(200, 150, QImage::Format_RGB32);
    DocumentManager document;
    document.addPage(page);
    QVERIFY(document.saveDocument(path(QStringLiteral("page.JPG"))));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList { "page.JPG" });

    QByteArray reference;
    QBuffer buffer(&reference);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    QVERIFY(writer.write(page));
    QCOMPARE(fileContents(path(QStringLiteral("page.JPG"))), reference);
    QCOMPARE(document.title(), QStringLiteral("page"));
}

// Pages without a resolution are their pixels in points, each its own size: none is
// stretched onto another's.
void DocumentPersistenceTest::pdfPagesWithoutResolutionTakeTheirPixelsAsPoints()
{
    DocumentManager document;
    QImage first(1000, 1400, QImage::Format_RGB32);
    first.fill(qRgb(40, 40, 40));
    document.addPage(first);
    document.addPage(patterned(2000, 1000, QImage::Format_Grayscale8, 2));
    const QString title = document.title();
    LogCapture log;
    QVERIFY(document.saveDocument(path(QStringLiteral("two.pdf"))));

    const QString info = runTool(QStringLiteral("pdfinfo"), { "-f", "1", "-l", "2", path(QStringLiteral("two.pdf")) });
    QVERIFY2(hasLine(info, QStringLiteral("Pages:\\s+2")), qPrintable(info));
    QVERIFY2(hasLine(info, QStringLiteral("Page\\s+1 size:\\s+1000 x 1400 pts.*")), qPrintable(info));
    QVERIFY2(hasLine(info, QStringLiteral("Page\\s+2 size:\\s+2000 x 1000 pts.*")), qPrintable(info));
    QVERIFY2(hasLine(info, QStringLiteral("Creator:\\s+Quirra")), qPrintable(info));
    QVERIFY2(hasLine(info, QStringLiteral("Title:\\s+") + title), qPrintable(info));
    QVERIFY(log.contains(QStringLiteral("成功将 2 页保存为单个PDF文件")));

    // The page image covers the whole page: no white frame at the edges.
    const QString rendered = path(QStringLiteral("render"));
    runTool(QStringLiteral("pdftoppm"),
        { "-r", "9", "-f", "1", "-l", "1", "-png", path(QStringLiteral("two.pdf")), rendered });
    const QImage page(rendered + QStringLiteral("-1.png"));
    QVERIFY(!page.isNull());
    QCOMPARE(page.size(), QSize(125, 175));
    QVERIFY(qGray(page.pixel(0, 0)) < 60);
    QVERIFY(qGray(page.pixel(page.width() - 1, page.height() - 1)) < 60);
}

// Pages are prepared for the PDF in reused buffers; each page must still show its own
// picture, in every format the scanner and the editing commands produce.
void DocumentPersistenceTest::pdfKeepsEachPagesOwnPicture()
{
    const QList<QPair<QImage::Format, QColor>> pages { { QImage::Format_RGB888, Qt::red },
        { QImage::Format_RGB888, Qt::green }, { QImage::Format_RGB888, Qt::blue },
        { QImage::Format_Grayscale8, Qt::darkGray }, { QImage::Format_RGB32, Qt::yellow },
        { QImage::Format_ARGB32, Qt::magenta }, { QImage::Format_Indexed8, Qt::cyan },
        { QImage::Format_Mono, Qt::black }, { QImage::Format_RGB888, Qt::darkRed } };
    DocumentManager document;
    for (const auto &page : pages) {
        QImage image(144, 216, QImage::Format_RGB32);
        image.fill(page.second);
        document.addPage(image.convertToFormat(page.first));
    }
    const QString target = path(QStringLiteral("colours.pdf"));
    QVERIFY(document.saveDocument(target));

    const QString rendered = path(QStringLiteral("page"));
    runTool(QStringLiteral("pdftoppm"), { "-r", "4", "-png", target, rendered });
    for (int i = 0; i < pages.size(); ++i) {
        const QImage page(rendered + QStringLiteral("-%1.png").arg(i + 1));
        QVERIFY2(!page.isNull(), qPrintable(QStringLiteral("page %1").arg(i + 1)));
        const QColor seen = page.pixelColor(page.width() / 2, page.height() / 2);
        const QColor wanted = pages.at(i).second;
        QVERIFY2(qAbs(seen.red() - wanted.red()) < 24 && qAbs(seen.green() - wanted.green()) < 24
                && qAbs(seen.blue() - wanted.blue()) < 24,
            qPrintable(QStringLiteral("page %1: %2 instead of %3").arg(i + 1).arg(seen.name(), wanted.name())));
    }
}

void DocumentPersistenceTest::titleFollowsSavedFile()
{
    QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("a/b")));
    const QString target = path(QStringLiteral("a/b/report.v2.pdf"));
    DocumentManager document;
    document.addPage(patterned(300, 400, QImage::Format_RGB32));
    const QString title = document.title();
    Recorded recorded(&document);
    LogCapture log;
    QVERIFY(document.saveDocument(target));
    QCOMPARE(document.title(), QStringLiteral("report"));
    QCOMPARE(document.filePath(), target);
    QVERIFY(!document.isModified());
    QCOMPARE(recorded.saved, QStringList { target });
    QCOMPARE(log.lines().last(), QStringLiteral("文档已保存到:  \"%1\"").arg(target));
    QVERIFY(log.linesStartingWith(QStringLiteral("成功将")).isEmpty());

    // The file carries the title the document had while it was written.
    const QString info = runTool(QStringLiteral("pdfinfo"), { target });
    QVERIFY2(hasLine(info, QStringLiteral("Title:\\s+") + title), qPrintable(info));
}

void DocumentPersistenceTest::unusableFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");
    QTest::newRow("pdf, folder does not exist") << "missing/out.pdf"
                                                << "保存PDF文件失败: %1\n...";
    QTest::newRow("pdf, folder is a file") << "plain.txt/out.pdf"
                                           << "保存PDF文件失败: %1\n...";
    QTest::newRow("tiff") << "missing/out.tif"
                          << "保存TIFF文件失败: ...";
    QTest::newRow("single image") << "missing/out.png"
                                  << "保存图像失败: ...";
}

// Root ignores permissions, so the folder itself has to be unusable. Nothing is
// reported as saved and the model stays as it was.
void DocumentPersistenceTest::unusableFolder()
{
    QFETCH(QString, name);
    QFETCH(QString, error);
    writeFile(path(QStringLiteral("plain.txt")), "text");
    DocumentManager document;
    document.addPage(patterned(100, 140, QImage::Format_RGB32));
    Recorded recorded(&document);
    QVERIFY(!document.saveDocument(path(name)));
    QCOMPARE(recorded.errors.size(), 1);
    QVERIFY2(matchesError(recorded.errors.first(), error, path(name)), qPrintable(recorded.errors.first()));
    QVERIFY(recorded.saved.isEmpty());
    QVERIFY(document.isModified());
    QCOMPARE(document.filePath(), QString());
    QVERIFY(!QFile::exists(path(name)));
}

// Pages of different sizes and depths come back page by page, pixel for pixel.
void DocumentPersistenceTest::tiffRoundTrip()
{
    const QList<QImage> pages {
        patterned(300, 200, QImage::Format_Grayscale8, 1),
        patterned(123, 457, QImage::Format_RGB888, 2),
        patterned(97, 61, QImage::Format_Mono, 3),
        patterned(200, 150, QImage::Format_RGB32, 4),
        patterned(64, 80, QImage::Format_ARGB32, 5),
        patterned(71, 33, QImage::Format_Grayscale8, 6).convertToFormat(QImage::Format_Indexed8),
        patterned(45, 52, QImage::Format_Grayscale16, 7),
        patterned(77, 20, QImage::Format_MonoLSB, 8),
        whiteIsZero(patterned(50, 40, QImage::Format_Mono, 9)),
    };
    QVERIFY(pages.at(5).isGrayscale());
    DocumentManager document;
    for (const QImage &page : pages)
        document.addPage(page);
    const QString target = path(QStringLiteral("pages.tiff"));
    LogCapture log;
    QVERIFY(document.saveDocument(target));
    QVERIFY(log.contains(QStringLiteral("成功保存 %1 页到多页TIFF文件: \"%2\"").arg(pages.size()).arg(target)));
    QVERIFY(log.contains(QStringLiteral("成功将 %1 页保存为单个TIFF文件").arg(pages.size())));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList { "pages.tiff" });

    const QString info = runTool(QStringLiteral("tiffinfo"), { target });
    QCOMPARE(info.count(QStringLiteral("TIFF Directory at offset")), pages.size());
    QCOMPARE(info.count(QStringLiteral("Compression Scheme: LZW")), 6);
    QCOMPARE(info.count(QStringLiteral("Compression Scheme: CCITT Group 4")), 3);
    QCOMPARE(info.count(QStringLiteral("Bits/Sample: 1\n")), 3);
    QCOMPARE(info.count(QStringLiteral("Bits/Sample: 16\n")), 1);
    QCOMPARE(info.count(QStringLiteral("Photometric Interpretation: min-is-white")), 1);
    QCOMPARE(info.count(QStringLiteral("Page Number: ")), pages.size());

    // Stored exactly: grey as grey, colour as RGB, alpha unassociated, two-level as bits.
    const QList<QPair<QImage::Format, int>> stored { { QImage::Format_Grayscale8, 8 }, { QImage::Format_RGB888, 24 },
        { QImage::Format_Mono, 1 }, { QImage::Format_RGB888, 24 }, { QImage::Format_RGBA8888, 32 },
        { QImage::Format_Grayscale8, 8 }, { QImage::Format_Grayscale16, 16 }, { QImage::Format_Mono, 1 },
        { QImage::Format_Mono, 1 } };
    for (int i = 0; i < pages.size(); ++i)
        QVERIFY2(tiffRows(target, i) == packedRows(pages.at(i), stored.at(i).first, stored.at(i).second),
            qPrintable(QStringLiteral("page %1").arg(i + 1)));

    // And Qt reads them back page by page.
    QImageReader reader(target);
    QCOMPARE(reader.imageCount(), pages.size());
    for (int i = 0; i < pages.size(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage back = reader.read();
        QVERIFY2(!back.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(back.size(), pages.at(i).size());
        QCOMPARE(back.hasAlphaChannel(), pages.at(i).hasAlphaChannel());
        if (!back.hasAlphaChannel())
            QVERIFY2(samePixels(back, pages.at(i)), qPrintable(QStringLiteral("page %1").arg(i + 1)));
    }

    // Opening the file brings every page back into the document.
    DocumentManager loaded;
    QVERIFY(loaded.loadDocument(target));
    QCOMPARE(loaded.pageCount(), pages.size());
    for (int i = 0; i < pages.size(); ++i)
        QCOMPARE(loaded.page(i).size(), pages.at(i).size());
    QVERIFY(samePixels(loaded.page(1), pages.at(1)));
    QCOMPARE(loaded.currentPageIndex(), 0);
    QVERIFY(!loaded.isModified());
}

void DocumentPersistenceTest::upperCaseTifIsMultiPageTiff()
{
    DocumentManager document;
    document.addPage(patterned(40, 30, QImage::Format_RGB32, 1));
    document.addPage(patterned(30, 40, QImage::Format_RGB32, 2));
    QVERIFY(document.saveDocument(path(QStringLiteral("x.TIF"))));
    QCOMPARE(QImageReader(path(QStringLiteral("x.TIF"))).imageCount(), 2);
    QCOMPARE(document.title(), QStringLiteral("x"));
}

void DocumentPersistenceTest::failedWritesKeepExistingFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("smallFirstPage");
    QTest::addColumn<QString>("error");
    QTest::newRow("pdf") << "out.pdf" << true << "保存PDF文件失败: %1\n...";
    QTest::newRow("tiff, first page") << "out.tif" << false << "保存TIFF文件失败: ...";
    QTest::newRow("tiff, later page") << "out.tif" << true << "保存TIFF文件第2页失败: ...";
    QTest::newRow("single image") << "out.png" << false << "保存图像失败: ...";
}

// A disk that fills up during the save is a failure, and the file that was there before
// is still there afterwards, unchanged, with no partial file next to it.
void DocumentPersistenceTest::failedWritesKeepExistingFile()
{
    QFETCH(QString, name);
    QFETCH(bool, smallFirstPage);
    QFETCH(QString, error);
    const QString target = path(name);
    writeFile(target, "the previous version");

    DocumentManager document;
    if (smallFirstPage)
        document.addPage(patterned(20, 20, QImage::Format_Grayscale8));
    document.addPage(noise(600, 600, 7));
    Recorded recorded(&document);
    {
        FileSizeLimit limit(64 * 1024);
        QVERIFY(!document.saveDocument(target));
    }
    QCOMPARE(recorded.errors.size(), 1);
    QVERIFY2(matchesError(recorded.errors.first(), error, target), qPrintable(recorded.errors.first()));
    QVERIFY(recorded.saved.isEmpty());
    QCOMPARE(fileContents(target), QByteArray("the previous version"));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList { name });
    QVERIFY(document.isModified());
    QCOMPARE(document.filePath(), QString());
}

void DocumentPersistenceTest::cancelledSaveWritesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("sizeLimit");
    QTest::newRow("pdf") << "out.pdf" << qint64(0);
    QTest::newRow("pdf under a size limit") << "out.pdf" << qint64(2000);
    QTest::newRow("tiff") << "out.tif" << qint64(0);
}

// Stopped between two pages, a save leaves the file that was there as it was,
// reports no error and keeps the document unsaved.
void DocumentPersistenceTest::cancelledSaveWritesNothing()
{
    QFETCH(QString, name);
    QFETCH(qint64, sizeLimit);
    const QString target = path(name);
    writeFile(target, "the previous version");
    DocumentManager document;
    for (int i = 0; i < 3; ++i)
        document.addPage(noise(300, 300, 20 + i));
    SaveOptions options;
    options.sizeLimit = sizeLimit;
    options.overLimit = SaveOptions::OverLimit::Split;
    document.setSaveOptions(options);
    QList<int> told;
    document.setSaveProgress([&told](int done, int count) {
        told << done;
        return !(done == 2 && count == 3);
    });
    Recorded recorded(&document);
    QVERIFY(!document.saveDocument(target));
    QVERIFY(document.lastSaveCancelled());
    QCOMPARE(told.mid(0, 2), (QList<int> { 1, 2 }));
    QVERIFY(recorded.errors.isEmpty());
    QVERIFY(recorded.saved.isEmpty());
    QCOMPARE(fileContents(target), QByteArray("the previous version"));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList { name });
    QVERIFY(document.isModified());
}

// Pages that fail are reported and the others still written; but the document does not
// count as saved while some of its pages are not on disk.
void DocumentPersistenceTest::partlyWrittenSeriesIsNotSaved()
{
    DocumentManager document;
    document.addPage(patterned(20, 20, QImage::Format_Grayscale8, 1));
    document.addPage(noise(600, 600, 8));
    document.addPage(patterned(20, 20, QImage::Format_Grayscale8, 3));
    Recorded recorded(&document);
    {
        FileSizeLimit limit(64 * 1024);
        QVERIFY(!document.saveDocument(path(QStringLiteral("scan.png"))));
        QVERIFY(document.saveAsImages(path(QStringLiteral("again.png"))));
    }
    QCOMPARE(recorded.errors.size(), 2);
    for (const QString &error : qAsConst(recorded.errors))
        QVERIFY2(matchesError(error, QStringLiteral("保存第2页图像失败: ..."), QString()), qPrintable(error));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files, QDir::Name),
        QStringList({ today() + "_0001.png", today() + "_0003.png" }));
    QVERIFY(recorded.saved.isEmpty());
    QVERIFY(document.isModified());
    QCOMPARE(document.filePath(), QString());
}

// The window may show an error in a modal box while the series is still being written,
// and a scan can add a page meanwhile: the series still holds the pages of the moment
// the save began.
void DocumentPersistenceTest::pageChangesWhileReportingAnError()
{
    DocumentManager document;
    const QList<QImage> pages { patterned(20, 20, QImage::Format_Grayscale8, 1), noise(600, 600, 8),
        patterned(30, 10, QImage::Format_Grayscale8, 3), patterned(10, 30, QImage::Format_Grayscale8, 4) };
    for (const QImage &page : pages)
        document.addPage(page);
    connect(&document, &DocumentManager::documentError, this, [&document] {
        for (int i = 0; i < 64; ++i)
            document.addPage(patterned(8, 8, QImage::Format_Grayscale8, quint32(100 + i)));
        document.removePage(0);
    });
    {
        FileSizeLimit limit(64 * 1024);
        QVERIFY(document.saveAsImages(path(QStringLiteral("scan.png"))));
    }
    const QStringList expected { today() + "_0001.png", today() + "_0003.png", today() + "_0004.png" };
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files, QDir::Name), expected);
    QVERIFY(samePixels(QImage(path(expected.at(1))), pages.at(2)));
    QVERIFY(samePixels(QImage(path(expected.at(2))), pages.at(3)));
    QCOMPARE(document.pageCount(), 4 + 64 - 1);
}

void DocumentPersistenceTest::failedLoadKeepsPages_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("error");

    const QByteArray png = pngBytes(patterned(80, 60, QImage::Format_RGB32));
    QTest::newRow("missing file") << "missing.png" << QByteArray() << "文件不存在: %1";
    QTest::newRow("unsupported format") << "anim.gif" << png << "不支持的文件格式: gif";
    QTest::newRow("no suffix") << "image" << png << "不支持的文件格式: ";
    QTest::newRow("damaged pdf") << "scan.pdf" << QByteArray("%PDF-1.4\n") << "文件已损坏或不完整: %1";
    QTest::newRow("not an image") << "notes.png" << QByteArray("just some text\n") << "无法读取图像文件: %1";
    QTest::newRow("empty file") << "empty.bmp" << QByteArray("") << "无法读取图像文件: %1";
    QTest::newRow("truncated png") << "cut.png" << png.left(png.size() / 2) << "读取图像失败: ...";
}

// Whatever goes wrong while opening a file, the pages the user has stay as they are.
void DocumentPersistenceTest::failedLoadKeepsPages()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, contents);
    QFETCH(QString, error);
    const QString source = path(name);
    if (!name.startsWith(QLatin1String("missing")))
        writeFile(source, contents);

    DocumentManager document;
    const QImage first = patterned(30, 20, QImage::Format_RGB32, 1);
    const QImage second = patterned(20, 30, QImage::Format_RGB32, 2);
    document.addPage(first);
    document.addPage(second);
    document.setCurrentPage(1);
    const QString title = document.title();
    Recorded recorded(&document);
    QSignalSpy changed(&document, &DocumentManager::documentChanged);
    QSignalSpy current(&document, &DocumentManager::currentPageChanged);

    QVERIFY(!document.loadDocument(source));
    QCOMPARE(recorded.errors.size(), 1);
    QVERIFY2(matchesError(recorded.errors.first(), error, source), qPrintable(recorded.errors.first()));
    QVERIFY(recorded.loaded.isEmpty());
    QCOMPARE(changed.count(), 0);
    QCOMPARE(current.count(), 0);
    QCOMPARE(document.pageCount(), 2);
    QCOMPARE(document.page(0), first);
    QCOMPARE(document.page(1), second);
    QCOMPARE(document.currentPageIndex(), 1);
    QCOMPARE(document.title(), title);
    QVERIFY(document.isModified());
}

void DocumentPersistenceTest::loadReadsByContent_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("png as png") << "scan.png";
    QTest::newRow("png named jpg") << "scan.jpg";
    QTest::newRow("png named bmp") << "scan.v1.bmp";
    QTest::newRow("png named TIF") << "scan.TIF";
}

// The reader goes by the file's contents; the load replaces the document in a fixed
// signal order and leaves it unmodified.
void DocumentPersistenceTest::loadReadsByContent()
{
    QFETCH(QString, name);
    const QImage image = patterned(80, 60, QImage::Format_RGB32);
    const QString source = path(name);
    writeFile(source, pngBytes(image));

    DocumentManager document;
    document.addPage(patterned(10, 10, QImage::Format_RGB32, 9));
    QStringList events;
    connect(&document, &DocumentManager::documentChanged, this, [&] { events << QStringLiteral("changed"); });
    connect(&document, &DocumentManager::pageAdded, this, [&](int i) { events << QStringLiteral("added(%1)").arg(i); });
    connect(&document, &DocumentManager::currentPageChanged, this,
        [&](int i) { events << QStringLiteral("current(%1)").arg(i); });
    connect(&document, &DocumentManager::documentLoaded, this,
        [&](const QString &p) { events << QStringLiteral("loaded(%1)").arg(p); });
    LogCapture log;

    QVERIFY(document.loadDocument(source));
    QCOMPARE(events,
        QStringList({ "changed", "current(-1)", "current(0)", "added(0)", "changed",
            QStringLiteral("loaded(%1)").arg(source) }));
    QCOMPARE(document.pageCount(), 1);
    QVERIFY(samePixels(document.page(0), image));
    QCOMPARE(document.filePath(), source);
    QCOMPARE(document.title(), QStringLiteral("scan"));
    QVERIFY(!document.isModified());
    QCOMPARE(log.lines().last(), QStringLiteral("已加载文档:  \"%1\"").arg(source));
}

QTEST_MAIN(DocumentPersistenceTest)
#include "tst_documentmanager_persistence.moc"
