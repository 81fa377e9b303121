#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QImageReader>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "document/documentmanager.h"
#include "tests/support/filesizelimit.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/tempsettings.h"
#include "ui/autosaver.h"
#include "ui/mainwindow.h"

namespace {

QImage page(QColor colour, QSize size = QSize(300, 420))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

const QDateTime moment(QDate(2026, 3, 4), QTime(5, 6, 7));

// pdfinfo's report as key → value.
QMap<QString, QString> pdfInfo(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), { path });
    QMap<QString, QString> info;
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return info;
    for (const QString &line : QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const int colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0)
            info.insert(line.left(colon), line.mid(colon + 1).trimmed());
    }
    return info;
}

} // namespace

class AutoSaveTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void fileNamePatterns_data();
    void fileNamePatterns();
    void takenNamesGetACounter();
    void imageFormats_data();
    void imageFormats();
    void jpegQualityIsApplied();
    void singlePdfIsOneA4Page();
    void multiPagePdfHasOnePagePerImage();
    void unwritableTargetsFail_data();
    void unwritableTargetsFail();
    void existingFileSurvivesAFailedWrite();
    void fullDiskLeavesNoPartialFile_data();
    void fullDiskLeavesNoPartialFile();
    void countsFilesOfTheFormat();
    void windowReportsAPdfThatCannotBeWritten();

private:
    TempSettings settings;
    QTemporaryDir scratch;
};

void AutoSaveTest::init()
{
    settings.clear();
}

void AutoSaveTest::fileNamePatterns_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    const QString folder = scratch.filePath(QStringLiteral("names"));
    QTest::newRow("single jpg") << AutoSaver::timestampedFileName(folder, QStringLiteral("jpg"), moment)
                                << folder + QStringLiteral("/20260304_050607.jpg");
    QTest::newRow("single pdf") << AutoSaver::timestampedFileName(folder, QStringLiteral("pdf"), moment)
                                << folder + QStringLiteral("/20260304_050607.pdf");
    QTest::newRow("page 2") << AutoSaver::pageFileName(folder, QStringLiteral("png"), 2, moment)
                            << folder + QStringLiteral("/20260304_050607_p002.png");
    QTest::newRow("page 123") << AutoSaver::pageFileName(folder, QStringLiteral("tiff"), 123, moment)
                              << folder + QStringLiteral("/20260304_050607_p123.tiff");
}

void AutoSaveTest::fileNamePatterns()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(name, expected);
}

// Two saves within one second must not overwrite each other.
void AutoSaveTest::takenNamesGetACounter()
{
    const QString folder = scratch.filePath(QStringLiteral("taken"));
    QVERIFY(QDir().mkpath(folder));
    const QString first = AutoSaver::timestampedFileName(folder, QStringLiteral("png"), moment);
    QVERIFY(AutoSaver::writeImage(page(Qt::red), first, QStringLiteral("PNG"), SaveOptions()));
    const QString second = AutoSaver::timestampedFileName(folder, QStringLiteral("png"), moment);
    QCOMPARE(second, folder + QStringLiteral("/20260304_050607_1.png"));
    QVERIFY(AutoSaver::writeImage(page(Qt::green), second, QStringLiteral("PNG"), SaveOptions()));
    QCOMPARE(AutoSaver::timestampedFileName(folder, QStringLiteral("png"), moment),
        folder + QStringLiteral("/20260304_050607_2.png"));
    QCOMPARE(QImage(first).pixelColor(0, 0), QColor(Qt::red));

    QVERIFY(AutoSaver::writeImage(page(Qt::red), AutoSaver::pageFileName(folder, QStringLiteral("png"), 1, moment),
        QStringLiteral("PNG"), SaveOptions()));
    QCOMPARE(AutoSaver::pageFileName(folder, QStringLiteral("png"), 1, moment),
        folder + QStringLiteral("/20260304_050607_p001_1.png"));
}

void AutoSaveTest::imageFormats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("readBack");
    QTest::newRow("png") << "PNG" << QByteArray("png");
    QTest::newRow("jpg") << "JPG" << QByteArray("jpeg");
    QTest::newRow("bmp") << "BMP" << QByteArray("bmp");
    QTest::newRow("tiff") << "TIFF" << QByteArray("tiff");
}

