#include <QtTest>

#include "document/documentmanager.h"
#include "document/imagefilewriter.h"
#include "document/pageresolution.h"
#include "document/pdfdocument.h"
#include "document/pdftextlayer.h"
#include "ocr/textrecognizer.h"
#include "tests/support/officepage.h"
#include "tests/support/testpages.h"

namespace {

QString runTool(const QString &program, const QStringList &arguments, int *exitCode = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return QString();
    if (exitCode)
        *exitCode = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

QString qpdfComplaint(const QString &pdf)
{
    int exitCode = -1;
    const QString report = runTool(QStringLiteral("qpdf"), { "--check", pdf }, &exitCode);
    return exitCode == 0 ? QString() : report;
}

// pdfimages -list's rows as "type enc width x height bpc", e.g. "stencil ccitt 2480x3508 1".
QStringList imagesOf(const QString &pdf)
{
    QStringList images;
    const QStringList lines = runTool(QStringLiteral("pdfimages"), { "-list", pdf }).split('\n', Qt::SkipEmptyParts);
    for (int i = 2; i < lines.size(); ++i) {
        const QStringList c = lines.at(i).split(' ', Qt::SkipEmptyParts);
        if (c.size() > 9)
            images.append(QStringLiteral("%1 %2 %3x%4 %5").arg(c.at(2), c.at(8), c.at(3), c.at(4), c.at(7)));
    }
    return images;
}

QImage rendered(const QString &pdf, int index = 0, int dpi = 300)
{
    PdfDocument document;
    if (document.open(pdf) != PdfDocument::Status::Opened)
        return QImage();
    return document.render(index, dpi).convertToFormat(QImage::Format_RGB32);
}

int pdfPages(const QString &pdf)
{
    PdfDocument document;
    return document.open(pdf) == PdfDocument::Status::Opened ? document.pageCount() : 0;
}

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 150 && qGreen(pixel) < 110 && qBlue(pixel) < 110;
}

SaveOptions compact()
{
    SaveOptions options;
    options.compression = SaveOptions::Compression::Compact;
    return options;
}

// A white page with a black frame of strokes one pixel wide, at dpi.
QImage thinStrokes(QImage::Format format, int dpi)
{
    QImage page(1200, 1600, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setPen(QPen(Qt::black, 1));
    for (int k = 0; k < 20; ++k)
        painter.drawRect(100 + k * 20, 100 + k * 20, 800 - k * 40, 1200 - k * 40);
    painter.end();
    page = page.convertToFormat(format, Qt::ThresholdDither);
    PageResolution::set(&page, dpi, dpi);
    return page;
}

// What happens to an imported page before it is saved.
enum class Edit { None, Edited, EditUndone };

} // namespace

Q_DECLARE_METATYPE(SaveOptions::OverLimit)
Q_DECLARE_METATYPE(SaveOptions)
Q_DECLARE_METATYPE(Edit)

class CompactPdfTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void officePage_data();
    void officePage();
    void pagesTheMaskCannotDescribe_data();
    void pagesTheMaskCannotDescribe();
    void sizeLimit_data();
    void sizeLimit();
    void twoLevelPdfStaysTwoLevel_data();
    void twoLevelPdfStaysTwoLevel();
    void saveResolution_data();
    void saveResolution();
    void unchangedStreamsAreCopied_data();
    void unchangedStreamsAreCopied();

private:
    QTemporaryDir m_scratch;
    TextRecognizer m_recognizer;
};

void CompactPdfTest::initTestCase()
{
    QString errorText;
    QVERIFY2(m_recognizer.load(QStringLiteral("chi_sim+eng"), TextRecognizer::defaultDataPath(), &errorText),
        qPrintable(errorText));
}

void CompactPdfTest::officePage_data()
{
    QTest::addColumn<bool>("grey");
    QTest::addColumn<bool>("photo");
    QTest::addColumn<int>("maxKilobytes");
    // With its invisible text layer; a photo region rides in the paper layer.
    QTest::newRow("colour") << false << false << 100;
    QTest::newRow("grey") << true << false << 100;
    QTest::newRow("colour with a photo") << false << true << 150;
}

