#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFileDialog>
#include <QImageReader>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <memory>

#include "document/documentmanager.h"
#include "imaging/imageprocessor.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/tempsettings.h"
#include "tests/support/windowparts.h"
#include "ui/croppableimagewidget.h"
#include "ui/dialogs/mergedialog.h"
#include "ui/mainwindow.h"
#include "ui/pagelistwidget.h"

namespace {

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

const QColor cardA(0, 0, 128);
const QColor cardB(128, 0, 0);
const QColor cardC(0, 100, 0);

// Two ID-card sides next to each other on a 400 x 200 page.
QImage twoCards()
{
    return pageWith(QSize(400, 200), { { QRect(20, 50, 100, 100), cardA }, { QRect(250, 50, 100, 100), cardB } });
}

QImage oneCard(QColor colour = cardC)
{
    return pageWith(QSize(200, 200), { { QRect(50, 50, 100, 100), colour } });
}

bool contains(const QImage &image, QColor colour)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == colour)
                return true;
        }
    }
    return false;
}

QStringList pageColours(DocumentManager *document)
{
    QStringList colours;
    for (int i = 0; i < document->pageCount(); ++i)
        colours << document->page(i).pixelColor(0, 0).name();
    return colours;
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
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

ModalAnswerer::Handler clickButton(const QString &text)
{
    return as<QMessageBox>([text](QMessageBox *box) {
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == text)
                button->click();
        }
    });
}

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

struct MergeChoice
{
    bool stacked = false;
    bool smartSplit = true;
    bool autoCrop = true;
    bool edgeTrim = true;
    bool deleteSources = false;
};

