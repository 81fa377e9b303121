#include <QtTest>

#include "document/imagefilewriter.h"
#include "ui/autosaver.h"

class ImageFileWriterTest : public QObject
{
    Q_OBJECT

private slots:
    void pageGeometry_data();
    void pageGeometry();
    void unreadablePageFailsTheWrite();
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
    layout.pageSize = QPageSize(QSizeF(imageSize), QPageSize::Point, QString(), QPageSize::FuzzyMatch);
    layout.resolution = 300;
    QVERIFY(writer == "autoSingle"  ? AutoSaver::writeImage(image, path, "PDF", -1)
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

QTEST_MAIN(ImageFileWriterTest)
#include "tst_imagefilewriter.moc"
