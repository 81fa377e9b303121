#include "annotation/annotationtool.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QScreen>
#include <QtMath>

#include <cmath>
#include <limits>

namespace {

// The resolution QFontMetrics assumes for a font without a device, which is what the text
// boxes are measured with.
int fontMetricsDpi(int fallback)
{
    if (QCoreApplication::testAttribute(Qt::AA_Use96Dpi))
        return 96;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return qRound(screen->logicalDotsPerInchY());
    return fallback;
}

QPen outlinePen(const AnnotationItem &item, Qt::PenCapStyle cap, Qt::PenJoinStyle join)
{
    return QPen(QBrush(item.colorAtTransparency()), qreal(item.lineWidth), Qt::SolidLine, cap, join);
}

QBrush fillBrush(const AnnotationItem &item)
{
    if (!item.filled)
        return Qt::NoBrush;
    // The fill is always opaque; only the outline follows the transparency.
    QColor fill = item.color.isValid() ? item.color : QColor(Qt::black);
    fill.setAlpha(255);
    return QBrush(fill);
}

// A JSON number as an int, truncated towards zero; a missing key, another type, NaN or a value
// outside the int range reads as 0 rather than as something undefined.
int readInt(const QJsonObject &object, const QString &key)
{
    const double value = object.value(key).toDouble();
    if (!(value > double(std::numeric_limits<int>::min()) - 1.0
            && value < double(std::numeric_limits<int>::max()) + 1.0))
        return 0;
    return int(value);
}

// Coordinates and sizes beyond any page's side (a page has at most 200
// megapixels) are brought back to it: QRect keeps its right edge as
// x + width - 1, which a JSON rectangle near the int range would overflow.
constexpr int maxCoordinate = 1 << 28;

int readCoordinate(const QJsonObject &object, const QString &key)
{
    return qBound(-maxCoordinate, readInt(object, key), maxCoordinate);
}

} // namespace

AnnotationTool::AnnotationTool(QObject *parent)
    : QObject(parent)
{
}

AnnotationTool::~AnnotationTool() = default;

void AnnotationTool::saveState()
{
    undoStack.append(annotations);
    if (undoStack.size() > maxUndoSnapshots)
        undoStack.removeFirst();
}

void AnnotationTool::addAnnotation(const AnnotationItem &item)
{
    saveState();
    annotations.append(item);
    redoStack.clear();
    emit annotationAdded(annotations.size() - 1);
    emit annotationsChanged();
}

void AnnotationTool::removeAnnotation(int index)
{
    if (index < 0 || index >= annotations.size())
        return;
    saveState();
    annotations.remove(index);
    redoStack.clear();
    emit annotationRemoved(index);
    emit annotationsChanged();
}

void AnnotationTool::updateAnnotation(int index, const AnnotationItem &item)
{
    if (index < 0 || index >= annotations.size())
        return;
    saveState();
    annotations[index] = item;
    redoStack.clear();
    emit annotationsChanged();
}

void AnnotationTool::clearAnnotations()
{
    if (annotations.isEmpty())
        return;
    saveState();
    annotations.clear();
    redoStack.clear();
    emit annotationsCleared();
    emit annotationsChanged();
}

AnnotationItem AnnotationTool::annotationAt(int index) const
{
    if (index < 0 || index >= annotations.size())
        return AnnotationItem();
    return annotations.at(index);
}

void AnnotationTool::undo()
{
    if (undoStack.isEmpty())
        return;
    redoStack.append(annotations);
    annotations = undoStack.takeLast();
    emit annotationsChanged();
}

void AnnotationTool::redo()
{
    if (redoStack.isEmpty())
        return;
    undoStack.append(annotations);
    annotations = redoStack.takeLast();
    emit annotationsChanged();
}

QImage AnnotationTool::paintableImage(const QImage &image)
{
    // Scanned pages are often grey or two-level; painting on those would lose the colour of
    // the annotations (and QPainter refuses indexed images outright), so they are widened.
    // Packed colour formats such as the scanners' 24-bit RGB are widened too: the painter
    // works on them through conversions, which makes every edit of such a page slower.
    switch (image.format()) {
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
    case QImage::Format_RGB16:
    case QImage::Format_RGB555:
    case QImage::Format_RGB444:
    case QImage::Format_RGB666:
        return image.convertToFormat(QImage::Format_RGB32);
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8:
    case QImage::Format_Grayscale16:
    case QImage::Format_Alpha8:
        return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    default:
        return image;
    }
}

QImage AnnotationTool::renderAnnotations(const QImage &image) const
{
    if (image.isNull())
        return QImage();
    // paintAnnotations detaches a shared image before it paints, so the input stays as it was.
    QImage result = paintableImage(image);
    paintAnnotations(result);
    return result;
}

void AnnotationTool::paintAnnotations(QImage &target) const
{
    if (target.isNull())
        return;
    // Non-const access detaches a shared image, so whoever shares it keeps the unpainted pixels.
    target.bits();
    // A page read from a file often carries its scan resolution, and QPainter sizes point fonts
    // by the device's resolution: on a 300 dpi page a text would come out three times the size
    // of its box. Text is painted at the resolution the boxes were measured at instead.
    const int dotsX = target.dotsPerMeterX();
    const int dotsY = target.dotsPerMeterY();
    const int dotsPerMeter = qRound(fontMetricsDpi(96) / 0.0254);
    target.setDotsPerMeterX(dotsPerMeter);
    target.setDotsPerMeterY(dotsPerMeter);
    QPainter painter(&target);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (const AnnotationItem &item : annotations)
        drawAnnotation(painter, item);
    painter.end();
    target.setDotsPerMeterX(dotsX);
    target.setDotsPerMeterY(dotsY);
}