ModalAnswerer::Handler mergeDialogAnswer(const MergeChoice &choice)
{
    return as<MergeDialog>([choice](MergeDialog *dialog) {
        part<QRadioButton>(*dialog, choice.stacked ? "stackedRadio" : "sideBySideRadio")->setChecked(true);
        part<QCheckBox>(*dialog, "smartSplitCheck")->setChecked(choice.smartSplit);
        part<QCheckBox>(*dialog, "autoCropCheck")->setChecked(choice.autoCrop);
        part<QCheckBox>(*dialog, "edgeTrimCheck")->setChecked(choice.edgeTrim);
        part<QCheckBox>(*dialog, "deleteSourcesCheck")->setChecked(choice.deleteSources);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
}

// Four card pages told apart by a near-white first pixel, which the content tests
// see as background.
QList<QImage> markedPages()
{
    QList<QImage> pages;
    for (int i = 0; i < 4; ++i) {
        pages << oneCard();
        pages.last().setPixelColor(0, 0, QColor(250, 250, 250 + i));
    }
    return pages;
}

} // namespace

class MainWindowMergeSaveTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void refusals_data();
    void refusals();
    void mergedPageIsAppendedAndShown_data();
    void mergedPageIsAppendedAndShown();
    void mergeOptionsShapeTheResult_data();
    void mergeOptionsShapeTheResult();
    void splitRefusesWhatIsNotTwoBlocks_data();
    void splitRefusesWhatIsNotTwoBlocks();
    void splitAnswerPlacesTheFirstPart_data();
    void splitAnswerPlacesTheFirstPart();
    void pagesChangedMeanwhileAreFoundAgain();
    void shownImageIsSavedInTheDockFormat();
    void multiPageSaveChoices_data();
    void multiPageSaveChoices();
    void closePromptLeadsThroughSaveAs_data();
    void closePromptLeadsThroughSaveAs();
    void openAsksFirstAndBringsBackEveryPage();
    void exportAppendsTheFormatSuffix();
    void fileKeysAreOffTheToolBarAndUnique();

private:
    void addPages(const QList<QImage> &pages);
    void selectRows(const QList<int> &rows);
    void triggerTool(const QString &text);
    void pressKeys(QKeySequence keys);
    QImage shownImage() const;
    void deleteFirstPageAtFirstProgress();

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

void MainWindowMergeSaveTest::addPages(const QList<QImage> &pages)
{
    for (const QImage &page : pages)
        document->addPage(page);
}

void MainWindowMergeSaveTest::selectRows(const QList<int> &rows)
{
    list->clearSelection();
    for (int row : rows)
        list->item(row)->setSelected(true);
    QCOMPARE(list->selectedItems().size(), rows.size());
}

void MainWindowMergeSaveTest::triggerTool(const QString &text)
{
    for (QAction *action : part<QToolBar>(*window, "mainToolBar")->actions()) {
        if (action->text() == text) {
            action->trigger();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no tool ") + text));
}

void MainWindowMergeSaveTest::pressKeys(QKeySequence keys)
{
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keySequence(window, keys);
}

QImage MainWindowMergeSaveTest::shownImage() const
{
    return part<CroppableImageWidget>(*window, "imageWidget")->sourceImage();
}

// The image operations process events, so the user can delete a page while a
// merge or split runs; this does it at the first progress point.
void MainWindowMergeSaveTest::deleteFirstPageAtFirstProgress()
{
    auto done = std::make_shared<bool>(false);
    connect(
        part<ImageProcessor>(*window, "imageProcessor"), &ImageProcessor::processingProgress, document, [this, done]() {
            if (!*done) {
                *done = true;
                document->removePage(0);
            }
        });
}

void MainWindowMergeSaveTest::refusals_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("seen");
    QTest::newRow("merge of three pages") << 3 << "合并图片"
                                          << "提示|请选择2张图片进行合并。\n\n提示：按住 Shift "
                                             "键可以选择多张图片。\n\n如需拆分单张图片，请使用右键菜单的拆分功能。";
    QTest::newRow("multi-page save of one page") << 1 << "多页保存"
                                                 << "提示|当前文档只有一页，请使用普通保存功能";
}

// Three selected pages are no merge and one page is no multi-page document; the
// document stays as it is.
void MainWindowMergeSaveTest::refusals()
{
    QFETCH(int, pages);
    QFETCH(QString, tool);
    QFETCH(QString, seen);
    for (int i = 0; i < pages; ++i)
        document->addPage(oneCard());
    list->selectAll();
    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::Ok);
    triggerTool(tool);
    QCOMPARE(answerer.seen(), QStringList { seen.replace(QStringLiteral("\\n"), QStringLiteral("\n")) });
    QCOMPARE(document->pageCount(), pages);
}

void MainWindowMergeSaveTest::mergedPageIsAppendedAndShown_data()
{
    QTest::addColumn<bool>("deleteSources");
    QTest::addColumn<QStringList>("before");
    // Pages 2 and 4 of the four marked pages are merged.
    QTest::newRow("sources kept") << false << QStringList { "#fafafa", "#fafafb", "#fafafc", "#fafafd" };
    // Removing the higher row first leaves the right pages behind.
    QTest::newRow("sources deleted") << true << QStringList { "#fafafa", "#fafafc" };
}

void MainWindowMergeSaveTest::mergedPageIsAppendedAndShown()
{
    QFETCH(bool, deleteSources);
    QFETCH(QStringList, before);
    addPages(markedPages());
    list->setCurrentRow(0);
    selectRows({ 3, 1 });

    ModalAnswerer answerer;
    MergeChoice choice;
    choice.deleteSources = deleteSources;
    answerer.handle(mergeDialogAnswer(choice));
    answerer.answer(QDialogButtonBox::Ok);
    triggerTool(QStringLiteral("合并图片"));
    QCOMPARE(answerer.pending(), 0);

    QCOMPARE(document->pageCount(), before.size() + 1);
    QCOMPARE(pageColours(document).mid(0, before.size()), before);
    const QImage merged = document->page(document->pageCount() - 1);
    // Both sources cropped to 110 x 110 and trimmed by 10: 90 + 30 + 90.
    QCOMPARE(merged.size(), QSize(210, 90));
    QCOMPARE(document->currentPageIndex(), document->pageCount() - 1);
    QCOMPARE(list->currentRow(), document->pageCount() - 1);
    QCOMPARE(list->selectedItems(), QList<QListWidgetItem *> { list->item(document->pageCount() - 1) });
    QCOMPARE(shownImage(), merged);
    const QString sizeText = QStringLiteral("合并完成！尺寸: 210 × 90 像素");
    QCOMPARE(window->statusBar()->currentMessage(),
        deleteSources ? QStringLiteral("图片合并完成，原始图片已删除 - ") + sizeText : sizeText);
    QCOMPARE(answerer.seen().value(1),
        QStringLiteral(
            "合并成功|图片合并完成！\n\n合并后尺寸: 210 × 90 像素\n文件大小: 约 0.07 MB\n\n"
            "✓ 已自动裁剪空白边缘\n\n注意：图片在窗口中会自动缩放显示，\n但实际尺寸未改变。保存后可查看原始尺寸。"));
}

void MainWindowMergeSaveTest::mergeOptionsShapeTheResult_data()
{
    QTest::addColumn<bool>("stacked");
    QTest::addColumn<bool>("smartSplit");
    QTest::addColumn<bool>("edgeTrim");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("secondCardKept");
    // The first page holds two cards (A 109 x 109 after the split, B beside it),
    // the second one card C that crops to 110 x 110; spacing 30.
    QTest::newRow("defaults keep the first card only") << false << true << true << QSize(89 + 30 + 90, 90) << false;
    QTest::newRow("trimming off merges with 0") << false << true << false << QSize(109 + 30 + 110, 110) << false;
    QTest::newRow("no smart split keeps both cards") << false << false << false << QSize(340 + 30 + 110, 110) << true;
    QTest::newRow("stacked") << true << false << false << QSize(340, 110 + 30 + 110) << true;
}

void MainWindowMergeSaveTest::mergeOptionsShapeTheResult()
{
    QFETCH(bool, stacked);
    QFETCH(bool, smartSplit);
    QFETCH(bool, edgeTrim);
    QFETCH(QSize, size);
    QFETCH(bool, secondCardKept);
    addPages({ twoCards(), oneCard() });
    selectRows({ 0, 1 });

    ModalAnswerer answerer;
    MergeChoice choice;
    choice.stacked = stacked;
    choice.smartSplit = smartSplit;
    choice.edgeTrim = edgeTrim;
    answerer.handle(mergeDialogAnswer(choice));
    answerer.answer(QDialogButtonBox::Ok);
    triggerTool(QStringLiteral("合并图片"));

    QCOMPARE(document->pageCount(), 3);
    const QImage merged = document->page(2);
    QCOMPARE(merged.size(), size);
    QVERIFY(contains(merged, cardA));
    QVERIFY(contains(merged, cardC));
    QCOMPARE(contains(merged, cardB), secondCardKept);
    QCOMPARE(answerer.seen().value(1).contains(QStringLiteral("✓ 已智能拆分图片并保留需要的部分\n")), smartSplit);
}

void MainWindowMergeSaveTest::splitRefusesWhatIsNotTwoBlocks_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<QImage>("page");
    QTest::addColumn<QString>("direction");
    const QList<QPair<QRect, QColor>> threeInARow { { QRect(20, 50, 80, 100), cardA },
        { QRect(160, 50, 80, 100), cardB }, { QRect(300, 50, 80, 100), cardC } };
    QTest::newRow("three cards side by side")
        << "onSplitImageHorizontal" << pageWith(QSize(400, 200), threeInARow) << "左右";
    QTest::newRow("one card") << "onSplitImageHorizontal" << oneCard() << "左右";
    QTest::newRow("three cards stacked") << "onSplitImageVertical"
                                         << pageWith(QSize(200, 400),
                                                { { QRect(50, 20, 100, 80), cardA }, { QRect(50, 160, 100, 80), cardB },
                                                    { QRect(50, 300, 100, 80), cardC } })
                                         << "上下";
}

