#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include "document/documentmanager.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/tempsettings.h"
#include "tests/support/testpages.h"
#include "tests/support/windowparts.h"
#include "ui/croppableimagewidget.h"
#include "ui/mainwindow.h"
#include "ui/pagelistwidget.h"

namespace {

QImage page(QColor colour, QSize size = QSize(120, 160))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QStringList itemTexts(QListWidget *list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

// The page colours in document order, as names, for compact comparisons.
QStringList pageColours(DocumentManager *document)
{
    QStringList colours;
    for (int i = 0; i < document->pageCount(); ++i)
        colours << document->page(i).pixelColor(0, 0).name();
    return colours;
}

struct MenuEntry
{
    QString text;
    bool enabled;
    bool operator==(const MenuEntry &other) const { return text == other.text && enabled == other.enabled; }
};

} // namespace

Q_DECLARE_METATYPE(QList<int>)

namespace QTest {
template<> char *toString(const MenuEntry &entry)
{
    return qstrdup(qPrintable(entry.text + (entry.enabled ? QStringLiteral(" (on)") : QStringLiteral(" (off)"))));
}
} // namespace QTest

class MainWindowPagesTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void itemsFollowTheDocument();
    void firstAddedPageIsShown();
    void selectingARowShowsThatPage();
    void insertBeforePageTwoRenumbers();
    void deleteRenumbersAndUndoes();
    void splitOriginalsIsOneUndoStep();
    void menuEntriesFollowTheRow_data();
    void menuEntriesFollowTheRow();
    void emptyListMenuOffersOnlyAdding();
    void moveUpAndDown();
    void openingAfterThreePagesLeavesOneItem();
    void reorderedRows_data();
    void reorderedRows();
    void dragReorderReachesTheDocument();
    void clearToolKeepsTheTitle();
    void clearAllPagesStartsANewDocument();
    void unreadablePictureIsRefused();
    void addedPictureIsSavedAutomatically();
    void newDocumentAsksFirst();

private:
    void addPictureThroughDialog(const char *slot, const QString &path);
    QString pictureFile(const QString &name, QColor colour);
    QList<MenuEntry> contextMenuAt(const QPoint &pos);

    TempSettings settings;
    QTemporaryDir scratch;
    MainWindow *window = nullptr;
    DocumentManager *document = nullptr;
    PageListWidget *list = nullptr;
};

void MainWindowPagesTest::init()
{
    settings.clear();
    window = new MainWindow;
    document = part<DocumentManager>(*window, "documentManager");
    list = part<PageListWidget>(*window, "pageList");
    part<QCheckBox>(*window, "autoSaveCheck")->setChecked(false);
    part<QLineEdit>(*window, "savePathEdit")->setText(scratch.filePath(QStringLiteral("auto")));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void MainWindowPagesTest::cleanup()
{
    delete window;
    window = nullptr;
}

QString MainWindowPagesTest::pictureFile(const QString &name, QColor colour)
{
    const QString path = scratch.filePath(name);
    page(colour).save(path);
    return path;
}

void MainWindowPagesTest::addPictureThroughDialog(const char *slot, const QString &path)
{
    ModalAnswerer answerer;
    answerer.handle([path](QWidget *modal) {
        QVERIFY(qobject_cast<QFileDialog *>(modal));
        ModalAnswerer::acceptFileDialog(modal, path);
    });
    QVERIFY(QMetaObject::invokeMethod(window, slot));
    QCOMPARE(answerer.pending(), 0);
}

QList<MenuEntry> MainWindowPagesTest::contextMenuAt(const QPoint &pos)
{
    QList<MenuEntry> entries;
    QTimer::singleShot(50, this, [&entries]() {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *action : menu->actions()) {
            if (!action->isSeparator())
                entries << MenuEntry { action->text(), action->isEnabled() };
            if (action->menu()) {
                for (QAction *sub : action->menu()->actions())
                    entries << MenuEntry { QStringLiteral("  ") + sub->text(), sub->isEnabled() };
            }
        }
        menu->close();
    });
    QMetaObject::invokeMethod(window, "showPagesListContextMenu", Q_ARG(QPoint, pos));
    return entries;
}

