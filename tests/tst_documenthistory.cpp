// The undo history: every command applied, undone and redone restores the exact
// pages by id; the saved state is the clean state; the history waits while busy,
// keeps its pages on disk and gives up its oldest steps past its budget.
#include <QtTest>
#include <functional>

#include "document/documentmanager.h"
#include "document/pagestore.h"
#include "ui/commands/arrangepagescommand.h"
#include "ui/commands/compoundpagecommand.h"
#include "ui/commands/documenthistory.h"
#include "ui/commands/insertpagescommand.h"
#include "ui/commands/pageeditcommand.h"
#include "ui/commands/removepagescommand.h"

using MakeCommand = std::function<PageCommand *(DocumentManager &)>;
Q_DECLARE_METATYPE(MakeCommand)

namespace {

QImage tagged(int tag)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(qRgb(tag, 0, 0));
    return image;
}

// The pages as "tag@id" with ids numbered from the first page's id, so a page
// that came back under another id shows.
QStringList pages(DocumentManager &document, PageId base)
{
    QStringList out;
    for (int i = 0; i < document.pageCount(); ++i)
        out << QStringLiteral("%1@%2").arg(qRed(document.page(i).pixel(0, 0))).arg(document.pageId(i) - base);
    return out;
}

} // namespace

class DocumentHistoryTest : public QObject
{
    Q_OBJECT

private slots:
    void commandRoundTrip_data();
    void commandRoundTrip();
    void undoneEditFollowsItsPage();
    void cleanStateIsTheSavedState();
    void busyHistoryWaits();
    void budgetDropsTheOldestSteps();
    void unreadablePageLeavesTheDocument();
};

// Four pages tagged 10, 11, 12, 13 with ids 0..3. Each command's result, and
// the document back as it was after undo and as the result after redo.
void DocumentHistoryTest::commandRoundTrip_data()
{
    QTest::addColumn<MakeCommand>("make");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("current");
    const auto id = [](DocumentManager &d, int index) {
        return d.pageId(index);
    };
    QTest::newRow("edit") << MakeCommand(
        [=](DocumentManager &d) { return new PageEditCommand(&d, id(d, 2), tagged(90), "e"); })
                          << QStringList { "10@0", "11@1", "90@2", "13@3" } << 2;
    QTest::newRow("delete two") << MakeCommand([=](DocumentManager &d) {
        return new RemovePagesCommand(&d, { id(d, 1), id(d, 3) }, "d");
    }) << QStringList { "10@0", "12@2" }
                                << 0;
    QTest::newRow("clear") << MakeCommand([](DocumentManager &d) {
        return new RemovePagesCommand(&d, d.pageIds(), "c");
    }) << QStringList {} << -1;
    QTest::newRow("insert") << MakeCommand([](DocumentManager &d) {
        return new InsertPagesCommand(&d, 1, { tagged(50), tagged(51) }, "i");
    }) << QStringList { "10@0", "50@4", "51@5", "11@1", "12@2", "13@3" }
                            << 1;
    QTest::newRow("move to the front") << MakeCommand([=](DocumentManager &d) {
        QVector<PageId> after = d.pageIds();
        after.move(3, 0);
        return new ArrangePagesCommand(&d, d.pageIds(), after, id(d, 3), "m");
    }) << QStringList { "13@3", "10@0", "11@1", "12@2" }
                                       << 0;
    QTest::newRow("merge") << MakeCommand([=](DocumentManager &d) {
        auto *merge = new CompoundPageCommand(&d, "merge");
        new InsertPagesCommand(&d, -1, { tagged(70) }, "i", merge);
        new RemovePagesCommand(&d, { id(d, 0), id(d, 1) }, "d", merge);
        return merge;
    }) << QStringList { "12@2", "13@3", "70@4" }
                           << 2;
}

void DocumentHistoryTest::commandRoundTrip()
{
    QFETCH(MakeCommand, make);
    QFETCH(QStringList, after);
    QFETCH(int, current);
    DocumentManager document;
    for (int i = 0; i < 4; ++i)
        document.addPage(tagged(10 + i));
    const PageId base = document.pageId(0);
    const QStringList before = pages(document, base);
    DocumentHistory history(&document);

    history.push(make(document));
    QCOMPARE(pages(document, base), after);
    QCOMPARE(document.currentPageIndex(), current);
    QVERIFY(history.undo());
    QCOMPARE(pages(document, base), before);
    QVERIFY(!history.canUndo());
    QVERIFY(history.redo());
    QCOMPARE(pages(document, base), after);
    QVERIFY(history.undo());
    QCOMPARE(pages(document, base), before);
}

