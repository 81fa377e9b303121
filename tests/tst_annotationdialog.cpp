#include <QApplication>
#include <QComboBox>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QtTest>

#include "annotation/annotationdialog.h"
#include "annotation/annotationtool.h"
#include "annotation/annotationwidget.h"
#include "tests/support/modalanswerer.h"

class AnnotationDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void dialogSize_data();
    void dialogSize();
    void canvasIsFittedOnceAfterConstruction();
    void startState();
    void watermarkFillGrid();
    void watermarkPlacements_data();
    void watermarkPlacements();
    void watermarkRowAndDiagonalTiles();
    void watermarkCommandUsesMeasuredText();
    void watermarkEachItemIsOneUndoStep();
    void emptyWatermarkWarns_data();
    void emptyWatermarkWarns();
    void addWatermarkSlotRunsTheCommand();
    void watermarkLabels();
    void modesSwitchCanvas();
    void drawingStartsBlackUnderRedButton();
    void paletteRecoloursSelectedTextFromDrawingPage();
    void paletteOutsideRangeIgnored();
    void selectingTextFillsTextPage();
    void selectedLabelTruncatesLongText();
    void fontControlsChangeSelectedText();
    void clearAsksFirst();
    void applyAndCancel();
    void returnInTextEditorKeepsDialogOpen();

private:
    static QImage page(int w, int h);
};

QImage AnnotationDialogTest::page(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

namespace {

template<typename T> T *child(const QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

QList<QPushButton *> swatches(const QObject *dialog, const char *paletteName)
{
    QList<QPushButton *> buttons;
    const QWidget *palette = child<QWidget>(dialog, paletteName);
    for (int i = 0; i < 8; ++i)
        buttons << child<QPushButton>(palette, qPrintable(QStringLiteral("colorButton%1").arg(i)));
    return buttons;
}

QList<int> checkedIndices(const QList<QPushButton *> &buttons)
{
    QList<int> indices;
    for (int i = 0; i < buttons.size(); ++i) {
        if (buttons.at(i)->isChecked())
            indices << i;
    }
    return indices;
}

AnnotationItem textAt(const QPoint &topLeft, const QString &text, const QColor &color = Qt::black)
{
    AnnotationItem item;
    item.type = AnnotationItem::Text;
    item.text = text;
    item.color = color;
    item.font.setPointSize(18);
    item.transparency = 140;
    item.rect = QRect(topLeft, AnnotationWidget::textBoxSize(text, item.font));
    return item;
}

QFont watermarkFont(const AnnotationDialog &dialog)
{
    QFont font = child<QFontComboBox>(&dialog, "fontCombo")->currentFont();
    font.setPointSize(child<QSlider>(&dialog, "watermarkSizeSlider")->value());
    font.setWeight(QFont::Bold);
    return font;
}

} // namespace

void AnnotationDialogTest::dialogSize_data()
{
    QTest::addColumn<QSize>("pageSize");
    QTest::addColumn<QSize>("dialogSize");
    QTest::newRow("small page") << QSize(600, 400) << QSize(1000, 500);
    QTest::newRow("wide page") << QSize(2000, 1000) << QSize(1200, 500);
    QTest::newRow("tall page") << QSize(1000, 2000) << QSize(800, 900);
    QTest::newRow("largest small page") << QSize(800, 800) << QSize(1200, 900);
    QTest::newRow("square page") << QSize(1000, 1000) << QSize(1200, 900);
}

void AnnotationDialogTest::dialogSize()
{
    QFETCH(QSize, pageSize);
    QFETCH(QSize, dialogSize);
    QCOMPARE(AnnotationDialog::dialogSizeFor(pageSize), dialogSize);
    AnnotationDialog dialog(page(pageSize.width(), pageSize.height()));
    QCOMPARE(dialog.size(), dialogSize);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("批注和标记"));
}

void AnnotationDialogTest::canvasIsFittedOnceAfterConstruction()
{
    AnnotationDialog dialog(page(2000, 1000));
    QCOMPARE(dialog.canvas()->displayScale(), 1.0);
    QTRY_COMPARE(dialog.canvas()->displayScale(), qMin(840.0 / 2000, 460.0 / 1000));
    QCOMPARE(dialog.canvas()->displayedSize(), QSize(840, 420));
    dialog.resize(1600, 1000);
    QTest::qWait(20);
    QCOMPARE(dialog.canvas()->displayedSize(), QSize(840, 420));
    QCOMPARE(child<QScrollArea>(&dialog, "canvasScrollArea")->widget(), dialog.canvas());
}

void AnnotationDialogTest::startState()
{
    AnnotationDialog dialog(page(600, 400));
    QCOMPARE(child<QComboBox>(&dialog, "modeCombo")->currentIndex(), 0);
    QCOMPARE(child<QStackedWidget>(&dialog, "modeStack")->currentIndex(), 0);
    QCOMPARE(checkedIndices(swatches(&dialog, "textPalette")), QList<int>({ 1 }));
    QCOMPARE(checkedIndices(swatches(&dialog, "drawPalette")), QList<int>({ 5 }));
    QVERIFY(child<QLabel>(&dialog, "selectedTextLabel")->isHidden());
    // Text mode starts with the text page's font, size, colour and transparency.
    const AnnotationItem style = dialog.canvas()->currentStyleItem();
    QCOMPARE(style.font.pointSize(), 16);
    QCOMPARE(style.color, QColor(0, 0, 0));
    QCOMPARE(style.transparency, 255);
}

void AnnotationDialogTest::watermarkFillGrid()
{
    const QVector<QPoint> corners
        = AnnotationDialog::watermarkPositions(AnnotationDialog::WatermarkFill, QSize(1000, 800), 100, 30);
    QCOMPARE(corners.size(), 20);
    QSet<int> xs;
    QSet<int> ys;
    for (const QPoint &p : corners) {
        xs << p.x();
        ys << p.y();
    }
    QCOMPARE(xs, QSet<int>({ 50, 350, 650, 950 }));
    QCOMPARE(ys, QSet<int>({ 50, 200, 350, 500, 650 }));
    QVERIFY(AnnotationDialog::watermarkPositions(AnnotationDialog::WatermarkFill, QSize(1000, 50), 100, 30).isEmpty());
    QVERIFY(AnnotationDialog::watermarkPositions(AnnotationDialog::WatermarkFill, QSize(50, 800), 100, 30).isEmpty());
}

void AnnotationDialogTest::watermarkPlacements_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QPoint>("corner");
    // Page 1000 × 800 with a 100 × 30 text: boxes of 200 × 70.
    QTest::newRow("centre") << 0 << QPoint(400, 365);
    QTest::newRow("top left") << 1 << QPoint(20, 20);
    QTest::newRow("top right") << 2 << QPoint(780, 20);
    QTest::newRow("bottom left") << 3 << QPoint(20, 710);
    QTest::newRow("bottom right") << 4 << QPoint(780, 710);
    QTest::newRow("unknown") << 12 << QPoint(0, 0);
}