void AnnotationTool::drawAnnotation(QPainter &painter, const AnnotationItem &item)
{
    painter.save();
    switch (item.type) {
    case AnnotationItem::Text:
        painter.setFont(item.font);
        painter.setPen(item.colorAtTransparency());
        painter.drawText(item.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, item.text);
        break;
    case AnnotationItem::Arrow: {
        if (item.points.size() < 2)
            break;
        const QColor colour = item.colorAtTransparency();
        painter.setPen(outlinePen(item, Qt::RoundCap, Qt::RoundJoin));
        const QPointF p1 = item.points.first();
        const QPointF p2 = item.points.last();
        painter.drawLine(p1, p2);
        const qreal angle = std::atan2(p2.y() - p1.y(), p2.x() - p1.x());
        const qreal head = 3.0 * item.lineWidth;
        const QPointF h1 = p2 - head * QPointF(std::cos(angle + M_PI / 6), std::sin(angle + M_PI / 6));
        const QPointF h2 = p2 - head * QPointF(std::cos(angle - M_PI / 6), std::sin(angle - M_PI / 6));
        painter.setBrush(QBrush(colour, Qt::SolidPattern));
        painter.drawPolygon(QPolygonF({ p2, h1, h2 }), Qt::OddEvenFill);
        break;
    }
    case AnnotationItem::Rectangle:
        painter.setPen(outlinePen(item, Qt::SquareCap, Qt::BevelJoin));
        painter.setBrush(fillBrush(item));
        painter.drawRect(item.rect);
        break;
    case AnnotationItem::Ellipse:
        painter.setPen(outlinePen(item, Qt::SquareCap, Qt::BevelJoin));
        painter.setBrush(fillBrush(item));
        painter.drawEllipse(item.rect);
        break;
    case AnnotationItem::Line:
        if (item.points.size() < 2)
            break;
        painter.setPen(outlinePen(item, Qt::RoundCap, Qt::BevelJoin));
        painter.drawLine(item.points.first(), item.points.last());
        break;
    case AnnotationItem::Highlight: {
        QColor colour = item.color.isValid() ? item.color : QColor(Qt::black);
        colour.setAlpha(100);
        painter.fillRect(item.rect, colour);
        break;
    }
    case AnnotationItem::Freehand: {
        if (item.points.size() < 2)
            break;
        painter.setPen(outlinePen(item, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        QPainterPath path(item.points.first());
        for (int i = 1; i < item.points.size(); ++i)
            path.lineTo(item.points.at(i));
        painter.strokePath(path, painter.pen());
        break;
    }
    default:
        break;
    }
    painter.restore();
}

QJsonObject AnnotationTool::toJson() const
{
    QJsonArray list;
    for (const AnnotationItem &item : annotations) {
        QJsonArray points;
        for (const QPoint &p : item.points)
            points.append(QJsonObject { { QStringLiteral("x"), p.x() }, { QStringLiteral("y"), p.y() } });
        QJsonObject object;
        object.insert(QStringLiteral("type"), item.type);
        object.insert(QStringLiteral("x"), item.rect.left());
        object.insert(QStringLiteral("y"), item.rect.top());
        object.insert(QStringLiteral("width"), item.rect.width());
        object.insert(QStringLiteral("height"), item.rect.height());
        object.insert(QStringLiteral("color"),
            item.color.isValid() ? item.color.name(QColor::HexRgb) : QStringLiteral("#000000"));
        object.insert(QStringLiteral("lineWidth"), item.lineWidth);
        object.insert(QStringLiteral("text"), item.text);
        object.insert(QStringLiteral("filled"), item.filled);
        object.insert(QStringLiteral("transparency"), item.transparency);
        object.insert(QStringLiteral("points"), points);
        list.append(object);
    }
    QJsonObject root;
    root.insert(QStringLiteral("annotations"), list);
    root.insert(QStringLiteral("version"), QStringLiteral("1.0"));
    return root;
}

bool AnnotationTool::fromJson(const QJsonObject &json)
{
    const QJsonValue listValue = json.value(QStringLiteral("annotations"));
    if (!listValue.isArray())
        return false;
    clearAnnotations();
    const QJsonArray list = listValue.toArray();
    for (const QJsonValue &value : list) {
        if (!value.isObject())
            continue;
        const QJsonObject object = value.toObject();
        AnnotationItem item;
        item.type = readInt(object, QStringLiteral("type"));
        item.rect = QRect(readCoordinate(object, QStringLiteral("x")), readCoordinate(object, QStringLiteral("y")),
            readCoordinate(object, QStringLiteral("width")), readCoordinate(object, QStringLiteral("height")));
        item.color = QColor(object.value(QStringLiteral("color")).toString());
        item.lineWidth = readCoordinate(object, QStringLiteral("lineWidth"));
        item.text = object.value(QStringLiteral("text")).toString();
        item.filled = object.value(QStringLiteral("filled")).toBool();
        item.transparency = readInt(object, QStringLiteral("transparency"));
        const QJsonValue pointsValue = object.value(QStringLiteral("points"));
        if (pointsValue.isArray()) {
            for (const QJsonValue &p : pointsValue.toArray()) {
                if (!p.isObject())
                    continue;
                const QJsonObject point = p.toObject();
                item.points.append(
                    QPoint(readCoordinate(point, QStringLiteral("x")), readCoordinate(point, QStringLiteral("y"))));
            }
        }
        annotations.append(item);
    }
    emit annotationsChanged();
    return true;
}
