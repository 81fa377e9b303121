#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtTest>

#include "document/documentmanager.h"
#include "document/pagecodec.h"
#include "document/pageindex.h"
#include "document/pagestore.h"

namespace {

// Every pixel different from its neighbours, so a page that comes back with a row
// shifted, a band missing or a wrong colour table never compares equal.
QImage pattern(QSize size, QImage::Format format, quint32 seed)
{
    QImage image(size, format);
    if (image.colorCount() > 0 || format == QImage::Format_Indexed8) {
        QVector<QRgb> colors;
        for (int i = 0; i < (format == QImage::Format_Indexed8 ? 256 : 2); ++i)
            colors << qRgb(i, 255 - i, (i * 7 + int(seed)) % 256);
        image.setColorTable(colors);
    }
    quint32 state = seed * 2654435761u + 1;
    for (int y = 0; y < image.height(); ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < image.bytesPerLine(); ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = uchar(state >> 24);
        }
    }
    image.setDotsPerMeterX(11811 + int(seed));
    image.setDotsPerMeterY(7874);
    return image;
}

// Exact equality of what a user gets: format, size, resolution, colour table and
// every visible pixel.
bool identical(const QImage &a, const QImage &b)
{
    return a.format() == b.format() && a.size() == b.size() && a.colorTable() == b.colorTable()
        && a.dotsPerMeterX() == b.dotsPerMeterX() && a.dotsPerMeterY() == b.dotsPerMeterY() && a == b;
}

QStringList pageFiles(const QString &folder)
{
    return QDir(folder).entryList({ QStringLiteral("page-*") }, QDir::Files, QDir::Name);
}

} // namespace

class PageStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pageComesBackExactly_data();
    void pageComesBackExactly();
    void damagedFileIsRefused_data();
    void damagedFileIsRefused();
    void decodingIntoSpareMemorySparesSharedImages();
    void evictedPagesAreReadBackInOrder();
    void indexFollowsTheDocument();
    void neighboursAreReadAhead();
    void folderLeavesWithTheDocument();
    void savingReadsPagesFromDisk();

private:
    QTemporaryDir dataHome;
};

void PageStoreTest::initTestCase()
{
    QVERIFY(dataHome.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
}

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
    const QImage back = PageCodec::readFile(path, &errorText);
    QVERIFY2(identical(back, original), qPrintable(errorText));
}

void PageStoreTest::damagedFileIsRefused_data()
{
    QTest::addColumn<int>("keep");
    QTest::newRow("header cut") << 20;
    QTest::newRow("last band cut") << -1;
}

// A file cut short must read as no page at all, never as a page with missing rows.
void PageStoreTest::damagedFileIsRefused()
{
    QFETCH(int, keep);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page-1.qpage"));
    QString errorText;
    QVERIFY(PageCodec::writeFile(path, pattern(QSize(800, 900), QImage::Format_RGB888, 1), &errorText));
    QFile file(path);
    QVERIFY(file.resize(keep > 0 ? keep : file.size() - 1));
    qint64 bytes = 0;
    QVERIFY(!PageCodec::inspect(path, &bytes));
    QVERIFY(PageCodec::readFile(path, &errorText).isNull());
}

// Reading a page into the memory of an earlier one must never change an image
// somebody else still holds.
void PageStoreTest::decodingIntoSpareMemorySparesSharedImages()
{
    QTemporaryDir dir;
    const QImage first = pattern(QSize(500, 700), QImage::Format_RGB888, 1);
    const QImage second = pattern(QSize(500, 700), QImage::Format_RGB888, 2);
    QString errorText;
    QVERIFY(PageCodec::writeFile(dir.filePath(QStringLiteral("1")), first, &errorText));
    QVERIFY(PageCodec::writeFile(dir.filePath(QStringLiteral("2")), second, &errorText));

    QImage spare;
    QImage held = PageCodec::readFile(dir.filePath(QStringLiteral("1")), &errorText, &spare);
    QVERIFY(identical(held, first));
    QVERIFY(identical(PageCodec::readFile(dir.filePath(QStringLiteral("2")), &errorText, &spare), second));
    QVERIFY(identical(held, first));

    held = QImage();
    const uchar *memory = spare.constBits();
    QVERIFY(identical(PageCodec::readFile(dir.filePath(QStringLiteral("1")), &errorText, &spare), first));
    QCOMPARE(spare.constBits(), memory);
}