void MainWindowMergeSaveTest::splitRefusesWhatIsNotTwoBlocks()
{
    QFETCH(QString, slot);
    QFETCH(QImage, page);
    QFETCH(QString, direction);
    addPages({ oneCard(cardA), page });
    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::Ok);
    QVERIFY(QMetaObject::invokeMethod(window, slot.toLatin1().constData()));
    QCOMPARE(answerer.seen(),
        QStringList { QStringLiteral("拆分失败|无法检测到2个独立的内容区域。\n\n可能原因：\n• 图片中只有1个内容\n• "
                                     "图片中有3个或更多内容\n• 内容重叠或连接\n\n建议：\n• "
                                     "确保图片中有2个明显分离的内容\n• 内容应该%1分布")
                          .arg(direction) });
    QCOMPARE(document->pageCount(), 2);
    QCOMPARE(document->page(1), page);
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("拆分失败"));
}

void MainWindowMergeSaveTest::splitAnswerPlacesTheFirstPart_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("partRow");
    QTest::addColumn<QString>("message");
    QTest::newRow("yes replaces page 2") << int(QDialogButtonBox::Yes) << 4 << 1
                                         << QStringLiteral("左右拆分完成，已保留左侧部分");
    QTest::newRow("no inserts it as page 3")
        << int(QDialogButtonBox::No) << 5 << 2 << QStringLiteral("左右拆分完成，左侧部分已添加");
}

