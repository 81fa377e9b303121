#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QSlider>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include "document/documentmanager.h"
#include "tests/support/logcapture.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/tempsettings.h"
#include "tests/support/windowparts.h"
#include "settings/version.h"
#include "ui/croppableimagewidget.h"
#include "ui/mainwindow.h"
#include "ui/scansettingspanel.h"

namespace {

DocumentManager *documentOf(MainWindow &window)
{
    return part<DocumentManager>(window, "documentManager");
}

QImage page(QColor colour, QSize size = QSize(120, 160))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QAction *toolAction(MainWindow &window, const QString &text)
{
    for (QAction *action : part<QToolBar>(window, "mainToolBar")->actions()) {
        if (action->text() == text)
            return action;
    }
    qFatal("no tool bar action %s", qPrintable(text));
    return nullptr;
}

QSettings store()
{
    return AppSettings::openStore();
}

QString statusText(MainWindow &window)
{
    return window.statusBar()->currentMessage();
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void firstStartUsesDefaults();
    void windowFitsTheStartSize();
    void toolBarActions_data();
    void toolBarActions();
    void noTwoActionsShareAKey();
    void dockControlsHaveTheirTips_data();
    void dockControlsHaveTheirTips();
    void settingsWrittenAtOnceAndReadBack();
    void wheelOverTheDockScrolls();
    void undoAndRedoKeys();
    void viewZooms();
    void damagedSettingsKeepASelection();
    void storedBlankPageChoiceIsRestoredQuietly();
    void closedDockReturns();
    void placeholderAfterDeferredStart();
    void titleMarksUnsavedChanges();
    void statusBarCountsPages();
    void closeAsksAboutUnsavedChanges_data();
    void closeAsksAboutUnsavedChanges();
    void deleteToolOnEmptyDocumentDoesNothing();
    void deleteToolRemovesWithoutAsking();
    void layoutsSwapTheDocks();
    void layoutDialogStaysOpenUntilClosed();
    void aboutBox();
    void documentErrorsAreShown();
    void pageSizeChoiceIsAnnounced();
    void saveFolderChooserReplacesPath();
    void resizeRefitsThePage();
    void progressBarIsPermanentAndHidden();

private:
    TempSettings settings;
    QTemporaryDir scratch;
};

void MainWindowTest::init()
{
    settings.clear();
}

void MainWindowTest::firstStartUsesDefaults()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(part<QComboBox>(window, "resolutionCombo")->currentText(), QStringLiteral("300"));
    QCOMPARE(part<QComboBox>(window, "colorModeCombo")->currentText(), QStringLiteral("彩色"));
    QCOMPARE(part<QComboBox>(window, "pageSizeCombo")->currentText(), QStringLiteral("A4"));
    QCOMPARE(part<QComboBox>(window, "paperSourceCombo")->currentData().toString(), QStringLiteral("Flatbed"));
    QCOMPARE(part<QComboBox>(window, "saveFormatCombo")->currentText(), QStringLiteral("PDF"));
    QCOMPARE(part<QComboBox>(window, "saveFormatCombo")->currentData().toString(), QStringLiteral("pdf"));
    QCOMPARE(part<QLineEdit>(window, "savePathEdit")->text(),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    QVERIFY(part<QCheckBox>(window, "autoSaveCheck")->isChecked());
    QVERIFY(!part<QCheckBox>(window, "removeBlankPagesCheck")->isChecked());
    QCOMPARE(part<QSlider>(window, "jpegQualitySlider")->value(), 90);
    QCOMPARE(part<QSlider>(window, "jpegQualitySlider")->minimum(), 50);
    QCOMPARE(part<QSlider>(window, "jpegQualitySlider")->maximum(), 100);

    QComboBox *duplex = part<QComboBox>(window, "duplexCombo");
    QVERIFY(!duplex->isVisible());
    QVERIFY(!duplex->isEnabled());
    QCOMPARE(duplex->currentData().toString(), QStringLiteral("Simplex"));
    QVERIFY(part<QPushButton>(window, "finishDelayScanButton")->isHidden());

    QDockWidget *pages = part<QDockWidget>(window, "pagesDock");
    QDockWidget *scanSettings = part<QDockWidget>(window, "scanSettingsDock");
    QVERIFY(pages->isVisible());
    QVERIFY(scanSettings->isVisible());
    QCOMPARE(window.dockWidgetArea(pages), Qt::LeftDockWidgetArea);
    QCOMPARE(window.dockWidgetArea(scanSettings), Qt::RightDockWidgetArea);
    QCOMPARE(pages->windowTitle(), QStringLiteral("页面"));
    QVERIFY(scanSettings->windowTitle().isEmpty());

    auto *list = part<QListWidget>(window, "pageList");
    QCOMPARE(list->viewMode(), QListView::IconMode);
    QCOMPARE(list->iconSize(), QSize(80, 80));
    QCOMPARE(list->dragDropMode(), QAbstractItemView::InternalMove);
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(list->contextMenuPolicy(), Qt::CustomContextMenu);

    QCOMPARE(window.centralWidget(), part<QScrollArea>(window, "imageScrollArea"));
    QCOMPARE(statusText(window), QStringLiteral("就绪"));
    QCOMPARE(part<QToolBar>(window, "mainToolBar")->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
}

// The start-up opens the window at 1024 x 768; with both docks, the tool bar
// and the settings loaded, nothing may force it larger.
void MainWindowTest::windowFitsTheStartSize()
{
    MainWindow window;
    window.resize(1024, 768);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(1024, 768));
    QVERIFY(window.minimumSizeHint().width() <= 1024);
    QVERIFY(window.minimumSizeHint().height() <= 768);
    auto *view = part<QScrollArea>(window, "imageScrollArea");
    QVERIFY(view->width() >= view->minimumWidth());
    QVERIFY(part<QPushButton>(window, "scanButton")->isVisible());
}

void MainWindowTest::toolBarActions_data()
{
    QTest::addColumn<int>("position"); // among the actions, the separator counted
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");

    const QList<QPair<QString, QString>> rows {
        { QStringLiteral("扫描"), QStringLiteral("开始/停止扫描 ") },
        { QStringLiteral("保存"), QStringLiteral("保存当前图像") },
        { QStringLiteral("多页保存"), QStringLiteral("保存多页文档") },
        { QStringLiteral("左旋转"), QStringLiteral("向左旋转90度") },
        { QStringLiteral("右旋转"), QStringLiteral("向右旋转90度") },
        { QStringLiteral("高级设置"), QStringLiteral("高级图像处理设置") },
        { QStringLiteral("扫描设置"), QStringLiteral("扫描仪搜索设置") },
        { QStringLiteral("界面布局"), QStringLiteral("切换界面布局") },
        { QStringLiteral("合并图片"), QStringLiteral("将选中的图片合并为一张") },
        { QStringLiteral("批注标记"), QStringLiteral("在图片上添加批注和标记") },
        { QStringLiteral("裁剪"), QStringLiteral("裁剪当前图像 (Ctrl+R)") },
        { QStringLiteral("删除"), QStringLiteral("删除选中的页面") },
        { QStringLiteral("清除"), QStringLiteral("清除所有扫描图片") },
        { QStringLiteral("关于"), QStringLiteral("关于本软件") },
    };
    for (int i = 0; i < rows.size(); ++i) {
        // The scan profile (separator, label, box) follows the three scan and save buttons.
        const int position = i < 3 ? i : i + 4;
        QTest::newRow(qPrintable(rows.at(i).first)) << position << rows.at(i).first << rows.at(i).second;
    }
}

void MainWindowTest::toolBarActions()
{
    QFETCH(int, position);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    MainWindow window;
    const QList<QAction *> actions = part<QToolBar>(window, "mainToolBar")->actions();
    QCOMPARE(actions.size(), 18);
    QVERIFY(actions.at(3)->isSeparator() && actions.at(6)->isSeparator());
    QAction *action = actions.at(position);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->toolTip(), toolTip);
    QVERIFY(!action->icon().isNull());
}

