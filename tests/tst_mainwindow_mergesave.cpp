#include <QtTest>
#include <QtWidgets>

#include "document/documentmanager.h"
#include "document/pageimporter.h"
#include "imaging/imageprocessor.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/tempsettings.h"
#include "tests/support/windowparts.h"
#include "ui/croppableimagewidget.h"
#include "ui/dialogs/mergedialog.h"
#include "ui/dialogs/splitdialog.h"
#include "ui/mainwindow.h"
#include "ui/pagelistwidget.h"
#include "ui/scansettingspanel.h"

namespace {

const QColor cardA(0, 0, 128);
const QColor cardB(128, 0, 0);
const QColor cardC(0, 100, 0);

// A white page with solid blocks, as a scanner delivers ID cards on the platen.
QImage pageWith(QSize size, const QList<QPair<QRect, QColor>> &blocks)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (const auto &block : blocks)
        painter.fillRect(block.first, block.second);
    return image;
}

// Two ID-card sides next to each other on a 400 x 200 page.
QImage twoCards()
{
    return pageWith(QSize(400, 200), { { QRect(20, 50, 100, 100), cardA }, { QRect(250, 50, 100, 100), cardB } });
}

QImage oneCard(QColor colour = cardC)
{
    return pageWith(QSize(200, 200), { { QRect(50, 50, 100, 100), colour } });
}

// Colour noise, which JPEG cannot make small: a page whose size follows the quality.
QImage noise(QSize size, quint32 seed)
{
    QImage noisy(size, QImage::Format_RGB32);
    for (int y = 0; y < noisy.height(); ++y)
        for (int x = 0; x < noisy.width(); ++x)
            noisy.setPixel(x, y, (seed = seed * 1664525u + 1013904223u) >> 8);
    return noisy;
}

bool contains(const QImage &image, QColor colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

QString run(const QString &program, const QString &file)
{
    QProcess process;
    process.start(program, { file });
    return process.waitForFinished(10000) && process.exitCode() == 0 ? process.readAllStandardOutput() : QString();
}

// Hands the next modal to check when it is a T; anything else is closed (so a
// failing test never hangs on it) and fails the test.
template<typename T> ModalAnswerer::Handler as(std::function<void(T *)> check)
{
    return [check](QWidget *modal) {
        auto *typed = qobject_cast<T *>(modal);
        if (!typed)
            modal->close();
        QVERIFY2(typed, modal->metaObject()->className());
        check(typed);
    };
}

// Accepts the file dialog with this path, or rejects it for an empty one.
ModalAnswerer::Handler fileDialogAnswer(const QString &path, const QString &title = QString())
{
    return as<QFileDialog>([path, title](QFileDialog *dialog) {
        if (!title.isEmpty())
            QCOMPARE(dialog->windowTitle(), title);
        if (path.isEmpty())
            dialog->reject();
        else
            ModalAnswerer::acceptFileDialog(dialog, path);
    });
}

} // namespace

class MainWindowMergeSaveTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void mergeRefusesThreePages();
    void mergedPageIsAppendedAndShown_data();
    void mergedPageIsAppendedAndShown();
    void splitKeepsBothParts_data();
    void splitKeepsBothParts();
    void shownImageMatchesItsName_data();
    void shownImageMatchesItsName();
    void multiPageTiffSavesAndOpensEveryPage();
    void multiPageSaveReportsPagesAndSize_data();
    void multiPageSaveReportsPagesAndSize();
    void sizeLimitIsAskedAbout_data();
    void sizeLimitIsAskedAbout();
    void closePromptLeadsThroughSaveAs_data();
    void closePromptLeadsThroughSaveAs();
    void exportAppendsTheFormatSuffix();
    void fileKeysAreOffTheToolBarAndUnique();

