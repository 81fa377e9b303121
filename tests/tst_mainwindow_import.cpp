// Bringing files in through the window: opening PDFs, their passwords and
// progress, and files dropped onto the page list and the page view.
#include <QCheckBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "document/documentmanager.h"
#include "document/pageimporter.h"
#include "document/pagestore.h"
#include "tests/support/importfiles.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/tempsettings.h"
#include "tests/support/windowparts.h"
#include "ui/croppableimagewidget.h"
#include "ui/mainwindow.h"
#include "ui/pagelistwidget.h"

using ImportFiles::PdfPage;

namespace {

QImage solid(const QColor &colour, QSize size = QSize(60, 80))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Page colours in document order, by name of the nearest test colour.
QStringList pageColours(DocumentManager *document)
{
    const QList<QPair<QString, QColor>> known { { "red", Qt::red }, { "green", Qt::green }, { "blue", Qt::blue },
        { "yellow", Qt::yellow }, { "cyan", Qt::cyan }, { "magenta", Qt::magenta } };
    QStringList names;
    for (int i = 0; i < document->pageCount(); ++i) {
        const QColor colour = ImportFiles::centre(document->page(i));
        QString name = colour.name();
        for (const auto &entry : known) {
            if (ImportFiles::near(colour, entry.second))
                name = entry.first;
        }
        names << name;
    }
    return names;
}

ModalAnswerer::Handler typePassword(const QString &password)
{
    return [password](QWidget *modal) {
        auto *input = qobject_cast<QInputDialog *>(modal);
        QVERIFY(input);
        QCOMPARE(input->labelText(), QStringLiteral("请输入PDF密码"));
        if (password.isEmpty()) {
            input->reject();
            return;
        }
        input->setTextValue(password);
        input->accept();
    };
}

} // namespace

class MainWindowImportTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void openShowsEveryPage();
    void failedOpenKeepsPages_data();
    void failedOpenKeepsPages();
    void cancelKeepsPages();
    void dropInsertsAtPosition_data();
    void dropInsertsAtPosition();
    void addedPicturesAreNeverSavedAutomatically();

private:
    QString file(const QString &name) const { return scratch.filePath(name); }
    // The file dialog is answered with path; the answers queued after it
    // answer what the open asks next.
    void expectOpen(const QString &path, ModalAnswerer &answerer);
    void runOpen();
    void fillTwoPages();
    void waitForImport();

    TempSettings settings;
    QTemporaryDir scratch;
    MainWindow *window = nullptr;
    DocumentManager *document = nullptr;
    PageListWidget *list = nullptr;
};

void MainWindowImportTest::init()
{
    settings.clear();
    window = new MainWindow;
    document = part<DocumentManager>(*window, "documentManager");
    list = part<PageListWidget>(*window, "pageList");
    part<QCheckBox>(*window, "autoSaveCheck")->setChecked(false);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(ImportFiles::writePdf(file("three.pdf"),
        { { QSizeF(72, 96), Qt::red, {} }, { QSizeF(72, 96), Qt::green, {} }, { QSizeF(72, 96), Qt::blue, {} } }));
    QVERIFY(ImportFiles::writePlainPdf(file("plain.pdf"), 2, Qt::magenta));
    QVERIFY(ImportFiles::encryptPdf(file("plain.pdf"), file("locked.pdf"), QStringLiteral("secret")));
    QVERIFY(ImportFiles::writeTruncated(file("three.pdf"), file("cut.pdf"), 0.4));
    QVERIFY(solid(Qt::yellow).save(file("yellow.png")));
    QFile notes(file("notes.txt"));
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("a note\n") > 0);
}

void MainWindowImportTest::cleanup()
{
    delete window;
    window = nullptr;
}

void MainWindowImportTest::expectOpen(const QString &path, ModalAnswerer &answerer)
{
    answerer.handle([path](QWidget *modal) { ModalAnswerer::acceptFileDialog(modal, path); });
}

void MainWindowImportTest::runOpen()
{
    QVERIFY(QMetaObject::invokeMethod(window, "onOpenDocument"));
}

void MainWindowImportTest::fillTwoPages()
{
    document->addPage(solid(Qt::cyan));
    document->addPage(solid(Qt::yellow));
    document->saveDocument(file("current.tif"));
    QVERIFY(!document->isModified());
}

