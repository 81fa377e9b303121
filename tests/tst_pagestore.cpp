#include <QImageReader>
#include <QtTest>

#include "document/documentmanager.h"
#include "document/pagecodec.h"
#include "document/pageindex.h"
#include "document/pagestore.h"

namespace {

// Noise in every byte, a colour table and a resolution: a page that comes back with a
// row shifted, a band missing or a wrong table or resolution never compares equal.
QImage pattern(QSize size, QImage::Format format, quint32 seed)
{
    QImage image(size, format);
    QVector<QRgb> colors;
    for (int i = 0; i < (format == QImage::Format_Indexed8 ? 256 : format == QImage::Format_Mono ? 2 : 0); ++i)
        colors << qRgb(i, 255 - i, (i * 7 + int(seed)) % 256);
    if (!colors.isEmpty())
        image.setColorTable(colors);
    quint32 state = seed * 2654435761u + 1;
    std::generate_n(
        image.bits(), image.sizeInBytes(), [&state] { return uchar((state = state * 1664525u + 1013904223u) >> 24); });
    image.setDotsPerMeterX(11811 + int(seed));
    image.setDotsPerMeterY(7874);
    return image;
}

bool identical(const QImage &a, const QImage &b)
{
    return a.format() == b.format() && a.size() == b.size() && a.colorTable() == b.colorTable()
        && a.dotsPerMeterX() == b.dotsPerMeterX() && a.dotsPerMeterY() == b.dotsPerMeterY() && a == b;
}

} // namespace

class PageStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(dataHome.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    }
    void pageComesBackExactly_data();
    void pageComesBackExactly();
    void evictedPagesAreReadBackAndSaved();
    void folderFollowsTheDocument();
    void pageBeyondTheLimitsStaysInMemory();

private:
    QTemporaryDir dataHome;
};

void PageStoreTest::pageComesBackExactly_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QSize>("size");
    QTest::newRow("two-level, odd width") << QImage::Format_Mono << QSize(1001, 700);
    QTest::newRow("indexed") << QImage::Format_Indexed8 << QSize(333, 257);
    QTest::newRow("grey") << QImage::Format_Grayscale8 << QSize(999, 513);
    QTest::newRow("16-bit grey") << QImage::Format_Grayscale16 << QSize(401, 300);
    QTest::newRow("RGB") << QImage::Format_RGB888 << QSize(1277, 600);
    QTest::newRow("RGB32") << QImage::Format_RGB32 << QSize(640, 1);
    QTest::newRow("ARGB") << QImage::Format_ARGB32 << QSize(517, 530);
    QTest::newRow("ARGB premultiplied") << QImage::Format_ARGB32_Premultiplied << QSize(64, 64);
}

// Every format comes back exactly; a file cut short reads as no page, never as one
// with missing rows.
void PageStoreTest::pageComesBackExactly()
{
    QFETCH(QImage::Format, format);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page-1.qpage"));
    const QImage original = pattern(size, format, 3);
    QString errorText;
    QVERIFY2(PageCodec::writeFile(path, original, &errorText), qPrintable(errorText));
    QVERIFY(!QFile::exists(path + QStringLiteral(".part")));
    QVERIFY2(identical(PageCodec::readFile(path, &errorText), original), qPrintable(errorText));
    QVERIFY(QFile(path).resize(QFileInfo(path).size() - 1));
    qint64 bytes = 0;
    QVERIFY(!PageCodec::inspect(path, &bytes));
    QVERIFY(PageCodec::readFile(path, &errorText).isNull());
}