void AnnotationDialogTest::watermarkPlacements()
{
    QFETCH(int, position);
    QFETCH(QPoint, corner);
    QCOMPARE(AnnotationDialog::watermarkPositions(position, QSize(1000, 800), 100, 30), QVector<QPoint>({ corner }));
}

void AnnotationDialogTest::watermarkRowAndDiagonalTiles()
{
    // One row through the middle, stepping by textW + 150.
    QCOMPARE(AnnotationDialog::watermarkPositions(AnnotationDialog::WatermarkRowTile, QSize(1000, 800), 100, 30),
        QVector<QPoint>({ QPoint(0, 365), QPoint(250, 365), QPoint(500, 365), QPoint(750, 365) }));
    QVERIFY(AnnotationDialog::watermarkPositions(AnnotationDialog::WatermarkRowTile, QSize(0, 800), 100, 30).isEmpty());

    // Step 2 × max(200, 70) = 400 from −W and −H up to 2W and 2H, outside the page too.
    const QVector<QPoint> diagonal
        = AnnotationDialog::watermarkPositions(AnnotationDialog::WatermarkDiagonalTile, QSize(1000, 800), 100, 30);
    QCOMPARE(diagonal.size(), 8 * 6);
    QCOMPARE(diagonal.first(), QPoint(-1000, -800));
    QCOMPARE(diagonal.at(1), QPoint(-600, -800));
    QCOMPARE(diagonal.last(), QPoint(1800, 1200));
}

