#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "annotation/annotationtool.h"
#include "annotation/annotationwidget.h"
#include "tests/support/modalanswerer.h"

class AnnotationWidgetTest : public QObject
{
    Q_OBJECT

private slots:
    void fitToSizeScalesAndFixesSize();
    void fitToSizeIgnoresNothingToFitInto();
    void coordinateMapping();
    void dragAtHalfScaleAddsImageRectangle();
    void strokeSizeThreshold_data();
    void strokeSizeThreshold();
    void lineAndArrowStoreBothEnds_data();
    void lineAndArrowStoreBothEnds();
    void freehandCollectsMovePoints();
    void rightButtonDrawsNothing();
    void previewIsPaintedWhileDragging();
    void pressOnTextSelectsInEveryTool_data();
    void pressOnTextSelectsInEveryTool();
    void pressElsewhereClearsSelection();
    void dragMovesTextByImagePixels();
    void deleteKeys_data();
    void deleteKeys();
    void deleteWithoutSelectionDoesNothing();
    void undoOfSelectedTextDropsSelection();
    void textEditorAddsTextOnce();
    void textEditorEmptyReturnOnlyHides();
    void textEditorEscapeDropsText();
    void textEditorClickElsewhereKeepsTypedText();
    void textEditorGrowsWithText();
    void destroyingCanvasWithOpenEditorAddsNothing();
    void doubleClickEditsText();
    void editDialogCancelChangesNothing();
    void contextMenuDeletes();
    void selectedTextChanges();
    void resultImageHasAnnotationsAndPageStays();

private:
    static QImage page(int w, int h);
    static AnnotationItem textItem(const QPoint &topLeft, const QString &text = QStringLiteral("Note"));
};

