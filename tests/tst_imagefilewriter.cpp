#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "document/imagefilewriter.h"
#include "ui/autosaver.h"

namespace {

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The first page of a PDF as the reader shows it, at 18 dpi (an A4 page is 149 x 211).
QImage renderedFirstPage(const QString &pdf)
{
    const QString prefix = pdf + QStringLiteral(".render");
    QProcess process;
    process.start(QStringLiteral("pdftoppm"),
        { QStringLiteral("-r"), QStringLiteral("18"), QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
            QStringLiteral("1"), QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, prefix });
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return QImage();
    return QImage(prefix + QStringLiteral(".png"));
}

bool near(QColor seen, QColor expected)
{
    return qAbs(seen.red() - expected.red()) < 12 && qAbs(seen.green() - expected.green()) < 12
        && qAbs(seen.blue() - expected.blue()) < 12;
}

} // namespace

// Where the page image lands on the page, for each writer that makes PDFs: the
// automatic single-image save, the automatic multi-page save and the document.
class ImageFileWriterTest : public QObject
{
    Q_OBJECT

private slots:
    void pageGeometry_data();
    void pageGeometry();
    void unreadablePageFailsTheWrite();

private:
    QTemporaryDir scratch;
};

void ImageFileWriterTest::pageGeometry_data()
{
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<QSize>("pageSize");
    QTest::addColumn<QList<QPoint>>("red");
    QTest::addColumn<QList<QPoint>>("white");
    const QList<QPoint> corners { { 1, 1 }, { 147, 1 }, { 1, 209 }, { 147, 209 } };
    // A single automatic save stretches the image over the whole A4 page, margins included.
    QTest::newRow("single image, stretched") << "autoSingle" << QSize(400, 100) << QSize(149, 211)
                                             << (corners + QList<QPoint> { { 74, 105 } }) << QList<QPoint> {};
    // A multi-page automatic save fits the wide image to the page width and centres it.
    QTest::newRow("multi-page, fitted and centred")
        << "autoMulti" << QSize(400, 100) << QSize(149, 211) << QList<QPoint> { { 1, 105 }, { 147, 105 } }
        << QList<QPoint> { { 74, 3 }, { 74, 207 } };
    QTest::newRow("multi-page, tall image")
        << "autoMulti" << QSize(100, 400) << QSize(149, 211) << QList<QPoint> { { 74, 1 }, { 74, 209 } }
        << QList<QPoint> { { 3, 105 }, { 145, 105 } };
    // The document's page takes the first page's size in points, 400 x 100 at 18 dpi.
    QTest::newRow("document page size") << "document" << QSize(400, 100) << QSize(100, 25)
                                        << QList<QPoint> { { 1, 1 }, { 98, 23 } } << QList<QPoint> {};
}

void ImageFileWriterTest::pageGeometry()
{
    QFETCH(QString, writer);
    QFETCH(QSize, imageSize);
    QFETCH(QSize, pageSize);
    QFETCH(QList<QPoint>, red);
    QFETCH(QList<QPoint>, white);
    const QImage image = filled(imageSize, Qt::red);
    const QString path = scratch.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".pdf"));
    if (writer == QLatin1String("autoSingle")) {
        QVERIFY(AutoSaver::writeImage(image, path, QStringLiteral("PDF"), -1));
    } else if (writer == QLatin1String("autoMulti")) {
        QVERIFY(AutoSaver::writePdf({ image }, path, QStringLiteral("多页扫描文档")));
    } else {
        ImageFileWriter::PdfLayout layout;
        layout.pageSize = QPageSize(QSizeF(imageSize), QPageSize::Point, QString(), QPageSize::FuzzyMatch);
        layout.resolution = 300;
        QString errorText;
        QVERIFY2(ImageFileWriter::writePdf({ image }, path, layout, &errorText), qPrintable(errorText));
    }
    const QImage page = renderedFirstPage(path);
    QCOMPARE(page.size(), pageSize);
    for (const QPoint &point : red)
        QVERIFY2(near(page.pixelColor(point), Qt::red), qPrintable(page.pixelColor(point).name()));
    for (const QPoint &point : white)
        QVERIFY2(near(page.pixelColor(point), Qt::white), qPrintable(page.pixelColor(point).name()));
}

// A page the provider cannot hand out (a page file lost from the disk) fails the
// whole write: no PDF with a blank page reported as saved, the earlier file kept.
void ImageFileWriterTest::unreadablePageFailsTheWrite()
{
    const QString path = scratch.filePath(QStringLiteral("unreadable.pdf"));
    QFile earlier(path);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier version");
    earlier.close();
    const QImage image = filled(QSize(60, 80), Qt::red);
    const auto secondLost = [&image](int index, QImage *) {
        return index == 1 ? QImage() : image;
    };
    QString errorText;
    QVERIFY(!ImageFileWriter::writePdf(3, secondLost, path, ImageFileWriter::PdfLayout(), &errorText));
    QVERIFY(!errorText.isEmpty());
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("earlier version"));
    QCOMPARE(QDir(scratch.path()).entryList({ QStringLiteral("unreadable*") }, QDir::Files),
        QStringList { QStringLiteral("unreadable.pdf") });
}

QTEST_MAIN(ImageFileWriterTest)
#include "tst_imagefilewriter.moc"
