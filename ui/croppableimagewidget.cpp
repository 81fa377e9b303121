#include "ui/croppableimagewidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRubberBand>
#include <QScrollArea>
#include <QWheelEvent>

#include <cmath>

#include "ui/imagescaler.h"

CroppableImageWidget::CroppableImageWidget(QWidget *parent)
    : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    setMinimumSize(1, 1);
    setScaledContents(false);
    setFocusPolicy(Qt::StrongFocus);
    rubberBand = new QRubberBand(QRubberBand::Rectangle, this);
    rubberBand->hide();
}

void CroppableImageWidget::setImage(const QImage &image)
{
    shownImage = image;
    showScaled();
    clearSelection();
}

QSize CroppableImageWidget::fitBox() const
{
    for (QWidget *ancestor = parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (auto *area = qobject_cast<QScrollArea *>(ancestor))
            return area->viewport()->size();
    }
    return size();
}

void CroppableImageWidget::showScaled()
{
    if (shownImage.isNull()) {
        clear();
        setMinimumSize(1, 1);
        return;
    }
    QSize target;
    if (fitting) {
        // A small page (a receipt, a card) is shown at its own size, not blown
        // up into a blur.
        const QSize box = fitBox();
        target = shownImage.size().boundedTo(box.isEmpty() ? shownImage.size() : box);
        setMinimumSize(1, 1);
    } else {
        target = (QSizeF(shownImage.size()) * scale).toSize().expandedTo(QSize(1, 1));
        // The scroll area scrolls a page larger than its view.
        setMinimumSize(target);
    }
    // Scaling the image before it becomes a pixmap keeps the full-size page
    // from being copied into pixmap memory only to be thrown away.
    setPixmap(QPixmap::fromImage(ImageScaler::fitInto(shownImage, target)));
}

void CroppableImageWidget::fitToView()
{
    fitting = true;
    showScaled();
    clearSelection();
    emit zoomChanged(zoom());
}

void CroppableImageWidget::setZoom(double wanted)
{
    // A zoomed A4 page at 300 dpi is already tens of megapixels; the pixmap is
    // kept within about 64 million pixels.
    double limit = maximumZoom;
    if (!shownImage.isNull())
        limit = qMin(limit, std::sqrt(64.0e6 / (double(shownImage.width()) * shownImage.height())));
    scale = qBound(minimumZoom, wanted, qMax(minimumZoom, limit));
    fitting = false;
    showScaled();
    clearSelection();
    emit zoomChanged(zoom());
}

void CroppableImageWidget::zoomIn()
{
    setZoom(zoom() * 1.25);
}

void CroppableImageWidget::zoomOut()
{
    setZoom(zoom() / 1.25);
}

double CroppableImageWidget::zoom() const
{
    if (!fitting || !hasShownImage())
        return scale;
    return double(shownPixmapSize().width()) / shownImage.width();
}

void CroppableImageWidget::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    if (fitting && !shownImage.isNull() && fitBox() != shownPixmapSize())
        showScaled();
}

void CroppableImageWidget::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier) || shownImage.isNull()) {
        QLabel::wheelEvent(event);
        return;
    }
    if (event->angleDelta().y() > 0)
        zoomIn();
    else if (event->angleDelta().y() < 0)
        zoomOut();
    event->accept();
}

void CroppableImageWidget::clearSelection()
{
    selectedRect = QRect();
    rubberBand->hide();
    update();
}

void CroppableImageWidget::setCropMode(bool on)
{
    cropMode = on;
    if (on) {
        setCursor(Qt::CrossCursor);
    } else {
        clearSelection();
        setCursor(Qt::ArrowCursor);
    }
    update();
}

QRect CroppableImageWidget::selectionFrom(const QPoint &p, const QPoint &q)
{
    return QRect(qMin(p.x(), q.x()), qMin(p.y(), q.y()), qAbs(p.x() - q.x()), qAbs(p.y() - q.y()));
}