// Pages inserted, moved and deleted around an edited page since the edit: the
// undo restores that page where it is now, and it becomes current.
void DocumentHistoryTest::undoneEditFollowsItsPage()
{
    DocumentManager document;
    for (int i = 0; i < 4; ++i)
        document.addPage(tagged(10 + i));
    DocumentHistory history(&document);
    const PageId edited = document.pageId(2);
    history.push(new PageEditCommand(&document, edited, tagged(90), QStringLiteral("右旋转")));
    document.insertPage(0, tagged(5));
    document.removePage(4);
    document.movePageUp(3);
    document.setCurrentPage(0);

    QCOMPARE(history.undoText(), QStringLiteral("右旋转"));
    QVERIFY(history.undo());
    const int at = document.indexOf(edited);
    QCOMPARE(at, 2);
    QCOMPARE(qRed(document.page(at).pixel(0, 0)), 12);
    QCOMPARE(document.currentPageIndex(), at);
    QCOMPARE(document.pageCount(), 4);
}

// Back at the saved state the document is unmodified; a page that arrives
// outside the history (a scan) leaves it modified until saved again.
void DocumentHistoryTest::cleanStateIsTheSavedState()
{
    QTemporaryDir folder;
    DocumentManager document;
    document.addPage(tagged(10));
    DocumentHistory history(&document);
    QVERIFY(document.saveDocument(folder.filePath(QStringLiteral("saved.pdf"))));
    QVERIFY(!document.isModified());

    history.push(new PageEditCommand(&document, document.pageId(0), tagged(20), QStringLiteral("e")));
    QVERIFY(document.isModified());
    QVERIFY(history.undo());
    QVERIFY(!document.isModified());
    QVERIFY(history.redo());
    QVERIFY(document.isModified());
    QVERIFY(history.undo());

    document.addPage(tagged(30));
    QVERIFY(document.isModified());
    history.push(new PageEditCommand(&document, document.pageId(1), tagged(40), QStringLiteral("e")));
    QVERIFY(history.undo());
    QVERIFY(document.isModified());
}

// While a command or a scan runs, undo, redo and new steps wait.
void DocumentHistoryTest::busyHistoryWaits()
{
    DocumentManager document;
    document.addPage(tagged(10));
    DocumentHistory history(&document);
    history.push(new PageEditCommand(&document, document.pageId(0), tagged(20), QStringLiteral("e")));
    history.setBusy(true);
    QVERIFY(!history.canUndo());
    QVERIFY(!history.undo());
    history.push(new PageEditCommand(&document, document.pageId(0), tagged(30), QStringLiteral("e")));
    QCOMPARE(history.count(), 1);
    QCOMPARE(qRed(document.page(0).pixel(0, 0)), 20);
    history.setBusy(false);
    QVERIFY(history.undo());
    QCOMPARE(qRed(document.page(0).pixel(0, 0)), 10);
}

// The parked pages live on disk, not in memory; past the byte budget the oldest
// steps give theirs up and can no longer be undone, the newest still can.
void DocumentHistoryTest::budgetDropsTheOldestSteps()
{
    DocumentManager document;
    document.addPage(tagged(10));
    DocumentHistory history(&document);
    const qint64 pageBytes = tagged(0).sizeInBytes();
    for (int i = 1; i <= 5; ++i)
        history.push(new PageEditCommand(&document, document.pageId(0), tagged(10 + i), QStringLiteral("e")));
    PageStore *store = document.pageStore();
    store->waitForWrites();
    QCOMPARE(store->parkedBytes(), 5 * pageBytes);
    QVERIFY(store->residentBytes() <= 2 * pageBytes);

    history.setByteBudget(2 * pageBytes);
    QCOMPARE(store->parkedBytes(), 2 * pageBytes);
    QVERIFY(history.undo());
    QVERIFY(history.undo());
    QCOMPARE(qRed(document.page(0).pixel(0, 0)), 13);
    QVERIFY(!history.canUndo());
    QVERIFY(history.redo());
    QCOMPARE(qRed(document.page(0).pixel(0, 0)), 14);
}

// A parked page whose file the store cannot read back: the undo says so and the
// page keeps what it shows.
void DocumentHistoryTest::unreadablePageLeavesTheDocument()
{
    DocumentManager document;
    document.addPage(tagged(10));
    PageStore *store = document.pageStore();
    DocumentHistory history(&document);
    QSignalSpy failed(&history, &DocumentHistory::stepFailed);
    history.push(new PageEditCommand(&document, document.pageId(0), tagged(20), QStringLiteral("e")));
    store->waitForWrites();
    // The first page written is the one the edit parked.
    QFile damaged(QDir(store->folder()).filePath(QStringLiteral("page-1.qpage")));
    QVERIFY(damaged.open(QIODevice::ReadWrite));
    QVERIFY(damaged.resize(8));
    damaged.close();
    QVERIFY(!history.undo());
    QCOMPARE(failed.count(), 1);
    QCOMPARE(document.pageCount(), 1);
    QVERIFY(history.canUndo());
}

QTEST_MAIN(DocumentHistoryTest)
#include "tst_documenthistory.moc"
