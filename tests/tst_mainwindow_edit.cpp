#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include "document/documentmanager.h"
#include "imaging/imageprocessor.h"
#include "annotation/annotationdialog.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/tempsettings.h"
#include "tests/support/windowparts.h"
#include "ui/croppableimagewidget.h"
#include "ui/mainwindow.h"
#include "ui/pagelistwidget.h"
#include "ui/settingskeys.h"

namespace {

// A page no turn maps onto itself: a coloured corner on a gradient.
QImage page(QColor colour, QSize size = QSize(90, 60))
{
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x * 2, y * 3, 128));
    for (int y = 0; y < size.height() / 3; ++y)
        for (int x = 0; x < size.width() / 3; ++x)
            image.setPixelColor(x, y, colour);
    return image;
}

void click(QWidget *modal, const char *name)
{
    auto *button = modal->findChild<QAbstractButton *>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    button->click();
}

void press(QWidget *modal, QDialogButtonBox::StandardButton which)
{
    for (QDialogButtonBox *box : modal->findChildren<QDialogButtonBox *>()) {
        if (QAbstractButton *button = box->button(which)) {
            button->click();
            return;
        }
    }
    QFAIL("no such button");
}

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(pos),
        type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class MainWindowEditTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rotateKeepsTheEditedPageCurrent_data();
    void rotateKeepsTheEditedPageCurrent();
    void elevenEditsTenUndos();
    void undoRestoresIntoItsOwnPage();
    void undoEntryOfADeletedPageIsDropped();
    void cancelledPreviewRestoresTheView_data();
    void cancelledPreviewRestoresTheView();
    void acceptedPreviewAppliesTheExactOperation();
    void angleOfZeroIsRefused();
    void quarterTurnsFromTheAngleDialog_data();
    void quarterTurnsFromTheAngleDialog();
    void conversionButtonsEditAndRecord_data();
    void conversionButtonsEditAndRecord();
    void editProgressIsDeterminate();
    void cropThroughTheView();
    void blankPageSettingsWrittenOnlyOnOk_data();
    void blankPageSettingsWrittenOnlyOnOk();
    void blankPageSwitchIsStoredAtOnce();
    void borderRecordsOnlyAfterTheWidth_data();
    void borderRecordsOnlyAfterTheWidth();
    void bleachedPageIsSavedAutomatically();
    void annotationReplacesTheChosenPage();

private:
    QAction *action(const QString &text) const;
    // Runs one command of the advanced dialog; then answers the modal
    // windows it opens with the handlers given.
    // Returns "title|text" of the message boxes answered.
    QStringList runAdvanced(const char *command, QList<ModalAnswerer::Handler> next = {});
    void rotateByAngle(double angle);
    QString status() const { return window->statusBar()->currentMessage(); }
    QImage shown() const { return view->sourceImage(); }

    TempSettings settings;
    QTemporaryDir scratch;
    MainWindow *window = nullptr;
    DocumentManager *document = nullptr;
    PageListWidget *list = nullptr;
    CroppableImageWidget *view = nullptr;
    ImageProcessor processor;
};