void MainWindowImportTest::waitForImport()
{
    QTRY_VERIFY_WITH_TIMEOUT(!document->importer()->isRunning(), 20000);
    QTRY_VERIFY(!window->findChild<QProgressDialog *>());
}

// "打开文档" on a PDF brings every page in, names the window after the file
// and shows the first page.
void MainWindowImportTest::openShowsEveryPage()
{
    fillTwoPages();
    ModalAnswerer answerer;
    expectOpen(file("three.pdf"), answerer);
    runOpen();
    waitForImport();

    QCOMPARE(pageColours(document), (QStringList { "red", "green", "blue" }));
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(part<CroppableImageWidget>(*window, "imageWidget")->sourceImage(), document->page(0));
    QCOMPARE(window->windowTitle(), QStringLiteral("three - Quirra"));
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("页面 1/3"));
}

void MainWindowImportTest::failedOpenKeepsPages_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("passwords");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("colours");

    QTest::newRow("truncated pdf") << "cut.pdf" << QStringList() << QStringList { "文档错误|文件已损坏或不完整: %1" }
                                   << QStringList { "cyan", "yellow" };
    QTest::newRow("wrong password, then declined")
        << "locked.pdf" << QStringList { "guess", "!", "" }
        << QStringList { "PDF密码 - locked.pdf|", "PDF密码 - locked.pdf|密码错误", "PDF密码 - locked.pdf|",
               "文档错误|未输入密码，未导入: %1" }
        << QStringList { "cyan", "yellow" };
    QTest::newRow("wrong password, then right")
        << "locked.pdf" << QStringList { "guess", "!", "secret" }
        << QStringList { "PDF密码 - locked.pdf|", "PDF密码 - locked.pdf|密码错误", "PDF密码 - locked.pdf|" }
        << QStringList { "magenta", "magenta" };
}

// A file that cannot be opened is reported and the pages stay; a password is
// asked for until it is right or the user gives up ("!" answers the box).
void MainWindowImportTest::failedOpenKeepsPages()
{
    QFETCH(QString, name);
    QFETCH(QStringList, passwords);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, colours);
    fillTwoPages();
    ModalAnswerer answerer;
    expectOpen(file(name), answerer);
    for (const QString &password : passwords) {
        if (password == QLatin1String("!"))
            answerer.answer(QDialogButtonBox::Ok);
        else
            answerer.handle(typePassword(password));
    }
    const int failures = boxes.last().startsWith(QStringLiteral("文档错误")) ? 1 : 0;
    if (failures)
        answerer.answer(QDialogButtonBox::Ok);
    runOpen();
    waitForImport();
    QTRY_COMPARE(answerer.pending(), 0);

    QStringList expected { QStringLiteral("打开文档|") };
    for (const QString &box : boxes)
        expected << (box.contains(QLatin1String("%1")) ? box.arg(file(name)) : box);
    QCOMPARE(answerer.seen(), expected);
    QCOMPARE(pageColours(document), colours);
    QCOMPARE(list->count(), colours.size());
}

// The progress dialog's cancel button ends the import; nothing of it arrives.
void MainWindowImportTest::cancelKeepsPages()
{
    fillTwoPages();
    connect(document->importer(), &PageImporter::progress, this, [this]() {
        if (auto *dialog = window->findChild<QProgressDialog *>()) {
            // Under load the importer may be a page ahead of this queued call, so any page of the three will do.
            QVERIFY(QRegularExpression(QStringLiteral("^正在导入第 [1-3]/3 页$"))
                        .match(dialog->labelText().section(QLatin1Char('\n'), 0, 0))
                        .hasMatch());
            for (QPushButton *button : dialog->findChildren<QPushButton *>())
                button->click();
        }
    });
    ModalAnswerer answerer;
    expectOpen(file("three.pdf"), answerer);
    runOpen();
    waitForImport();

    QCOMPARE(pageColours(document), (QStringList { "cyan", "yellow" }));
    QCOMPARE(list->count(), 2);
    QCOMPARE(document->filePath(), file("current.tif"));
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("导入已取消"));
    // The pages read before the cancel are taken away again.
    QCOMPARE(
        QDir(document->pageStore()->folder()).entryList({ QStringLiteral("import-*") }, QDir::Files), QStringList());
}

