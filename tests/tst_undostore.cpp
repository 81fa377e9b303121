#include <QtTest>

#include "document/documentmanager.h"
#include "ui/undostore.h"

namespace {

QImage tagged(int tag)
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(qRgb(tag, 0, 0));
    return image;
}

int tagOf(const QImage &image)
{
    return qRed(image.pixel(0, 0));
}

// A document of count pages whose page i is tagged 100 + i.
void fill(DocumentManager &document, int count)
{
    for (int i = 0; i < count; ++i)
        document.addPage(tagged(100 + i));
}

} // namespace

class UndoStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void entryFollowsItsPage_data();
    void entryFollowsItsPage();
    void keepsTheNewestTen();
    void followedPageEndsWithItsPage();
    void putBackOfNothingDeletes();
};

// Each row changes a four-page document after an entry was saved for page 2;
// the entry then belongs to the index given, or is gone (-1).
void UndoStoreTest::entryFollowsItsPage_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("expected");
    QTest::newRow("insert before") << "insert 0" << 3;
    QTest::newRow("insert after") << "insert 3" << 2;
    QTest::newRow("append") << "add" << 2;
    QTest::newRow("remove before") << "remove 1" << 1;
    QTest::newRow("remove after") << "remove 3" << 2;
    QTest::newRow("remove the page") << "remove 2" << -1;
    QTest::newRow("move the page up") << "up 2" << 1;
    QTest::newRow("move the page down") << "down 2" << 3;
    QTest::newRow("neighbour moves past") << "down 1" << 1;
    QTest::newRow("new document") << "new" << -1;
    QTest::newRow("put back the page") << "putback 2" << 2;
    QTest::newRow("put back another page") << "putback 0" << 2;
}

void UndoStoreTest::entryFollowsItsPage()
{
    QFETCH(QString, change);
    QFETCH(int, expected);
    DocumentManager document;
    fill(document, 4);
    UndoStore store;
    store.follow(&document);
    store.push(tagged(7), 2);

    const QStringList words = change.split(QLatin1Char(' '));
    const int index = words.value(1).toInt();
    if (words[0] == QLatin1String("insert"))
        document.insertPage(index, tagged(1));
    else if (words[0] == QLatin1String("add"))
        document.addPage(tagged(1));
    else if (words[0] == QLatin1String("remove"))
        document.removePage(index);
    else if (words[0] == QLatin1String("up"))
        document.movePageUp(index);
    else if (words[0] == QLatin1String("down"))
        document.movePageDown(index);
    else if (words[0] == QLatin1String("new"))
        document.newDocument();
    else if (words[0] == QLatin1String("putback")) {
        store.beginPutBack(index);
        document.removePage(index);
        document.insertPage(index, tagged(9));
        store.endPutBack();
    }

    QImage image;
    int page = -1;
    if (expected < 0) {
        QCOMPARE(store.size(), 0);
        QVERIFY(!store.takeNewest(&image, &page));
        return;
    }
    QCOMPARE(store.size(), 1);
    QVERIFY(store.takeNewest(&image, &page));
    QCOMPARE(page, expected);
    QCOMPARE(tagOf(image), 7);
}

// Eleven entries keep the last ten, handed out newest first.
void UndoStoreTest::keepsTheNewestTen()
{
    DocumentManager document;
    fill(document, 1);
    UndoStore store;
    store.follow(&document);
    for (int i = 1; i <= 11; ++i)
        store.push(tagged(i), 0);
    QCOMPARE(store.size(), 10);
    QList<int> tags;
    QImage image;
    int page = -1;
    while (store.takeNewest(&image, &page))
        tags << tagOf(image);
    QCOMPARE(tags, QList<int>({ 11, 10, 9, 8, 7, 6, 5, 4, 3, 2 }));
}

// A page followed through an operation moves with insertions and is -1 once
// deleted, while a put-back of it keeps it.
void UndoStoreTest::followedPageEndsWithItsPage()
{
    DocumentManager document;
    fill(document, 3);
    UndoStore store;
    store.follow(&document);
    UndoStore::FollowedPage followed(&store, 1);
    document.insertPage(0, tagged(1));
    QCOMPARE(followed.index(), 2);
    store.beginPutBack(2);
    document.removePage(2);
    document.insertPage(2, tagged(2));
    store.endPutBack();
    QCOMPARE(followed.index(), 2);
    document.removePage(2);
    QCOMPARE(followed.index(), -1);
}

// A put-back whose image the document refuses has removed the page for good.
void UndoStoreTest::putBackOfNothingDeletes()
{
    DocumentManager document;
    fill(document, 2);
    UndoStore store;
    store.follow(&document);
    store.push(tagged(7), 1);
    store.push(tagged(8), 0);
    store.beginPutBack(1);
    document.removePage(1);
    document.insertPage(1, QImage());
    store.endPutBack();
    QCOMPARE(store.size(), 1);
    QImage image;
    int page = -1;
    QVERIFY(store.takeNewest(&image, &page));
    QCOMPARE(tagOf(image), 8);
}

QTEST_GUILESS_MAIN(UndoStoreTest)
#include "tst_undostore.moc"