private:
    void addPages(const QList<QImage> &pages)
    {
        for (const QImage &page : pages)
            document->addPage(page);
    }

    void triggerTool(const QString &text)
    {
        for (QAction *action : part<QToolBar>(*window, "mainToolBar")->actions()) {
            if (action->text() == text)
                return action->trigger();
        }
        QFAIL(qPrintable(QStringLiteral("no tool ") + text));
    }

    void pressKeys(QKeySequence keys)
    {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keySequence(window, keys);
    }

    QImage shownImage() const { return part<CroppableImageWidget>(*window, "imageWidget")->sourceImage(); }

    // The image operations process events, so the user can delete a page while a
    // merge or split runs; this does it at the first progress point.
    void deleteFirstPageAtFirstProgress()
    {
        auto once = std::make_shared<QMetaObject::Connection>();
        *once = connect(part<ImageProcessor>(*window, "imageProcessor"), &ImageProcessor::processingProgress, document,
            [this, once]() {
                disconnect(*once);
                document->removePage(0);
            });
    }

    TempSettings settings;
    QTemporaryDir scratch;
    MainWindow *window = nullptr;
    DocumentManager *document = nullptr;
    PageListWidget *list = nullptr;
};

void MainWindowMergeSaveTest::init()
{
    settings.clear();
    window = new MainWindow;
    document = part<DocumentManager>(*window, "documentManager");
    list = part<PageListWidget>(*window, "pageList");
    part<QCheckBox>(*window, "autoSaveCheck")->setChecked(false);
    part<QLineEdit>(*window, "savePathEdit")->setText(scratch.path());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void MainWindowMergeSaveTest::cleanup()
{
    delete window;
    window = nullptr;
}

// Three selected pages are no merge: a hint, and the document stays as it is.
void MainWindowMergeSaveTest::mergeRefusesThreePages()
{
    addPages({ oneCard(), oneCard(), oneCard() });
    list->selectAll();
    ModalAnswerer answerer;
    triggerTool(QStringLiteral("合并图片"));
    QVERIFY(answerer.seen().isEmpty());
    QCOMPARE(window->statusBar()->currentMessage(),
        QStringLiteral("请选择2张图片进行合并（按住 Ctrl 或 Shift 键可以选择多张图片）"));
    QCOMPARE(document->pageCount(), 3);
}

void MainWindowMergeSaveTest::mergedPageIsAppendedAndShown_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("megabytes");
    QTest::addColumn<QStringList>("left");
    // Pages 2 (cards A and B; A is 109 x 109 split off) and 4 (card C, 110 x 110 cropped) of
    // four pages told apart by their first pixel are merged with a spacing of 30.
    const QStringList all { "#fafafa", "#fafafb", "#fafafc", "#fafafd" };
    // The edge trim takes the pages' own edges, never the margin the crop keeps round a card.
    QTest::newRow("defaults keep the first card only") << "" << QSize(109 + 30 + 110, 110) << "0.10" << all;
    QTest::newRow("trimming off merges with 0") << "noTrim" << QSize(109 + 30 + 110, 110) << "0.10" << all;
    QTest::newRow("no smart split keeps both cards") << "noSplit noTrim" << QSize(340 + 30 + 110, 110) << "0.20" << all;
    QTest::newRow("stacked") << "stacked noSplit noTrim" << QSize(340, 110 + 30 + 110) << "0.32" << all;
    // Removing the higher row first leaves the right pages behind.
    QTest::newRow("sources deleted") << "delete" << QSize(249, 110) << "0.10" << QStringList { "#fafafa", "#fafafc" };
    // Pages changed while the merge runs are found again.
    QTest::newRow("page 1 gone meanwhile")
        << "delete meanwhile" << QSize(249, 110) << "0.10" << QStringList { "#fafafc" };
}

