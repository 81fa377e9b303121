#include "annotation/annotationitem.h"

QColor AnnotationItem::colorAtTransparency() const
{
    QColor c = color.isValid() ? color : QColor(Qt::black);
    c.setAlpha(qBound(0, transparency, 255));
    return c;
}
