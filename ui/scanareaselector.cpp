#include "ui/scanareaselector.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "scanner/scanarea.h"

namespace {

// Handles are grabbed within this many widget pixels of an edge.
constexpr double grabReach = 6.0;
// A click without a drag is no selection.
constexpr double smallestMm = 3.0;

} // namespace

ScanAreaSelector::ScanAreaSelector(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(200, 200);
}

QSize ScanAreaSelector::sizeHint() const
{
    return QSize(480, 600);
}

void ScanAreaSelector::setPreview(const QImage &preview, const QSizeF &bedMm)
{
    image = preview;
    bed = bedMm;
    if (!selected.isEmpty())
        change(clampedToBed(selected));
    update();
}

void ScanAreaSelector::setSelection(const QRectF &millimetres)
{
    proposed = false;
    change(millimetres.isEmpty() ? QRectF() : clampedToBed(millimetres.normalized()));
}

void ScanAreaSelector::clearSelection()
{
    proposed = false;
    change(QRectF());
}

void ScanAreaSelector::proposeSelection(const QRectF &millimetres)
{
    if (!selected.isEmpty() && !proposed)
        return;
    change(millimetres.isEmpty() ? QRectF() : clampedToBed(millimetres.normalized()));
    proposed = !selected.isEmpty();
}

void ScanAreaSelector::change(const QRectF &millimetres)
{
    if (millimetres == selected)
        return;
    selected = millimetres;
    update();
    emit selectionChanged(selected);
}

QString ScanAreaSelector::sizeText() const
{
    if (selected.isEmpty())
        return QString();
    const QString size = tr("%1 × %2 mm").arg(selected.width(), 0, 'f', 0).arg(selected.height(), 0, 'f', 0);
    const QString name = ScanArea::pageSizeNear(selected.size(), 0.05);
    return name.isEmpty() ? size : tr("%1 (%2)").arg(size, name);
}

QRectF ScanAreaSelector::imageRect() const
{
    if (bed.isEmpty())
        return QRectF();
    const QSizeF fitted = bed.scaled(QSizeF(size()) - QSizeF(8, 8), Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

QRectF ScanAreaSelector::toWidget(const QRectF &millimetres) const
{
    const QRectF shown = imageRect();
    if (shown.isEmpty())
        return QRectF();
    const double scale = shown.width() / bed.width();
    return QRectF(shown.topLeft() + millimetres.topLeft() * scale, millimetres.size() * scale);
}

QPointF ScanAreaSelector::toMillimetres(const QPointF &widgetPoint) const
{
    const QRectF shown = imageRect();
    if (shown.isEmpty())
        return QPointF();
    return (widgetPoint - shown.topLeft()) * (bed.width() / shown.width());
}

QRectF ScanAreaSelector::clampedToBed(QRectF millimetres) const
{
    if (bed.isEmpty())
        return millimetres;
    millimetres.setWidth(std::min(millimetres.width(), bed.width()));
    millimetres.setHeight(std::min(millimetres.height(), bed.height()));
    millimetres.moveLeft(std::clamp(millimetres.left(), 0.0, bed.width() - millimetres.width()));
    millimetres.moveTop(std::clamp(millimetres.top(), 0.0, bed.height() - millimetres.height()));
    return millimetres;
}

int ScanAreaSelector::edgesAt(const QPointF &point) const
{
    if (selected.isEmpty())
        return None;
    const QRectF shown = toWidget(selected);
    if (!shown.adjusted(-grabReach, -grabReach, grabReach, grabReach).contains(point))
        return None;
    int edges = None;
    if (std::abs(point.x() - shown.left()) <= grabReach)
        edges |= Left;
    else if (std::abs(point.x() - shown.right()) <= grabReach)
        edges |= Right;
    if (std::abs(point.y() - shown.top()) <= grabReach)
        edges |= Top;
    else if (std::abs(point.y() - shown.bottom()) <= grabReach)
        edges |= Bottom;
    return edges == None ? Inside : edges;
}

// A size within snapMm of a listed page size takes that size; the edges the
// user holds move, the others stay.
QRectF ScanAreaSelector::snapped(const QRectF &millimetres, int movingEdges) const
{
    const QString name = ScanArea::pageSizeNear(millimetres.size(), snapMm);
    if (name.isEmpty())
        return millimetres;
    QSizeF target = ScanArea::pageSizeOf(name);
    if ((millimetres.width() > millimetres.height()) != (target.width() > target.height()))
        target.transpose();
    QRectF result = millimetres;
    if (movingEdges & Left)
        result.setLeft(result.right() - target.width());
    else
        result.setWidth(target.width());
    if (movingEdges & Top)
        result.setTop(result.bottom() - target.height());
    else
        result.setHeight(target.height());
    return clampedToBed(result);
}

void ScanAreaSelector::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || imageRect().isEmpty())
        return;
    const QPointF at = event->localPos();
    dragging = edgesAt(at);
    dragStart = toMillimetres(at);
    dragFrom = selected;
    if (dragging == None) {
        // A new selection, drawn from here towards the bottom right.
        dragging = Right | Bottom;
        const QPointF start(std::clamp(dragStart.x(), 0.0, bed.width()), std::clamp(dragStart.y(), 0.0, bed.height()));
        dragFrom = QRectF(start, QSizeF(0, 0));
    }
    proposed = false;
}

