#include "ui/imagescaler.h"

QImage ImageScaler::fitInto(const QImage &image, const QSize &box)
{
    if (image.isNull() || box.width() <= 0 || box.height() <= 0)
        return QImage();
    const QSize target = image.size().scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