void AnnotationDialogTest::watermarkCommandUsesMeasuredText()
{
    AnnotationDialog dialog(page(1000, 800));
    child<QComboBox>(&dialog, "modeCombo")->setCurrentIndex(1);
    child<QLineEdit>(&dialog, "watermarkEdit")->setText(QStringLiteral("机密"));
    child<QComboBox>(&dialog, "watermarkPositionCombo")->setCurrentIndex(7);
    child<QSlider>(&dialog, "watermarkOpacitySlider")->setValue(90);
    QTest::mouseClick(child<QPushButton>(&dialog, "addWatermarkButton"), Qt::LeftButton);

    const QFont font = watermarkFont(dialog);
    const QFontMetrics metrics(font);
    const QString text = QStringLiteral("机密");
    const QRect bounds = metrics.boundingRect(QRect(0, 0, 10000, 10000), Qt::TextDontClip | Qt::TextExpandTabs, text);
    const int textW = qMax(qMax(bounds.width(), metrics.horizontalAdvance(text)), metrics.maxWidth() * 2);
    const int textH = qMax(metrics.height(), bounds.height());
    QCOMPARE(AnnotationDialog::watermarkTextSize(text, font), QSize(textW, textH));

    QVector<QPoint> expected;
    for (int y = 50; y < 800; y += textH + 120) {
        for (int x = 50; x < 1000; x += textW + 200)
            expected << QPoint(x, y);
    }
    const AnnotationTool *tool = dialog.canvas()->annotationTool();
    QCOMPARE(tool->count(), expected.size());
    for (int i = 0; i < tool->count(); ++i) {
        const AnnotationItem item = tool->annotationAt(i);
        QCOMPARE(item.type, int(AnnotationItem::Text));
        QCOMPARE(item.text, text);
        QCOMPARE(item.rect, QRect(expected.at(i), QSize(textW + 100, textH + 40)));
        QCOMPARE(item.color, QColor(128, 128, 128));
        QCOMPARE(item.transparency, 90);
        QCOMPARE(item.font.weight(), int(QFont::Bold));
        QCOMPARE(item.font.pointSize(), 48);
        QCOMPARE(item.lineWidth, 2);
        QVERIFY(!item.filled);
        QVERIFY(item.points.isEmpty());
    }
    // The watermark is burnt in grey.
    const QImage result = dialog.resultImage();
    bool grey = false;
    const QRect first = tool->annotationAt(0).rect;
    for (int y = first.top(); y < first.top() + textH && !grey; ++y) {
        for (int x = first.left(); x < first.left() + textW && !grey; ++x)
            grey = qGray(result.pixel(x, y)) < 230;
    }
    QVERIFY(grey);
}

void AnnotationDialogTest::watermarkEachItemIsOneUndoStep()
{
    AnnotationDialog dialog(page(1000, 800));
    dialog.addWatermark(QStringLiteral("样本"), AnnotationDialog::WatermarkRowTile, 100);
    AnnotationTool *tool = dialog.canvas()->annotationTool();
    const int items = tool->count();
    QVERIFY(items >= 2);
    QCOMPARE(tool->undoCount(), qMin(items, 10));
    QTest::mouseClick(child<QPushButton>(&dialog, "undoButton"), Qt::LeftButton);
    QCOMPARE(tool->count(), items - 1);
}

void AnnotationDialogTest::emptyWatermarkWarns_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("blank") << QStringLiteral("   ");
}

void AnnotationDialogTest::emptyWatermarkWarns()
{
    QFETCH(QString, text);
    AnnotationDialog dialog(page(600, 400));
    child<QComboBox>(&dialog, "modeCombo")->setCurrentIndex(1);
    child<QLineEdit>(&dialog, "watermarkEdit")->setText(text);
    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::Ok);
    QTest::mouseClick(child<QPushButton>(&dialog, "addWatermarkButton"), Qt::LeftButton);
    QCOMPARE(answerer.seen(), QStringList({ QStringLiteral("提示|请输入水印内容") }));
    QCOMPARE(dialog.canvas()->annotationTool()->count(), 0);
}