// A compact office page is small, reads as well as the scan (at most one point more
// character errors), keeps its seal red and passes qpdf's check.
void CompactPdfTest::officePage()
{
    QFETCH(bool, grey);
    QFETCH(bool, photo);
    QFETCH(int, maxKilobytes);
    OfficePage::Page office = OfficePage::render(2, photo);
    if (grey)
        office.image = office.image.convertToFormat(QImage::Format_Grayscale8);
    const QString path = m_scratch.filePath(QStringLiteral("office.pdf"));
    ImageFileWriter::PdfLayout layout;
    layout.options = compact();
    layout.decoratePage = PdfTextLayer::decorator({ m_recognizer.recognize(office.image) });
    ImageFileWriter::PdfReport report;
    QString errorText;
    QVERIFY2(ImageFileWriter::writePdf({ office.image }, path, layout, &errorText, &report), qPrintable(errorText));
    QCOMPARE(report.layeredPages, 1);
    QVERIFY2(report.bytes <= maxKilobytes * 1000, qPrintable(QString::number(report.bytes)));
    QCOMPARE(qpdfComplaint(path), QString());

    const QImage page = rendered(path);
    QCOMPARE(page.size(), office.image.size());
    const QString reference = office.lines.join(QLatin1Char('\n'));
    const double before
        = TextPages::characterErrorRate(reference, m_recognizer.recognize(office.image.copy(office.body)).plainText());
    const double after
        = TextPages::characterErrorRate(reference, m_recognizer.recognize(page.copy(office.body)).plainText());
    QVERIFY2(after <= before + 0.01, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));
    if (grey)
        return;
    int red = 0, kept = 0;
    for (int y = office.seal.top(); y <= office.seal.bottom(); ++y) {
        for (int x = office.seal.left(); x <= office.seal.right(); ++x) {
            if (isRed(office.image.pixel(x, y))) {
                ++red;
                kept += isRed(page.pixel(x, y));
            }
        }
    }
    // Red by a strict measure; the softest edge pixels of the strokes go to the
    // ink layer's mean and fall just outside it.
    QVERIFY2(kept >= red * 0.8, qPrintable(QStringLiteral("%1 of %2").arg(kept).arg(red)));
}

void CompactPdfTest::pagesTheMaskCannotDescribe_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QString>("encoding");
    QImage photo = TestPages::photo(QSize(2480, 3508), 3);
    PageResolution::set(&photo, 300, 300);
    QImage paper(2480, 3508, QImage::Format_RGB32);
    paper.fill(qRgb(240, 236, 225));
    PageResolution::set(&paper, 300, 300);
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(Qt::black);
    // A till roll without a resolution: its pixels are its points.
    QImage receipt(700, 30000, QImage::Format_RGB32);
    receipt.fill(Qt::white);
    QPainter painter(&receipt);
    for (int y = 100; y < receipt.height(); y += 60)
        painter.fillRect(40, y, 200 + (y * 7) % 400, 24, Qt::black);
    painter.end();
    // Each falls back to continuous tone, at the compact resolution for photographs.
    QTest::newRow("photo") << photo << "image jpeg 1653x2339 8";
    QTest::newRow("empty paper") << paper << "image jpeg 1653x2339 8";
    QTest::newRow("1 x 1") << dot << "image jpeg 1x1 8";
    QTest::newRow("30 000 pixels long") << receipt << "image jpeg 700x30000 8";
    QTest::newRow("1-bit page") << thinStrokes(QImage::Format_Mono, 300) << "image ccitt 1200x1600 1";
}

// A page the layers cannot describe is written continuous tone (or G4), never fails.
void CompactPdfTest::pagesTheMaskCannotDescribe()
{
    QFETCH(QImage, image);
    QFETCH(QString, encoding);
    const QString path = m_scratch.filePath(QStringLiteral("fallback.pdf"));
    ImageFileWriter::PdfLayout layout;
    layout.options = compact();
    ImageFileWriter::PdfReport report;
    QString errorText;
    QVERIFY2(ImageFileWriter::writePdf({ image }, path, layout, &errorText, &report), qPrintable(errorText));
    QCOMPARE(report.layeredPages, 0);
    QCOMPARE(imagesOf(path), QStringList { encoding });
    QCOMPARE(qpdfComplaint(path), QString());
}