void MainWindowEditTest::init()
{
    settings.clear();
    window = new MainWindow;
    document = part<DocumentManager>(*window, "documentManager");
    list = part<PageListWidget>(*window, "pageList");
    view = part<CroppableImageWidget>(*window, "imageWidget");
    part<QCheckBox>(*window, "autoSaveCheck")->setChecked(false);
    part<QLineEdit>(*window, "savePathEdit")->setText(scratch.filePath(QStringLiteral("auto")));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void MainWindowEditTest::cleanup()
{
    delete window;
    window = nullptr;
}

QAction *MainWindowEditTest::action(const QString &text) const
{
    for (QAction *candidate : window->findChildren<QAction *>()) {
        if (candidate->text() == text)
            return candidate;
    }
    qFatal("no action %s", qPrintable(text));
    return nullptr;
}

QStringList MainWindowEditTest::runAdvanced(const char *command, QList<ModalAnswerer::Handler> next)
{
    ModalAnswerer answerer;
    const QString name = QString::fromLatin1(command);
    answerer.handle([name](QWidget *modal) {
        QCOMPARE(modal->windowTitle(), QStringLiteral("高级图像处理设置"));
        click(modal, qPrintable(name));
    });
    for (const ModalAnswerer::Handler &handler : next)
        answerer.handle(handler);
    action(QStringLiteral("高级设置"))->trigger();
    [&]() {
        QCOMPARE(answerer.pending(), 0);
    }();
    QStringList boxes;
    for (const QString &seen : answerer.seen()) {
        if (!seen.endsWith(QLatin1Char('|')))
            boxes << seen;
    }
    return boxes;
}

void MainWindowEditTest::rotateByAngle(double angle)
{
    runAdvanced("AngleCommand", { [angle](QWidget *modal) {
        part<QDoubleSpinBox>(*modal, "angleSpin")->setValue(angle);
        press(modal, QDialogButtonBox::Ok);
    } });
}

// After a put-back the edited page stays current, selected and shown, first,
// middle and last page alike.
void MainWindowEditTest::rotateKeepsTheEditedPageCurrent_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("index");
    QTest::newRow("right, first page") << "右旋转" << 0;
    QTest::newRow("right, middle page") << "右旋转" << 1;
    QTest::newRow("left, middle page") << "左旋转" << 1;
    QTest::newRow("left, last page") << "左旋转" << 2;
}

void MainWindowEditTest::rotateKeepsTheEditedPageCurrent()
{
    QFETCH(QString, command);
    QFETCH(int, index);
    const QList<QImage> pages { page(Qt::red), page(Qt::green), page(Qt::blue) };
    for (const QImage &image : pages)
        document->addPage(image);
    list->setCurrentRow(index);
    action(command)->trigger();

    const QImage original = pages[index];
    const QImage expected
        = command == QStringLiteral("右旋转") ? processor.rotateRight(original) : processor.rotateLeft(original);
    QCOMPARE(document->page(index), expected);
    QCOMPARE(document->pageCount(), 3);
    QCOMPARE(document->currentPageIndex(), index);
    QCOMPARE(list->currentRow(), index);
    QCOMPARE(list->selectedItems(), QList<QListWidgetItem *> { list->item(index) });
    QCOMPARE(shown(), expected);
    for (int other = 0; other < 3; ++other) {
        if (other != index)
            QCOMPARE(document->page(other), pages[other]);
    }
}

// Eleven recorded edits keep ten undo steps, each restoring the state before
// its edit; the eleventh undo has nothing left.
void MainWindowEditTest::elevenEditsTenUndos()
{
    document->addPage(page(Qt::red, QSize(40, 40)));
    QList<QImage> before;
    for (int i = 0; i < 11; ++i) {
        before << document->page(0);
        rotateByAngle(i % 2 ? -5.0 : 5.0);
        QVERIFY(document->page(0) != before.last());
    }
    for (int i = 10; i >= 1; --i) {
        runAdvanced("UndoCommand");
        QCOMPARE(document->page(0), before[i]);
        QCOMPARE(status(), QStringLiteral("已撤销操作（剩余 %1 步可撤销）").arg(i - 1));
    }
    const QStringList boxes = runAdvanced("UndoCommand", { [](QWidget *modal) {
        press(modal, QDialogButtonBox::Ok);
    } });
    QCOMPARE(boxes, QStringList { QStringLiteral("提示|没有可撤销的操作") });
    QCOMPARE(document->page(0), before[1]);
}

// An undo writes the saved image into the page it came from, wherever that
// page went, makes it current and leaves the page being looked at alone.
void MainWindowEditTest::undoRestoresIntoItsOwnPage()
{
    const QImage first = page(Qt::red);
    const QImage second = page(Qt::green);
    document->addPage(first);
    document->addPage(second);
    list->setCurrentRow(0);
    rotateByAngle(90.0);
    QCOMPARE(document->page(0), processor.rotateRight(first));

    document->insertPage(0, page(Qt::blue));
    list->setCurrentRow(2);
    runAdvanced("UndoCommand");
    QCOMPARE(document->page(1), first);
    QCOMPARE(document->page(2), second);
    QCOMPARE(document->currentPageIndex(), 1);
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(shown(), first);
    QCOMPARE(status(), QStringLiteral("已撤销操作（剩余 0 步可撤销）"));
}