void AnnotationDialogTest::addWatermarkSlotRunsTheCommand()
{
    AnnotationDialog dialog(page(600, 400));
    child<QLineEdit>(&dialog, "watermarkEdit")->setText(QStringLiteral("DRAFT"));
    child<QComboBox>(&dialog, "watermarkPositionCombo")->setCurrentIndex(4);
    dialog.onAddWatermark();
    AnnotationTool *tool = dialog.canvas()->annotationTool();
    QCOMPARE(tool->count(), 1);
    const QRect rect = tool->annotationAt(0).rect;
    QCOMPARE(rect.left() + rect.width() + 20, 600);
    QCOMPARE(rect.top() + rect.height() + 20, 400);
    // The slots without a control do nothing.
    dialog.onQuickAddText();
    dialog.onWatermarkTypeChanged(3);
    dialog.onTextInputRequested(QPoint(5, 5));
    QCOMPARE(tool->count(), 1);
}

void AnnotationDialogTest::watermarkLabels()
{
    AnnotationDialog dialog(page(600, 400));
    QSlider *opacity = child<QSlider>(&dialog, "watermarkOpacitySlider");
    QLabel *opacityLabel = child<QLabel>(&dialog, "watermarkOpacityLabel");
    QCOMPARE(opacity->value(), 100);
    QCOMPARE(opacityLabel->text(), QStringLiteral("70%"));
    opacity->setValue(200);
    QCOMPARE(opacityLabel->text(), QStringLiteral("78%"));
    opacity->setValue(100);
    QCOMPARE(opacityLabel->text(), QStringLiteral("39%"));
    QSlider *size = child<QSlider>(&dialog, "watermarkSizeSlider");
    QCOMPARE(child<QLabel>(&dialog, "watermarkSizeLabel")->text(), QStringLiteral("48"));
    size->setValue(120);
    QCOMPARE(child<QLabel>(&dialog, "watermarkSizeLabel")->text(), QStringLiteral("120"));
    QCOMPARE(size->minimum(), 24);
    QCOMPARE(opacity->minimum(), 30);
}

void AnnotationDialogTest::modesSwitchCanvas()
{
    AnnotationDialog dialog(page(600, 400));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QComboBox *mode = child<QComboBox>(&dialog, "modeCombo");
    AnnotationWidget *canvas = dialog.canvas();
    QTRY_VERIFY(canvas->displayScale() != 1.0);

    // Drawing mode: the tool combo decides what a drag adds.
    mode->setCurrentIndex(2);
    QCOMPARE(child<QStackedWidget>(&dialog, "modeStack")->currentIndex(), 2);
    child<QComboBox>(&dialog, "toolCombo")->setCurrentIndex(1);
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QMouseEvent move(QEvent::MouseMove, QPoint(120, 90), canvas->mapToGlobal(QPoint(120, 90)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &move);
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(120, 90));
    QCOMPARE(canvas->annotationTool()->count(), 1);
    QCOMPARE(canvas->annotationTool()->annotationAt(0).type, int(AnnotationItem::Ellipse));

    // Watermark mode: a click neither draws nor opens the editor.
    mode->setCurrentIndex(1);
    QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(200, 200));
    QVERIFY(!canvas->textEditor());

    // Text mode: a click opens the editor.
    mode->setCurrentIndex(0);
    QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(200, 200));
    QVERIFY(canvas->textEditor());
    QVERIFY(canvas->textEditor()->isVisible());
    QCOMPARE(canvas->annotationTool()->count(), 1);
}

void AnnotationDialogTest::drawingStartsBlackUnderRedButton()
{
    AnnotationDialog dialog(page(600, 400));
    child<QComboBox>(&dialog, "modeCombo")->setCurrentIndex(2);
    QCOMPARE(checkedIndices(swatches(&dialog, "drawPalette")), QList<int>({ 5 }));
    QCOMPARE(dialog.canvas()->currentStyleItem().color, QColor(0, 0, 0));
    QTest::mouseClick(swatches(&dialog, "drawPalette").at(3), Qt::LeftButton);
    QCOMPARE(dialog.canvas()->currentStyleItem().color, QColor(0, 0, 255));
    QCOMPARE(checkedIndices(swatches(&dialog, "drawPalette")), QList<int>({ 3 }));
    // The other page's buttons are left as they were.
    QCOMPARE(checkedIndices(swatches(&dialog, "textPalette")), QList<int>({ 1 }));
}

