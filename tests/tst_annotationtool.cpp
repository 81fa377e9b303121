#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include "annotation/annotationtool.h"

class AnnotationToolTest : public QObject
{
    Q_OBJECT

private slots:
    void undoKeepsTenSnapshots();
    void redoRestoresAndEditClearsIt();
    void signalsOfEachEdit();
    void clearOnEmptyListDoesNothing();
    void badIndicesChangeNothing_data();
    void badIndicesChangeNothing();
    void annotationAtOutsideGivesDefaults();
    void jsonRoundTripOfRectangle();
    void jsonInvalidColourAndPoints();
    void jsonMissingKeysReadAsZero();
    void jsonWithoutArrayIsRefused_data();
    void jsonWithoutArrayIsRefused();
    void jsonReadIsOneUndoStep();
    void jsonOddNumbersReadSafely();
    void highlightUsesAlpha100_data();
    void highlightUsesAlpha100();
    void filledRectangleHasOpaqueFill();
    void arrowHeadIsThreeLineWidthsLong_data();
    void arrowHeadIsThreeLineWidthsLong();
    void strokeWithOnePointPaintsNothing_data();
    void strokeWithOnePointPaintsNothing();
    void unknownTypePaintsNothing();
    void renderKeepsInputAndPaintsInOrder();
    void renderNullGivesNull();
    void renderOnTwoLevelPageKeepsColour_data();
    void renderOnTwoLevelPageKeepsColour();
    void freehandStrokesEveryPoint();
    void textSizeIgnoresPageResolution();
};

namespace {

AnnotationItem rectangle(int x, int y, int w = 30, int h = 40, QColor color = Qt::red)
{
    AnnotationItem item;
    item.type = AnnotationItem::Rectangle;
    item.rect = QRect(x, y, w, h);
    item.color = color;
    return item;
}

QImage whitePage(int w = 100, int h = 100)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

bool isWhite(QRgb p)
{
    return qRed(p) > 250 && qGreen(p) > 250 && qBlue(p) > 250;
}

// Records the tool's signals in order as short names.
class SignalLog : public QObject
{
public:
    explicit SignalLog(AnnotationTool &tool)
    {
        connect(
            &tool, &AnnotationTool::annotationAdded, this, [this](int i) { log << QStringLiteral("added %1").arg(i); });
        connect(&tool, &AnnotationTool::annotationRemoved, this,
            [this](int i) { log << QStringLiteral("removed %1").arg(i); });
        connect(&tool, &AnnotationTool::annotationsCleared, this, [this] { log << QStringLiteral("cleared"); });
        connect(&tool, &AnnotationTool::annotationsChanged, this, [this] { log << QStringLiteral("changed"); });
    }
    QStringList log;
};

} // namespace

void AnnotationToolTest::undoKeepsTenSnapshots()
{
    AnnotationTool tool;
    for (int i = 0; i < 12; ++i)
        tool.addAnnotation(rectangle(i, i));
    QCOMPARE(tool.undoCount(), 10);
    for (int i = 0; i < 10; ++i)
        tool.undo();
    QCOMPARE(tool.count(), 2);
    QCOMPARE(tool.annotationAt(1).rect.topLeft(), QPoint(1, 1));

    SignalLog signalsSeen(tool);
    tool.undo();
    QCOMPARE(tool.count(), 2);
    QVERIFY(signalsSeen.log.isEmpty());
    QCOMPARE(tool.redoCount(), 10);
}

void AnnotationToolTest::redoRestoresAndEditClearsIt()
{
    AnnotationTool tool;
    tool.addAnnotation(rectangle(1, 1));
    tool.addAnnotation(rectangle(2, 2));
    tool.undo();
    QCOMPARE(tool.count(), 1);
    tool.redo();
    QCOMPARE(tool.count(), 2);
    QCOMPARE(tool.annotationAt(1).rect.topLeft(), QPoint(2, 2));

    tool.undo();
    tool.addAnnotation(rectangle(3, 3));
    QCOMPARE(tool.redoCount(), 0);
    SignalLog signalsSeen(tool);
    tool.redo();
    QVERIFY(signalsSeen.log.isEmpty());
    QCOMPARE(tool.count(), 2);
    QCOMPARE(tool.annotationAt(1).rect.topLeft(), QPoint(3, 3));
}