QImage AnnotationWidgetTest::page(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

AnnotationItem AnnotationWidgetTest::textItem(const QPoint &topLeft, const QString &text)
{
    AnnotationItem item;
    item.type = AnnotationItem::Text;
    item.text = text;
    item.color = Qt::black;
    item.rect = QRect(topLeft, AnnotationWidget::textBoxSize(text, item.font));
    return item;
}

namespace {

// A widget at the given scale, shown so that mouse and key events reach it.
struct Canvas
{
    Canvas(const QImage &image, double scale)
        : widget(image)
    {
        if (scale != 1.0)
            widget.fitToSize(QSize(int(image.width() * scale), int(image.height() * scale)));
        else
            widget.fitToSize(image.size());
        widget.setCurrentColor(Qt::red);
        widget.show();
        exposed = QTest::qWaitForWindowExposed(&widget);
    }

    // QTest's mouseMove only moves the cursor on some platforms; send the event itself.
    void move(const QPoint &to, Qt::MouseButtons buttons = Qt::LeftButton)
    {
        QMouseEvent event(QEvent::MouseMove, to, widget.mapToGlobal(to), Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&widget, &event);
    }

    void drag(const QPoint &from, const QPoint &to, const QVector<QPoint> &via = {})
    {
        QTest::mousePress(&widget, Qt::LeftButton, Qt::NoModifier, from);
        for (const QPoint &p : via)
            move(p);
        move(to);
        QTest::mouseRelease(&widget, Qt::LeftButton, Qt::NoModifier, to);
    }

    AnnotationTool *tool() const { return widget.annotationTool(); }

    AnnotationWidget widget;
    bool exposed = false;
};

} // namespace

void AnnotationWidgetTest::fitToSizeScalesAndFixesSize()
{
    AnnotationWidget widget(page(1600, 900));
    QCOMPARE(widget.displayScale(), 1.0);
    QCOMPARE(widget.sizeHint(), QSize(1600, 900));
    widget.fitToSize(QSize(800, 600));
    QCOMPARE(widget.displayScale(), 0.5);
    QCOMPARE(widget.displayedSize(), QSize(800, 450));
    QCOMPARE(widget.minimumSize(), QSize(800, 450));
    QCOMPARE(widget.maximumSize(), QSize(800, 450));
    // A small page is scaled up to the space there is.
    AnnotationWidget small(page(200, 100));
    small.fitToSize(QSize(800, 600));
    QCOMPARE(small.displayScale(), 4.0);
    QCOMPARE(small.displayedSize(), QSize(800, 400));
}

void AnnotationWidgetTest::fitToSizeIgnoresNothingToFitInto()
{
    AnnotationWidget widget(page(400, 300));
    widget.fitToSize(QSize(200, 150));
    widget.fitToSize(QSize(-40, 100));
    QCOMPARE(widget.displayScale(), 0.5);
    AnnotationWidget empty { QImage() };
    empty.fitToSize(QSize(800, 600));
    QCOMPARE(empty.displayScale(), 1.0);
    QVERIFY(empty.resultImage().isNull());
}

void AnnotationWidgetTest::coordinateMapping()
{
    AnnotationWidget widget(page(900, 900));
    widget.fitToSize(QSize(300, 300));
    QCOMPARE(widget.widgetToImage(QPoint(10, 11)), QPoint(30, 33));
    QCOMPARE(widget.imageToWidget(QPoint(31, 32)), QPoint(10, 10));
    QCOMPARE(widget.widgetToImage(QPoint(-1, -2)), QPoint(-3, -6));
}

void AnnotationWidgetTest::dragAtHalfScaleAddsImageRectangle()
{
    Canvas canvas(page(800, 600), 0.5);
    QCOMPARE(canvas.widget.displayScale(), 0.5);
    QSignalSpy changed(&canvas.widget, &AnnotationWidget::imageChanged);
    canvas.drag(QPoint(10, 10), QPoint(60, 40));
    QCOMPARE(canvas.tool()->count(), 1);
    const AnnotationItem item = canvas.tool()->annotationAt(0);
    QCOMPARE(item.type, int(AnnotationItem::Rectangle));
    QCOMPARE(item.rect.topLeft(), QPoint(20, 20));
    QCOMPARE(item.rect.bottomRight(), QPoint(120, 80));
    QCOMPARE(item.color, QColor(Qt::red));
    // The press point stays with a shape annotation.
    QCOMPARE(item.points, QVector<QPoint>({ QPoint(20, 20) }));
    QVERIFY(changed.count() >= 1);
}

void AnnotationWidgetTest::strokeSizeThreshold_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("added");
    QTest::newRow("2x2 dropped") << QPoint(50, 50) << QPoint(51, 51) << 0;
    QTest::newRow("3x1 kept") << QPoint(50, 50) << QPoint(52, 50) << 1;
    QTest::newRow("1x3 kept") << QPoint(50, 50) << QPoint(50, 52) << 1;
    QTest::newRow("reversed 3x3 kept") << QPoint(52, 52) << QPoint(50, 50) << 1;
    QTest::newRow("click") << QPoint(50, 50) << QPoint(50, 50) << 0;
}

void AnnotationWidgetTest::strokeSizeThreshold()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(int, added);
    Canvas canvas(page(400, 300), 1.0);
    canvas.drag(from, to);
    QCOMPARE(canvas.tool()->count(), added);
    if (added)
        QCOMPARE(canvas.tool()->annotationAt(0).rect, QRect(from, to).normalized());
    QVERIFY(canvas.widget.currentStyleItem().points.isEmpty());
}

void AnnotationWidgetTest::lineAndArrowStoreBothEnds_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("line") << int(AnnotationItem::Line);
    QTest::newRow("arrow") << int(AnnotationItem::Arrow);
}

void AnnotationWidgetTest::lineAndArrowStoreBothEnds()
{
    QFETCH(int, type);
    Canvas canvas(page(800, 600), 0.5);
    canvas.widget.setCurrentTool(type);
    canvas.widget.setLineWidth(7);
    canvas.drag(QPoint(100, 20), QPoint(30, 90), { QPoint(60, 60) });
    QCOMPARE(canvas.tool()->count(), 1);
    const AnnotationItem item = canvas.tool()->annotationAt(0);
    QCOMPARE(item.type, type);
    QCOMPARE(item.points, QVector<QPoint>({ QPoint(200, 40), QPoint(60, 180) }));
    QCOMPARE(item.rect, QRect(QPoint(60, 40), QPoint(200, 180)));
    QCOMPARE(item.lineWidth, 7);
}