// An ambiguous shortcut fires neither action, so every key has one owner; the
// standard Save key belongs to "保存" and crop keeps Ctrl+R.
void MainWindowTest::noTwoActionsShareAKey()
{
    MainWindow window;
    QHash<QKeySequence, QString> owners;
    for (QAction *action : window.findChildren<QAction *>()) {
        for (const QKeySequence &key : action->shortcuts()) {
            QVERIFY2(!owners.contains(key),
                qPrintable(
                    QStringLiteral("%1 shared by %2 and %3").arg(key.toString(), owners.value(key), action->text())));
            owners.insert(key, action->text());
        }
    }
    QCOMPARE(owners.value(QKeySequence(Qt::CTRL | Qt::Key_S)), QStringLiteral("保存"));
    QCOMPARE(owners.value(QKeySequence(Qt::CTRL | Qt::Key_R)), QStringLiteral("裁剪"));
    QCOMPARE(toolAction(window, QStringLiteral("保存"))->shortcut(), QKeySequence(QKeySequence::Save));
}

void MainWindowTest::dockControlsHaveTheirTips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("scanner") << "scannerCombo" << QStringLiteral("选择要使用的扫描仪设备");
    QTest::newRow("find") << "findDeviceButton" << QStringLiteral("查找可用的扫描仪设备");
    QTest::newRow("resolution") << "resolutionCombo" << QStringLiteral("设置扫描分辨率(DPI) - 数值越大图像质量越高");
    QTest::newRow("colour") << "colorModeCombo" << QStringLiteral("设置扫描颜色模式 - 彩色/灰度/黑白");
    QTest::newRow("page size") << "pageSizeCombo" << QStringLiteral("设置扫描页面大小");
    QTest::newRow("source") << "paperSourceCombo" << QStringLiteral("设置扫描纸张来源：平板或自动进纸器");
    QTest::newRow("duplex") << "duplexCombo" << QStringLiteral("设置双面扫描模式（仅支持双面扫描的设备有效）");
    QTest::newRow("path") << "savePathEdit" << QStringLiteral("设置扫描文件的保存路径");
    QTest::newRow("browse") << "browseButton" << QStringLiteral("选择保存扫描文件的文件夹");
    QTest::newRow("format") << "saveFormatCombo" << QStringLiteral("选择输出文件格式");
    QTest::newRow("quality") << "jpegQualitySlider" << QStringLiteral("设置JPEG图像质量 (50-100)");
    QTest::newRow("blank") << "removeBlankPagesCheck" << QStringLiteral("启用后，扫描过程中检测到空白页将自动跳过");
    QTest::newRow("auto save") << "autoSaveCheck" << QStringLiteral("启用后，扫描完成后自动保存图像");
    QTest::newRow("delay") << "delayScanButton" << QStringLiteral("循环延时扫描，适合平板扫描仪多张扫描");
    QTest::newRow("scan") << "scanButton" << QStringLiteral("执行完整扫描");
    QTest::newRow("finish") << "finishDelayScanButton" << QStringLiteral("结束延时扫描模式并保存");
}