void AnnotationToolTest::signalsOfEachEdit()
{
    AnnotationTool tool;
    SignalLog signalsSeen(tool);
    tool.addAnnotation(rectangle(0, 0));
    tool.addAnnotation(rectangle(5, 5));
    tool.updateAnnotation(0, rectangle(9, 9));
    tool.removeAnnotation(1);
    tool.clearAnnotations();
    tool.undo();
    tool.redo();
    QCOMPARE(signalsSeen.log,
        QStringList({ "added 0", "changed", "added 1", "changed", "changed", "removed 1", "changed", "cleared",
            "changed", "changed", "changed" }));
    QCOMPARE(tool.undoCount(), 5);
}

void AnnotationToolTest::clearOnEmptyListDoesNothing()
{
    AnnotationTool tool;
    tool.addAnnotation(rectangle(0, 0));
    tool.undo();
    const int undoBefore = tool.undoCount();
    const int redoBefore = tool.redoCount();
    SignalLog signalsSeen(tool);
    tool.clearAnnotations();
    QVERIFY(signalsSeen.log.isEmpty());
    QCOMPARE(tool.undoCount(), undoBefore);
    // An empty clear is no edit, so the redo history survives it.
    QCOMPARE(tool.redoCount(), redoBefore);
}

void AnnotationToolTest::badIndicesChangeNothing_data()
{
    QTest::addColumn<bool>("remove");
    QTest::addColumn<int>("index");
    QTest::newRow("remove -1") << true << -1;
    QTest::newRow("remove count") << true << 2;
    QTest::newRow("update -1") << false << -1;
    QTest::newRow("update count") << false << 2;
}

void AnnotationToolTest::badIndicesChangeNothing()
{
    QFETCH(bool, remove);
    QFETCH(int, index);
    AnnotationTool tool;
    tool.addAnnotation(rectangle(0, 0));
    tool.addAnnotation(rectangle(5, 5));
    tool.undo();
    tool.redo();
    SignalLog signalsSeen(tool);
    if (remove)
        tool.removeAnnotation(index);
    else
        tool.updateAnnotation(index, rectangle(50, 50));
    QVERIFY(signalsSeen.log.isEmpty());
    QCOMPARE(tool.count(), 2);
    QCOMPARE(tool.undoCount(), 2);
    QCOMPARE(tool.annotationAt(0).rect.topLeft(), QPoint(0, 0));
    QCOMPARE(tool.annotationAt(1).rect.topLeft(), QPoint(5, 5));
}

void AnnotationToolTest::annotationAtOutsideGivesDefaults()
{
    AnnotationTool tool;
    tool.addAnnotation(rectangle(10, 10));
    const AnnotationItem item = tool.annotationAt(1);
    QCOMPARE(item.type, int(AnnotationItem::Rectangle));
    QVERIFY(item.rect.isNull());
    QVERIFY(!item.color.isValid());
    QCOMPARE(item.lineWidth, 2);
    QCOMPARE(item.transparency, 255);
    QVERIFY(!item.filled);
    QVERIFY(item.points.isEmpty());
}

void AnnotationToolTest::jsonRoundTripOfRectangle()
{
    AnnotationTool tool;
    AnnotationItem item = rectangle(10, 20, 30, 40, QColor(255, 0, 0));
    item.lineWidth = 5;
    item.filled = true;
    item.transparency = 77;
    tool.addAnnotation(item);
    const QJsonObject json = tool.toJson();
    QCOMPARE(json.value("version").toString(), QStringLiteral("1.0"));
    const QJsonObject object = json.value("annotations").toArray().at(0).toObject();
    QCOMPARE(object.value("type").toInt(), 2);
    QCOMPARE(object.value("x").toInt(), 10);
    QCOMPARE(object.value("y").toInt(), 20);
    QCOMPARE(object.value("width").toInt(), 30);
    QCOMPARE(object.value("height").toInt(), 40);
    QCOMPARE(object.value("color").toString(), QStringLiteral("#ff0000"));
    QCOMPARE(object.value("lineWidth").toInt(), 5);
    QCOMPARE(object.value("filled").toBool(), true);
    QCOMPARE(object.value("transparency").toInt(), 77);

    AnnotationTool other;
    QVERIFY(other.fromJson(json));
    QCOMPARE(other.count(), 1);
    const AnnotationItem read = other.annotationAt(0);
    QCOMPARE(read.rect, QRect(10, 20, 30, 40));
    QCOMPARE(read.color, QColor(255, 0, 0));
    QCOMPARE(read.lineWidth, 5);
    QVERIFY(read.filled);
    QCOMPARE(read.transparency, 77);
}