void AutoSaveTest::imageFormats()
{
    QFETCH(QString, format);
    QFETCH(QByteArray, readBack);
    const QString path = scratch.filePath(QStringLiteral("page.") + format.toLower());
    QVERIFY(AutoSaver::writeImage(page(Qt::darkGreen), path, format, SaveOptions()));
    QImageReader reader(path);
    QCOMPARE(reader.format(), readBack);
    const QImage image = reader.read();
    QCOMPARE(image.size(), QSize(300, 420));
    const QColor colour = image.pixelColor(10, 10);
    QVERIFY2(qAbs(colour.green() - QColor(Qt::darkGreen).green()) < 4, qPrintable(colour.name()));
}

void AutoSaveTest::jpegQualityIsApplied()
{
    QImage noisy(400, 400, QImage::Format_RGB32);
    for (int y = 0; y < noisy.height(); ++y) {
        for (int x = 0; x < noisy.width(); ++x)
            noisy.setPixel(x, y, qRgb((x * 7 + y * 13) % 256, (x * y) % 256, (x ^ y) % 256));
    }
    const QString low = scratch.filePath(QStringLiteral("low.jpg"));
    const QString high = scratch.filePath(QStringLiteral("high.jpg"));
    QVERIFY(AutoSaver::writeImage(
        noisy, low, QStringLiteral("JPG"), SaveOptions { SaveOptions::Compression::Standard, 50 }));
    QVERIFY(AutoSaver::writeImage(
        noisy, high, QStringLiteral("JPG"), SaveOptions { SaveOptions::Compression::Standard, 100 }));
    QVERIFY(QFileInfo(high).size() > QFileInfo(low).size());
}

void AutoSaveTest::singlePdfIsOneA4Page()
{
    const QString path = scratch.filePath(QStringLiteral("single.pdf"));
    QVERIFY(AutoSaver::writeImage(page(Qt::blue), path, QStringLiteral("PDF"), SaveOptions()));
    const QMap<QString, QString> info = pdfInfo(path);
    QCOMPARE(info.value(QStringLiteral("Pages")), QStringLiteral("1"));
    QVERIFY2(info.value(QStringLiteral("Page size")).contains(QStringLiteral("(A4)")),
        qPrintable(info.value(QStringLiteral("Page size"))));
    QCOMPARE(info.value(QStringLiteral("Title")), QStringLiteral("扫描文档"));
}

void AutoSaveTest::multiPagePdfHasOnePagePerImage()
{
    const QString path = scratch.filePath(QStringLiteral("multi.pdf"));
    QVERIFY(AutoSaver::writePdf(
        { page(Qt::red), page(Qt::green, QSize(800, 200)), page(Qt::blue) }, path, QStringLiteral("多页扫描文档")));
    const QMap<QString, QString> info = pdfInfo(path);
    QCOMPARE(info.value(QStringLiteral("Pages")), QStringLiteral("3"));
    QCOMPARE(info.value(QStringLiteral("Title")), QStringLiteral("多页扫描文档"));
    QVERIFY(!AutoSaver::writePdf({}, scratch.filePath(QStringLiteral("none.pdf")), QString()));
    QVERIFY(!QFile::exists(scratch.filePath(QStringLiteral("none.pdf"))));
}

void AutoSaveTest::unwritableTargetsFail_data()
{
    QTest::addColumn<QString>("format");
    for (const char *format : { "PDF", "PNG", "JPG", "BMP", "TIFF" })
        QTest::newRow(format) << QString::fromLatin1(format);
}