void MainWindowTest::dockControlsHaveTheirTips()
{
    QFETCH(QString, name);
    QFETCH(QString, toolTip);
    MainWindow window;
    QWidget *control = window.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->toolTip(), toolTip);
}

// Every choice of the dock is in the store the moment it is made, read by a
// second store while the window lives (a crash loses none), and comes back.
void MainWindowTest::settingsWrittenAtOnceAndReadBack()
{
    const QString folder = scratch.filePath(QStringLiteral("scans"));
    {
        MainWindow window;
        part<QComboBox>(window, "resolutionCombo")->setCurrentText(QStringLiteral("600"));
        part<QComboBox>(window, "colorModeCombo")->setCurrentIndex(1);
        part<QComboBox>(window, "pageSizeCombo")->setCurrentText(QStringLiteral("Letter"));
        part<QComboBox>(window, "paperSourceCombo")->setCurrentIndex(1);
        part<QComboBox>(window, "saveFormatCombo")->setCurrentText(QStringLiteral("JPEG"));
        part<QLineEdit>(window, "savePathEdit")->setText(folder);
        part<QSlider>(window, "jpegQualitySlider")->setValue(70);
        part<QCheckBox>(window, "autoSaveCheck")->setChecked(false);
        part<QComboBox>(window, "textLanguageCombo")->setCurrentIndex(2);
        part<QComboBox>(window, "compressionCombo")->setCurrentIndex(1);
        part<QComboBox>(window, "saveResolutionCombo")->setCurrentIndex(2);
        part<ScanSettingsPanel>(window, "scanSettingsPanel")->setSizeLimit(3500000);

        const QSettings stored = store();
        QCOMPARE(stored.value(QStringLiteral("resolution")).toString(), QStringLiteral("600"));
        QCOMPARE(stored.value(QStringLiteral("colorMode")).toInt(), 1);
        QCOMPARE(stored.value(QStringLiteral("pageSize")).toString(), QStringLiteral("Letter"));
        QCOMPARE(stored.value(QStringLiteral("paperSource")).toString(), QStringLiteral("自动进纸器 (ADF)"));
        QCOMPARE(stored.value(QStringLiteral("save/format")).toString(), QStringLiteral("JPEG"));
        QCOMPARE(stored.value(QStringLiteral("save/path")).toString(), folder);
        QCOMPARE(stored.value(QStringLiteral("save/jpegQuality")).toInt(), 70);
        QCOMPARE(stored.value(QStringLiteral("save/autoSave")).toBool(), false);
        QCOMPARE(stored.value(QStringLiteral("save/textLanguages")).toString(), QStringLiteral("eng"));
        QCOMPARE(stored.value(QStringLiteral("save/pdfCompact")).toBool(), true);
        QCOMPARE(stored.value(QStringLiteral("save/saveResolution")).toInt(), 200);
        QCOMPARE(stored.value(QStringLiteral("save/maxFileBytes")).toLongLong(), qint64(3500000));
    }
    MainWindow window;
    QCOMPARE(part<QComboBox>(window, "resolutionCombo")->currentText(), QStringLiteral("600"));
    QCOMPARE(part<QComboBox>(window, "colorModeCombo")->currentText(), QStringLiteral("灰度"));
    QCOMPARE(part<QComboBox>(window, "pageSizeCombo")->currentText(), QStringLiteral("Letter"));
    QCOMPARE(part<QComboBox>(window, "paperSourceCombo")->currentIndex(), 1);
    QCOMPARE(part<QComboBox>(window, "saveFormatCombo")->currentData().toString(), QStringLiteral("jpg"));
    QCOMPARE(part<QLineEdit>(window, "savePathEdit")->text(), folder);
    QCOMPARE(part<QSlider>(window, "jpegQualitySlider")->value(), 70);
    QVERIFY(!part<QCheckBox>(window, "autoSaveCheck")->isChecked());
    QCOMPARE(part<QComboBox>(window, "textLanguageCombo")->currentData().toString(), QStringLiteral("eng"));
    QCOMPARE(part<QComboBox>(window, "compressionCombo")->currentText(), QStringLiteral("紧凑"));
    QCOMPARE(part<QComboBox>(window, "saveResolutionCombo")->currentText(), QStringLiteral("200 dpi"));
    // A limit that is not listed comes back as the custom entry.
    QCOMPARE(part<QComboBox>(window, "sizeLimitCombo")->currentText(), QStringLiteral("3.5 MB"));
    const SaveOptions options = part<DocumentManager>(window, "documentManager")->saveOptions();
    QCOMPARE(options.compression, SaveOptions::Compression::Compact);
    QCOMPARE(options.saveDpi, 200);
    QCOMPARE(options.sizeLimit, qint64(3500000));
}

