// The page list of DocumentManager: cursor rules, signal order, title counter, log texts.
#include <QDate>
#include <QTemporaryDir>
#include <QtTest>

#include "document/documentmanager.h"
#include "tests/support/logcapture.h"

namespace {

// Page n is 10 + n pixels wide, so the order of the list can be read from the widths.
QImage taggedPage(int tag)
{
    QImage image(10 + tag, 8, QImage::Format_RGB32);
    image.fill(qRgb(tag * 20 % 256, 40, 80));
    return image;
}

int tagOf(const QImage &image)
{
    return image.width() - 10;
}

// Every signal of the model as one readable line, in the order they arrive.
class SignalRecorder : public QObject
{
public:
    explicit SignalRecorder(DocumentManager *document)
    {
        connect(document, &DocumentManager::documentChanged, this, [this] { events << QStringLiteral("changed"); });
        connect(document, &DocumentManager::pageAdded, this,
            [this](int i) { events << QStringLiteral("added(%1)").arg(i); });
        connect(document, &DocumentManager::pageRemoved, this,
            [this](int i) { events << QStringLiteral("removed(%1)").arg(i); });
        connect(document, &DocumentManager::pageMoved, this,
            [this](int from, int to) { events << QStringLiteral("moved(%1,%2)").arg(from).arg(to); });
        connect(document, &DocumentManager::currentPageChanged, this,
            [this](int i) { events << QStringLiteral("current(%1)").arg(i); });
        connect(document, &DocumentManager::documentSaved, this, [this] { events << QStringLiteral("saved"); });
        connect(document, &DocumentManager::documentLoaded, this, [this] { events << QStringLiteral("loaded"); });
        connect(document, &DocumentManager::documentError, this, [this] { events << QStringLiteral("error"); });
    }
    QStringList events;
};

QString order(const DocumentManager &document)
{
    QStringList tags;
    for (int i = 0; i < document.pageCount(); ++i)
        tags << QString::number(tagOf(document.page(i)));
    return tags.join(QLatin1Char(' '));
}

int counterOf(const QString &title)
{
    return title.right(4).toInt();
}

} // namespace

class DocumentManagerTest : public QObject
{
    Q_OBJECT

private slots:
    void titleIsDateAndCounter();
    void titleCounterWrapsAfter9999();
    void newDocumentResets();
    void pageOperations_data();
    void pageOperations();
    void replaceIdiom_data();
    void replaceIdiom();
    void nullImagesAreRefused_data();
    void nullImagesAreRefused();
    void pageAccess();
    void pagesAreIndependentCopies();

private:
    // A document holding pages 0..count-1, cursor on current, freshly saved so that
    // modified starts out false.
    void prepare(DocumentManager &document, int count, int current);
    QTemporaryDir temp;
};

void DocumentManagerTest::prepare(DocumentManager &document, int count, int current)
{
    for (int i = 0; i < count; ++i)
        document.addPage(taggedPage(i));
    if (current >= 0)
        document.setCurrentPage(current);
    if (count > 0)
        QVERIFY(document.saveDocument(temp.filePath(QStringLiteral("prepared.tif"))));
    QCOMPARE(document.isModified(), false);
}

// The title is the day's date followed by a four-digit counter shared by all instances.
void DocumentManagerTest::titleIsDateAndCounter()
{
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    DocumentManager first;
    QVERIFY(first.title().startsWith(today));
    QCOMPARE(first.title().size(), today.size() + 4);
    const int counter = counterOf(first.title());

    DocumentManager second;
    QCOMPARE(second.title(), today + QStringLiteral("%1").arg(counter % 9999 + 1, 4, 10, QLatin1Char('0')));
    first.newDocument();
    QCOMPARE(counterOf(first.title()), (counter + 1) % 9999 + 1);
}

void DocumentManagerTest::titleCounterWrapsAfter9999()
{
    LogCapture quiet;
    DocumentManager document;
    while (counterOf(document.title()) != 9999)
        document.newDocument();
    QVERIFY(document.title().endsWith(QLatin1String("9999")));
    document.newDocument();
    QVERIFY(document.title().endsWith(QLatin1String("0001")));
    document.newDocument();
    QVERIFY(document.title().endsWith(QLatin1String("0002")));
}