void AnnotationToolTest::jsonInvalidColourAndPoints()
{
    AnnotationTool tool;
    AnnotationItem line;
    line.type = AnnotationItem::Line;
    line.points = { QPoint(1, 2), QPoint(30, 40), QPoint(-5, 7) };
    line.color = QColor(18, 52, 86, 10);
    AnnotationItem text;
    text.type = AnnotationItem::Text;
    text.text = QStringLiteral("机密");
    tool.addAnnotation(line);
    tool.addAnnotation(text);
    const QJsonArray list = tool.toJson().value("annotations").toArray();
    // The alpha of a colour is not written; an invalid colour is written as black.
    QCOMPARE(list.at(0).toObject().value("color").toString(), QStringLiteral("#123456"));
    QCOMPARE(list.at(1).toObject().value("color").toString(), QStringLiteral("#000000"));

    AnnotationTool other;
    QVERIFY(other.fromJson(tool.toJson()));
    QCOMPARE(other.annotationAt(0).points, line.points);
    QCOMPARE(other.annotationAt(1).text, QStringLiteral("机密"));
    QCOMPARE(other.annotationAt(1).font, QFont());
}

void AnnotationToolTest::jsonMissingKeysReadAsZero()
{
    QJsonArray points { QJsonObject { { "x", 3 }, { "y", 4 } }, 17, QStringLiteral("x"), QJsonObject { { "y", 9 } } };
    QJsonArray list { QJsonObject {}, QJsonObject { { "points", points } }, 42 };
    AnnotationTool tool;
    QVERIFY(tool.fromJson(QJsonObject { { "annotations", list } }));
    QCOMPARE(tool.count(), 2);
    const AnnotationItem bare = tool.annotationAt(0);
    QCOMPARE(bare.type, int(AnnotationItem::Text));
    QCOMPARE(bare.rect, QRect(0, 0, 0, 0));
    QCOMPARE(bare.lineWidth, 0);
    QCOMPARE(bare.transparency, 0);
    QVERIFY(!bare.filled);
    QVERIFY(bare.text.isEmpty());
    QVERIFY(bare.points.isEmpty());
    QCOMPARE(tool.annotationAt(1).points, QVector<QPoint>({ QPoint(3, 4), QPoint(0, 9) }));
}

void AnnotationToolTest::jsonWithoutArrayIsRefused_data()
{
    QTest::addColumn<QJsonObject>("json");
    QTest::newRow("no key") << QJsonObject { { "version", "1.0" } };
    QTest::newRow("object") << QJsonObject { { "annotations", QJsonObject {} } };
    QTest::newRow("string") << QJsonObject { { "annotations", "[]" } };
}

void AnnotationToolTest::jsonWithoutArrayIsRefused()
{
    QFETCH(QJsonObject, json);
    AnnotationTool tool;
    tool.addAnnotation(rectangle(1, 1));
    SignalLog signalsSeen(tool);
    QVERIFY(!tool.fromJson(json));
    QCOMPARE(tool.count(), 1);
    QCOMPARE(tool.undoCount(), 1);
    QVERIFY(signalsSeen.log.isEmpty());
}

void AnnotationToolTest::jsonReadIsOneUndoStep()
{
    AnnotationTool source;
    for (int i = 0; i < 3; ++i)
        source.addAnnotation(rectangle(i * 10, 0));
    AnnotationTool tool;
    tool.addAnnotation(rectangle(99, 99));
    SignalLog signalsSeen(tool);
    QVERIFY(tool.fromJson(source.toJson()));
    QCOMPARE(signalsSeen.log, QStringList({ "cleared", "changed", "changed" }));
    QCOMPARE(tool.count(), 3);
    tool.undo();
    QCOMPARE(tool.count(), 1);
    QCOMPARE(tool.annotationAt(0).rect.topLeft(), QPoint(99, 99));
}

void AnnotationToolTest::jsonOddNumbersReadSafely()
{
    QJsonObject object { { "type", 2 }, { "x", 10.7 }, { "y", -3.9 }, { "width", 1e300 }, { "height", "40" },
        { "lineWidth", true } };
    AnnotationTool tool;
    QVERIFY(tool.fromJson(QJsonObject { { "annotations", QJsonArray { object } } }));
    const AnnotationItem item = tool.annotationAt(0);
    QCOMPARE(item.rect.left(), 10);
    QCOMPARE(item.rect.top(), -3);
    QCOMPARE(item.rect.width(), 0);
    QCOMPARE(item.rect.height(), 0);
    QCOMPARE(item.lineWidth, 0);
}

void AnnotationToolTest::highlightUsesAlpha100_data()
{
    QTest::addColumn<int>("transparency");
    QTest::newRow("opaque") << 255;
    QTest::newRow("invisible") << 0;
    QTest::newRow("half") << 128;
}