void MainWindowMergeSaveTest::splitAnswerPlacesTheFirstPart()
{
    QFETCH(int, answer);
    QFETCH(int, pages);
    QFETCH(int, partRow);
    QFETCH(QString, message);
    addPages({ oneCard(Qt::yellow), twoCards(), oneCard(Qt::cyan), oneCard(Qt::magenta) });
    list->setCurrentRow(1);

    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::StandardButton(answer));
    QVERIFY(QMetaObject::invokeMethod(window, "onSplitImageHorizontal"));
    QCOMPARE(answerer.seen().value(0).section(QLatin1Char('|'), 0, 0), QStringLiteral("左右拆分成功"));

    QCOMPARE(document->pageCount(), pages);
    const QImage part = document->page(partRow);
    QCOMPARE(part.size(), QSize(109, 109));
    QVERIFY(contains(part, cardA));
    QVERIFY(!contains(part, cardB));
    QCOMPARE(document->page(pages - 1).pixelColor(60, 60), QColor(Qt::magenta));
    QCOMPARE(document->currentPageIndex(), partRow);
    QCOMPARE(list->currentRow(), partRow);
    QCOMPARE(shownImage(), part);
    QCOMPARE(window->statusBar()->currentMessage(), message);
}

// A page deleted while the image work runs: the merge still removes its own
// sources, and the split still replaces its own page.
void MainWindowMergeSaveTest::pagesChangedMeanwhileAreFoundAgain()
{
    addPages(markedPages());
    selectRows({ 1, 3 });
    deleteFirstPageAtFirstProgress();
    ModalAnswerer answerer;
    MergeChoice choice;
    choice.deleteSources = true;
    answerer.handle(mergeDialogAnswer(choice));
    answerer.answer(QDialogButtonBox::Ok);
    triggerTool(QStringLiteral("合并图片"));
    QCOMPARE(document->pageCount(), 2);
    QCOMPARE(document->page(0).pixelColor(0, 0), QColor(250, 250, 252));
    QCOMPARE(document->page(1).size(), QSize(210, 90));

    document->insertPage(1, twoCards());
    list->setCurrentRow(1);
    deleteFirstPageAtFirstProgress();
    answerer.answer(QDialogButtonBox::Yes);
    QVERIFY(QMetaObject::invokeMethod(window, "onSplitImageHorizontal"));
    QCOMPARE(document->pageCount(), 2);
    QCOMPARE(document->page(0).size(), QSize(109, 109));
    QCOMPARE(document->page(1).size(), QSize(210, 90));
    QCOMPARE(document->currentPageIndex(), 0);
}

// The dock says PNG; a name ending in .jpg still gets PNG data.
void MainWindowMergeSaveTest::shownImageIsSavedInTheDockFormat()
{
    addPages({ twoCards() });
    part<QComboBox>(*window, "saveFormatCombo")->setCurrentText(QStringLiteral("PNG"));
    const QString path = scratch.filePath(QStringLiteral("shown.jpg"));
    ModalAnswerer answerer;
    answerer.handle(as<QFileDialog>([path](QFileDialog *dialog) {
        QCOMPARE(dialog->nameFilters(), (QStringList { "PNG文件 (*.png)", "所有文件 (*.*)" }));
        ModalAnswerer::acceptFileDialog(dialog, path);
    }));
    answerer.answer(QDialogButtonBox::Ok);
    triggerTool(QStringLiteral("保存"));

    QCOMPARE(answerer.seen().value(1), QStringLiteral("保存成功|图像已成功保存到:\n%1").arg(path));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    QCOMPARE(reader.read(), twoCards().convertToFormat(QImage::Format_RGB32));
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("已保存为 PNG 格式到: shown.jpg"));
}

void MainWindowMergeSaveTest::multiPageSaveChoices_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("files");
    const QString day = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    QTest::newRow("pdf") << "保存为PDF"
                         << "doc.pdf" << QStringList { "doc.pdf" };
    QTest::newRow("tiff") << "保存为多页TIFF"
                          << "doc.tiff" << QStringList { "doc.tiff" };
    QTest::newRow("images") << "保存为多个图像文件"
                            << "doc.jpg" << QStringList { day + "_0001.jpg", day + "_0002.jpg", day + "_0003.jpg" };
}