void ScanAreaSelector::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = event->localPos();
    if (dragging == None) {
        const int edges = edgesAt(at);
        if (edges == Inside)
            setCursor(Qt::SizeAllCursor);
        else if (edges == (Left | Top) || edges == (Right | Bottom))
            setCursor(Qt::SizeFDiagCursor);
        else if (edges == (Right | Top) || edges == (Left | Bottom))
            setCursor(Qt::SizeBDiagCursor);
        else if (edges & (Left | Right))
            setCursor(Qt::SizeHorCursor);
        else if (edges & (Top | Bottom))
            setCursor(Qt::SizeVerCursor);
        else
            setCursor(Qt::CrossCursor);
        return;
    }
    const QPointF now = toMillimetres(at);
    const QPointF delta = now - dragStart;
    if (dragging == Inside) {
        change(clampedToBed(dragFrom.translated(delta)));
        return;
    }
    const QPointF inside(std::clamp(now.x(), 0.0, bed.width()), std::clamp(now.y(), 0.0, bed.height()));
    QRectF area = dragFrom;
    if (dragging & Left)
        area.setLeft(inside.x());
    if (dragging & Right)
        area.setRight(inside.x());
    if (dragging & Top)
        area.setTop(inside.y());
    if (dragging & Bottom)
        area.setBottom(inside.y());
    // Dragged past the opposite edge: the held edge swaps sides.
    int moving = dragging;
    if (area.width() < 0)
        moving ^= Left | Right;
    if (area.height() < 0)
        moving ^= Top | Bottom;
    change(snapped(area.normalized(), moving));
}

void ScanAreaSelector::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || dragging == None)
        return;
    dragging = None;
    if (selected.width() < smallestMm || selected.height() < smallestMm)
        change(dragFrom.width() >= smallestMm ? dragFrom : QRectF());
}

void ScanAreaSelector::keyPressEvent(QKeyEvent *event)
{
    if (selected.isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    const double step = event->modifiers() & Qt::ShiftModifier ? 10.0 : 1.0;
    QPointF delta;
    switch (event->key()) {
    case Qt::Key_Left:
        delta = QPointF(-step, 0);
        break;
    case Qt::Key_Right:
        delta = QPointF(step, 0);
        break;
    case Qt::Key_Up:
        delta = QPointF(0, -step);
        break;
    case Qt::Key_Down:
        delta = QPointF(0, step);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    proposed = false;
    change(clampedToBed(selected.translated(delta)));
}

void ScanAreaSelector::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    const QRectF shown = imageRect();
    if (shown.isEmpty())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (image.isNull())
        painter.fillRect(shown, Qt::white);
    else
        painter.drawImage(shown, image);
    if (selected.isEmpty())
        return;

    const QRectF area = toWidget(selected);
    // What stays off the scan is dimmed.
    QPainterPath outside;
    outside.addRect(shown);
    outside.addRect(area);
    painter.fillPath(outside, QColor(0, 0, 0, 110));

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1e, 0x88, 0xe5), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area);
    painter.setBrush(QColor(0x1e, 0x88, 0xe5));
    painter.setPen(QPen(Qt::white, 1));
    const double h = 4;
    for (const QPointF &handle : { area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight(),
             QPointF(area.center().x(), area.top()), QPointF(area.center().x(), area.bottom()),
             QPointF(area.left(), area.center().y()), QPointF(area.right(), area.center().y()) })
        painter.drawRect(QRectF(handle - QPointF(h, h), QSizeF(2 * h, 2 * h)));

    const QString text = sizeText();
    const QFontMetrics metrics(font());
    QRectF label(0, 0, metrics.horizontalAdvance(text) + 12, metrics.height() + 6);
    label.moveCenter(QPointF(area.center().x(), area.top() + label.height() / 2 + 6));
    if (label.height() + 12 > area.height())
        label.moveBottom(area.top() - 4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 170));
    painter.drawRoundedRect(label, 4, 4);
    painter.setPen(Qt::white);
    painter.drawText(label, Qt::AlignCenter, text);
}