void MainWindowPagesTest::itemsFollowTheDocument()
{
    document->addPage(page(Qt::red));
    document->addPage(page(Qt::green));
    document->addPage(page(Qt::blue));
    QCOMPARE(itemTexts(list), (QStringList { "页面 1", "页面 2", "页面 3" }));
    QCOMPARE(list->currentRow(), 2);
    QCOMPARE(document->currentPageIndex(), 2);
    // Only the page the document made current is selected, not every page added.
    QCOMPARE(list->selectedItems(), QList<QListWidgetItem *> { list->item(2) });
    QCOMPARE(list->item(0)->icon().availableSizes().value(0), QSize(75, 100));

    document->removePage(2);
    QCOMPARE(itemTexts(list), (QStringList { "页面 1", "页面 2" }));
    QCOMPARE(list->currentRow(), document->currentPageIndex());
}

// The document announces the first page before the list has its item; the page
// is still shown at once.
void MainWindowPagesTest::firstAddedPageIsShown()
{
    auto *view = part<CroppableImageWidget>(*window, "imageWidget");
    document->addPage(page(Qt::red));
    QCOMPARE(view->sourceImage().pixelColor(0, 0), QColor(Qt::red));
    QVERIFY(!view->pixmap(Qt::ReturnByValue).isNull());
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("页面 1/1"));
}

void MainWindowPagesTest::selectingARowShowsThatPage()
{
    document->addPage(page(Qt::red));
    document->addPage(page(Qt::green));
    document->addPage(page(Qt::blue));
    auto *view = part<CroppableImageWidget>(*window, "imageWidget");

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());

    QCOMPARE(document->currentPageIndex(), 0);
    QCOMPARE(view->sourceImage().pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("页面 1/3"));
}

void MainWindowPagesTest::insertBeforePageTwoRenumbers()
{
    document->addPage(page(Qt::red));
    document->addPage(page(Qt::green));
    document->addPage(page(Qt::blue));
    list->setCurrentRow(1);
    addPictureThroughDialog("onInsertImageFromFile", pictureFile(QStringLiteral("yellow.png"), Qt::yellow));

    QCOMPARE(itemTexts(list), (QStringList { "页面 1", "页面 2", "页面 3", "页面 4" }));
    QCOMPARE(pageColours(document),
        (QStringList {
            QColor(Qt::red).name(), QColor(Qt::yellow).name(), QColor(Qt::green).name(), QColor(Qt::blue).name() }));
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(document->currentPageIndex(), 1);
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("图片已插入: yellow.png"));
}

// Deleting asks nothing: the page goes, the rows are renumbered, and the undo
// brings it back in its place.
void MainWindowPagesTest::deleteRenumbersAndUndoes()
{
    document->addPage(page(Qt::red));
    document->addPage(page(Qt::green));
    document->addPage(page(Qt::blue));
    list->setCurrentRow(0);

    ModalAnswerer answerer;
    QVERIFY(QMetaObject::invokeMethod(window, "onDeleteCurrentPage"));
    QVERIFY(answerer.seen().isEmpty());
    QCOMPARE(pageColours(document), (QStringList { QColor(Qt::green).name(), QColor(Qt::blue).name() }));
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("页面 1"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("页面 2"));
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("已删除 1 页（Ctrl+Z 可撤销）"));

    QVERIFY(QMetaObject::invokeMethod(window, "onUndoClicked"));
    QCOMPARE(pageColours(document),
        (QStringList { QColor(Qt::red).name(), QColor(Qt::green).name(), QColor(Qt::blue).name() }));
    QCOMPARE(list->item(2)->text(), QStringLiteral("页面 3"));
    QCOMPARE(list->currentRow(), 0);
}