// The merged page goes to the end, becomes current and is shown, shaped by the dialog's choices.
void MainWindowMergeSaveTest::mergedPageIsAppendedAndShown()
{
    QFETCH(QString, options);
    QFETCH(QSize, size);
    QFETCH(QStringList, left);
    QList<QImage> pages { oneCard(), twoCards(), oneCard(), oneCard() };
    for (int i = 0; i < 4; ++i)
        pages[i].setPixelColor(0, 0, QColor(250, 250, 250 + i)); // background to the content tests
    addPages(pages);
    list->setCurrentRow(0);
    list->clearSelection();
    for (int row : { 3, 1 })
        list->item(row)->setSelected(true);
    if (options.contains("meanwhile"))
        deleteFirstPageAtFirstProgress();
    ModalAnswerer answerer;
    answerer.handle(as<MergeDialog>([options](MergeDialog *dialog) {
        part<QRadioButton>(*dialog, options.contains("stacked") ? "stackedRadio" : "sideBySideRadio")->setChecked(true);
        part<QCheckBox>(*dialog, "smartSplitCheck")->setChecked(!options.contains("noSplit"));
        part<QCheckBox>(*dialog, "autoCropCheck")->setChecked(true);
        part<QCheckBox>(*dialog, "edgeTrimCheck")->setChecked(!options.contains("noTrim"));
        part<QCheckBox>(*dialog, "deleteSourcesCheck")->setChecked(options.contains("delete"));
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    }));
    triggerTool(QStringLiteral("合并图片"));

    const int last = left.size();
    QCOMPARE(document->pageCount(), last + 1);
    for (int i = 0; i < last; ++i)
        QCOMPARE(document->page(i).pixelColor(0, 0).name(), left.at(i));
    const QImage merged = document->page(last);
    QCOMPARE(merged.size(), size);
    QVERIFY(contains(merged, cardA));
    QVERIFY(contains(merged, cardC));
    QCOMPARE(contains(merged, cardB), options.contains("noSplit"));
    QCOMPARE(document->currentPageIndex(), last);
    QCOMPARE(list->currentRow(), last);
    QCOMPARE(list->selectedItems(), QList<QListWidgetItem *> { list->item(last) });
    QCOMPARE(shownImage(), merged);
    const QString done = QStringLiteral("合并完成！尺寸: %1 × %2 像素").arg(size.width()).arg(size.height());
    QCOMPARE(window->statusBar()->currentMessage(),
        options.contains("delete") ? QStringLiteral("图片合并完成，原始图片已删除 - ") + done : done);
    QCOMPARE(answerer.seen().size(), 1);
    // One step of the history: the undo takes the merged page and brings deleted sources back.
    QVERIFY(QMetaObject::invokeMethod(window, "onUndoClicked"));
    QCOMPARE(document->pageCount(), left.size() + (options.contains("delete") ? 2 : 0));
}

void MainWindowMergeSaveTest::splitKeepsBothParts_data()
{
    QTest::addColumn<QImage>("page");
    QTest::addColumn<int>("proposed");
    QTest::addColumn<int>("dragTo"); // in dialog pixels, -1: keep the proposal
    QTest::addColumn<bool>("meanwhile");
    QTest::newRow("two cards: the gap") << twoCards() << 185 << -1 << false;
    QTest::newRow("one card: the middle") << oneCard(Qt::green) << 100 << -1 << false;
    // The dialog shows the page 1.3 times as large: 260 is the page's middle.
    QTest::newRow("three cards: the first gap, dragged to the middle") << pageWith(QSize(400, 200),
        { { QRect(20, 50, 80, 100), cardA }, { QRect(160, 50, 80, 100), cardB }, { QRect(300, 50, 80, 100), cardC } })
                                                                       << 130 << 260 << false;
    // The page is found again when page 1 goes while the dialog is open.
    QTest::newRow("page 1 went meanwhile") << twoCards() << 185 << -1 << true;
}

// Splitting page 2 of 4 proposes the gap between its blocks (else the middle), lets
// the user drag the line, keeps the page and inserts both parts after it, the first
// one current; one undo takes both away.
void MainWindowMergeSaveTest::splitKeepsBothParts()
{
    QFETCH(QImage, page);
    QFETCH(int, proposed);
    QFETCH(int, dragTo);
    QFETCH(bool, meanwhile);
    addPages({ oneCard(Qt::yellow), page, oneCard(Qt::cyan), oneCard(Qt::magenta) });
    list->setCurrentRow(1);
    int line = -1;
    ModalAnswerer answerer;
    answerer.handle(as<SplitDialog>([&, dragTo, proposed, meanwhile](SplitDialog *dialog) {
        QCOMPARE(dialog->line(), proposed);
        if (dragTo >= 0) {
            auto *view = dialog->findChild<QWidget *>(QStringLiteral("splitView"));
            QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(dragTo, 20));
            QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(dragTo, 20));
        }
        if (meanwhile)
            document->removePage(0);
        line = dialog->line();
        dialog->accept();
    }));
    QVERIFY(QMetaObject::invokeMethod(window, "onSplitImageHorizontal"));
    QCOMPARE(answerer.pending(), 0);
    if (dragTo >= 0)
        QCOMPARE(line, 200);
    const int at = meanwhile ? 0 : 1;
    QCOMPARE(document->pageCount(), meanwhile ? 5 : 6);
    QCOMPARE(document->page(at), page);
    const QImage left = document->page(at + 1);
    const QImage right = document->page(at + 2);
    QCOMPARE(left, page.copy(0, 0, line, page.height()));
    QCOMPARE(right, page.copy(line, 0, page.width() - line, page.height()));
    QCOMPARE(document->currentPageIndex(), at + 1);
    QCOMPARE(shownImage(), left);
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("左右拆分完成，左右两部分已插入到本页之后"));
    QVERIFY(QMetaObject::invokeMethod(window, "onUndoClicked"));
    QCOMPARE(document->pageCount(), meanwhile ? 3 : 4);
    QCOMPARE(document->page(at), page);
}