void CompactPdfTest::sizeLimit_data()
{
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<SaveOptions::OverLimit>("overLimit");
    QTest::addColumn<int>("files"); // 0: refused, 2: two or more
    // Ten standard pages are about 10 MB; compact they fit 2 MB.
    QTest::newRow("fits once compact") << qint64(2000000) << SaveOptions::OverLimit::Refuse << 1;
    QTest::newRow("split into parts") << qint64(120000) << SaveOptions::OverLimit::Split << 2;
    QTest::newRow("refused, with its size") << qint64(120000) << SaveOptions::OverLimit::Refuse << 0;
    QTest::newRow("saved anyway") << qint64(120000) << SaveOptions::OverLimit::SaveAnyway << 1;
    QTest::newRow("one page alone is over") << qint64(8000) << SaveOptions::OverLimit::Split << 0;
}

// A ten-page document saved under a limit: every file written is under it (unless the
// user said to save anyway), and together they hold every page.
void CompactPdfTest::sizeLimit()
{
    QFETCH(qint64, limit);
    QFETCH(SaveOptions::OverLimit, overLimit);
    QFETCH(int, files);
    static QList<QImage> pages;
    if (pages.isEmpty()) {
        for (int i = 0; i < 10; ++i)
            pages.append(OfficePage::render(unsigned(10 + i)).image);
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("notice.pdf"));
    ImageFileWriter::PdfLayout layout;
    layout.options.sizeLimit = limit;
    layout.options.overLimit = overLimit;
    ImageFileWriter::PdfReport report;
    QString errorText;
    const bool written = ImageFileWriter::writePdf(pages, path, layout, &errorText, &report);
    QCOMPARE(written, files > 0);
    if (files == 2)
        QVERIFY(report.paths.size() >= 2);
    else
        QCOMPARE(report.paths.size(), files);
    if (files == 0) {
        QVERIFY(!errorText.isEmpty());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList());
        if (overLimit == SaveOptions::OverLimit::Refuse) {
            QVERIFY(report.overLimit);
            QVERIFY(report.smallestBytes > limit);
            QVERIFY2(errorText.contains(QStringLiteral("%1 MB").arg(report.smallestBytes / 1e6, 0, 'f', 1)),
                qPrintable(errorText));
        }
        return;
    }
    int pageTotal = 0;
    for (int i = 0; i < report.paths.size(); ++i) {
        const QString file = report.paths.at(i);
        if (files > 1)
            QCOMPARE(QFileInfo(file).fileName(), QStringLiteral("notice_%1.pdf").arg(i + 1));
        if (overLimit != SaveOptions::OverLimit::SaveAnyway)
            QVERIFY2(QFileInfo(file).size() <= limit, qPrintable(QString::number(QFileInfo(file).size())));
        QCOMPARE(qpdfComplaint(file), QString());
        pageTotal += pdfPages(file);
    }
    QCOMPARE(pageTotal, pages.size());
}

void CompactPdfTest::twoLevelPdfStaysTwoLevel_data()
{
    QTest::addColumn<QString>("compression");
    // img2pdf keeps a G4 TIFF's data as CCITT and a 1-bit PNG's as Flate.
    QTest::newRow("CCITT G4") << "Group4";
    QTest::newRow("Flate 1-bit") << "png";
}