// The wheel over a dock control without focus scrolls the dock; it changes
// nothing the user did not click.
void MainWindowTest::wheelOverTheDockScrolls()
{
    MainWindow window;
    window.resize(1024, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *colour = part<QComboBox>(window, "colorModeCombo");
    const int before = colour->currentIndex();
    QWheelEvent wheel(QPointF(5, 5), colour->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(colour, &wheel);
    QCOMPARE(colour->currentIndex(), before);
}

// Ctrl+Z and Ctrl+Shift+Z (and Ctrl+Y) take an edit back and forward, the menu
// entries named after the step.
void MainWindowTest::undoAndRedoKeys()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DocumentManager *document = documentOf(window);
    const QImage original = page(Qt::red, QSize(30, 20));
    document->addPage(original);
    auto *undo = part<QAction>(window, "undoAction");
    QVERIFY(!undo->isEnabled());
    toolAction(window, QStringLiteral("右旋转"))->trigger();
    QCOMPARE(document->page(0).size(), QSize(20, 30));
    QCOMPARE(undo->text(), QStringLiteral("撤销 右旋转"));

    window.activateWindow();
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(document->page(0), original);
    QCOMPARE(part<QAction>(window, "redoAction")->text(), QStringLiteral("重做 右旋转"));
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(document->page(0).size(), QSize(20, 30));
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(document->page(0).size(), QSize(20, 30));
    QVERIFY(!document->isModified() || document->pageCount() == 1);
}

// A small page is shown at its own size, never blown up; the zoom keys change
// the scale, which stays while paging, and "适合窗口" brings the fit back.
void MainWindowTest::viewZooms()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DocumentManager *document = documentOf(window);
    document->addPage(page(Qt::red, QSize(120, 80)));
    document->addPage(page(Qt::blue, QSize(120, 80)));
    document->setCurrentPage(0);
    auto *view = part<CroppableImageWidget>(window, "imageWidget");
    QCOMPARE(view->pixmap(Qt::ReturnByValue).size(), QSize(120, 80));
    part<QAction>(window, "zoomInAction")->trigger();
    QCOMPARE(view->pixmap(Qt::ReturnByValue).size(), QSize(150, 100));
    document->setCurrentPage(1);
    QCOMPARE(view->pixmap(Qt::ReturnByValue).size(), QSize(150, 100));
    part<QAction>(window, "fitToWindowAction")->trigger();
    QCOMPARE(view->pixmap(Qt::ReturnByValue).size(), QSize(120, 80));
}