void MainWindowMergeSaveTest::shownImageMatchesItsName_data()
{
    QTest::addColumn<QString>("dock");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("png named, dock at PDF") << "PDF"
                                            << "page.png"
                                            << "page.png" << QByteArray("png");
    QTest::newRow("jpg named, dock at PNG") << "PNG"
                                            << "shown.jpg"
                                            << "shown.jpg" << QByteArray("jpeg");
    QTest::newRow("other name takes the dock's") << "PNG"
                                                 << "notes.txt"
                                                 << "notes.txt.png" << QByteArray("png");
}

// A saved image's content always matches its name: the typed name's format when it
// names one, else the dock's with its suffix added.
void MainWindowMergeSaveTest::shownImageMatchesItsName()
{
    QFETCH(QString, dock);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QByteArray, format);
    addPages({ twoCards() });
    part<QComboBox>(*window, "saveFormatCombo")->setCurrentText(dock);
    const QString path = scratch.filePath(typed);
    ModalAnswerer answerer;
    answerer.handle(as<QFileDialog>([path](QFileDialog *dialog) { ModalAnswerer::acceptFileDialog(dialog, path); }));
    triggerTool(QStringLiteral("保存"));

    QCOMPARE(answerer.seen().size(), 1);
    QImageReader reader(scratch.filePath(written));
    QCOMPARE(reader.format(), format);
    QCOMPARE(reader.read().size(), twoCards().size());
    QVERIFY(written == typed || !QFile::exists(path));
}

// "保存为多页TIFF" writes one TIFF with every page; opening it while modified asks
// first (Cancel keeps the document) and brings every page back.
void MainWindowMergeSaveTest::multiPageTiffSavesAndOpensEveryPage()
{
    addPages({ oneCard(cardA), twoCards(), oneCard(cardC) });
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("doc.tiff"));
    // The dock's format is the document's format; nothing more is asked.
    part<QComboBox>(*window, "saveFormatCombo")->setCurrentText(QStringLiteral("TIFF"));
    ModalAnswerer answerer;
    answerer.handle(fileDialogAnswer(path));
    triggerTool(QStringLiteral("多页保存"));
    QCOMPARE(answerer.seen().size(), 1);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList { "doc.tiff" });
    QCOMPARE(run(QStringLiteral("tiffinfo"), path).count(QStringLiteral("TIFF Directory at offset")), 3);
    QCOMPARE(document->filePath(), path);

    document->addPage(oneCard(cardB));
    answerer.answer(QDialogButtonBox::Cancel);
    pressKeys(QKeySequence::Open);
    QCOMPARE(answerer.seen().mid(1), QStringList { "未保存的更改|文档包含未保存的更改。\n是否保存更改?" });
    QCOMPARE(document->pageCount(), 4);

    answerer.answer(QDialogButtonBox::Discard);
    answerer.handle(fileDialogAnswer(path, QStringLiteral("打开文档")));
    pressKeys(QKeySequence::Open);
    QCOMPARE(answerer.pending(), 0);
    // A multi-page file is read on the importer's thread.
    QTRY_COMPARE(document->pageCount(), 3);
    QTRY_VERIFY(!document->importer()->isRunning());
    QCOMPARE(list->count(), 3);
    QVERIFY(!document->isModified());
    QCOMPARE(document->page(1).size(), twoCards().size());
    QCOMPARE(shownImage(), document->currentPage());
    QCOMPARE(window->windowTitle(), QStringLiteral("doc - Quirra"));
}