void AnnotationWidgetTest::freehandCollectsMovePoints()
{
    Canvas canvas(page(400, 300), 1.0);
    canvas.widget.setCurrentTool(AnnotationItem::Freehand);
    canvas.drag(QPoint(10, 10), QPoint(40, 12), { QPoint(20, 30), QPoint(5, 25) });
    QCOMPARE(canvas.tool()->count(), 1);
    const AnnotationItem item = canvas.tool()->annotationAt(0);
    QCOMPARE(item.points, QVector<QPoint>({ QPoint(10, 10), QPoint(20, 30), QPoint(5, 25), QPoint(40, 12) }));
    QCOMPARE(item.rect, QRect(QPoint(5, 10), QPoint(40, 30)));
}

void AnnotationWidgetTest::rightButtonDrawsNothing()
{
    Canvas canvas(page(400, 300), 1.0);
    QTest::mousePress(&canvas.widget, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    canvas.move(QPoint(100, 100), Qt::RightButton);
    QTest::mouseRelease(&canvas.widget, Qt::RightButton, Qt::NoModifier, QPoint(100, 100));
    QCOMPARE(canvas.tool()->count(), 0);
}

void AnnotationWidgetTest::previewIsPaintedWhileDragging()
{
    Canvas canvas(page(400, 300), 1.0);
    canvas.widget.setLineWidth(4);
    canvas.widget.setFilled(true);
    QTest::mousePress(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    canvas.move(QPoint(150, 120));
    const QImage shown = canvas.widget.grab().toImage();
    QCOMPARE(shown.pixel(100, 85), qRgb(255, 0, 0));
    QCOMPARE(shown.pixel(20, 20), qRgb(255, 255, 255));
    QCOMPARE(canvas.tool()->count(), 0);
    QTest::mouseRelease(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(150, 120));
    QCOMPARE(canvas.tool()->count(), 1);
}

void AnnotationWidgetTest::pressOnTextSelectsInEveryTool_data()
{
    QTest::addColumn<bool>("textMode");
    QTest::addColumn<int>("tool");
    QTest::newRow("text mode") << true << int(AnnotationItem::Rectangle);
    QTest::newRow("rectangle") << false << int(AnnotationItem::Rectangle);
    QTest::newRow("freehand") << false << int(AnnotationItem::Freehand);
    QTest::newRow("highlight") << false << int(AnnotationItem::Highlight);
}

void AnnotationWidgetTest::pressOnTextSelectsInEveryTool()
{
    QFETCH(bool, textMode);
    QFETCH(int, tool);
    Canvas canvas(page(800, 600), 0.5);
    canvas.tool()->addAnnotation(textItem(QPoint(100, 100)));
    canvas.tool()->addAnnotation(textItem(QPoint(120, 110), QStringLiteral("Top")));
    canvas.widget.setTextMode(textMode);
    canvas.widget.setCurrentTool(tool);
    QSignalSpy selected(&canvas.widget, &AnnotationWidget::textAnnotationSelected);
    QSignalSpy editing(&canvas.widget, &AnnotationWidget::textEditingStarted);

    // Both texts lie under (130, 115) in the image; the later one is on top.
    QTest::mouseClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(65, 58));
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.at(0).at(0).toInt(), 1);
    QCOMPARE(canvas.widget.selectedIndex(), 1);
    QCOMPARE(canvas.tool()->count(), 2);
    QCOMPARE(editing.count(), 0);
    QCOMPARE(canvas.tool()->undoCount(), 2);
    // The selection frame is drawn in its blue.
    const QRect frame(canvas.widget.imageToWidget(canvas.tool()->annotationAt(1).rect.topLeft()), QSize(2, 2));
    QCOMPARE(canvas.widget.grab().toImage().pixel(frame.topLeft()), qRgb(0, 120, 215));
}

