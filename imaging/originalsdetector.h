#pragma once

#include <QImage>
#include <QList>
#include <QPolygonF>
#include <QSizeF>

// Several originals laid on the glass at once (receipts, cards, photos), each
// found as the quadrilateral of its edges, straightened and cropped to them.
// The platen is whatever surrounds them at the scan's border: the lid's white
// or a dark background. Originals may be turned by a few degrees; ones that
// touch each other or are too small to be sure of are counted, not guessed.
// Plain functions without state; safe on any thread.
class OriginalsDetector
{
public:
    struct Original
    {
        // Corners in page pixels: top left, top right, bottom right, bottom left.
        QPolygonF corners;
        // Clockwise turn of the original on the glass, in degrees.
        double angle = 0;
        // The straightened, cropped original (null when images were not asked for).
        QImage image;
    };

    struct Result
    {
        // In reading order: top to bottom, then left to right within a row.
        QList<Original> originals;
        int tooSmall = 0; // items under 2 cm on a side
        int touching = 0; // shapes that are several originals lying against each other
    };

    // Originals smaller than this on either side are reported, not cut out.
    static constexpr double smallestSideMm = 20.0;

    static Result detect(const QImage &page, bool withImages = true);
};