void MainWindowMergeSaveTest::multiPageSaveReportsPagesAndSize_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("quality");
    QTest::newRow("PDF at the lowest quality") << "PDF"
                                               << "low.pdf" << 50;
    QTest::newRow("PDF at the highest quality") << "PDF"
                                                << "high.pdf" << 100;
    QTest::newRow("TIFF") << "TIFF"
                          << "pages.tiff" << 90;
}

// The status line names the pages and the file's size; the PDF's pages follow the
// dock's JPEG quality (a noisy page at 100 is several times its size at 50).
void MainWindowMergeSaveTest::multiPageSaveReportsPagesAndSize()
{
    QFETCH(QString, choice);
    QFETCH(QString, name);
    QFETCH(int, quality);
    const QImage noisy = noise(QSize(400, 300), 7);
    addPages({ noisy, noisy, oneCard(cardC) });
    part<QSlider>(*window, "jpegQualitySlider")->setValue(quality);
    const QString path = scratch.filePath(name);
    part<QComboBox>(*window, "saveFormatCombo")->setCurrentText(choice);
    ModalAnswerer answerer;
    answerer.handle(fileDialogAnswer(path));
    triggerTool(QStringLiteral("多页保存"));
    QCOMPARE(answerer.seen().size(), 1);
    const qint64 bytes = QFileInfo(path).size();
    const QRegularExpressionMatch shown = QRegularExpression(QStringLiteral("^已保存 3 页，(\\d+(?:\\.\\d)?) (KB|MB)$"))
                                              .match(window->statusBar()->currentMessage());
    QVERIFY2(shown.hasMatch(), qPrintable(window->statusBar()->currentMessage()));
    const double unit = shown.captured(2) == QLatin1String("MB") ? 1e6 : 1e3;
    QVERIFY2(qAbs(shown.captured(1).toDouble() * unit - bytes) <= unit / 2 + 1, qPrintable(QString::number(bytes)));
    if (name.endsWith(QLatin1String(".pdf")))
        QVERIFY2(quality == 50 ? bytes < 600 * 1000 / 2 : bytes > 600 * 1000 / 2, qPrintable(QString::number(bytes)));
}

void MainWindowMergeSaveTest::sizeLimitIsAskedAbout_data()
{
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<QString>("button"); // what the question is answered with; empty: no question
    QTest::addColumn<QStringList>("files");
    QTest::newRow("fits: nothing asked") << qint64(10000000) << QString() << QStringList { "doc.pdf" };
    QTest::newRow("saved anyway") << qint64(100000) << "saveAnywayButton" << QStringList { "doc.pdf" };
    QTest::newRow("split into parts") << qint64(100000) << "splitIntoPartsButton"
                                      << QStringList { "doc_1.pdf", "doc_2.pdf", "doc_3.pdf" };
    QTest::newRow("cancelled: nothing written") << qint64(100000) << "cancel" << QStringList();
}

// Over the dock's size limit the save asks: keep the file anyway, split it into
// parts under the limit, or write nothing; the answer holds for that save only.
void MainWindowMergeSaveTest::sizeLimitIsAskedAbout()
{
    QFETCH(qint64, limit);
    QFETCH(QString, button);
    QFETCH(QStringList, files);
    const QImage noisy = noise(QSize(600, 400), 11);
    addPages({ noisy, noisy, noisy });
    part<ScanSettingsPanel>(*window, "scanSettingsPanel")->setSizeLimit(limit);
    QDir folder(scratch.filePath(QStringLiteral("limit")));
    QVERIFY(folder.removeRecursively() && folder.mkpath(QStringLiteral(".")));
    ModalAnswerer answerer;
    answerer.handle(fileDialogAnswer(folder.filePath(QStringLiteral("doc.pdf"))));
    if (!button.isEmpty()) {
        answerer.handle(as<QMessageBox>([button](QMessageBox *box) {
            QAbstractButton *chosen = button == QLatin1String("cancel") ? box->button(QMessageBox::Cancel)
                                                                        : box->findChild<QAbstractButton *>(button);
            QVERIFY(chosen);
            chosen->click();
        }));
    }
    triggerTool(QStringLiteral("多页保存"));
    QTRY_COMPARE(answerer.pending(), 0);
    QCOMPARE(answerer.seen().size(), button.isEmpty() ? 1 : 2);
    QCOMPARE(folder.entryList(QDir::Files, QDir::Name), files);
    QCOMPARE(document->isModified(), files.isEmpty());
    for (const QString &file : qAsConst(files)) {
        const qint64 bytes = QFileInfo(folder.filePath(file)).size();
        QVERIFY2(button == QLatin1String("saveAnywayButton") ? bytes > limit : bytes <= limit,
            qPrintable(QStringLiteral("%1: %2 bytes").arg(file).arg(bytes)));
    }
    // The next save is asked about again.
    QCOMPARE(document->saveOptions().overLimit, SaveOptions::OverLimit::Refuse);
}