void MainWindowTest::damagedSettingsKeepASelection()
{
    {
        QSettings stored = store();
        stored.setValue(QStringLiteral("resolution"), QStringLiteral("333"));
        stored.setValue(QStringLiteral("colorMode"), 9);
        stored.setValue(QStringLiteral("save/format"), QStringLiteral("GIF"));
        stored.setValue(QStringLiteral("lastScanner"), QStringLiteral("nowhere"));
        stored.setValue(QStringLiteral("geometry"), QByteArray("garbage"));
        stored.setValue(QStringLiteral("windowState"), QByteArray("garbage"));
    }
    MainWindow window;
    QCOMPARE(part<QComboBox>(window, "resolutionCombo")->currentText(), QStringLiteral("300"));
    QCOMPARE(part<QComboBox>(window, "colorModeCombo")->currentText(), QStringLiteral("彩色"));
    QCOMPARE(part<QComboBox>(window, "saveFormatCombo")->currentText(), QStringLiteral("PDF"));
    QVERIFY(part<QDockWidget>(window, "pagesDock")->isVisibleTo(&window));
}

// Restoring "removeBlankPages" ticks the box and sets the member (saved back
// unchanged), without announcing it as a user action.
void MainWindowTest::storedBlankPageChoiceIsRestoredQuietly()
{
    store().setValue(QStringLiteral("removeBlankPages"), true);
    {
        MainWindow window;
        QVERIFY(part<QCheckBox>(window, "removeBlankPagesCheck")->isChecked());
        QCOMPARE(statusText(window), QStringLiteral("就绪"));
    }
    QCOMPARE(store().value(QStringLiteral("removeBlankPages")).toBool(), true);
}