// With room for one decoded page, pages are read back from their files and saved
// exactly; memory holds that page, the current page and the spare memory of one more.
void PageStoreTest::evictedPagesAreReadBackAndSaved()
{
    QTemporaryDir dir;
    DocumentManager document;
    PageStore *store = document.pageStore();
    const qint64 onePage = pattern(QSize(900, 1100), QImage::Format_RGB888, 1).sizeInBytes();
    store->setCacheBudget(onePage);
    QVector<QImage> originals;
    for (int i = 0; i < 6; ++i) {
        originals << pattern(QSize(900, 1100), i % 2 ? QImage::Format_Grayscale8 : QImage::Format_RGB888, i + 1);
        document.addPage(originals.last());
    }
    store->waitForWrites();
    for (int i = 5; i >= 0; --i)
        QVERIFY2(identical(document.page(i), originals.at(i)), qPrintable(QString::number(i)));
    QVERIFY(store->residentBytes() <= 3 * onePage);

    const QString tif = dir.filePath(QStringLiteral("pages.tif"));
    QVERIFY(document.saveDocument(tif));
    QImageReader reader(tif);
    QCOMPARE(reader.imageCount(), 6);
    for (int i = 0; i < 6; ++i, reader.jumpToNextImage())
        QCOMPARE(reader.read().convertToFormat(originals.at(i).format()), originals.at(i));
}

// A document's folder appears with its first page, private to the user; removing, moving
// and putting back pages leaves exactly the document's pages in it, named by the index in
// document order; the folder goes with the document.
void PageStoreTest::folderFollowsTheDocument()
{
    QString path;
    {
        DocumentManager document;
        PageStore *store = document.pageStore();
        QVERIFY(store->folder().isEmpty());
        for (int i = 0; i < 4; ++i)
            document.addPage(pattern(QSize(50, 40), QImage::Format_RGB32, i + 1));
        path = store->folder();
        QVERIFY(path.startsWith(dataHome.path()));
        QCOMPARE(QFileInfo(path).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
        store->waitForWrites();
        document.removePage(1);
        document.movePageUp(2);
        const QImage edited = pattern(QSize(60, 30), QImage::Format_Grayscale8, 9);
        document.removePage(0);
        document.insertPage(0, edited);
        store->waitForWrites();

        PageIndex index;
        QVERIFY(index.read(path));
        QCOMPARE(index.title, document.title());
        const QStringList files = QDir(path).entryList({ QStringLiteral("page-*") }, QDir::Files);
        QCOMPARE(QSet<QString>(files.begin(), files.end()), QSet<QString>(index.pages.begin(), index.pages.end()));
        const QVector<QImage> expected = { edited, pattern(QSize(50, 40), QImage::Format_RGB32, 4),
            pattern(QSize(50, 40), QImage::Format_RGB32, 3) };
        QCOMPARE(index.pages.size(), expected.size());
        QString errorText;
        for (int i = 0; i < expected.size(); ++i)
            QVERIFY2(identical(PageCodec::readFile(QDir(path).filePath(index.pages.at(i)), &errorText), expected.at(i)),
                qPrintable(QString::number(i)));
    }
    QVERIFY(!QDir(path).exists());
}

// The reader refuses a page file beyond the page limits, so none is written: such a page
// stays in memory, whole, and the store says it could not write it.
void PageStoreTest::pageBeyondTheLimitsStaysInMemory()
{
    QImage huge(20000, 10001, QImage::Format_Mono); // 200.02 megapixels in 25 MB
    huge.fill(1);
    huge.setPixel(19999, 10000, 0);
    QTemporaryDir dir;
    QString errorText;
    QVERIFY(!PageCodec::writeFile(dir.filePath(QStringLiteral("page-1.qpage")), huge, &errorText));
    QVERIFY(QDir(dir.path()).isEmpty());

    DocumentManager document;
    QSignalSpy failures(document.pageStore(), &PageStore::writeFailed);
    document.addPage(huge);
    document.pageStore()->waitForWrites();
    QCOMPARE(failures.count(), 1);
    document.pageStore()->setCacheBudget(0);
    QVERIFY(identical(document.page(0), huge));
}

QTEST_GUILESS_MAIN(PageStoreTest)
#include "tst_pagestore.moc"
