#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHash>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QtTest>

#include "annotation/annotationdialog.h"
#include "document/documentmanager.h"
#include "imaging/imageprocessor.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/tempsettings.h"
#include "tests/support/windowparts.h"
#include "ui/croppableimagewidget.h"
#include "ui/mainwindow.h"
#include "ui/pagelistwidget.h"
#include "settings/appsettings.h"

using Handlers = QList<ModalAnswerer::Handler>;

namespace {

// A page no turn maps onto itself: a coloured corner on a gradient.
QImage page(QColor colour, QSize size = QSize(90, 60))
{
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x * 2, y * 3, 128));
    QPainter(&image).fillRect(0, 0, size.width() / 3, size.height() / 3, colour);
    return image;
}

void press(QWidget *modal, QDialogButtonBox::StandardButton which)
{
    for (QDialogButtonBox *box : modal->findChildren<QDialogButtonBox *>())
        if (QAbstractButton *button = box->button(which))
            return button->click();
    QFAIL("no such button");
}

// Moves the mouse with the left button held.
void dragTo(QWidget *widget, const QPoint &pos)
{
    QMouseEvent event(
        QEvent::MouseMove, QPointF(pos), widget->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class MainWindowEditTest : public QObject
{
    Q_OBJECT

    TempSettings settings;
    MainWindow *window = nullptr;
    DocumentManager *document = nullptr;
    PageListWidget *list = nullptr;
    CroppableImageWidget *view = nullptr;
    ImageProcessor processor;

    static void pressOk(QWidget *modal) { press(modal, QDialogButtonBox::Ok); }
    QString status() const { return window->statusBar()->currentMessage(); }
    QImage shown() const { return view->sourceImage(); }

    QAction *action(const QString &text) const
    {
        for (QAction *candidate : window->findChildren<QAction *>())
            if (candidate->text() == text)
                return candidate;
        qFatal("no action %s", qPrintable(text));
    }

    // Runs an advanced-dialog command, answers the windows it opens in turn; returns the boxes ("title|text").
    QStringList runAdvanced(const char *command, const Handlers &next = {})
    {
        ModalAnswerer answerer;
        answerer.handle([command](QWidget *modal) { part<QAbstractButton>(*modal, command)->click(); });
        for (const ModalAnswerer::Handler &handler : next)
            answerer.handle(handler);
        action(QStringLiteral("高级设置"))->trigger();
        if (answerer.pending())
            QTest::qFail("a modal window did not open", __FILE__, __LINE__);
        return answerer.seen().filter(QRegularExpression(QStringLiteral("[^|]$")));
    }

    QStringList rotateByAngle(double angle, Handlers next = {})
    {
        next.prepend([angle](QWidget *modal) {
            part<QDoubleSpinBox>(*modal, "angleSpin")->setValue(angle);
            press(modal, QDialogButtonBox::Ok);
        });
        return runAdvanced("AngleCommand", next);
    }

private slots:
    void init()
    {
        settings.clear();
        window = new MainWindow;
        document = part<DocumentManager>(*window, "documentManager");
        list = part<PageListWidget>(*window, "pageList");
        view = part<CroppableImageWidget>(*window, "imageWidget");
        part<QCheckBox>(*window, "autoSaveCheck")->setChecked(false);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    void cleanup() { delete window; }

    void rotateKeepsTheEditedPageCurrent_data()
    {
        QTest::addColumn<bool>("right");
        QTest::addColumn<int>("index");
        QTest::newRow("right, first page") << true << 0;
        QTest::newRow("left, middle page") << false << 1;
    }

    // After a put-back the edited page stays current, selected and shown; the others are untouched.
    void rotateKeepsTheEditedPageCurrent()
    {
        QFETCH(bool, right);
        QFETCH(int, index);
        const QList<QImage> pages { page(Qt::red), page(Qt::green), page(Qt::blue) };
        for (const QImage &image : pages)
            document->addPage(image);
        list->setCurrentRow(index);
        action(right ? QStringLiteral("右旋转") : QStringLiteral("左旋转"))->trigger();

        const QImage expected = right ? processor.rotateRight(pages[index]) : processor.rotateLeft(pages[index]);
        QCOMPARE(document->page(index), expected);
        QCOMPARE(document->pageCount(), 3);
        QCOMPARE(document->currentPageIndex(), index);
        QCOMPARE(list->currentRow(), index);
        QCOMPARE(list->selectedItems(), QList<QListWidgetItem *> { list->item(index) });
        QCOMPARE(shown(), expected);
        for (int other = 0; other < 3; ++other)
            if (other != index)
                QCOMPARE(document->page(other), pages[other]);
    }

    // Every edit is a step, each undo restoring the state before its edit, newest first; past the first the
    // status bar says there is nothing left.
    void everyEditUndoesInOrder()
    {
        document->addPage(page(Qt::red, QSize(40, 40)));
        QList<QImage> before;
        for (int i = 0; i < 11; ++i) {
            before << document->page(0);
            rotateByAngle(i % 2 ? -5.0 : 5.0);
            QVERIFY(document->page(0) != before.last());
        }
        for (int i = 10; i >= 0; --i) {
            runAdvanced("UndoCommand");
            QCOMPARE(document->page(0), before[i]);
            QCOMPARE(status(), QStringLiteral("已撤销操作（剩余 %1 步可撤销）").arg(i));
        }
        QCOMPARE(runAdvanced("UndoCommand"), QStringList());
        QCOMPARE(status(), QStringLiteral("没有可撤销的操作"));
        QCOMPARE(document->page(0), before[0]);
    }

    void undoRestoresItsOwnPage_data()
    {
        QTest::addColumn<QString>("command");
        for (const char *command :
            { "AngleCommand", "EnhanceCommand", "BorderCommand", "BleachCommand", "BrightnessContrastCommand",
                "HueSaturationCommand", "GrayscaleCommand", "BinaryCommand", "AutoLevelCommand" })
            QTest::newRow(command) << QString::fromLatin1(command);
    }

    // Every recording edit's undo restores the page it came from, wherever the page went since, and makes it
    // current and shown; the page being viewed and the others are left alone.
    void undoRestoresItsOwnPage()
    {
        QFETCH(QString, command);
        const auto slide = [](QWidget *modal) {
            part<QSlider>(*modal, "firstSlider")->setValue(30);
            press(modal, QDialogButtonBox::Ok);
        };
        const QHash<QString, Handlers> answers {
            { "AngleCommand", { [](QWidget *modal) {
                 part<QDoubleSpinBox>(*modal, "angleSpin")->setValue(90.0);
                 press(modal, QDialogButtonBox::Ok);
             } } },
            { "BorderCommand", { pressOk } },
            { "BleachCommand", { pressOk } },
            { "BrightnessContrastCommand", { slide } },
            { "HueSaturationCommand", { slide } },
        };
        const QImage red = page(Qt::red), blue = page(Qt::blue), yellow = page(Qt::yellow);
        QImage green = page(Qt::green);
        QPainter(&green).fillRect(0, 40, 90, 20, QColor(250, 248, 242)); // paper for the bleach to whiten
        for (const QImage &image : { red, green, blue })
            document->addPage(image);
        list->setCurrentRow(1);
        runAdvanced(qPrintable(command), answers.value(command));
        QVERIFY(document->page(1) != green);

        document->insertPage(0, yellow); // yellow red green blue
        document->movePageDown(2); // yellow red blue green
        document->removePage(1); // yellow blue green
        list->setCurrentRow(0);
        runAdvanced("UndoCommand");
        QCOMPARE(document->page(2), green);
        QCOMPARE(document->page(0), yellow);
        QCOMPARE(document->page(1), blue);
        QCOMPARE(document->currentPageIndex(), 2);
        QCOMPARE(list->currentRow(), 2);
        QCOMPARE(shown(), green);
        QCOMPARE(status(), QStringLiteral("已撤销操作（剩余 0 步可撤销）"));
    }

    // Deleting a page is a step of its own: undone, the page comes back in its place with its edits, which
    // are undone after it.
    void deletedPageComesBackWithItsEdits()
    {
        const QImage first = page(Qt::red);
        document->addPage(first);
        document->addPage(page(Qt::green));
        rotateByAngle(90.0); // page 1
        const QImage rotated = document->page(1);
        list->setCurrentRow(0);
        rotateByAngle(90.0); // page 0
        list->setCurrentRow(1);
        action(QStringLiteral("删除"))->trigger();
        QCOMPARE(document->pageCount(), 1);

        runAdvanced("UndoCommand");
        QCOMPARE(document->pageCount(), 2);
        QCOMPARE(document->page(1), rotated);
        QCOMPARE(document->currentPageIndex(), 1);
        runAdvanced("UndoCommand");
        QCOMPARE(document->page(0), first);
        QCOMPARE(status(), QStringLiteral("已撤销操作（剩余 1 步可撤销）"));
    }

    void previewDialog_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QImage>("expected");
        const QImage original = page(Qt::red, QSize(1200, 900));
        QTest::newRow("brightness and contrast, cancel") << "BrightnessContrastCommand" << false << original;
        QTest::newRow("hue and saturation, cancel") << "HueSaturationCommand" << false << original;
        QTest::newRow("brightness and contrast, OK")
            << "BrightnessContrastCommand" << true << processor.adjustBrightnessContrast(original, 30, 20);
    }

    // Sliders only preview; Cancel restores the view (and still records an undo entry), OK applies exactly the
    // library's result.
    void previewDialog()
    {
        QFETCH(QString, command);
        QFETCH(bool, accept);
        QFETCH(QImage, expected);
        const QImage original = page(Qt::red, QSize(1200, 900));
        document->addPage(original);
        runAdvanced(qPrintable(command), { [&](QWidget *modal) {
            for (int value = 1; value <= 30; ++value)
                part<QSlider>(*modal, "firstSlider")->setValue(value);
            part<QSlider>(*modal, "secondSlider")->setValue(20);
            QTRY_VERIFY(!shown().isNull() && shown() != original);
            QVERIFY(part<QProgressBar>(*window, "progressBar")->isHidden());
            QCOMPARE(document->page(0), original);
            press(modal, accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
        } });
        QCOMPARE(document->page(0), expected);
        QCOMPARE(shown(), expected);
        QCOMPARE(status(), accept ? QStringLiteral("亮度对比度调整完成") : QStringLiteral("已取消调整"));
        runAdvanced("UndoCommand");
        QCOMPARE(document->page(0), original);
    }

    void angleDialog_data()
    {
        QTest::addColumn<double>("angle");
        QTest::addColumn<QImage>("expected");
        QTest::addColumn<QString>("message");
        const QImage original = page(Qt::red);
        QTest::newRow("0.005 refused") << 0.005 << original << QStringLiteral("旋转角度为0，无需调整");
        QTest::newRow("90") << 90.0 << processor.rotateRight(original) << QStringLiteral("角度调整完成：旋转 90 度");
        QTest::newRow("180") << 180.0 << processor.rotateRight(processor.rotateRight(original))
                             << QStringLiteral("角度调整完成：旋转 180 度");
    }

    // A near-zero angle is refused; quarter turns from the angle dialog turn the page exactly.
    void angleDialog()
    {
        QFETCH(double, angle);
        QFETCH(QImage, expected);
        QFETCH(QString, message);
        document->addPage(page(Qt::red));
        QCOMPARE(rotateByAngle(angle), QStringList());
        QCOMPARE(document->page(0), expected);
        QCOMPARE(status(), message);
    }

    void conversionButtonsEdit_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QImage>("expected");
        const QImage original = page(Qt::red);
        QTest::newRow("grey") << "GrayscaleCommand" << processor.toGrayscale(original);
        QTest::newRow("two-level") << "BinaryCommand" << processor.binarize(original, -1);
        QTest::newRow("auto levels") << "AutoLevelCommand" << processor.autoLevel(original);
    }

    // The conversion buttons edit the current page (their undo is in undoRestoresItsOwnPage).
    void conversionButtonsEdit()
    {
        QFETCH(QString, command);
        QFETCH(QImage, expected);
        document->addPage(page(Qt::red));
        document->addPage(page(Qt::green));
        list->setCurrentRow(0);
        runAdvanced(qPrintable(command));
        QCOMPARE(document->page(0), expected);
        QCOMPARE(document->currentPageIndex(), 0);
    }

    // In crop mode a drag over the view crops the shown page to what was dragged and leaves crop mode.
    void cropThroughTheView()
    {
        const QImage original = page(Qt::red, QSize(600, 400));
        document->addPage(page(Qt::green));
        document->addPage(original);
        ModalAnswerer answerer;
        action(QStringLiteral("裁剪"))->trigger();
        QVERIFY(view->isCropMode());
        QSignalSpy selection(view, &CroppableImageWidget::cropRectChanged);
        const QRect dragged = view->imageToWidget(QRect(100, 50, 300, 200));
        QTest::mousePress(view, Qt::LeftButton, {}, dragged.topLeft());
        dragTo(view, dragged.center());
        dragTo(view, dragged.bottomRight());
        QTest::mouseRelease(view, Qt::LeftButton, {}, dragged.bottomRight());
        QVERIFY(answerer.seen().isEmpty());
        QCOMPARE(status(), QStringLiteral("图像裁剪完成"));
        // The put-back clears the view's selection: the rectangle is the last one it reported.
        QVERIFY(!selection.isEmpty());
        const QRect rect = qvariant_cast<QRect>(selection.last().first());
        QVERIFY(qAbs(rect.width() - 300) <= 3 && qAbs(rect.height() - 200) <= 3);
        QCOMPARE(document->page(1), original.copy(rect));
        QCOMPARE(document->currentPageIndex(), 1);
        QVERIFY(!view->isCropMode());
    }

    void blankPageSettingsWrittenOnlyOnOk_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("threshold");
        QTest::addColumn<QString>("ratio");
        QTest::newRow("change, cancel") << false << false << QString() << QString();
        QTest::newRow("change, restore defaults, cancel") << true << false << QString() << QString();
        QTest::newRow("change, OK") << false << true << "230"
                                    << "95";
        QTest::newRow("change, restore defaults, OK")
            << true << true << QString::number(AppSettings::blankPageThreshold.defaultValue())
            << QString::number(AppSettings::blankPageRatio.defaultValue());
    }

    // The blank-page values are stored only when the dialog is accepted.
    void blankPageSettingsWrittenOnlyOnOk()
    {
        QFETCH(bool, restore);
        QFETCH(bool, accept);
        QFETCH(QString, threshold);
        QFETCH(QString, ratio);
        runAdvanced("BlankPageCommand", { [&](QWidget *modal) {
            part<QSlider>(*modal, "thresholdSlider")->setValue(230);
            part<QSpinBox>(*modal, "ratioSpin")->setValue(95);
            if (restore)
                press(modal, QDialogButtonBox::RestoreDefaults);
            QVERIFY(!settings.store().contains(AppSettings::blankPageThreshold.key()));
            press(modal, accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
        } });
        QCOMPARE(settings.store().value(AppSettings::blankPageThreshold.key()).toString(), threshold);
        QCOMPARE(settings.store().value(AppSettings::blankPageRatio.key()).toString(), ratio);
        if (accept)
            QCOMPARE(status(), QStringLiteral("空白页检测参数已更新：白色阈值=%1, 阈值范围=%2").arg(threshold, ratio));
    }

    // A bleached page replaces the page and, with automatic saving on, is written to the save folder.
    void bleachedPageIsSavedAutomatically()
    {
        QTemporaryDir folder;
        const QImage original = page(QColor(230, 225, 200), QSize(120, 90));
        document->addPage(original);
        part<QLineEdit>(*window, "savePathEdit")->setText(folder.path());
        part<QCheckBox>(*window, "autoSaveCheck")->setChecked(true);
        part<QComboBox>(*window, "saveFormatCombo")->setCurrentIndex(1); // PNG
        const QStringList boxes = runAdvanced("BleachCommand", { [](QWidget *modal) {
            part<QSpinBox>(*modal, "thresholdSpin")->setValue(200);
            pressOk(modal);
        } });
        const QImage expected = processor.bleach(original, 200, 80);
        QCOMPARE(document->page(0), expected);
        QVERIFY(boxes.isEmpty());
        const QStringList files = QDir(folder.path()).entryList({ QStringLiteral("*.png") }, QDir::Files);
        QCOMPARE(files.size(), 1);
        QCOMPARE(QImage(folder.filePath(files.first())).convertToFormat(QImage::Format_ARGB32),
            expected.convertToFormat(QImage::Format_ARGB32));
    }

    // The annotated page goes back into the row chosen in the list, which stays current.
    void annotationReplacesTheChosenPage()
    {
        const QList<QImage> pages { page(Qt::red, QSize(600, 400)), page(Qt::green, QSize(600, 400)) };
        for (const QImage &image : pages)
            document->addPage(image);
        list->setCurrentRow(0);
        QImage annotated;
        ModalAnswerer answerer;
        answerer.handle([&annotated](QWidget *modal) {
            auto *dialog = qobject_cast<AnnotationDialog *>(modal);
            QVERIFY(dialog);
            dialog->addWatermark(QStringLiteral("样稿"), AnnotationDialog::WatermarkCenter, 80);
            annotated = dialog->resultImage();
            part<QPushButton>(*modal, "applyButton")->click();
        });
        action(QStringLiteral("批注标记"))->trigger();
        QCOMPARE(answerer.pending(), 0);
        QVERIFY(annotated != pages[0]);
        QCOMPARE(document->page(0), annotated);
        QCOMPARE(document->page(1), pages[1]);
        QCOMPARE(document->currentPageIndex(), 0);
    }
};

QTEST_MAIN(MainWindowEditTest)
#include "tst_mainwindow_edit.moc"