// A scanned 1-bit PDF opened comes in as a 1-bit page of the same pixels, and saved
// again stays within 1.2 times its G4 size.
void CompactPdfTest::twoLevelPdfStaysTwoLevel()
{
    QFETCH(QString, compression);
    const QImage office = OfficePage::render(5).image.convertToFormat(QImage::Format_Grayscale8);
    const QString png = m_scratch.filePath(QStringLiteral("bw.png"));
    office.save(png);
    const QString tiff = m_scratch.filePath(QStringLiteral("bw.tif"));
    const QString bitmap = m_scratch.filePath(QStringLiteral("bw1.png"));
    const QString peer = m_scratch.filePath(QStringLiteral("peer.pdf"));
    const QString source = compression == QLatin1String("png") ? bitmap : tiff;
    int exitCode = -1;
    runTool(QStringLiteral("convert"),
        { png, "-threshold", "60%", "-monochrome", "-density", "300", "-units", "PixelsPerInch", "-compress", "Group4",
            tiff },
        &exitCode);
    QCOMPARE(exitCode, 0);
    runTool(QStringLiteral("convert"), { tiff, "-density", "300", "-units", "PixelsPerInch", bitmap }, &exitCode);
    QCOMPARE(exitCode, 0);
    runTool(QStringLiteral("img2pdf"), { source, "-o", peer }, &exitCode);
    QCOMPARE(exitCode, 0);
    const QString peerG4 = m_scratch.filePath(QStringLiteral("peerg4.pdf"));
    runTool(QStringLiteral("img2pdf"), { tiff, "-o", peerG4 }, &exitCode);

    DocumentManager document;
    QVERIFY(document.loadDocument(peer));
    const QImage page = document.page(0);
    QCOMPARE(page.format(), QImage::Format_Mono);
    QCOMPARE(page.color(0), qRgb(0, 0, 0));
    const QImage expected = QImage(tiff).convertToFormat(QImage::Format_Grayscale8);
    QCOMPARE(page.size(), expected.size());
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    qint64 differing = 0;
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            differing += grey.constScanLine(y)[x] != expected.constScanLine(y)[x];
    // Poppler samples the image's edges a little differently; strokes stay.
    QVERIFY2(differing * 100 < qint64(grey.width()) * grey.height(), qPrintable(QString::number(differing)));

    const QString saved = m_scratch.filePath(QStringLiteral("saved.pdf"));
    QVERIFY(document.saveDocument(saved));
    QCOMPARE(
        imagesOf(saved), QStringList { QStringLiteral("image ccitt %1x%2 1").arg(page.width()).arg(page.height()) });
    QVERIFY2(QFileInfo(saved).size() <= 1.2 * QFileInfo(peerG4).size(),
        qPrintable(QStringLiteral("%1 / %2").arg(QFileInfo(saved).size()).arg(QFileInfo(peerG4).size())));
}

void CompactPdfTest::saveResolution_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("saveDpi");
    QTest::addColumn<QString>("encoding");
    QTest::newRow("colour 300 to 150") << thinStrokes(QImage::Format_RGB32, 300) << 150 << "image jpeg 600x800 8";
    QTest::newRow("1-bit 300 to 200") << thinStrokes(QImage::Format_Mono, 300) << 200 << "image ccitt 800x1067 1";
    QTest::newRow("grey 150 kept") << thinStrokes(QImage::Format_Grayscale8, 150) << 200 << "image jpeg 1200x1600 8";
}

// Pages are written at the save resolution on paper of the same size; a 1-bit page
// keeps its one-pixel strokes.
void CompactPdfTest::saveResolution()
{
    QFETCH(QImage, image);
    QFETCH(int, saveDpi);
    QFETCH(QString, encoding);
    const QString path = m_scratch.filePath(QStringLiteral("resolution.pdf"));
    ImageFileWriter::PdfLayout layout;
    layout.options.saveDpi = saveDpi;
    QVERIFY(ImageFileWriter::writePdf({ image }, path, layout, nullptr));
    QCOMPARE(imagesOf(path), QStringList { encoding });
    const QImage page = rendered(path, 0, int(PageResolution::dpiX(image)));
    QCOMPARE(page.size(), image.size());
    // Every stroke of the frame is still there: count dark runs across the middle
    // row, left of the innermost right edges.
    int strokes = 0;
    bool dark = false;
    for (int x = 0; x < page.width() * 5 / 12; ++x) {
        const bool now = qGray(page.pixel(x, page.height() / 2)) < 160;
        strokes += now && !dark;
        dark = now;
    }
    QCOMPARE(strokes, 20);
}

void CompactPdfTest::unchangedStreamsAreCopied_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<SaveOptions>("options");
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<bool>("copied");
    SaveOptions at200;
    at200.saveDpi = 200;
    QTest::newRow("G4 page of a PDF") << "g4.pdf" << SaveOptions() << Edit::None << true;
    QTest::newRow("G4 page of a PDF, compact") << "g4.pdf" << compact() << Edit::None << true;
    QTest::newRow("G4 page of a PDF, saved at 200 dpi") << "g4.pdf" << at200 << Edit::None << false;
    QTest::newRow("JPEG page of a PDF") << "colour.pdf" << SaveOptions() << Edit::None << true;
    QTest::newRow("grey JPEG file") << "grey.jpg" << SaveOptions() << Edit::None << true;
    QTest::newRow("JPEG file, saved at 200 dpi") << "colour.jpg" << at200 << Edit::None << false;
    QTest::newRow("JPEG file, edited") << "colour.jpg" << SaveOptions() << Edit::Edited << false;
    QTest::newRow("JPEG file, edit undone") << "colour.jpg" << SaveOptions() << Edit::EditUndone << true;
}

