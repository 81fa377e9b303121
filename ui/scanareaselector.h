#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QWidget>

// The preview of the whole glass with the part to scan marked on it. Drag on
// the preview to draw the selection, drag its corners and edges to resize it,
// drag inside to move it, and nudge it with the arrow keys (1 mm, 10 mm with
// Shift). Its size is shown in millimetres, and a size within 2 mm of a listed
// page size snaps to it. Everything is kept in millimetres of the glass; the
// backend's unit is applied only when the scan starts. GUI thread only.
class ScanAreaSelector : public QWidget
{
    Q_OBJECT

public:
    // How close a drawn size must come to a listed page size to take it.
    static constexpr double snapMm = 2.0;

    explicit ScanAreaSelector(QWidget *parent = nullptr);

    // The preview covers bedMm of the glass, from its top left corner.
    void setPreview(const QImage &preview, const QSizeF &bedMm);
    QImage preview() const { return image; }
    QSizeF bedSize() const { return bed; }

    // Empty when nothing is selected: the scan then follows the page-size list.
    QRectF selection() const { return selected; }
    bool hasSelection() const { return !selected.isEmpty(); }
    void setSelection(const QRectF &millimetres);
    void clearSelection();
    // A selection found for the user (the sheet on the glass); taken only
    // while the user has not chosen one.
    void proposeSelection(const QRectF &millimetres);

    // "148 × 210 mm (A5)": the text shown on the selection.
    QString sizeText() const;

    // Where millimetres of the glass lie in the widget, and back.
    QRectF toWidget(const QRectF &millimetres) const;
    QPointF toMillimetres(const QPointF &widgetPoint) const;

    QSize sizeHint() const override;

signals:
    // Every change; the empty rectangle when the selection is cleared.
    void selectionChanged(const QRectF &millimetres);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Which part of the selection a drag holds: its edges as bits.
    enum Edge { None = 0, Left = 1, Right = 2, Top = 4, Bottom = 8, Inside = 16 };

    QRectF imageRect() const;
    int edgesAt(const QPointF &widgetPoint) const;
    QRectF clampedToBed(QRectF millimetres) const;
    QRectF snapped(const QRectF &millimetres, int movingEdges) const;
    void change(const QRectF &millimetres);

    QImage image;
    QSizeF bed;
    QRectF selected;
    bool proposed = false; // the selection is the proposal, not the user's
    int dragging = None;
    QPointF dragStart; // millimetres
    QRectF dragFrom;
};