void DocumentManagerTest::newDocumentResets()
{
    DocumentManager document;
    document.addPage(taggedPage(0));
    document.addPage(taggedPage(1));
    QVERIFY(document.saveDocument(temp.filePath(QStringLiteral("reset.tif"))));
    document.addPage(taggedPage(2));
    const QString oldTitle = document.title();

    SignalRecorder recorder(&document);
    LogCapture log;
    document.newDocument();
    QCOMPARE(recorder.events, QStringList({ "changed", "current(-1)" }));
    QCOMPARE(document.pageCount(), 0);
    QCOMPARE(document.currentPageIndex(), -1);
    QCOMPARE(document.filePath(), QString());
    QCOMPARE(document.isModified(), false);
    QVERIFY(document.title() != oldTitle);
    QCOMPARE(log.lines(), QStringList({ "已创建新文档" }));
}

void DocumentManagerTest::pageOperations_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("order");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QString>("log");

    // New pages carry tag 9.
    QTest::newRow("add to empty: cursor first")
        << 0 << -1 << "add" << QStringList { "current(0)", "added(0)", "changed" } << 0 << "9" << true
        << "已添加图像，当前页面数:  1";
    QTest::newRow("add keeps cursor") << 2 << 1 << "add" << QStringList { "added(2)", "changed" } << 1 << "0 1 9"
                                      << true << "已添加图像，当前页面数:  3";
    QTest::newRow("insert beyond end appends") << 3 << 0 << "insert 100" << QStringList { "added(3)", "changed" } << 0
                                               << "0 1 2 9" << true << "已在位置  3  插入图像，当前页面数:  4";
    QTest::newRow("insert negative goes first")
        << 2 << 1 << "insert -5" << QStringList { "current(2)", "added(0)", "changed" } << 2 << "9 0 1" << true
        << "已在位置  0  插入图像，当前页面数:  3";
    QTest::newRow("insert before cursor shifts it")
        << 3 << 2 << "insert 1" << QStringList { "current(3)", "added(1)", "changed" } << 3 << "0 9 1 2" << true
        << "已在位置  1  插入图像，当前页面数:  4";
    QTest::newRow("insert at cursor shifts it")
        << 3 << 1 << "insert 1" << QStringList { "current(2)", "added(1)", "changed" } << 2 << "0 9 1 2" << true
        << "已在位置  1  插入图像，当前页面数:  4";
    QTest::newRow("insert after cursor") << 3 << 0 << "insert 2" << QStringList { "added(2)", "changed" } << 0
                                         << "0 1 9 2" << true << "已在位置  2  插入图像，当前页面数:  4";
    QTest::newRow("insert into empty") << 0 << -1 << "insert 4" << QStringList { "current(0)", "added(0)", "changed" }
                                       << 0 << "9" << true << "已在位置  0  插入图像，当前页面数:  1";
    QTest::newRow("remove only page") << 1 << 0 << "remove 0" << QStringList { "removed(0)", "current(-1)", "changed" }
                                      << -1 << "" << true << "已删除页面  0 ，当前页面数:  0";
    QTest::newRow("remove current last page")
        << 3 << 2 << "remove 2" << QStringList { "removed(2)", "current(1)", "changed" } << 1 << "0 1" << true
        << "已删除页面  2 ，当前页面数:  2";
    QTest::newRow("remove current first page")
        << 3 << 0 << "remove 0" << QStringList { "removed(0)", "current(0)", "changed" } << 0 << "1 2" << true
        << "已删除页面  0 ，当前页面数:  2";
    QTest::newRow("remove before cursor")
        << 3 << 2 << "remove 0" << QStringList { "removed(0)", "current(1)", "changed" } << 1 << "1 2" << true
        << "已删除页面  0 ，当前页面数:  2";
    QTest::newRow("remove after cursor reports unchanged cursor")
        << 3 << 1 << "remove 2" << QStringList { "removed(2)", "current(1)", "changed" } << 1 << "0 1" << true
        << "已删除页面  2 ，当前页面数:  2";
    QTest::newRow("remove invalid") << 2 << 0 << "remove 2" << QStringList {} << 0 << "0 1" << false
                                    << "尝试删除无效页面:  2";
    QTest::newRow("remove negative") << 2 << 0 << "remove -1" << QStringList {} << 0 << "0 1" << false
                                     << "尝试删除无效页面:  -1";
    QTest::newRow("up moves cursor with page")
        << 3 << 2 << "up 2" << QStringList { "current(1)", "moved(2,1)", "changed" } << 1 << "0 2 1" << true
        << "页面  2  已上移";
    QTest::newRow("up moves cursor off neighbour")
        << 3 << 1 << "up 2" << QStringList { "current(2)", "moved(2,1)", "changed" } << 2 << "0 2 1" << true
        << "页面  2  已上移";
    QTest::newRow("up elsewhere") << 3 << 0 << "up 2" << QStringList { "moved(2,1)", "changed" } << 0 << "0 2 1" << true
                                  << "页面  2  已上移";
    QTest::newRow("up first page") << 3 << 0 << "up 0" << QStringList {} << 0 << "0 1 2" << false << "无法上移页面:  0";
    QTest::newRow("up beyond end") << 3 << 0 << "up 3" << QStringList {} << 0 << "0 1 2" << false << "无法上移页面:  3";
    QTest::newRow("down moves cursor with page")
        << 3 << 0 << "down 0" << QStringList { "current(1)", "moved(0,1)", "changed" } << 1 << "1 0 2" << true
        << "页面  0  已下移";
    QTest::newRow("down moves cursor off neighbour")
        << 3 << 1 << "down 0" << QStringList { "current(0)", "moved(0,1)", "changed" } << 0 << "1 0 2" << true
        << "页面  0  已下移";
    QTest::newRow("down last page") << 3 << 0 << "down 2" << QStringList {} << 0 << "0 1 2" << false
                                    << "无法下移页面:  2";
    QTest::newRow("down negative") << 3 << 0 << "down -1" << QStringList {} << 0 << "0 1 2" << false
                                   << "无法下移页面:  -1";
    QTest::newRow("set current") << 3 << 0 << "set 2" << QStringList { "current(2)" } << 2 << "0 1 2" << false
                                 << "当前页面已设置为:  2";
    QTest::newRow("set current to itself is silent")
        << 3 << 1 << "set 1" << QStringList {} << 1 << "0 1 2" << false << "";
    QTest::newRow("set current out of range")
        << 3 << 1 << "set 3" << QStringList {} << 1 << "0 1 2" << false << "尝试设置无效的当前页面:  3";
    QTest::newRow("set current on empty")
        << 0 << -1 << "set 0" << QStringList {} << -1 << "" << false << "尝试设置无效的当前页面:  0";
}