void AnnotationToolTest::highlightUsesAlpha100()
{
    QFETCH(int, transparency);
    AnnotationTool tool;
    AnnotationItem item;
    item.type = AnnotationItem::Highlight;
    item.rect = QRect(10, 10, 50, 20);
    item.color = QColor(255, 0, 0);
    item.transparency = transparency;
    item.lineWidth = 9;
    tool.addAnnotation(item);
    const QImage out = tool.renderAnnotations(whitePage());
    const QRgb inside = out.pixel(30, 20);
    QCOMPARE(qRed(inside), 255);
    QVERIFY2(qAbs(qGreen(inside) - 155) <= 2, qPrintable(QString::number(qGreen(inside))));
    QVERIFY(qAbs(qBlue(inside) - 155) <= 2);
    // No outline: the pixel just outside the rectangle stays white whatever the line width.
    QVERIFY(isWhite(out.pixel(30, 8)));
    QVERIFY(isWhite(out.pixel(8, 20)));
}

void AnnotationToolTest::filledRectangleHasOpaqueFill()
{
    AnnotationTool tool;
    AnnotationItem item = rectangle(20, 20, 40, 40, QColor(0, 0, 255));
    item.filled = true;
    item.transparency = 50;
    item.lineWidth = 6;
    tool.addAnnotation(item);
    const QImage out = tool.renderAnnotations(whitePage());
    QCOMPARE(out.pixel(40, 40), qRgb(0, 0, 255));
    // The outer half of the outline lies over white paper: blue at alpha 50 over white.
    const QRgb outline = out.pixel(40, 18);
    QVERIFY2(qAbs(qRed(outline) - 205) <= 3, qPrintable(QString::number(qRed(outline))));
    QCOMPARE(qBlue(outline), 255);
    // The inner half lies over the opaque fill and so stays pure blue.
    QCOMPARE(out.pixel(40, 21), qRgb(0, 0, 255));

    AnnotationTool unfilled;
    item.filled = false;
    unfilled.addAnnotation(item);
    QVERIFY(isWhite(unfilled.renderAnnotations(whitePage()).pixel(40, 40)));
}

void AnnotationToolTest::arrowHeadIsThreeLineWidthsLong_data()
{
    QTest::addColumn<int>("lineWidth");
    QTest::newRow("4") << 4;
    QTest::newRow("6") << 6;
}

void AnnotationToolTest::arrowHeadIsThreeLineWidthsLong()
{
    QFETCH(int, lineWidth);
    AnnotationTool tool;
    AnnotationItem item;
    item.type = AnnotationItem::Arrow;
    item.color = Qt::black;
    item.lineWidth = lineWidth;
    item.points = { QPoint(10, 50), QPoint(90, 50) };
    tool.addAnnotation(item);
    const QImage out = tool.renderAnnotations(whitePage());

    // Outside the shaft only the head is painted. Its base corners lie 3 × lineWidth back
    // along the shaft at ±30°, widened by half the pen.
    int minX = 1000;
    int maxY = 0;
    int maxX = 0;
    for (int y = 50 + lineWidth / 2 + 2; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            if (qGray(out.pixel(x, y)) < 128) {
                minX = qMin(minX, x);
                maxX = qMax(maxX, x);
                maxY = qMax(maxY, y);
            }
        }
    }
    const double head = 3.0 * lineWidth;
    const double expectedMinX = 90 - head * std::cos(M_PI / 6) - lineWidth / 2.0;
    const double expectedMaxY = 50 + head * std::sin(M_PI / 6) + lineWidth / 2.0;
    QVERIFY2(qAbs(minX - expectedMinX) <= 1.5, qPrintable(QStringLiteral("%1 vs %2").arg(minX).arg(expectedMinX)));
    QVERIFY2(qAbs(maxY - expectedMaxY) <= 1.5, qPrintable(QStringLiteral("%1 vs %2").arg(maxY).arg(expectedMaxY)));
    QVERIFY(maxX <= 90 + lineWidth / 2);
    // The shaft runs from the first point.
    QVERIFY(qGray(out.pixel(12, 50)) < 128);
    QVERIFY(isWhite(out.pixel(5, 50)));
}

void AnnotationToolTest::strokeWithOnePointPaintsNothing_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("arrow") << int(AnnotationItem::Arrow);
    QTest::newRow("line") << int(AnnotationItem::Line);
    QTest::newRow("freehand") << int(AnnotationItem::Freehand);
}