// Deleting a page drops its entries, so the count shown stays true and no
// undo writes a deleted page's image into a surviving one.
void MainWindowEditTest::undoEntryOfADeletedPageIsDropped()
{
    const QImage first = page(Qt::red);
    document->addPage(first);
    document->addPage(page(Qt::green));
    rotateByAngle(90.0); // page 1
    list->setCurrentRow(0);
    rotateByAngle(90.0); // page 0
    const QImage survivor = document->page(0);
    list->setCurrentRow(1);
    action(QStringLiteral("删除"))->trigger();
    QCOMPARE(document->pageCount(), 1);
    QCOMPARE(document->page(0), survivor);

    runAdvanced("UndoCommand");
    QCOMPARE(document->page(0), first);
    QCOMPARE(status(), QStringLiteral("已撤销操作（剩余 0 步可撤销）"));
    const QStringList boxes = runAdvanced("UndoCommand", { [](QWidget *modal) {
        press(modal, QDialogButtonBox::Ok);
    } });
    QCOMPARE(boxes, QStringList { QStringLiteral("提示|没有可撤销的操作") });
    QCOMPARE(document->page(0), first);
}

void MainWindowEditTest::cancelledPreviewRestoresTheView_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("brightness and contrast") << "BrightnessContrastCommand";
    QTest::newRow("hue and saturation") << "HueSaturationCommand";
}

// Moving a slider previews in the view without touching the page; Cancel
// shows the page again, leaves it as it was and keeps the undo entry.
void MainWindowEditTest::cancelledPreviewRestoresTheView()
{
    QFETCH(QString, command);
    const QImage original = page(Qt::red, QSize(300, 200));
    document->addPage(original);
    auto *progress = part<QProgressBar>(*window, "progressBar");
    bool previewed = false;
    runAdvanced(qPrintable(command), { [&](QWidget *modal) {
        part<QSlider>(*modal, "secondSlider")->setValue(-60);
        QTRY_VERIFY(!shown().isNull() && shown() != original);
        previewed = true;
        QCOMPARE(part<QLabel>(*modal, "secondSliderValue")->text(), QStringLiteral("-60"));
        QVERIFY(progress->isHidden());
        QCOMPARE(document->page(0), original);
        press(modal, QDialogButtonBox::Cancel);
    } });
    QVERIFY(previewed);
    QCOMPARE(shown(), original);
    QCOMPARE(document->page(0), original);
    QCOMPARE(status(), QStringLiteral("已取消调整"));
    runAdvanced("UndoCommand");
    QCOMPARE(document->page(0), original);
}

// OK applies the operation once, to the page itself, with the library's
// arithmetic, however many previews ran before.
void MainWindowEditTest::acceptedPreviewAppliesTheExactOperation()
{
    const QImage original = page(Qt::red, QSize(1200, 900));
    document->addPage(original);
    runAdvanced("BrightnessContrastCommand", { [&](QWidget *modal) {
        auto *brightness = part<QSlider>(*modal, "firstSlider");
        for (int value = 1; value <= 30; ++value)
            brightness->setValue(value);
        part<QSlider>(*modal, "secondSlider")->setValue(20);
        press(modal, QDialogButtonBox::Ok);
    } });
    const QImage expected = processor.adjustBrightnessContrast(original, 30, 20);
    QCOMPARE(document->page(0), expected);
    QCOMPARE(shown(), expected);
    QCOMPARE(status(), QStringLiteral("亮度对比度调整完成"));
}

void MainWindowEditTest::angleOfZeroIsRefused()
{
    const QImage original = page(Qt::red);
    document->addPage(original);
    const QStringList boxes = runAdvanced("AngleCommand",
        { [](QWidget *modal) {
             part<QDoubleSpinBox>(*modal, "angleSpin")->setValue(0.005);
             press(modal, QDialogButtonBox::Ok);
         },
            [](QWidget *modal) {
                press(modal, QDialogButtonBox::Ok);
            } });
    QCOMPARE(boxes, QStringList { QStringLiteral("提示|旋转角度为0，无需调整") });
    QCOMPARE(document->page(0), original);
}

