#pragma once

#include <QImage>
#include <QLabel>
#include <QPoint>
#include <QRect>

class QRubberBand;

// The page view: shows the current page fitted to the view (never enlarged past
// 100 %) or at a zoom the user chose, which stays while paging; in crop mode it
// lets the user drag a rectangle that is reported in the page's own pixels.
// Ctrl+wheel zooms. Lives in a QScrollArea that scrolls a zoomed page.
// GUI thread only.
class CroppableImageWidget : public QLabel
{
    Q_OBJECT

public:
    explicit CroppableImageWidget(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    void setCropMode(bool on);
    bool isCropMode() const { return cropMode; }
    QRect cropRect() const { return selectedRect; }
    QImage sourceImage() const { return shownImage; }
    void clearSelection();

    // The page fitted to the view again.
    void fitToView();
    // The page at this scale (1.0: one page pixel a screen pixel), within the
    // limits of zoomLimits().
    void setZoom(double scale);
    void zoomIn();
    void zoomOut();
    bool isFitting() const { return fitting; }
    // The scale the page is shown at now.
    double zoom() const;
    static constexpr double minimumZoom = 0.05;
    static constexpr double maximumZoom = 8.0;

    // The two coordinate mappings, public so the crop command and the tests can
    // use the same arithmetic the widget uses.
    QRect widgetToImage(const QRect &widgetRect) const;
    QRect imageToWidget(const QRect &imageRect) const;

signals:
    void zoomChanged(double scale);
    void cropRectChanged(const QRect &rect);
    void cropCompleted(const QRect &rect);
    void cropCancelled();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    static QRect selectionFrom(const QPoint &p, const QPoint &q);
    bool hasShownImage() const;
    QPoint pixmapOffset() const;
    QSize shownPixmapSize() const;
    void showScaled();
    // The area the page is fitted into: the scroll area's viewport when there is one.
    QSize fitBox() const;

    bool cropMode = false;
    bool selecting = false;
    QPoint startPoint;
    QPoint endPoint;
    QRect selectedRect;
    QRubberBand *rubberBand = nullptr;
    QImage shownImage;
    bool fitting = true;
    double scale = 1.0;
};