// A file that cannot be written is reported as a failure and leaves nothing.
void AutoSaveTest::unwritableTargetsFail()
{
    QFETCH(QString, format);
    const QString blocker = scratch.filePath(QStringLiteral("plain-file"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString path = blocker + QStringLiteral("/page.") + format.toLower();
    QVERIFY(!AutoSaver::writeImage(page(Qt::red), path, format, SaveOptions()));
    QVERIFY(!QFile::exists(path));
    QVERIFY(!AutoSaver::writeImage(
        QImage(), scratch.filePath(QStringLiteral("null.") + format.toLower()), format, SaveOptions()));
}

void AutoSaveTest::existingFileSurvivesAFailedWrite()
{
    const QString path = scratch.filePath(QStringLiteral("keep.png"));
    QVERIFY(AutoSaver::writeImage(page(Qt::red), path, QStringLiteral("PNG"), SaveOptions()));
    QVERIFY(!AutoSaver::writeImage(page(Qt::green), path, QStringLiteral("NOSUCHFORMAT"), SaveOptions()));
    QCOMPARE(QImage(path).pixelColor(0, 0), QColor(Qt::red));
}

void AutoSaveTest::fullDiskLeavesNoPartialFile_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("PNG") << QStringLiteral("PNG");
    QTest::newRow("PDF") << QStringLiteral("PDF");
}

// A disk that fills up during the write: the save fails, the earlier file of that
// name keeps its bytes and no temporary file is left beside it.
void AutoSaveTest::fullDiskLeavesNoPartialFile()
{
    QFETCH(QString, format);
    const QString folder = scratch.filePath(QStringLiteral("full-") + format);
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/scan.") + format.toLower();
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::red);
    QVERIFY(AutoSaver::writeImage(small, path, format, SaveOptions()));
    QFile before(path);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray earlier = before.readAll();
    before.close();

    QImage noisy(1200, 1200, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < noisy.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(noisy.scanLine(y));
        for (int x = 0; x < noisy.width(); ++x)
            row[x] = 0xff000000u | (random.generate() & 0xffffffu);
    }
    {
        FileSizeLimit limit(64 * 1024);
        QVERIFY(!AutoSaver::writeImage(noisy, path, format, SaveOptions()));
    }
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), earlier);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList { QStringLiteral("scan.") + format.toLower() });
}

void AutoSaveTest::countsFilesOfTheFormat()
{
    const QString folder = scratch.filePath(QStringLiteral("count"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/sub.png")));
    for (const char *name : { "a.png", "b.png", "c.jpg" })
        QVERIFY(AutoSaver::writeImage(page(Qt::red), folder + QLatin1Char('/') + QLatin1String(name),
            QString::fromLatin1(name).section(QLatin1Char('.'), 1).toUpper(), SaveOptions()));
    QCOMPARE(AutoSaver::countFiles(folder, QStringLiteral("png")), 2);
    QCOMPARE(AutoSaver::countFiles(folder, QStringLiteral("jpg")), 1);
    QCOMPARE(AutoSaver::countFiles(folder, QStringLiteral("pdf")), 0);
}

// A scanned page with auto-save on, into a folder that cannot exist: the PDF
// failure is reported as one, and the page stays in the document.
void AutoSaveTest::windowReportsAPdfThatCannotBeWritten()
{
    const QString blocker = scratch.filePath(QStringLiteral("not-a-folder"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString picture = scratch.filePath(QStringLiteral("picture.png"));
    QVERIFY(page(Qt::magenta).save(picture));

    MainWindow window;
    window.findChild<QLineEdit *>(QStringLiteral("savePathEdit"))->setText(blocker + QStringLiteral("/scans"));
    QCOMPARE(window.findChild<QComboBox *>(QStringLiteral("saveFormatCombo"))->currentText(), QStringLiteral("PDF"));
    QVERIFY(window.findChild<QCheckBox *>(QStringLiteral("autoSaveCheck"))->isChecked());

    ModalAnswerer answerer;
    QVERIFY(QMetaObject::invokeMethod(&window, "onScanComplete", Q_ARG(QImage, QImage(picture))));

    // No box in the way; the page stays in the document and nothing is written.
    QTest::qWait(500);
    QVERIFY(answerer.seen().isEmpty());
    QCOMPARE(window.findChild<DocumentManager *>(QStringLiteral("documentManager"))->pageCount(), 1);
    QCOMPARE(QDir(blocker + QStringLiteral("/scans")).exists(), false);
}

QTEST_MAIN(AutoSaveTest)
#include "tst_mainwindow_autosave.moc"