void MainWindowImportTest::dropInsertsAtPosition_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("colours");
    QTest::addColumn<QString>("message");

    const QStringList three { "three.pdf", "notes.txt", "yellow.png" };
    const QString threeMessage = QStringLiteral("已导入 4 页；不是图片或PDF，未导入: notes.txt");
    QTest::newRow("list, left half of the first page")
        << "before" << three << QStringList { "red", "green", "blue", "yellow", "cyan", "magenta" } << threeMessage;
    QTest::newRow("list, right half of the first page")
        << "after" << three << QStringList { "cyan", "red", "green", "blue", "yellow", "magenta" } << threeMessage;
    QTest::newRow("list, empty space") << "end" << three
                                       << QStringList { "cyan", "magenta", "red", "green", "blue", "yellow" }
                                       << threeMessage;
    QTest::newRow("view") << "view" << three << QStringList { "cyan", "magenta", "red", "green", "blue", "yellow" }
                          << threeMessage;
    QTest::newRow("view, one picture") << "view" << QStringList { "yellow.png" }
                                       << QStringList { "cyan", "magenta", "yellow" } << "图片已添加: yellow.png";
    QTest::newRow("view, text only") << "view" << QStringList { "notes.txt" } << QStringList { "cyan", "magenta" }
                                     << "不是图片或PDF，未导入: notes.txt";
}

// Files dropped on the list come in, in the order given, where they were
// dropped, and on the page view at the end; a file that is neither picture
// nor PDF is named in the status bar.
void MainWindowImportTest::dropInsertsAtPosition()
{
    QFETCH(QString, where);
    QFETCH(QStringList, names);
    QFETCH(QStringList, colours);
    QFETCH(QString, message);
    document->addPage(solid(Qt::cyan));
    document->addPage(solid(Qt::magenta));
    QVERIFY(document->saveDocument(file("current.tif")));
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &name : names)
        urls << QUrl::fromLocalFile(file(name));
    data.setUrls(urls);
    if (where == QLatin1String("view")) {
        QWidget *view = part<QScrollArea>(*window, "imageScrollArea")->viewport();
        QDragEnterEvent enter(view->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(view->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &drop);
    } else {
        const QRect first = list->visualItemRect(list->item(0));
        const QPoint at = where == QLatin1String("before") ? QPoint(first.left() + 2, first.center().y())
            : where == QLatin1String("after")              ? QPoint(first.right() - 2, first.center().y())
                                              : QPoint(list->viewport()->width() - 3, list->viewport()->height() - 3);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        list->dropEvent(&drop);
        QVERIFY(drop.isAccepted());
    }
    waitForImport();

    QCOMPARE(pageColours(document), colours);
    QCOMPARE(list->count(), colours.size());
    QCOMPARE(list->item(colours.size() - 1)->text(), QStringLiteral("页面 %1").arg(colours.size()));
    // The first page that came in is the one shown.
    if (colours.contains(QStringLiteral("red")))
        QCOMPARE(list->currentRow(), colours.indexOf(QStringLiteral("red")));
    QCOMPARE(window->statusBar()->currentMessage(), message);
    // The import is one step, and undoing it is back at the saved document.
    QCOMPARE(document->isModified(), colours.size() > 2);
    QVERIFY(QMetaObject::invokeMethod(window, "onUndoClicked"));
    QCOMPARE(pageColours(document), (QStringList { "cyan", "magenta" }));
    QVERIFY(!document->isModified());
}

// "扫描后自动保存" saves scans only: pictures added to the document write no file.
void MainWindowImportTest::addedPicturesAreNeverSavedAutomatically()
{
    QTemporaryDir saves;
    part<QLineEdit>(*window, "savePathEdit")->setText(saves.path());
    part<QCheckBox>(*window, "autoSaveCheck")->setChecked(true);
    QMimeData data;
    data.setUrls({ QUrl::fromLocalFile(file("yellow.png")), QUrl::fromLocalFile(file("three.pdf")) });
    QWidget *view = part<QScrollArea>(*window, "imageScrollArea")->viewport();
    QDragEnterEvent enter(view->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &enter);
    QDropEvent drop(view->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &drop);
    waitForImport();
    QCOMPARE(document->pageCount(), 4);
    QCOMPARE(QDir(saves.path()).entryList(QDir::Files), QStringList());
}

QTEST_MAIN(MainWindowImportTest)
#include "tst_mainwindow_import.moc"