void AnnotationWidgetTest::pressElsewhereClearsSelection()
{
    Canvas canvas(page(400, 300), 1.0);
    canvas.tool()->addAnnotation(textItem(QPoint(10, 10)));
    QSignalSpy selected(&canvas.widget, &AnnotationWidget::textAnnotationSelected);
    QTest::mouseClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QCOMPARE(canvas.widget.selectedIndex(), 0);
    QTest::mouseClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(350, 280));
    QCOMPARE(canvas.widget.selectedIndex(), -1);
    QCOMPARE(selected.count(), 2);
    QCOMPARE(selected.at(1).at(0).toInt(), -1);
}

void AnnotationWidgetTest::dragMovesTextByImagePixels()
{
    Canvas canvas(page(800, 600), 0.5);
    AnnotationItem rect;
    rect.rect = QRect(0, 0, 10, 10);
    canvas.tool()->addAnnotation(rect);
    canvas.tool()->addAnnotation(textItem(QPoint(100, 100)));
    canvas.tool()->addAnnotation(rect);
    const QRect before = canvas.tool()->annotationAt(1).rect;
    canvas.drag(QPoint(60, 60), QPoint(75, 52), { QPoint(70, 55) });
    QCOMPARE(canvas.tool()->count(), 3);
    QCOMPARE(canvas.tool()->annotationAt(1).rect, before.translated(30, -16));
    QCOMPARE(canvas.tool()->annotationAt(0).type, int(AnnotationItem::Rectangle));
    QCOMPARE(canvas.tool()->annotationAt(2).type, int(AnnotationItem::Rectangle));
    QCOMPARE(canvas.widget.selectedIndex(), 1);
}

void AnnotationWidgetTest::deleteKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Delete") << int(Qt::Key_Delete);
    QTest::newRow("Backspace") << int(Qt::Key_Backspace);
}

void AnnotationWidgetTest::deleteKeys()
{
    QFETCH(int, key);
    Canvas canvas(page(400, 300), 1.0);
    canvas.tool()->addAnnotation(textItem(QPoint(10, 10), QStringLiteral("first")));
    canvas.tool()->addAnnotation(textItem(QPoint(10, 150), QStringLiteral("second")));
    QApplication::setActiveWindow(&canvas.widget);
    QVERIFY(QTest::qWaitForWindowActive(&canvas.widget));
    canvas.widget.clearFocus();
    // The click that selects also gives the canvas the keyboard focus the key needs.
    QTest::mouseClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(20, 160));
    QTRY_VERIFY(canvas.widget.hasFocus());
    QSignalSpy selected(&canvas.widget, &AnnotationWidget::textAnnotationSelected);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(canvas.tool()->count(), 1);
    QCOMPARE(canvas.tool()->annotationAt(0).text, QStringLiteral("first"));
    QCOMPARE(canvas.widget.selectedIndex(), -1);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.at(0).at(0).toInt(), -1);
}

void AnnotationWidgetTest::deleteWithoutSelectionDoesNothing()
{
    Canvas canvas(page(400, 300), 1.0);
    canvas.tool()->addAnnotation(textItem(QPoint(10, 10)));
    QSignalSpy changed(canvas.tool(), &AnnotationTool::annotationsChanged);
    QTest::keyClick(&canvas.widget, Qt::Key_Delete);
    QTest::keyClick(&canvas.widget, Qt::Key_Backspace);
    QCOMPARE(canvas.tool()->count(), 1);
    QCOMPARE(changed.count(), 0);
}

