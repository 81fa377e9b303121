#pragma once

#include <QImage>
#include <QLabel>
#include <QPoint>
#include <QRect>

class QRubberBand;

// The page view: shows the current page scaled to fit and, in crop mode, lets
// the user drag a rectangle that is reported in the page's own pixels.
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

    // The two coordinate mappings, public so the crop command and the tests can
    // use the same arithmetic the widget uses.
    QRect widgetToImage(const QRect &widgetRect) const;
    QRect imageToWidget(const QRect &imageRect) const;

signals:
    void cropRectChanged(const QRect &rect);
    void cropCompleted(const QRect &rect);
    void cropCancelled();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    static QRect selectionFrom(const QPoint &p, const QPoint &q);
    bool hasShownImage() const;
    QPoint pixmapOffset() const;
    QSize shownPixmapSize() const;

    bool cropMode = false;
    bool selecting = false;
    QPoint startPoint;
    QPoint endPoint;
    QRect selectedRect;
    QRubberBand *rubberBand = nullptr;
    QImage shownImage;
};