void MainWindowEditTest::quarterTurnsFromTheAngleDialog_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<int>("rightTurns");
    QTest::newRow("90") << 90.0 << 1;
    QTest::newRow("180") << 180.0 << 2;
    QTest::newRow("-90") << -90.0 << 3;
}

// Quarter turns typed into the angle dialog turn the page exactly.
void MainWindowEditTest::quarterTurnsFromTheAngleDialog()
{
    QFETCH(double, angle);
    QFETCH(int, rightTurns);
    const QImage original = page(Qt::red);
    document->addPage(original);
    rotateByAngle(angle);
    QImage expected = original;
    for (int i = 0; i < rightTurns; ++i)
        expected = processor.rotateRight(expected);
    QCOMPARE(document->page(0), expected);
    QCOMPARE(status(), QStringLiteral("角度调整完成：旋转 %1 度").arg(angle));
}

void MainWindowEditTest::conversionButtonsEditAndRecord_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("grey") << "GrayscaleCommand";
    QTest::newRow("black and white") << "BinaryCommand";
    QTest::newRow("automatic levels") << "AutoLevelCommand";
}

// The grey, two-level and automatic-level buttons edit the current page and
// can be undone.
void MainWindowEditTest::conversionButtonsEditAndRecord()
{
    QFETCH(QString, command);
    const QImage original = page(Qt::red);
    document->addPage(original);
    document->addPage(page(Qt::green));
    list->setCurrentRow(0);
    runAdvanced(qPrintable(command));
    QImage expected;
    if (command == QLatin1String("GrayscaleCommand"))
        expected = processor.toGrayscale(original);
    else if (command == QLatin1String("BinaryCommand"))
        expected = processor.binarize(original, -1);
    else
        expected = processor.autoLevel(original);
    QCOMPARE(document->page(0), expected);
    QCOMPARE(document->currentPageIndex(), 0);
    runAdvanced("UndoCommand");
    QCOMPARE(document->page(0), original);
}

// Whatever ran before, an edit's progress counts from 0 to 100 and is
// hidden afterwards.
void MainWindowEditTest::editProgressIsDeterminate()
{
    document->addPage(page(Qt::red, QSize(200, 300)));
    auto *progress = part<QProgressBar>(*window, "progressBar");
    progress->setRange(0, 0);
    QList<QPair<int, int>> ranges;
    auto *imageProcessor = part<ImageProcessor>(*window, "imageProcessor");
    connect(imageProcessor, &ImageProcessor::processingProgress, this,
        [&]() { ranges << qMakePair(progress->minimum(), progress->maximum()); });
    const QStringList boxes = runAdvanced("EnhanceCommand", { [](QWidget *modal) {
        press(modal, QDialogButtonBox::Ok);
    } });
    QVERIFY(!ranges.isEmpty());
    for (const auto &range : qAsConst(ranges))
        QCOMPARE(range, qMakePair(0, 100));
    QVERIFY(progress->isHidden());
    QCOMPARE(boxes, QStringList { QStringLiteral("处理完成|文档增强处理已完成\n已保留彩色并突出内容") });
}

