#pragma once

#include <QImage>

// How far the lines of a page (text, tables, forms) are turned, measured from
// the projection profiles of its ink: the angle in degrees, positive when the
// content is turned clockwise, so turning the page by -angle straightens it.
struct SkewEstimate
{
    double angle = 0.0;
    // How much the best profile stands out against the profiles of the other
    // angles (1 means not at all); a page without lines stays near 1.
    double confidence = 0.0;
    // False for pages without a clear answer (blank, tiny, photo-only, turned
    // by more than maximumAngle); the angle is then 0.
    bool certain = false;
};

namespace SkewEstimator {
// Pages turned further than this are left to the user.
constexpr double maximumAngle = 15.0;
// A profile that stands out less than this against the others is no answer.
constexpr double minimumConfidence = 2.0;

// Plain function without state; safe on any thread.
SkewEstimate estimate(const QImage &page);
} // namespace SkewEstimator