void MainWindowTest::closedDockReturns()
{
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        part<QDockWidget>(window, "scanSettingsDock")->close();
        QVERIFY(!part<QDockWidget>(window, "scanSettingsDock")->isVisible());
    }
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (const char *name : { "pagesDock", "scanSettingsDock" }) {
        QDockWidget *dock = part<QDockWidget>(window, name);
        QVERIFY2(dock->isVisible(), name);
        QVERIFY(dock->features().testFlag(QDockWidget::DockWidgetClosable));
        QVERIFY(dock->features().testFlag(QDockWidget::DockWidgetMovable));
        QVERIFY(dock->features().testFlag(QDockWidget::DockWidgetFloatable));
    }
}

void MainWindowTest::placeholderAfterDeferredStart()
{
    LogCapture log;
    MainWindow window;
    QComboBox *scanners = part<QComboBox>(window, "scannerCombo");
    QPushButton *find = part<QPushButton>(window, "findDeviceButton");
    QCOMPARE(scanners->count(), 0);
    QVERIFY(!find->isEnabled());
    QVERIFY(log.contains(QStringLiteral("主窗口已初始化")));

    QTRY_COMPARE(scanners->count(), 1);
    QCOMPARE(scanners->itemText(0), QStringLiteral("点击'查找设备'初始化扫描仪"));
    QVERIFY(!scanners->itemData(0).isValid());
    QVERIFY(find->isEnabled());
}

void MainWindowTest::titleMarksUnsavedChanges()
{
    MainWindow window;
    DocumentManager *document = documentOf(window);
    const QString title = document->title();
    QCOMPARE(window.windowTitle(), title + QStringLiteral(" - Quirra"));

    document->addPage(page(Qt::red));
    QCOMPARE(window.windowTitle(), title + QStringLiteral(" * - Quirra"));

    const QString path = scratch.filePath(QStringLiteral("saved.png"));
    QVERIFY(document->saveDocument(path));
    QCOMPARE(window.windowTitle(), QStringLiteral("saved - Quirra"));

    document->addPage(page(Qt::blue));
    QCOMPARE(window.windowTitle(), QStringLiteral("saved * - Quirra"));
    QVERIFY(document->loadDocument(path));
    QCOMPARE(window.windowTitle(), QStringLiteral("saved - Quirra"));
    document->newDocument();
    QCOMPARE(window.windowTitle(), document->title() + QStringLiteral(" - Quirra"));
}

void MainWindowTest::statusBarCountsPages()
{
    MainWindow window;
    DocumentManager *document = documentOf(window);
    QCOMPARE(statusText(window), QStringLiteral("就绪"));
    document->addPage(page(Qt::red));
    document->addPage(page(Qt::green));
    document->addPage(page(Qt::blue));
    document->setCurrentPage(1);
    QCOMPARE(statusText(window), QStringLiteral("页面 2/3"));
}

void MainWindowTest::closeAsksAboutUnsavedChanges_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("cancel keeps the window") << int(QDialogButtonBox::Cancel) << false;
    QTest::newRow("discard closes") << int(QDialogButtonBox::Discard) << true;
    // Save leads to the save-as dialog; cancelling it saves nothing, so the
    // document stays modified.
    QTest::newRow("save that did not save keeps the window") << int(QDialogButtonBox::Save) << false;
}

void MainWindowTest::closeAsksAboutUnsavedChanges()
{
    QFETCH(int, answer);
    QFETCH(bool, closes);
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    documentOf(window)->addPage(page(Qt::red));

    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::StandardButton(answer));
    if (answer == QDialogButtonBox::Save)
        answerer.answer(QDialogButtonBox::Cancel);
    QCOMPARE(window.close(), closes);
    QCOMPARE(window.isVisible(), !closes);
    QCOMPARE(answerer.seen().value(0), QStringLiteral("未保存的更改|文档包含未保存的更改。\n是否保存更改?"));
    QCOMPARE(answerer.pending(), 0);
}