// The crop command turns on crop mode; a drag over the view crops the shown
// page to what was dragged and leaves crop mode.
void MainWindowEditTest::cropThroughTheView()
{
    const QImage original = page(Qt::red, QSize(600, 400));
    document->addPage(page(Qt::green));
    document->addPage(original);
    {
        ModalAnswerer answerer;
        answerer.answer(QDialogButtonBox::Ok);
        action(QStringLiteral("裁剪"))->trigger();
        QCOMPARE(answerer.pending(), 0);
    }
    QVERIFY(view->isCropMode());
    QSignalSpy completed(view, &CroppableImageWidget::cropCompleted);
    QSignalSpy selection(view, &CroppableImageWidget::cropRectChanged);
    const QRect dragged = view->imageToWidget(QRect(100, 50, 300, 200));
    ModalAnswerer done;
    done.answer(QDialogButtonBox::Ok);
    sendMouse(view, QEvent::MouseButtonPress, dragged.topLeft());
    sendMouse(view, QEvent::MouseMove, dragged.center());
    sendMouse(view, QEvent::MouseMove, dragged.bottomRight());
    sendMouse(view, QEvent::MouseButtonRelease, dragged.bottomRight());
    QCOMPARE(completed.count(), 1);
    // The view reports its selection by reference and the window's put-back
    // clears it, so the rectangle is taken from the last live selection.
    QVERIFY(!selection.isEmpty());
    const QRect rect = qvariant_cast<QRect>(selection.last().first());
    QVERIFY(qAbs(rect.width() - 300) <= 3 && qAbs(rect.height() - 200) <= 3);
    QCOMPARE(document->page(1), original.copy(rect));
    QCOMPARE(document->currentPageIndex(), 1);
    QVERIFY(!view->isCropMode());
    QCOMPARE(done.seen(), QStringList { QStringLiteral("裁剪完成|图像已成功裁剪！") });
}

void MainWindowEditTest::blankPageSettingsWrittenOnlyOnOk_data()
{
    QTest::addColumn<bool>("change");
    QTest::addColumn<bool>("restore");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QVariant>("threshold");
    QTest::addColumn<QVariant>("ratio");
    QTest::newRow("change, cancel") << true << false << false << QVariant() << QVariant();
    QTest::newRow("restore defaults, cancel") << true << true << false << QVariant() << QVariant();
    QTest::newRow("change, OK") << true << false << true << QVariant(230) << QVariant(95);
    QTest::newRow("change, restore defaults, OK") << true << true << true << QVariant(240) << QVariant(98);
}

void MainWindowEditTest::blankPageSettingsWrittenOnlyOnOk()
{
    QFETCH(bool, change);
    QFETCH(bool, restore);
    QFETCH(bool, accept);
    QFETCH(QVariant, threshold);
    QFETCH(QVariant, ratio);
    runAdvanced("BlankPageCommand", { [&](QWidget *modal) {
        QCOMPARE(part<QSpinBox>(*modal, "thresholdSpin")->value(), 240);
        if (change) {
            part<QSlider>(*modal, "thresholdSlider")->setValue(230);
            part<QSpinBox>(*modal, "ratioSpin")->setValue(95);
            QCOMPARE(part<QSpinBox>(*modal, "thresholdSpin")->value(), 230);
            QCOMPARE(part<QSlider>(*modal, "ratioSlider")->value(), 95);
        }
        if (restore) {
            press(modal, QDialogButtonBox::RestoreDefaults);
            QVERIFY(modal->isVisible());
            QCOMPARE(part<QSpinBox>(*modal, "thresholdSpin")->value(), 240);
            QCOMPARE(part<QSpinBox>(*modal, "ratioSpin")->value(), 98);
            QCOMPARE(SettingsKeys::openSettings().value(SettingsKeys::blankPageThreshold), QVariant());
        }
        press(modal, accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
    } });
    QSettings stored = SettingsKeys::openSettings();
    QCOMPARE(stored.value(SettingsKeys::blankPageThreshold).toString(), threshold.toString());
    QCOMPARE(stored.value(SettingsKeys::blankPageRatio).toString(), ratio.toString());
    if (accept)
        QCOMPARE(status(),
            QStringLiteral("空白页检测参数已更新：白色阈值=%1, 阈值范围=%2").arg(threshold.toInt()).arg(ratio.toInt()));
}

void MainWindowEditTest::blankPageSwitchIsStoredAtOnce()
{
    auto *box = part<QCheckBox>(*window, "removeBlankPagesCheck");
    box->click();
    QCOMPARE(SettingsKeys::openSettings().value(SettingsKeys::removeBlankPages).toBool(), true);
    QCOMPARE(status(), QStringLiteral("已启用自动去除空白页功能"));
    box->click();
    QCOMPARE(SettingsKeys::openSettings().value(SettingsKeys::removeBlankPages).toBool(), false);
}

void MainWindowEditTest::borderRecordsOnlyAfterTheWidth_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("cancelled") << false;
    QTest::newRow("width 5") << true;
}