// Each operation's cursor rule, exact signal sequence, modified flag and log line.
void DocumentManagerTest::pageOperations()
{
    QFETCH(int, pages);
    QFETCH(int, current);
    QFETCH(QString, operation);
    QFETCH(QStringList, events);
    QFETCH(int, cursor);
    QFETCH(QString, order);
    QFETCH(bool, modified);
    QFETCH(QString, log);

    DocumentManager document;
    prepare(document, pages, current);
    SignalRecorder recorder(&document);
    LogCapture capture;

    const QStringList words = operation.split(QLatin1Char(' '));
    const int index = words.value(1).toInt();
    if (words[0] == QLatin1String("add"))
        document.addPage(taggedPage(9));
    else if (words[0] == QLatin1String("insert"))
        document.insertPage(index, taggedPage(9));
    else if (words[0] == QLatin1String("remove"))
        document.removePage(index);
    else if (words[0] == QLatin1String("up"))
        document.movePageUp(index);
    else if (words[0] == QLatin1String("down"))
        document.movePageDown(index);
    else if (words[0] == QLatin1String("set"))
        document.setCurrentPage(index);

    QCOMPARE(recorder.events, events);
    QCOMPARE(document.currentPageIndex(), cursor);
    QCOMPARE(::order(document), order);
    QCOMPARE(document.isModified(), modified);
    QCOMPARE(capture.lines(), log.isEmpty() ? QStringList() : QStringList { log });
    if (cursor >= 0)
        QCOMPARE(tagOf(document.currentPage()), tagOf(document.page(cursor)));
}