bool CroppableImageWidget::hasShownImage() const
{
    return !shownImage.isNull() && !pixmap(Qt::ReturnByValue).isNull();
}

QSize CroppableImageWidget::shownPixmapSize() const
{
    return pixmap(Qt::ReturnByValue).size();
}

QPoint CroppableImageWidget::pixmapOffset() const
{
    const QSize shown = shownPixmapSize();
    return QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2);
}

QRect CroppableImageWidget::widgetToImage(const QRect &widgetRect) const
{
    if (!hasShownImage())
        return QRect();
    const QSize shown = shownPixmapSize();
    const QPoint offset = pixmapOffset();
    const QRect onPixmap = widgetRect.translated(-offset).intersected(QRect(QPoint(0, 0), shown));
    const double sx = double(shownImage.width()) / shown.width();
    const double sy = double(shownImage.height()) / shown.height();
    const QRect mapped(
        int(onPixmap.x() * sx), int(onPixmap.y() * sy), int(onPixmap.width() * sx), int(onPixmap.height() * sy));
    return mapped.intersected(shownImage.rect());
}

QRect CroppableImageWidget::imageToWidget(const QRect &imageRect) const
{
    if (!hasShownImage())
        return QRect();
    const QSize shown = shownPixmapSize();
    const QPoint offset = pixmapOffset();
    const double fx = double(shown.width()) / shownImage.width();
    const double fy = double(shown.height()) / shownImage.height();
    return QRect(int(imageRect.x() * fx) + offset.x(), int(imageRect.y() * fy) + offset.y(),
        int(imageRect.width() * fx), int(imageRect.height() * fy));
}

void CroppableImageWidget::mousePressEvent(QMouseEvent *event)
{
    if (cropMode && hasShownImage() && event->button() == Qt::LeftButton) {
        startPoint = endPoint = event->pos();
        selecting = true;
        rubberBand->setGeometry(QRect(startPoint, QSize()));
        rubberBand->show();
    }
    QLabel::mousePressEvent(event);
}

void CroppableImageWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (cropMode && selecting && hasShownImage()) {
        endPoint = event->pos();
        const QRect selection = selectionFrom(startPoint, endPoint);
        rubberBand->setGeometry(selection);
        emit cropRectChanged(widgetToImage(selection));
    }
    QLabel::mouseMoveEvent(event);
}

void CroppableImageWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (cropMode && selecting && hasShownImage() && event->button() == Qt::LeftButton) {
        selecting = false;
        endPoint = event->pos();
        // The band stays up as the outline of the kept selection, so it must end
        // where the button was released, not at the last move.
        rubberBand->setGeometry(selectionFrom(startPoint, endPoint));
        selectedRect = widgetToImage(selectionFrom(startPoint, endPoint));
        // Anything smaller than 11 x 11 page pixels is taken for a stray click.
        if (selectedRect.right() - selectedRect.left() > 9 && selectedRect.bottom() - selectedRect.top() > 9) {
            update();
            emit cropCompleted(selectedRect);
        } else {
            clearSelection();
        }
    }
    QLabel::mouseReleaseEvent(event);
}

void CroppableImageWidget::keyPressEvent(QKeyEvent *event)
{
    if (cropMode && event->key() == Qt::Key_Escape) {
        clearSelection();
        setCropMode(false);
        emit cropCancelled();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void CroppableImageWidget::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!cropMode || selectedRect.isNull() || !hasShownImage())
        return;

    const QRect frame = imageToWidget(selectedRect);
    QPainter painter(this);
    // The surroundings are darkened around the selection rather than clearing
    // the selection afterwards: a cleared area would show whatever the backing
    // store holds (black on most platforms) instead of the page.
    QRegion outside(rect());
    outside -= QRegion(frame);
    painter.setClipRegion(outside);
    painter.fillRect(rect(), QColor(0, 0, 0, 100));
    painter.setClipping(false);
    painter.setPen(QPen(QBrush(Qt::red), 2.0, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
    painter.drawRect(frame);
}