// With room for one decoded page only, every page is read back from its file;
// memory holds that page, the current page and the spare memory of one more.
void PageStoreTest::evictedPagesAreReadBackInOrder()
{
    DocumentManager document;
    PageStore *store = document.pageStore();
    const QImage first = pattern(QSize(900, 1100), QImage::Format_RGB888, 1);
    store->setCacheBudget(first.sizeInBytes());
    QVector<QImage> originals;
    for (int i = 0; i < 6; ++i) {
        originals << pattern(
            QSize(900, 1100), i % 2 ? QImage::Format_Grayscale8 : QImage::Format_RGB888, quint32(i + 1));
        document.addPage(originals.last());
    }
    store->waitForWrites();
    QVERIFY(store->residentBytes() <= 3 * first.sizeInBytes());
    QCOMPARE(pageFiles(store->folder()).size(), 6);
    for (int i = 5; i >= 0; --i)
        QVERIFY2(identical(document.page(i), originals.at(i)), qPrintable(QString::number(i)));
    QVERIFY(store->residentBytes() <= 3 * first.sizeInBytes());
}

// Paging through a document finds the next and the previous page decoded already.
void PageStoreTest::neighboursAreReadAhead()
{
    DocumentManager document;
    PageStore *store = document.pageStore();
    QVector<QImage> originals;
    for (int i = 0; i < 5; ++i) {
        originals << pattern(QSize(400, 500), QImage::Format_RGB888, quint32(i + 1));
        document.addPage(originals.last());
    }
    store->waitForWrites();
    store->setCacheBudget(0);
    store->setCacheBudget(3 * originals.first().sizeInBytes());
    QVERIFY(!store->isInMemory(1) && !store->isInMemory(3));

    document.setCurrentPage(2);
    store->waitForReads();
    QVERIFY(store->isInMemory(1));
    QVERIFY(store->isInMemory(3));
    QVERIFY(identical(document.page(3), originals.at(3)));
    QVERIFY(identical(document.page(1), originals.at(1)));
}

// Removing, moving and putting back pages leaves exactly the pages of the document
// on disk, named by the index in document order.
void PageStoreTest::indexFollowsTheDocument()
{
    DocumentManager document;
    PageStore *store = document.pageStore();
    for (int i = 0; i < 4; ++i)
        document.addPage(pattern(QSize(50, 40), QImage::Format_RGB32, quint32(i + 1)));
    store->waitForWrites();
    document.removePage(1);
    document.movePageUp(2);
    const QImage edited = pattern(QSize(60, 30), QImage::Format_Grayscale8, 9);
    document.removePage(0);
    document.insertPage(0, edited);
    store->waitForWrites();

    PageIndex index;
    QVERIFY(index.read(store->folder()));
    QCOMPARE(index.title, document.title());
    QCOMPARE(index.pages.size(), 3);
    const QStringList files = pageFiles(store->folder());
    QCOMPARE(QSet<QString>(files.begin(), files.end()), QSet<QString>(index.pages.begin(), index.pages.end()));
    QString errorText;
    const QImage expected[]
        = { edited, pattern(QSize(50, 40), QImage::Format_RGB32, 4), pattern(QSize(50, 40), QImage::Format_RGB32, 3) };
    for (int i = 0; i < 3; ++i) {
        const QImage onDisk = PageCodec::readFile(QDir(store->folder()).filePath(index.pages.at(i)), &errorText);
        QVERIFY2(identical(onDisk, expected[i]), qPrintable(QString::number(i)));
    }
}

void PageStoreTest::folderLeavesWithTheDocument()
{
    QString folder;
    {
        DocumentManager document;
        QVERIFY(document.pageStore()->folder().isEmpty());
        document.addPage(pattern(QSize(30, 30), QImage::Format_RGB32, 1));
        folder = document.pageStore()->folder();
        QVERIFY(folder.startsWith(dataHome.path()));
        QCOMPARE(QFileInfo(folder).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
        document.pageStore()->waitForWrites();
        QVERIFY(QFile::exists(QDir(folder).filePath(PageIndex::fileName())));
    }
    QVERIFY(!QDir(folder).exists());
}

// Pages that live only on disk are saved exactly like pages held in memory.
void PageStoreTest::savingReadsPagesFromDisk()
{
    QTemporaryDir dir;
    DocumentManager document;
    document.pageStore()->setCacheBudget(0);
    QVector<QImage> originals;
    for (int i = 0; i < 3; ++i) {
        originals << pattern(QSize(320, 200), QImage::Format_RGB888, quint32(i + 1));
        document.addPage(originals.last());
    }
    document.pageStore()->waitForWrites();
    QVERIFY(document.saveDocument(dir.filePath(QStringLiteral("pages.tif"))));
    QImageReader reader(dir.filePath(QStringLiteral("pages.tif")));
    QCOMPARE(reader.imageCount(), 3);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(i == 0 || reader.jumpToImage(i));
        QCOMPARE(reader.read().convertToFormat(QImage::Format_RGB888), originals.at(i));
    }
    QVERIFY(document.saveDocument(dir.filePath(QStringLiteral("pages.pdf"))));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("pages.pdf"))).size() > 1000);
}

QTEST_GUILESS_MAIN(PageStoreTest)
#include "tst_pagestore.moc"
