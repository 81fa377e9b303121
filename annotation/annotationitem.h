#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVector>

// One annotation of a page, in image pixel coordinates. A plain value, copied freely: its
// text, font and points are implicitly shared, so undo snapshots of an unchanged list are cheap.
struct AnnotationItem
{
    // Kinds of annotation; the values are stored in `type` and in the JSON form.
    enum AnnotationType { Text = 0, Arrow = 1, Rectangle = 2, Ellipse = 3, Line = 4, Highlight = 5, Freehand = 6 };

    int type = Rectangle;
    QRect rect;
    QColor color;
    int lineWidth = 2;
    QString text;
    QFont font;
    QVector<QPoint> points;
    bool filled = false;
    int transparency = 255;

    // The drawing colour with its own alpha replaced by the transparency. An invalid colour
    // paints as black, the same colour the JSON form writes for it.
    QColor colorAtTransparency() const;
};