void DocumentManagerTest::replaceIdiom_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("first page: cursor ends one below")
        << 0 << 1 << QStringList { "removed(0)", "current(0)", "changed", "current(1)", "added(0)", "changed" };
    QTest::newRow("middle page: cursor ends one above")
        << 1 << 0 << QStringList { "removed(1)", "current(0)", "changed", "added(1)", "changed" };
    QTest::newRow("last page: cursor ends one above")
        << 2 << 1 << QStringList { "removed(2)", "current(1)", "changed", "added(2)", "changed" };
}

// An edit puts the page back with remove + insert at the same index while it is current.
void DocumentManagerTest::replaceIdiom()
{
    QFETCH(int, index);
    QFETCH(int, cursor);
    QFETCH(QStringList, events);

    DocumentManager document;
    prepare(document, 3, index);
    SignalRecorder recorder(&document);
    document.removePage(index);
    document.insertPage(index, taggedPage(9));

    QCOMPARE(recorder.events, events);
    QCOMPARE(document.currentPageIndex(), cursor);
    QCOMPARE(document.pageCount(), 3);
    QCOMPARE(tagOf(document.page(index)), 9);
    QVERIFY(document.isModified());
}

void DocumentManagerTest::nullImagesAreRefused_data()
{
    QTest::addColumn<bool>("insert");
    QTest::addColumn<QString>("log");
    QTest::newRow("add") << false << "尝试添加空图像";
    QTest::newRow("insert") << true << "尝试插入空图像";
}

void DocumentManagerTest::nullImagesAreRefused()
{
    QFETCH(bool, insert);
    QFETCH(QString, log);

    DocumentManager document;
    prepare(document, 1, 0);
    SignalRecorder recorder(&document);
    LogCapture capture;
    if (insert)
        document.insertPage(0, QImage());
    else
        document.addPage(QImage());
    QCOMPARE(capture.lines(), QStringList { log });
    QCOMPARE(recorder.events, QStringList());
    QCOMPARE(document.pageCount(), 1);
    QCOMPARE(document.isModified(), false);
}

void DocumentManagerTest::pageAccess()
{
    DocumentManager document;
    LogCapture capture;
    QVERIFY(document.currentPage().isNull());
    QCOMPARE(capture.lines(), QStringList());

    QVERIFY(document.page(-1).isNull());
    QCOMPARE(capture.lines(), QStringList { "尝试获取无效页面:  -1" });

    document.addPage(taggedPage(0));
    document.addPage(taggedPage(1));
    QCOMPARE(tagOf(document.page(1)), 1);
    QVERIFY(document.page(2).isNull());
    QCOMPARE(capture.lines().last(), QStringLiteral("尝试获取无效页面:  2"));
    QCOMPARE(document.pageCount(), 2);
    QCOMPARE(document.currentPageIndex(), 0);
    QCOMPARE(tagOf(document.currentPage()), 0);
}

// Neither the caller's image nor a returned copy can change a stored page.
void DocumentManagerTest::pagesAreIndependentCopies()
{
    DocumentManager document;
    QImage original = taggedPage(3);
    const QRgb colour = original.pixel(0, 0);
    document.addPage(original);
    original.fill(Qt::black);
    QCOMPARE(document.page(0).pixel(0, 0), colour);

    QImage copy = document.page(0);
    copy.fill(Qt::white);
    QCOMPARE(document.page(0).pixel(0, 0), colour);
    QCOMPARE(document.currentPage().pixel(0, 0), colour);
}

QTEST_GUILESS_MAIN(DocumentManagerTest)
#include "tst_documentmanager.moc"