void MainWindowMergeSaveTest::multiPageSaveChoices()
{
    QFETCH(QString, choice);
    QFETCH(QString, name);
    QFETCH(QStringList, files);
    addPages({ oneCard(cardA), twoCards(), oneCard(cardC) });
    const QString folder = scratch.filePath(QStringLiteral("multi-") + QString::number(qHash(choice)));
    QVERIFY(QDir().mkpath(folder));

    ModalAnswerer answerer;
    answerer.handle(clickButton(choice));
    answerer.handle(fileDialogAnswer(folder + QLatin1Char('/') + name));
    answerer.answer(QDialogButtonBox::Ok);
    triggerTool(QStringLiteral("多页保存"));

    QCOMPARE(answerer.seen().value(0), QStringLiteral("多页保存选项|请选择多页保存方式："));
    QCOMPARE(answerer.seen().value(2), QStringLiteral("保存成功|多页文档已成功保存"));
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), files);
    const QString saved = folder + QLatin1Char('/') + files.first();
    if (name.endsWith(QLatin1String(".tiff"))) {
        QCOMPARE(run(QStringLiteral("tiffinfo"), { saved }).count(QStringLiteral("TIFF Directory at offset")), 3);
        QCOMPARE(document->filePath(), saved);
    } else if (name.endsWith(QLatin1String(".pdf"))) {
        QVERIFY(
            run(QStringLiteral("pdfinfo"), { saved }).contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n"))));
        QVERIFY(!document->isModified());
    } else {
        // A series is a copy: the document keeps its own name and unsaved mark.
        QCOMPARE(QImage(saved).size(), oneCard().size());
        QVERIFY(document->isModified());
    }
}

void MainWindowMergeSaveTest::closePromptLeadsThroughSaveAs_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("dialog cancelled") << QString() << QString();
    // A bare name gets the suffix of the chosen filter.
    QTest::newRow("bare name") << "report"
                               << "report.pdf";
}

void MainWindowMergeSaveTest::closePromptLeadsThroughSaveAs()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    addPages({ oneCard(cardA), oneCard(cardC) });
    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::Save);
    answerer.answer(QDialogButtonBox::Ok);
    answerer.handle(fileDialogAnswer(typed.isEmpty() ? QString() : scratch.filePath(typed)));
    QCOMPARE(window->close(), !written.isEmpty());

    QCOMPARE(answerer.seen().mid(0, 2),
        (QStringList { QStringLiteral("未保存的更改|文档包含未保存的更改。\n是否保存更改?"),
            QStringLiteral("多页文档保存提示|您正在保存多页扫描文档，请选择合适的保存格式：") }));
    QCOMPARE(window->isVisible(), written.isEmpty());
    QCOMPARE(document->isModified(), written.isEmpty());
    if (!written.isEmpty()) {
        QCOMPARE(document->filePath(), scratch.filePath(written));
        QVERIFY(run(QStringLiteral("pdfinfo"), { scratch.filePath(written) })
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))));
        QCOMPARE(window->windowTitle(), QStringLiteral("report - Quirra"));
    }
}

// A saved multi-page TIFF opens again with every page; a modified document asks
// first, and Cancel keeps it.
void MainWindowMergeSaveTest::openAsksFirstAndBringsBackEveryPage()
{
    const QString path = scratch.filePath(QStringLiteral("again.tiff"));
    addPages({ oneCard(cardA), twoCards() });
    QVERIFY(document->saveDocument(path));
    document->addPage(oneCard(cardB));

    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::Cancel);
    pressKeys(QKeySequence::Open);
    QCOMPARE(answerer.seen(), QStringList { QStringLiteral("未保存的更改|文档包含未保存的更改。\n是否保存更改?") });
    QCOMPARE(document->pageCount(), 3);

    answerer.answer(QDialogButtonBox::Discard);
    answerer.handle(fileDialogAnswer(path, QStringLiteral("打开文档")));
    pressKeys(QKeySequence::Open);
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(document->pageCount(), 2);
    QCOMPARE(list->count(), 2);
    QVERIFY(!document->isModified());
    QCOMPARE(document->page(1).size(), twoCards().size());
    QCOMPARE(shownImage(), document->currentPage());
    QCOMPARE(window->windowTitle(), QStringLiteral("again - Quirra"));
}

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