void AnnotationDialogTest::paletteRecoloursSelectedTextFromDrawingPage()
{
    AnnotationDialog dialog(page(600, 400));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    AnnotationWidget *canvas = dialog.canvas();
    QTRY_VERIFY(canvas->displayScale() != 1.0);
    canvas->annotationTool()->addAnnotation(textAt(QPoint(50, 50), QStringLiteral("Recolour me")));
    canvas->annotationTool()->addAnnotation(textAt(QPoint(50, 250), QStringLiteral("Leave me")));
    child<QComboBox>(&dialog, "modeCombo")->setCurrentIndex(2);
    QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, canvas->imageToWidget(QPoint(60, 60)));
    QCOMPARE(canvas->selectedIndex(), 0);
    QTest::mouseClick(swatches(&dialog, "drawPalette").at(4), Qt::LeftButton);
    QCOMPARE(canvas->annotationTool()->annotationAt(0).color, QColor(0, 255, 0));
    QCOMPARE(canvas->annotationTool()->annotationAt(1).color, QColor(0, 0, 0));
    QCOMPARE(checkedIndices(swatches(&dialog, "drawPalette")), QList<int>({ 4 }));
}

void AnnotationDialogTest::paletteOutsideRangeIgnored()
{
    AnnotationDialog dialog(page(600, 400));
    dialog.onColorSelected(8);
    dialog.onColorSelected(-1);
    QCOMPARE(dialog.canvas()->currentStyleItem().color, QColor(0, 0, 0));
    QCOMPARE(checkedIndices(swatches(&dialog, "textPalette")), QList<int>({ 1 }));
}

void AnnotationDialogTest::selectingTextFillsTextPage()
{
    AnnotationDialog dialog(page(600, 400));
    AnnotationTool *tool = dialog.canvas()->annotationTool();
    tool->addAnnotation(textAt(QPoint(10, 10), QStringLiteral("Hello"), QColor(255, 165, 0)));
    AnnotationItem rect;
    tool->addAnnotation(rect);
    QSignalSpy fontChanges(child<QFontComboBox>(&dialog, "fontCombo"), &QFontComboBox::currentFontChanged);

    dialog.onTextAnnotationSelected(0);
    QLabel *label = child<QLabel>(&dialog, "selectedTextLabel");
    QVERIFY(!label->isHidden());
    QCOMPARE(label->text(), QStringLiteral("✏️ 已选中: \"Hello\""));
    QCOMPARE(child<QSpinBox>(&dialog, "fontSizeSpin")->value(), 18);
    QCOMPARE(child<QSlider>(&dialog, "transparencySlider")->value(), 140);
    QCOMPARE(child<QLabel>(&dialog, "transparencyLabel")->text(), QStringLiteral("54%"));
    QCOMPARE(checkedIndices(swatches(&dialog, "textPalette")), QList<int>({ 6 }));
    QCOMPARE(fontChanges.count(), 0);
    // The controls were set quietly: the canvas style and the current colour stay.
    QCOMPARE(dialog.canvas()->currentStyleItem().transparency, 255);
    QCOMPARE(dialog.canvas()->currentStyleItem().font.pointSize(), 16);
    QCOMPARE(dialog.canvas()->currentStyleItem().color, QColor(0, 0, 0));

    // A non-text annotation changes nothing; −1 hides the label.
    dialog.onTextAnnotationSelected(1);
    QCOMPARE(label->text(), QStringLiteral("✏️ 已选中: \"Hello\""));
    dialog.onTextAnnotationSelected(-1);
    QVERIFY(label->isHidden());
}

void AnnotationDialogTest::selectedLabelTruncatesLongText()
{
    AnnotationDialog dialog(page(600, 400));
    dialog.canvas()->annotationTool()->addAnnotation(
        textAt(QPoint(0, 0), QStringLiteral("一二三四五六七八九十一二三四五六七八九十多")));
    dialog.canvas()->annotationTool()->addAnnotation(textAt(QPoint(0, 0), QStringLiteral("12345678901234567890")));
    dialog.onTextAnnotationSelected(0);
    QCOMPARE(child<QLabel>(&dialog, "selectedTextLabel")->text(),
        QStringLiteral("✏️ 已选中: \"一二三四五六七八九十一二三四五六七八九十...\""));
    dialog.onTextAnnotationSelected(1);
    QCOMPARE(child<QLabel>(&dialog, "selectedTextLabel")->text(),
        QStringLiteral("✏️ 已选中: \"12345678901234567890\""));
}

