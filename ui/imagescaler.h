#pragma once

#include <QImage>
#include <QSize>

// Fits page images into a box for the page view and the thumbnails. A page is
// typically an A4 sheet at 300 dpi (about 2500 x 3500 pixels) shown in a few
// hundred pixels, so the work is dominated by the size of the source.
class ImageScaler
{
public:
    // The image scaled to fit into box, aspect ratio kept, smooth result.
    // A null image or an empty box gives a null image.
    static QImage fitInto(const QImage &image, const QSize &box);
};
