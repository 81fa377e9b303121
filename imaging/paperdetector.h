#pragma once

#include <QImage>
#include <QRect>

// The sheet on a flatbed scan: a sheet smaller than the platen, lying on the
// lid's white (a little greyer than paper) or on a dark background, found as
// the rectangle of pixels that differ from the platen seen in the corners.
namespace PaperDetector {
// The sheet's rectangle in page pixels, or a null rectangle when no edge is
// certain (a page that is all paper, a photo, a sheet lying askew, a page too
// small to tell). Plain function without state; safe on any thread.
QRect findSheet(const QImage &scan);
} // namespace PaperDetector