void MainWindowTest::deleteToolOnEmptyDocumentDoesNothing()
{
    MainWindow window;
    ModalAnswerer answerer;
    LogCapture log;
    toolAction(window, QStringLiteral("删除"))->trigger();
    QCOMPARE(documentOf(window)->pageCount(), 0);
    QVERIFY(!documentOf(window)->isModified());
    QVERIFY(log.linesStartingWith(QStringLiteral("尝试删除无效页面")).isEmpty());
    QVERIFY(answerer.seen().isEmpty());
}

void MainWindowTest::deleteToolRemovesWithoutAsking()
{
    MainWindow window;
    DocumentManager *document = documentOf(window);
    document->addPage(page(Qt::red));
    document->addPage(page(Qt::green));
    document->addPage(page(Qt::blue));
    document->setCurrentPage(1);
    ModalAnswerer answerer;
    toolAction(window, QStringLiteral("删除"))->trigger();
    QCOMPARE(document->pageCount(), 2);
    QCOMPARE(document->page(1).pixelColor(0, 0), QColor(Qt::blue));
    QVERIFY(answerer.seen().isEmpty());
}

void MainWindowTest::layoutsSwapTheDocks()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QDockWidget *pages = part<QDockWidget>(window, "pagesDock");
    QDockWidget *scanSettings = part<QDockWidget>(window, "scanSettingsDock");
    LogCapture log;

    QVERIFY(QMetaObject::invokeMethod(&window, "applyLayout2"));
    QCOMPARE(window.dockWidgetArea(pages), Qt::RightDockWidgetArea);
    QCOMPARE(window.dockWidgetArea(scanSettings), Qt::LeftDockWidgetArea);
    QVERIFY(pages->isVisible() && scanSettings->isVisible());
    QVERIFY(pages->x() > scanSettings->x());

    scanSettings->close();
    QVERIFY(QMetaObject::invokeMethod(&window, "applyLayout1"));
    QCOMPARE(window.dockWidgetArea(pages), Qt::LeftDockWidgetArea);
    QCOMPARE(window.dockWidgetArea(scanSettings), Qt::RightDockWidgetArea);
    QVERIFY(pages->isVisible() && scanSettings->isVisible());
    QCOMPARE(log.linesStartingWith(QStringLiteral("已应用布局")),
        (QStringList { QStringLiteral("已应用布局2：反转布局"), QStringLiteral("已应用布局1：默认布局") }));
}

void MainWindowTest::layoutDialogStaysOpenUntilClosed()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QString messageAfterMirror;
    bool stillOpen = false;
    ModalAnswerer answerer;
    answerer.handle([&](QWidget *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("界面布局设置"));
        QVERIFY(dialog->minimumWidth() >= 500);
        QPushButton *mirror = nullptr;
        QPushButton *close = nullptr;
        for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
            if (button->text() == QStringLiteral("🔄 反转布局"))
                mirror = button;
            if (button->text() == QStringLiteral("关闭"))
                close = button;
        }
        QVERIFY(mirror && close);
        QCOMPARE(mirror->toolTip(), QStringLiteral("工具栏在上，扫描配置在左，页面列表在右"));
        mirror->click();
        messageAfterMirror = statusText(window);
        stillOpen = dialog->isVisible();
        close->click();
    });
    QVERIFY(QMetaObject::invokeMethod(&window, "onLayoutSettingsClicked"));
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(stillOpen);
    QCOMPARE(messageAfterMirror, QStringLiteral("✓ 已切换到反转布局"));
    QCOMPARE(window.dockWidgetArea(part<QDockWidget>(window, "pagesDock")), Qt::RightDockWidgetArea);
}