void AnnotationDialogTest::fontControlsChangeSelectedText()
{
    AnnotationDialog dialog(page(600, 400));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    AnnotationWidget *canvas = dialog.canvas();
    QTRY_VERIFY(canvas->displayScale() != 1.0);
    canvas->annotationTool()->addAnnotation(textAt(QPoint(40, 40), QStringLiteral("Size")));
    QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, canvas->imageToWidget(QPoint(50, 50)));
    QVERIFY(!child<QLabel>(&dialog, "selectedTextLabel")->isHidden());

    child<QSpinBox>(&dialog, "fontSizeSpin")->setValue(30);
    AnnotationItem item = canvas->annotationTool()->annotationAt(0);
    QCOMPARE(item.font.pointSize(), 30);
    QCOMPARE(item.rect, QRect(QPoint(40, 40), AnnotationWidget::textBoxSize(QStringLiteral("Size"), item.font)));
    QCOMPARE(canvas->currentStyleItem().font.pointSize(), 30);

    QFontComboBox *fonts = child<QFontComboBox>(&dialog, "fontCombo");
    const QFont serif(QStringLiteral("DejaVu Serif"));
    fonts->setCurrentFont(serif);
    item = canvas->annotationTool()->annotationAt(0);
    QCOMPARE(item.font.family(), fonts->currentFont().family());
    QCOMPARE(item.font.pointSize(), 30);

    // The transparency slider only sets the style of new text.
    child<QSlider>(&dialog, "transparencySlider")->setValue(100);
    QCOMPARE(child<QLabel>(&dialog, "transparencyLabel")->text(), QStringLiteral("39%"));
    QCOMPARE(canvas->currentStyleItem().transparency, 100);
    QCOMPARE(canvas->annotationTool()->annotationAt(0).transparency, 140);
}

void AnnotationDialogTest::clearAsksFirst()
{
    AnnotationDialog dialog(page(600, 400));
    AnnotationTool *tool = dialog.canvas()->annotationTool();
    tool->addAnnotation(AnnotationItem());
    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::No);
    answerer.answer(QDialogButtonBox::Yes);
    QPushButton *clear = child<QPushButton>(&dialog, "clearButton");
    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(tool->count(), 1);
    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(tool->count(), 0);
    QCOMPARE(answerer.seen(),
        QStringList({ QStringLiteral("确认|确定要清除所有批注吗？"), QStringLiteral("确认|确定要清除所有批注吗？") }));
}

void AnnotationDialogTest::applyAndCancel()
{
    AnnotationDialog dialog(page(600, 400));
    AnnotationItem filled;
    filled.rect = QRect(100, 100, 50, 50);
    filled.color = Qt::blue;
    filled.filled = true;
    dialog.canvas()->annotationTool()->addAnnotation(filled);
    QTimer::singleShot(0, child<QPushButton>(&dialog, "applyButton"), &QPushButton::click);
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(dialog.resultImage().pixel(125, 125), qRgb(0, 0, 255));
    QCOMPARE(dialog.resultImage().size(), QSize(600, 400));

    AnnotationDialog cancelled(page(600, 400));
    QTimer::singleShot(0, child<QPushButton>(&cancelled, "cancelButton"), &QPushButton::click);
    QCOMPARE(cancelled.exec(), int(QDialog::Rejected));
}

void AnnotationDialogTest::returnInTextEditorKeepsDialogOpen()
{
    AnnotationDialog dialog(page(600, 400));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    AnnotationWidget *canvas = dialog.canvas();
    QTRY_VERIFY(canvas->displayScale() != 1.0);
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    QLineEdit *editor = canvas->textEditor();
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("typed"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(canvas->annotationTool()->count(), 1);
    QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(30, 200));
    QTest::keyClick(canvas->textEditor(), Qt::Key_Escape);
    QCOMPARE(accepted.count(), 0);
    QCOMPARE(rejected.count(), 0);
    QVERIFY(dialog.isVisible());
    QCOMPARE(canvas->annotationTool()->count(), 1);
}

QTEST_MAIN(AnnotationDialogTest)
#include "tst_annotationdialog.moc"