void AnnotationWidgetTest::undoOfSelectedTextDropsSelection()
{
    Canvas canvas(page(400, 300), 1.0);
    canvas.tool()->addAnnotation(textItem(QPoint(10, 10)));
    QTest::mouseClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QSignalSpy selected(&canvas.widget, &AnnotationWidget::textAnnotationSelected);
    canvas.tool()->undo();
    QCOMPARE(canvas.widget.selectedIndex(), -1);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.at(0).at(0).toInt(), -1);
    // With nothing selected the Delete key touches nothing.
    canvas.tool()->redo();
    QTest::keyClick(&canvas.widget, Qt::Key_Delete);
    QCOMPARE(canvas.tool()->count(), 1);

    // Another text shifted under the selected index is not taken for the selected one.
    canvas.tool()->addAnnotation(textItem(QPoint(10, 150), QStringLiteral("second")));
    QTest::mouseClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QCOMPARE(canvas.widget.selectedIndex(), 0);
    canvas.tool()->removeAnnotation(0);
    QCOMPARE(canvas.widget.selectedIndex(), -1);
    canvas.widget.setSelectedTextColor(Qt::green);
    QCOMPARE(canvas.tool()->annotationAt(0).color, QColor(Qt::black));
}

void AnnotationWidgetTest::textEditorAddsTextOnce()
{
    Canvas canvas(page(800, 600), 0.5);
    QFont font;
    font.setPointSize(20);
    canvas.widget.setTextFont(font);
    canvas.widget.setTransparency(180);
    canvas.widget.setTextMode(true);
    QSignalSpy started(&canvas.widget, &AnnotationWidget::textEditingStarted);
    QSignalSpy finished(&canvas.widget, &AnnotationWidget::textEditingFinished);
    QTest::mouseClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    QCOMPARE(started.count(), 1);
    QLineEdit *editor = canvas.widget.textEditor();
    QVERIFY(editor);
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->pos(), QPoint(40, 30));
    QTest::keyClicks(editor, QStringLiteral("Hello"));
    QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(!editor->isVisible());
    // The focus leaving the hidden editor finishes it a second time; the text stays added once.
    QFocusEvent focusOut(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(editor, &focusOut);
    QMetaObject::invokeMethod(&canvas.widget, "onTextEditFinished");
    QCOMPARE(canvas.tool()->count(), 1);
    QCOMPARE(finished.count(), 1);
    const AnnotationItem item = canvas.tool()->annotationAt(0);
    QCOMPARE(item.type, int(AnnotationItem::Text));
    QCOMPARE(item.text, QStringLiteral("Hello"));
    QCOMPARE(item.color, QColor(Qt::red));
    QCOMPARE(item.transparency, 180);
    QCOMPARE(item.font.pointSize(), 20);
    QCOMPARE(item.rect, QRect(QPoint(80, 60), AnnotationWidget::textBoxSize(QStringLiteral("Hello"), font)));
}

void AnnotationWidgetTest::textEditorEmptyReturnOnlyHides()
{
    Canvas canvas(page(400, 300), 1.0);
    canvas.widget.setTextMode(true);
    QSignalSpy finished(&canvas.widget, &AnnotationWidget::textEditingFinished);
    QTest::mouseClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    QTest::keyClick(canvas.widget.textEditor(), Qt::Key_Return);
    QVERIFY(!canvas.widget.textEditor()->isVisible());
    QCOMPARE(canvas.tool()->count(), 0);
    QCOMPARE(finished.count(), 0);
    // Blank text is no annotation either.
    QTest::mouseClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    QTest::keyClicks(canvas.widget.textEditor(), QStringLiteral("   "));
    QTest::keyClick(canvas.widget.textEditor(), Qt::Key_Enter);
    QCOMPARE(canvas.tool()->count(), 0);
}