// Several originals on one page become pages after it, in reading order, as
// one step of the history; the page itself stays. A page with one original is
// left alone and says so.
void MainWindowPagesTest::splitOriginalsIsOneUndoStep()
{
    const QVector<TestPages::Laid> cards { { QRectF(15, 20, 85.6, 54), 3 }, { QRectF(110, 25, 90, 54), -2 },
        { QRectF(20, 120, 80, 120), 1 } };
    document->addPage(page(Qt::red));
    document->addPage(TestPages::originalsOnPlaten(QSizeF(210, 297), 100, cards, TestPages::Platen::Dark));
    document->addPage(page(Qt::blue));
    list->setCurrentRow(1);
    QVERIFY(QMetaObject::invokeMethod(window, "onSplitOriginalsClicked"));
    QCOMPARE(document->pageCount(), 6);
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("已拆分出 3 张原稿"));
    // Card, card, then the receipt of the second row.
    QVERIFY(qAbs(document->page(2).width() - 337) <= 3);
    QVERIFY(qAbs(document->page(3).width() - 354) <= 3);
    QVERIFY(qAbs(document->page(4).height() - 472) <= 3);
    QCOMPARE(pageColours(document).last(), QColor(Qt::blue).name());

    QVERIFY(QMetaObject::invokeMethod(window, "onUndoClicked"));
    QCOMPARE(document->pageCount(), 3);

    list->setCurrentRow(0);
    QVERIFY(QMetaObject::invokeMethod(window, "onSplitOriginalsClicked"));
    QCOMPARE(document->pageCount(), 3);
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("此页上没有找到多张原稿，页面保持不变"));
}

void MainWindowPagesTest::menuEntriesFollowTheRow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("upEnabled");
    QTest::addColumn<bool>("downEnabled");
    QTest::newRow("first row") << 0 << false << true;
    QTest::newRow("middle row") << 1 << true << true;
    QTest::newRow("last row") << 2 << true << false;
}

void MainWindowPagesTest::menuEntriesFollowTheRow()
{
    QFETCH(int, row);
    QFETCH(bool, upEnabled);
    QFETCH(bool, downEnabled);
    document->addPage(page(Qt::red));
    document->addPage(page(Qt::green));
    document->addPage(page(Qt::blue));
    list->setCurrentRow(row);

    const QList<MenuEntry> onItem = contextMenuAt(list->visualItemRect(list->item(row)).center());
    const QList<MenuEntry> expected { { "添加图片", true }, { "插入图片", true }, { "上移", upEnabled },
        { "下移", downEnabled }, { "拆分图片", true }, { "  左右拆分", true }, { "  上下拆分", true },
        { "拆分多张原稿", true }, { "识别文字", true }, { "按规则分割文档", true }, { "删除此页", true },
        { "清空所有页面", true } };
    QCOMPARE(onItem, expected);

    // Beside the items: only adding and clearing.
    const QPoint empty(list->viewport()->width() - 3, list->viewport()->height() - 3);
    QVERIFY(!list->itemAt(empty));
    const QList<MenuEntry> besides = contextMenuAt(empty);
    QCOMPARE(besides, (QList<MenuEntry> { { "添加图片", true }, { "清空所有页面", true } }));
}

void MainWindowPagesTest::emptyListMenuOffersOnlyAdding()
{
    const QList<MenuEntry> entries = contextMenuAt(QPoint(10, 10));
    QCOMPARE(entries, (QList<MenuEntry> { { "添加图片", true }, { "暂无页面", false } }));
}

void MainWindowPagesTest::moveUpAndDown()
{
    document->addPage(page(Qt::red));
    document->addPage(page(Qt::green));
    document->addPage(page(Qt::blue));
    list->setCurrentRow(2);

    QVERIFY(QMetaObject::invokeMethod(window, "onMovePageUp"));
    QCOMPARE(pageColours(document),
        (QStringList { QColor(Qt::red).name(), QColor(Qt::blue).name(), QColor(Qt::green).name() }));
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(document->currentPageIndex(), 1);
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("页面已上移"));
    QCOMPARE(itemTexts(list), (QStringList { "页面 1", "页面 2", "页面 3" }));

    list->setCurrentRow(0);
    QVERIFY(QMetaObject::invokeMethod(window, "onMovePageUp")); // already first: nothing
    QVERIFY(QMetaObject::invokeMethod(window, "onMovePageDown"));
    QCOMPARE(pageColours(document),
        (QStringList { QColor(Qt::blue).name(), QColor(Qt::red).name(), QColor(Qt::green).name() }));
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("页面已下移"));
    list->setCurrentRow(2);
    QVERIFY(QMetaObject::invokeMethod(window, "onMovePageDown")); // already last: nothing
    QCOMPARE(document->page(2).pixelColor(0, 0), QColor(Qt::green));
}