// The border command records its undo entry only once a width was given.
void MainWindowEditTest::borderRecordsOnlyAfterTheWidth()
{
    QFETCH(bool, accept);
    const QImage original = page(Qt::red);
    document->addPage(original);
    runAdvanced("BorderCommand", { [accept](QWidget *modal) {
        auto *input = qobject_cast<QInputDialog *>(modal);
        QVERIFY(input);
        QCOMPARE(input->intValue(), 10);
        input->setIntValue(5);
        accept ? input->accept() : input->reject();
    } });
    QCOMPARE(document->page(0), accept ? processor.removeBorder(original, 5) : original);
    QList<ModalAnswerer::Handler> nothingToUndo;
    if (!accept)
        nothingToUndo << [](QWidget *modal) {
            press(modal, QDialogButtonBox::Ok);
        };
    const QStringList boxes = runAdvanced("UndoCommand", nothingToUndo);
    QCOMPARE(boxes.isEmpty(), accept);
    QCOMPARE(document->page(0), original);
}

// A bleached page replaces the page and, with automatic saving on, is written
// to the save folder.
void MainWindowEditTest::bleachedPageIsSavedAutomatically()
{
    const QImage original = page(QColor(230, 225, 200), QSize(120, 90));
    document->addPage(original);
    part<QCheckBox>(*window, "autoSaveCheck")->setChecked(true);
    part<QComboBox>(*window, "saveFormatCombo")->setCurrentIndex(1); // PNG
    const QStringList boxes = runAdvanced("BleachCommand",
        { [](QWidget *modal) {
             part<QSpinBox>(*modal, "thresholdSpin")->setValue(200);
             press(modal, QDialogButtonBox::Ok);
         },
            [](QWidget *modal) {
                press(modal, QDialogButtonBox::Ok);
            } });
    const QImage expected = processor.bleach(original, 200, 80);
    QCOMPARE(document->page(0), expected);
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes.first().startsWith(QStringLiteral("自动保存成功|")));
    const QStringList files = QDir(scratch.filePath(QStringLiteral("auto"))).entryList({ "*.png" }, QDir::Files);
    QCOMPARE(files.size(), 1);
    const QImage saved(scratch.filePath(QStringLiteral("auto/") + files.first()));
    QCOMPARE(saved.convertToFormat(QImage::Format_ARGB32), expected.convertToFormat(QImage::Format_ARGB32));
}

// The annotated page goes back into the row chosen in the list, which stays
// current; the other pages are untouched.
void MainWindowEditTest::annotationReplacesTheChosenPage()
{
    const QSize size(600, 400);
    const QList<QImage> pages { page(Qt::red, size), page(Qt::green, size), page(Qt::blue, size) };
    for (const QImage &image : pages)
        document->addPage(image);
    list->setCurrentRow(1);
    QImage annotated;
    ModalAnswerer answerer;
    answerer.handle([&annotated](QWidget *modal) {
        auto *dialog = qobject_cast<AnnotationDialog *>(modal);
        QVERIFY(dialog);
        dialog->addWatermark(QStringLiteral("样稿"), AnnotationDialog::WatermarkCenter, 80);
        annotated = dialog->resultImage();
        click(modal, "applyButton");
    });
    action(QStringLiteral("批注标记"))->trigger();
    QCOMPARE(answerer.pending(), 0);
    QVERIFY(annotated != pages[1]);
    QCOMPARE(document->page(1), annotated);
    QCOMPARE(document->page(0), pages[0]);
    QCOMPARE(document->page(2), pages[2]);
    QCOMPARE(document->currentPageIndex(), 1);
    QCOMPARE(status(), QStringLiteral("批注已应用"));
}

QTEST_MAIN(MainWindowEditTest)
#include "tst_mainwindow_edit.moc"