void MainWindowTest::aboutBox()
{
    MainWindow window;
    QString text;
    bool boxIcon = true;
    ModalAnswerer answerer;
    answerer.handle([&text, &boxIcon](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        text = box->text();
        boxIcon = !box->iconPixmap().isNull();
        box->accept();
    });
    toolAction(window, QStringLiteral("关于"))->trigger();
    QCOMPARE(answerer.seen().value(0).section(QLatin1Char('|'), 0, 0), QStringLiteral("关于Quirra"));
    // The icon shows once: in the text, not again as the box's own icon.
    QCOMPARE(text.count(QStringLiteral(":/icons/quirra.svg")), 1);
    QVERIFY(!boxIcon);
    QVERIFY(text.contains(QStringLiteral("<h2>Quirra</h2>")));
    QVERIFY(text.contains(QStringLiteral("版本: " QUIRRA_VERSION)));
    QVERIFY(text.contains(QStringLiteral("基于 Qt 5.15.8 与 SANE 后端")));
    QVERIFY(text.indexOf(QStringLiteral("本软件不提供任何的担保。"))
        < text.indexOf(QStringLiteral("感谢所使用的开源软件。")));
}

void MainWindowTest::documentErrorsAreShown()
{
    MainWindow window;
    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::Ok);
    QVERIFY(!documentOf(window)->saveDocument(scratch.filePath(QStringLiteral("empty.pdf"))));
    QCOMPARE(answerer.seen(), QStringList { QStringLiteral("文档错误|没有要保存的页面") });
}

void MainWindowTest::pageSizeChoiceIsAnnounced()
{
    MainWindow window;
    part<QComboBox>(window, "pageSizeCombo")->setCurrentText(QStringLiteral("Letter"));
    QCOMPARE(statusText(window), QStringLiteral("页面大小已设置为: Letter"));
}

void MainWindowTest::saveFolderChooserReplacesPath()
{
    MainWindow window;
    const QString folder = scratch.filePath(QStringLiteral("chosen"));
    QVERIFY(QDir().mkpath(folder));
    // A stored folder that is gone: the dialog starts in its nearest parent.
    part<QLineEdit>(window, "savePathEdit")->setText(folder + QStringLiteral("/gone/deeper"));
    QString title;
    QString startedIn;
    ModalAnswerer answerer;
    answerer.handle([&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY(dialog);
        title = dialog->windowTitle();
        startedIn = dialog->directory().absolutePath();
        QVERIFY(dialog->testOption(QFileDialog::ShowDirsOnly));
        ModalAnswerer::acceptFileDialog(dialog, folder);
    });
    part<QPushButton>(window, "browseButton")->click();
    QCOMPARE(title, QStringLiteral("选择保存路径"));
    QCOMPARE(startedIn, QDir(folder).absolutePath());
    QCOMPARE(QDir(part<QLineEdit>(window, "savePathEdit")->text()), QDir(folder));

    // Cancelling keeps what was there.
    answerer.answer(QDialogButtonBox::Cancel);
    part<QPushButton>(window, "browseButton")->click();
    QCOMPARE(QDir(part<QLineEdit>(window, "savePathEdit")->text()), QDir(folder));
}

void MainWindowTest::resizeRefitsThePage()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    documentOf(window)->addPage(page(Qt::red, QSize(2000, 3000)));
    auto *view = part<CroppableImageWidget>(window, "imageWidget");
    const QSize before = view->pixmap(Qt::ReturnByValue).size();
    QVERIFY(!before.isEmpty());
    window.resize(window.width() + 200, window.height() + 200);
    QTRY_VERIFY(view->pixmap(Qt::ReturnByValue).height() > before.height());
    QCOMPARE(view->sourceImage().size(), QSize(2000, 3000));
}

void MainWindowTest::progressBarIsPermanentAndHidden()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QProgressBar *progress = part<QProgressBar>(window, "progressBar");
    QVERIFY(!progress->isVisible());
    QCOMPARE(progress->minimum(), 0);
    QCOMPARE(progress->maximum(), 100);
    QCOMPARE(progress->width(), 150);
    QVERIFY(window.statusBar()->isAncestorOf(progress));
    // Progress of image operations drives the bar.
    QVERIFY(QMetaObject::invokeMethod(&window, "onScanProgress", Q_ARG(int, 40)));
    QCOMPARE(progress->value(), 40);
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
