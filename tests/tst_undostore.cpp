#include <QtTest>
#include <functional>

#include "document/documentmanager.h"
#include "ui/undostore.h"

using Change = std::function<void(DocumentManager &)>;
Q_DECLARE_METATYPE(Change)

static QImage tagged(int tag)
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(qRgb(tag, 0, 0));
    return image;
}

// Replaces page index by image the way the window's edits do.
static Change putBack(int index, const QImage &image)
{
    return [=](DocumentManager &document) {
        document.putBackPage(document.pageId(index), image);
    };
}

class UndoStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void entryFollowsItsPage_data();
    void entryFollowsItsPage();
    void keepsTheNewestTen();
};

// Each row changes a four-page document after an entry was saved for page 2;
// the entry then belongs to the page at the index given, or is gone (-1).
void UndoStoreTest::entryFollowsItsPage_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<int>("expected");
    QTest::newRow("insert after") << Change([](DocumentManager &d) { d.insertPage(3, tagged(1)); }) << 2;
    QTest::newRow("append") << Change([](DocumentManager &d) { d.addPage(tagged(1)); }) << 2;
    QTest::newRow("remove after") << Change([](DocumentManager &d) { d.removePage(3); }) << 2;
    QTest::newRow("remove the page") << Change([](DocumentManager &d) { d.removePage(2); }) << -1;
    QTest::newRow("move the page up") << Change([](DocumentManager &d) { d.movePageUp(2); }) << 1;
    QTest::newRow("neighbour moves past") << Change([](DocumentManager &d) { d.movePageDown(1); }) << 1;
    QTest::newRow("new document") << Change([](DocumentManager &d) { d.newDocument(); }) << -1;
    QTest::newRow("put back the page") << putBack(2, tagged(9)) << 2;
    QTest::newRow("put back another page") << putBack(0, tagged(9)) << 2;
    QTest::newRow("put back a refused image") << putBack(2, QImage()) << 2;
}

void UndoStoreTest::entryFollowsItsPage()
{
    QFETCH(Change, change);
    QFETCH(int, expected);
    DocumentManager document;
    for (int i = 0; i < 4; ++i)
        document.addPage(tagged(100 + i));
    UndoStore store(&document);
    store.push(tagged(7), document.pageId(2));
    change(document);

    QCOMPARE(store.size(), expected >= 0 ? 1 : 0);
    QImage image;
    PageId page = 0;
    QCOMPARE(store.takeNewest(&image, &page), expected >= 0);
    QCOMPARE(document.indexOf(page), expected);
    QCOMPARE(image, expected >= 0 ? tagged(7) : QImage());
    QCOMPARE(store.size(), 0);
}

// Eleven entries keep the last ten, handed out newest first.
void UndoStoreTest::keepsTheNewestTen()
{
    DocumentManager document;
    document.addPage(tagged(1));
    UndoStore store(&document);
    for (int i = 1; i <= 11; ++i)
        store.push(tagged(i), document.pageId(0));
    QCOMPARE(store.size(), 10);
    QList<int> tags;
    QImage image;
    PageId page = 0;
    while (store.takeNewest(&image, &page))
        tags << qRed(image.pixel(0, 0));
    QCOMPARE(tags, QList<int>({ 11, 10, 9, 8, 7, 6, 5, 4, 3, 2 }));
}

QTEST_GUILESS_MAIN(UndoStoreTest)
#include "tst_undostore.moc"