void AnnotationToolTest::strokeWithOnePointPaintsNothing()
{
    QFETCH(int, type);
    AnnotationTool tool;
    AnnotationItem item;
    item.type = type;
    item.color = Qt::black;
    item.lineWidth = 10;
    item.rect = QRect(0, 0, 100, 100);
    item.points = { QPoint(50, 50) };
    tool.addAnnotation(item);
    const QImage page = whitePage();
    QCOMPARE(tool.renderAnnotations(page), page);
}

void AnnotationToolTest::unknownTypePaintsNothing()
{
    AnnotationTool tool;
    AnnotationItem item = rectangle(10, 10);
    item.type = 7;
    item.points = { QPoint(0, 0), QPoint(99, 99) };
    tool.addAnnotation(item);
    item.type = -1;
    tool.addAnnotation(item);
    const QImage page = whitePage();
    QCOMPARE(tool.renderAnnotations(page), page);
}

void AnnotationToolTest::renderKeepsInputAndPaintsInOrder()
{
    AnnotationTool tool;
    AnnotationItem below = rectangle(10, 10, 50, 50, Qt::red);
    below.filled = true;
    AnnotationItem above = rectangle(30, 30, 50, 50, Qt::green);
    above.filled = true;
    tool.addAnnotation(below);
    tool.addAnnotation(above);
    const QImage page = whitePage();
    const QImage out = tool.renderAnnotations(page);
    QCOMPARE(out.pixel(40, 40), qRgb(0, 255, 0));
    QCOMPARE(out.pixel(20, 20), qRgb(255, 0, 0));
    QVERIFY(isWhite(page.pixel(40, 40)));
    QCOMPARE(tool.count(), 2);
    QCOMPARE(tool.undoCount(), 2);
}

void AnnotationToolTest::renderNullGivesNull()
{
    AnnotationTool tool;
    tool.addAnnotation(rectangle(1, 1));
    QVERIFY(tool.renderAnnotations(QImage()).isNull());
}

void AnnotationToolTest::renderOnTwoLevelPageKeepsColour_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("mono") << int(QImage::Format_Mono);
    QTest::newRow("grey") << int(QImage::Format_Grayscale8);
    QTest::newRow("indexed") << int(QImage::Format_Indexed8);
    QTest::newRow("24-bit") << int(QImage::Format_RGB888);
}

void AnnotationToolTest::renderOnTwoLevelPageKeepsColour()
{
    QFETCH(int, format);
    const QImage page = whitePage(60, 60).convertToFormat(QImage::Format(format));
    AnnotationTool tool;
    AnnotationItem item = rectangle(10, 10, 30, 30, Qt::red);
    item.filled = true;
    tool.addAnnotation(item);
    const QImage out = tool.renderAnnotations(page);
    QCOMPARE(out.size(), page.size());
    QCOMPARE(out.pixel(25, 25), qRgb(255, 0, 0));
    QVERIFY(isWhite(out.pixel(5, 5)));
}

void AnnotationToolTest::freehandStrokesEveryPoint()
{
    AnnotationTool tool;
    AnnotationItem item;
    item.type = AnnotationItem::Freehand;
    item.color = Qt::black;
    item.lineWidth = 3;
    item.points = { QPoint(10, 10), QPoint(90, 10), QPoint(90, 90) };
    tool.addAnnotation(item);
    const QImage out = tool.renderAnnotations(whitePage());
    QVERIFY(qGray(out.pixel(50, 10)) < 128);
    QVERIFY(qGray(out.pixel(90, 50)) < 128);
    // Stroked, not filled: the inside of the corner stays white.
    QVERIFY(isWhite(out.pixel(60, 40)));
}

void AnnotationToolTest::textSizeIgnoresPageResolution()
{
    AnnotationTool tool;
    AnnotationItem item;
    item.type = AnnotationItem::Text;
    item.text = QStringLiteral("WWW 机密");
    item.color = Qt::black;
    item.font.setPointSize(20);
    item.rect = QRect(5, 5, 300, 80);
    tool.addAnnotation(item);
    const QImage screenPage = whitePage(400, 200);
    QImage scannedPage = screenPage;
    scannedPage.setDotsPerMeterX(11811);
    scannedPage.setDotsPerMeterY(11811);
    const QImage fromScreen = tool.renderAnnotations(screenPage);
    const QImage fromScan = tool.renderAnnotations(scannedPage);
    QVERIFY(fromScreen != screenPage);
    QCOMPARE(fromScan.convertToFormat(QImage::Format_RGB32).copy(), fromScreen);
    QCOMPARE(fromScan.dotsPerMeterX(), 11811);
    QCOMPARE(fromScan.dotsPerMeterY(), 11811);
}

QTEST_MAIN(AnnotationToolTest)
#include "tst_annotationtool.moc"