void AnnotationWidgetTest::textEditorEscapeDropsText()
{
    Canvas canvas(page(400, 300), 1.0);
    canvas.widget.setTextMode(true);
    QTest::mouseClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    QLineEdit *editor = canvas.widget.textEditor();
    QTest::keyClicks(editor, QStringLiteral("oops"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!editor->isVisible());
    QFocusEvent focusOut(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(editor, &focusOut);
    QCOMPARE(canvas.tool()->count(), 0);
}

void AnnotationWidgetTest::textEditorClickElsewhereKeepsTypedText()
{
    Canvas canvas(page(400, 300), 1.0);
    canvas.widget.setTextMode(true);
    QTest::mouseClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    QTest::keyClicks(canvas.widget.textEditor(), QStringLiteral("kept"));
    QTest::mouseClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(20, 250));
    QCOMPARE(canvas.tool()->count(), 1);
    QCOMPARE(canvas.tool()->annotationAt(0).text, QStringLiteral("kept"));
    QCOMPARE(canvas.tool()->annotationAt(0).rect.topLeft(), QPoint(40, 30));
    // The editor is open again, empty, at the new place.
    QVERIFY(canvas.widget.textEditor()->isVisible());
    QVERIFY(canvas.widget.textEditor()->text().isEmpty());
    QCOMPARE(canvas.widget.textEditor()->pos(), QPoint(20, 250));
}

void AnnotationWidgetTest::textEditorGrowsWithText()
{
    Canvas canvas(page(800, 600), 1.0);
    canvas.widget.setTextMode(true);
    QTest::mouseClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QLineEdit *editor = canvas.widget.textEditor();
    const int floor = qMax(200, 10 * QFontMetrics(canvas.widget.currentStyleItem().font).height());
    QCOMPARE(editor->width(), floor);
    const QString longText(60, QLatin1Char('W'));
    editor->setText(longText);
    QCOMPARE(editor->width(), QFontMetrics(editor->font()).boundingRect(longText + QStringLiteral("  ")).width() + 40);
    QVERIFY(editor->width() > floor);
    editor->setText(QStringLiteral("a"));
    QCOMPARE(editor->width(), 200);
}

void AnnotationWidgetTest::destroyingCanvasWithOpenEditorAddsNothing()
{
    auto *widget = new AnnotationWidget(page(400, 300));
    widget->setTextMode(true);
    widget->show();
    QApplication::setActiveWindow(widget);
    QVERIFY(QTest::qWaitForWindowActive(widget));
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    QTest::keyClicks(widget->textEditor(), QStringLiteral("typed"));
    QTRY_VERIFY(widget->textEditor()->hasFocus());
    int finished = 0;
    connect(widget, &AnnotationWidget::textEditingFinished, this, [&finished] { ++finished; });
    // The focus leaves the editor while the canvas is being torn down.
    delete widget;
    QCOMPARE(finished, 0);
}

void AnnotationWidgetTest::doubleClickEditsText()
{
    Canvas canvas(page(400, 300), 1.0);
    AnnotationItem item = textItem(QPoint(10, 10), QStringLiteral("old"));
    item.font.setPointSize(30);
    canvas.tool()->addAnnotation(item);
    ModalAnswerer answerer;
    QString preset;
    answerer.handle([&preset](QWidget *modal) {
        auto *input = qobject_cast<QInputDialog *>(modal);
        QVERIFY(input);
        preset = input->textValue();
        QCOMPARE(input->labelText(), QStringLiteral("请输入文字内容:"));
        input->setTextValue(QStringLiteral("a much longer text\non two lines"));
        input->accept();
    });
    QTest::mouseDClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QCOMPARE(preset, QStringLiteral("old"));
    QCOMPARE(answerer.seen(), QStringList({ QStringLiteral("编辑文字|") }));
    const AnnotationItem edited = canvas.tool()->annotationAt(0);
    QCOMPARE(edited.text, QStringLiteral("a much longer text\non two lines"));
    QCOMPARE(edited.rect, QRect(QPoint(10, 10), AnnotationWidget::textBoxSize(edited.text, item.font)));
    QCOMPARE(canvas.tool()->count(), 1);
}

void AnnotationWidgetTest::editDialogCancelChangesNothing()
{
    Canvas canvas(page(400, 300), 1.0);
    canvas.tool()->addAnnotation(textItem(QPoint(10, 10), QStringLiteral("old")));
    ModalAnswerer answerer;
    answerer.handle([](QWidget *modal) {
        auto *input = qobject_cast<QInputDialog *>(modal);
        input->setTextValue(QStringLiteral("new"));
        input->reject();
    });
    answerer.handle([](QWidget *modal) {
        auto *input = qobject_cast<QInputDialog *>(modal);
        input->setTextValue(QString());
        input->accept();
    });
    QSignalSpy changed(canvas.tool(), &AnnotationTool::annotationsChanged);
    canvas.widget.editTextAnnotation(0);
    canvas.widget.editTextAnnotation(0);
    QCOMPARE(answerer.pending(), 0);
    QCOMPARE(canvas.tool()->annotationAt(0).text, QStringLiteral("old"));
    QCOMPARE(changed.count(), 0);
}

void AnnotationWidgetTest::contextMenuDeletes()
{
    Canvas canvas(page(400, 300), 1.0);
    canvas.tool()->addAnnotation(textItem(QPoint(10, 10)));
    QStringList entries;
    QTimer::singleShot(50, [&entries] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        for (QAction *action : menu->actions())
            entries << action->text();
        menu->setActiveAction(menu->actions().at(1));
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), canvas.widget.mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(&canvas.widget, &event);
    QCOMPARE(entries, QStringList({ QStringLiteral("✏️ 编辑文字"), QStringLiteral("🗑️ 删除") }));
    QCOMPARE(canvas.tool()->count(), 0);

    // Off any text annotation there is no menu at all.
    canvas.tool()->addAnnotation(textItem(QPoint(10, 10)));
    QContextMenuEvent elsewhere(
        QContextMenuEvent::Mouse, QPoint(350, 280), canvas.widget.mapToGlobal(QPoint(350, 280)));
    QApplication::sendEvent(&canvas.widget, &elsewhere);
    QVERIFY(!QApplication::activePopupWidget());
    QCOMPARE(canvas.tool()->count(), 1);
}

void AnnotationWidgetTest::selectedTextChanges()
{
    Canvas canvas(page(400, 300), 1.0);
    const AnnotationItem original = textItem(QPoint(10, 10), QStringLiteral("Changed"));
    canvas.tool()->addAnnotation(original);
    canvas.tool()->addAnnotation(textItem(QPoint(10, 200), QStringLiteral("Other")));

    // Nothing selected: nothing changes.
    canvas.widget.setSelectedTextColor(Qt::green);
    QCOMPARE(canvas.tool()->annotationAt(0).color, QColor(Qt::black));

    QTest::mouseClick(&canvas.widget, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    canvas.widget.setSelectedTextColor(Qt::green);
    AnnotationItem item = canvas.tool()->annotationAt(0);
    QCOMPARE(item.color, QColor(Qt::green));
    QCOMPARE(item.rect, original.rect);

    canvas.widget.setSelectedTextSize(40);
    item = canvas.tool()->annotationAt(0);
    QCOMPARE(item.font.pointSize(), 40);
    QCOMPARE(item.rect, QRect(QPoint(10, 10), AnnotationWidget::textBoxSize(QStringLiteral("Changed"), item.font)));

    QFont serif(QStringLiteral("DejaVu Serif"), 12);
    canvas.widget.setSelectedTextFont(serif);
    item = canvas.tool()->annotationAt(0);
    QCOMPARE(item.font, serif);
    QCOMPARE(item.rect.size(), AnnotationWidget::textBoxSize(QStringLiteral("Changed"), serif));
    QCOMPARE(canvas.tool()->annotationAt(1).color, QColor(Qt::black));
    QCOMPARE(canvas.widget.selectedIndex(), 0);
}

void AnnotationWidgetTest::resultImageHasAnnotationsAndPageStays()
{
    const QImage image = page(400, 300);
    Canvas canvas(image, 0.5);
    canvas.widget.setFilled(true);
    canvas.drag(QPoint(10, 10), QPoint(60, 40));
    const QImage result = canvas.widget.resultImage();
    QCOMPARE(result.size(), QSize(400, 300));
    QCOMPARE(result.pixel(60, 50), qRgb(255, 0, 0));
    QCOMPARE(result, canvas.tool()->renderAnnotations(image));
    QCOMPARE(image.pixel(60, 50), qRgb(255, 255, 255));
}

QTEST_MAIN(AnnotationWidgetTest)
#include "tst_annotationwidget.moc"