void MainWindowPagesTest::openingAfterThreePagesLeavesOneItem()
{
    document->addPage(page(Qt::red));
    document->addPage(page(Qt::green));
    document->addPage(page(Qt::blue));
    QVERIFY(document->loadDocument(pictureFile(QStringLiteral("single.png"), Qt::yellow)));
    QCOMPARE(itemTexts(list), QStringList { "页面 1" });
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(part<CroppableImageWidget>(*window, "imageWidget")->sourceImage().pixelColor(0, 0), QColor(Qt::yellow));
}

void MainWindowPagesTest::reorderedRows_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("moved");
    QTest::addColumn<int>("target");
    QTest::addColumn<QList<int>>("order");
    QTest::newRow("first to end") << 3 << QList<int> { 0 } << 3 << QList<int> { 1, 2, 0 };
    QTest::newRow("last to front") << 3 << QList<int> { 2 } << 0 << QList<int> { 2, 0, 1 };
    QTest::newRow("onto itself") << 3 << QList<int> { 1 } << 1 << QList<int> { 0, 1, 2 };
    QTest::newRow("just after itself") << 3 << QList<int> { 1 } << 2 << QList<int> { 0, 1, 2 };
    QTest::newRow("block keeps its order") << 5 << QList<int> { 3, 0 } << 2 << QList<int> { 1, 0, 3, 2, 4 };
    QTest::newRow("out of range ignored") << 3 << QList<int> { 7, -1, 0 } << 9 << QList<int> { 1, 2, 0 };
}

void MainWindowPagesTest::reorderedRows()
{
    QFETCH(int, count);
    QFETCH(QList<int>, moved);
    QFETCH(int, target);
    QFETCH(QList<int>, order);
    QCOMPARE(PageListWidget::reorderedRows(count, moved, target), order);
}

// A drop moves the pages in the document; the list only follows its signals.
void MainWindowPagesTest::dragReorderReachesTheDocument()
{
    document->addPage(page(Qt::red));
    document->addPage(page(Qt::green));
    document->addPage(page(Qt::blue));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(list->selectedItems().size(), 1);

    const QRect last = list->visualItemRect(list->item(2));
    const QPoint dropAt(last.right() - 2, last.center().y());
    QCOMPARE(list->dropRowAt(dropAt), 3);
    QMimeData data;
    QDropEvent drop(dropAt, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Qt routes a drop only to the target of a running drag, which a test
    // cannot start, so the drop is handed to the view's handler directly.
    list->dropEvent(&drop);

    QCOMPARE(pageColours(document),
        (QStringList { QColor(Qt::green).name(), QColor(Qt::blue).name(), QColor(Qt::red).name() }));
    QCOMPARE(drop.dropAction(), Qt::CopyAction); // the view must not delete what it dragged
    QCOMPARE(itemTexts(list), (QStringList { "页面 1", "页面 2", "页面 3" }));
    QCOMPARE(list->currentRow(), 2);
    QCOMPARE(document->currentPageIndex(), 2);
    QVERIFY(document->isModified());
    // Each item still carries its own page's thumbnail.
    const QImage thumb = list->item(2)->icon().pixmap(QSize(75, 100)).toImage();
    QCOMPARE(thumb.pixelColor(thumb.width() / 2, thumb.height() / 2), QColor(Qt::red));
}

// "清除" and the menu's "清空所有页面" take every page as one step: the title
// stays, the document is modified, and the undo brings them all back.
void MainWindowPagesTest::clearToolKeepsTheTitle()
{
    document->addPage(page(Qt::red));
    document->addPage(page(Qt::green));
    const QString title = document->title();
    ModalAnswerer answerer;
    for (QAction *action : part<QToolBar>(*window, "mainToolBar")->actions()) {
        if (action->text() == QStringLiteral("清除"))
            action->trigger();
    }
    QVERIFY(answerer.seen().isEmpty());
    QCOMPARE(document->pageCount(), 0);
    QCOMPARE(list->count(), 0);
    QCOMPARE(document->title(), title);
    QVERIFY(document->isModified());
    QVERIFY(part<CroppableImageWidget>(*window, "imageWidget")->sourceImage().isNull());
    QCOMPARE(window->windowTitle(), title + QStringLiteral(" * - Quirra"));
    QVERIFY(QMetaObject::invokeMethod(window, "onUndoClicked"));
    QCOMPARE(pageColours(document), (QStringList { QColor(Qt::red).name(), QColor(Qt::green).name() }));
}

void MainWindowPagesTest::clearAllPagesStartsANewDocument()
{
    document->addPage(page(Qt::red));
    document->addPage(page(Qt::green));
    QVERIFY(QMetaObject::invokeMethod(window, "onClearAllPages"));
    QCOMPARE(list->count(), 0);
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("所有页面已清空（Ctrl+Z 可撤销）"));
    QVERIFY(QMetaObject::invokeMethod(window, "onUndoClicked"));
    QCOMPARE(list->count(), 2);
}