void MainWindowMergeSaveTest::closePromptLeadsThroughSaveAs_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("dialog cancelled") << QString() << QString();
    // A bare name gets the suffix of the chosen filter.
    QTest::newRow("bare name") << QString("report") << QString("report.pdf");
}

// Save at the close prompt leads through save-as; cancelling that keeps the window
// open and the document modified.
void MainWindowMergeSaveTest::closePromptLeadsThroughSaveAs()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    addPages({ oneCard(cardA), oneCard(cardC) });
    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::Save);
    answerer.handle(fileDialogAnswer(typed.isEmpty() ? QString() : scratch.filePath(typed)));
    QCOMPARE(window->close(), !written.isEmpty());

    QCOMPARE(answerer.seen().mid(0, 1), (QStringList { "未保存的更改|文档包含未保存的更改。\n是否保存更改?" }));
    QCOMPARE(window->isVisible(), written.isEmpty());
    QCOMPARE(document->isModified(), written.isEmpty());
    if (!written.isEmpty()) {
        QCOMPARE(document->filePath(), scratch.filePath(written));
        QVERIFY(run(QStringLiteral("pdfinfo"), scratch.filePath(written))
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));
        QCOMPARE(window->windowTitle(), QStringLiteral("report - Quirra"));
    }
}

// Export as JPEG to a name without suffix writes JPEG data to name.jpeg.
void MainWindowMergeSaveTest::exportAppendsTheFormatSuffix()
{
    addPages({ twoCards() });
    const QString path = scratch.filePath(QStringLiteral("exported"));
    ModalAnswerer answerer;
    answerer.handle(as<QInputDialog>([](QInputDialog *dialog) {
        QCOMPARE(dialog->comboBoxItems(), (QStringList { "PDF", "PNG", "JPEG", "BMP", "TIFF" }));
        dialog->setTextValue(QStringLiteral("JPEG"));
        dialog->accept();
    }));
    answerer.handle(fileDialogAnswer(path));
    pressKeys(QKeySequence(Qt::CTRL | Qt::Key_E));
    QCOMPARE(answerer.pending(), 0);
    QImageReader reader(path + QStringLiteral(".jpeg"));
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.size(), twoCards().size());
}

// Open, save-as and export are window keys off the tool bar, and no two
// actions share a key.
void MainWindowMergeSaveTest::fileKeysAreOffTheToolBarAndUnique()
{
    const QList<QAction *> toolBar = part<QToolBar>(*window, "mainToolBar")->actions();
    for (const char *name : { "openAction", "saveAsAction", "exportAction" }) {
        QAction *action = part<QAction>(*window, name);
        QVERIFY(window->actions().contains(action));
        QVERIFY(!toolBar.contains(action));
    }
    QMap<QString, QString> owners;
    for (QAction *action : window->findChildren<QAction *>()) {
        for (const QKeySequence &key : action->shortcuts()) {
            const QString text = key.toString();
            QVERIFY2(!owners.contains(text), qPrintable(text + QStringLiteral(": ") + owners.value(text)));
            owners.insert(text, action->text());
        }
    }
    QVERIFY(owners.contains(QStringLiteral("Ctrl+Shift+S")));
}

QTEST_MAIN(MainWindowMergeSaveTest)
#include "tst_mainwindow_mergesave.moc"