// An imported page's own G4 or JPEG stream is written as it came, byte for byte,
// while the page is unedited and the save would encode it that way anyway.
void CompactPdfTest::unchangedStreamsAreCopied()
{
    QFETCH(QString, source);
    QFETCH(SaveOptions, options);
    QFETCH(Edit, edit);
    QFETCH(bool, copied);
    QImage colour = thinStrokes(QImage::Format_RGB32, 300);
    QPainter(&colour).fillRect(300, 300, 200, 100, QColor(200, 30, 30));
    const QString tiff = m_scratch.filePath(QStringLiteral("g4.tif"));
    thinStrokes(QImage::Format_Mono, 300).save(tiff, "TIFF");
    int exitCode = -1;
    runTool(QStringLiteral("convert"), { tiff, "-compress", "Group4", tiff }, &exitCode);
    QCOMPARE(exitCode, 0);
    QVERIFY(colour.save(m_scratch.filePath(QStringLiteral("colour.jpg")), "JPEG", 80));
    QVERIFY(
        thinStrokes(QImage::Format_Grayscale8, 300).save(m_scratch.filePath(QStringLiteral("grey.jpg")), "JPEG", 80));
    for (const QString &name : { QStringLiteral("g4"), QStringLiteral("colour") }) {
        const QString image = m_scratch.filePath(name + (name == QLatin1String("g4") ? ".tif" : ".jpg"));
        runTool(QStringLiteral("img2pdf"), { image, "-o", m_scratch.filePath(name + ".pdf") }, &exitCode);
        QCOMPARE(exitCode, 0);
    }
    // The stream as the file stores it, and as the saved PDF does: pdfimages -all
    // writes CCITT and JPEG streams out unchanged.
    const auto streamOf = [this](const QString &file) {
        const QString prefix = m_scratch.filePath(QFileInfo(file).completeBaseName() + "-stream");
        runTool(QStringLiteral("pdfimages"), { "-all", file, prefix });
        for (const char *suffix : { ".jpg", ".ccitt" }) {
            QFile stream(prefix + "-000" + suffix);
            if (stream.open(QIODevice::ReadOnly))
                return stream.readAll();
        }
        return QByteArray();
    };
    const QString input = m_scratch.filePath(source);
    QFile inputFile(input);
    QVERIFY(inputFile.open(QIODevice::ReadOnly));
    const QByteArray original = input.endsWith(".pdf") ? streamOf(input) : inputFile.readAll();
    QVERIFY(!original.isEmpty());

    DocumentManager document;
    QVERIFY(document.loadDocument(input));
    const PageId id = document.pageId(0);
    if (edit != Edit::None) {
        const quint64 before = document.replacePage(id, document.page(0).mirrored(true, false));
        QVERIFY(before != 0);
        if (edit == Edit::EditUndone)
            QVERIFY(document.exchangeContent(id, before) != 0);
    }
    document.setSaveOptions(options);
    const QString saved = m_scratch.filePath(QStringLiteral("copied.pdf"));
    QVERIFY(document.saveDocument(saved));
    QCOMPARE(streamOf(saved) == original, copied);
    QCOMPARE(qpdfComplaint(saved), QString());
    if (!copied)
        return;
    // A copied stream shows what the document holds (compared at a tenth of the
    // size: a stroke one pixel wide may land a pixel over).
    const auto small = [](const QImage &image) {
        return image.convertToFormat(QImage::Format_Grayscale8)
            .scaled(120, 160, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const QImage page = small(document.page(0));
    const QImage shown = small(rendered(saved, 0, 300));
    int far = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            far += qAbs(page.constScanLine(y)[x] - shown.constScanLine(y)[x]) > 40;
    QVERIFY2(far * 200 < page.width() * page.height(), qPrintable(QString::number(far)));
}

QTEST_MAIN(CompactPdfTest)
#include "tst_compactpdf.moc"