void MainWindowPagesTest::unreadablePictureIsRefused()
{
    const QString path = scratch.filePath(QStringLiteral("broken.png"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("no picture in here");
    file.close();

    ModalAnswerer answerer;
    answerer.handle([path](QWidget *modal) {
        QVERIFY(qobject_cast<QFileDialog *>(modal));
        ModalAnswerer::acceptFileDialog(modal, path);
    });
    answerer.answer(QDialogButtonBox::Ok);
    QVERIFY(QMetaObject::invokeMethod(window, "onAddImageFromFile"));
    QCOMPARE(answerer.seen().value(1), QStringLiteral("错误|无法加载图片文件: %1\n请检查文件格式是否支持。").arg(path));
    QCOMPARE(document->pageCount(), 0);
}

// "扫描后自动保存" is about scans: an added picture is never written to the save folder.
void MainWindowPagesTest::addedPictureIsSavedAutomatically()
{
    const QString folder = scratch.filePath(QStringLiteral("auto"));
    part<QCheckBox>(*window, "autoSaveCheck")->setChecked(true);
    part<QComboBox>(*window, "saveFormatCombo")->setCurrentText(QStringLiteral("PNG"));
    const QString picture = pictureFile(QStringLiteral("cyan.png"), Qt::cyan);

    for (int round = 0; round < 2; ++round) {
        ModalAnswerer answerer;
        answerer.handle([picture](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            ModalAnswerer::acceptFileDialog(dialog, picture);
        });
        QVERIFY(QMetaObject::invokeMethod(window, "onAddImageFromFile"));
        QCOMPARE(answerer.seen().size(), 1);
    }
    QVERIFY(QDir(folder).entryList({ QStringLiteral("*.png") }, QDir::Files).isEmpty());
    QCOMPARE(document->pageCount(), 2);
}

void MainWindowPagesTest::newDocumentAsksFirst()
{
    document->addPage(page(Qt::red));
    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::Cancel);
    QVERIFY(QMetaObject::invokeMethod(window, "onNewDocument"));
    QCOMPARE(document->pageCount(), 1);

    answerer.answer(QDialogButtonBox::Discard);
    QVERIFY(QMetaObject::invokeMethod(window, "onNewDocument"));
    QCOMPARE(document->pageCount(), 0);
    QCOMPARE(list->count(), 0);
    QVERIFY(!document->isModified());
}

QTEST_MAIN(MainWindowPagesTest)
#include "tst_mainwindow_pages.moc"
