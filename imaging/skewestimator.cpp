#include "imaging/skewestimator.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/greyplane.h"

// The page is reduced to about 1200 pixels across (ink strokes stay a pixel or
// more wide) and split into ink and paper by Otsu's threshold. The points that
// vote are the ink pixels on an upper or lower border of a stroke: text lines,
// rules and the edges of dark areas all have them along their length, while a
// large dark area (a platen's black background) contributes its outline only.
// For a candidate angle the points are projected onto the normal of that
// direction; when the direction is that of the lines, the profile has the
// sharpest rises and falls, measured as the sum of squared differences of
// neighbouring bins. A coarse sweep over +-20 degrees (every 0.3 degree, on a
// sample of the points, bins of two pixels) finds the peak; two finer sweeps
// around it on (nearly) all points, with finer bins, and a parabola fitted to the
// last sweep's scores give the angle. Each point is split between its two nearest
// bins, so the score changes smoothly with the angle and the parabola is fair.
namespace {

constexpr double sweepLimit = 20.0;
constexpr double coarseStep = 0.3;
constexpr int coarseSamples = 12000;
constexpr int middleSamples = 160000;
constexpr int fineSamples = 240000;
constexpr double degrees = 3.14159265358979323846 / 180.0;

struct Point
{
    float x;
    float y;
    float weight;
};

// Otsu's threshold (grey values at or below it are ink) and the distance between
// the means of the two classes.
int otsu(const GreyPlane &plane, int *contrast)
{
    std::vector<double> histogram(256, 0.0);
    for (uchar value : plane.grey)
        histogram[value] += 1;
    const double total = double(plane.grey.size());
    double sumAll = 0;
    for (int i = 0; i < 256; ++i)
        sumAll += i * histogram[size_t(i)];
    double weightBelow = 0;
    double sumBelow = 0;
    double best = -1;
    int threshold = 127;
    *contrast = 0;
    for (int t = 0; t < 255; ++t) {
        weightBelow += histogram[size_t(t)];
        sumBelow += t * histogram[size_t(t)];
        const double weightAbove = total - weightBelow;
        if (weightBelow == 0 || weightAbove == 0)
            continue;
        const double meanBelow = sumBelow / weightBelow;
        const double meanAbove = (sumAll - sumBelow) / weightAbove;
        const double between = weightBelow * weightAbove * (meanBelow - meanAbove) * (meanBelow - meanAbove);
        if (between > best) {
            best = between;
            threshold = t;
            *contrast = int(meanAbove - meanBelow);
        }
    }
    return threshold;
}

// Ink pixels with paper directly above or below, centred on the middle of the plane.
std::vector<Point> borderPoints(const GreyPlane &plane, int threshold)
{
    std::vector<Point> points;
    const int width = plane.width;
    const float cx = plane.width / 2.0f;
    const float cy = plane.height / 2.0f;
    quint32 state = 12345;
    const float taper = qMax(8.0f, 0.04f * float(qMin(plane.width, plane.height)));
    for (int y = 1; y + 1 < plane.height; ++y) {
        const uchar *above = plane.grey.data() + size_t(y - 1) * size_t(width);
        const uchar *line = above + width;
        const uchar *below = line + width;
        for (int x = 0; x < width; ++x) {
            if (line[x] <= threshold && (above[x] > threshold || below[x] > threshold)) {
                // Anywhere within its pixel: points on the pixel grid would make
                // the upright profile sharper than any other, ink or noise.
                state = state * 1664525u + 1013904223u;
                const float jitterX = float(state >> 16 & 0xff) / 256.0f - 0.5f;
                const float jitterY = float(state >> 24) / 256.0f - 0.5f;
                // Weights fall to 0 towards the page's edges: ink up to the edges
                // (noise, a photo's grain) would otherwise end the upright profile
                // in a step no other angle has.
                const int edge = qMin(qMin(x, width - 1 - x), qMin(y, plane.height - 1 - y));
                const float weight = qMin(1.0f, float(edge) / taper);
                if (weight > 0)
                    points.push_back({ float(x) - cx + jitterX, float(y) - cy + jitterY, weight });
            }
        }
    }
    return points;
}

class Profile
{
public:
    Profile(const std::vector<Point> &points, double reach)
        : points(points)
        , reach(reach)
    {
    }

    // Sharpness of the projection along angle (degrees), using every stride-th
    // point and binsPerPixel bins per plane pixel.
    double score(double angle, size_t stride, double binsPerPixel)
    {
        const float s = float(std::sin(angle * degrees) * binsPerPixel);
        const float c = float(std::cos(angle * degrees) * binsPerPixel);
        const float offset = float(reach * binsPerPixel + 2);
        bins.assign(size_t(2 * offset + 4), 0.0f);
        float *data = bins.data();
        for (size_t i = 0; i < points.size(); i += stride) {
            const float position = points[i].y * c - points[i].x * s + offset;
            const int bin = int(position);
            const float fraction = position - float(bin);
            const float weight = points[i].weight;
            data[bin] += weight - weight * fraction;
            data[bin + 1] += weight * fraction;
        }
        double sum = 0;
        for (size_t i = 1; i < bins.size(); ++i) {
            const double step = double(bins[i]) - double(bins[i - 1]);
            sum += step * step;
        }
        return sum;
    }

private:
    const std::vector<Point> &points;
    const double reach;
    std::vector<float> bins;
};

// Sweeps from centre - span to centre + span; returns the best angle and, when
// given, fills the scores of all angles.
double sweep(Profile &profile, double centre, double span, double step, size_t stride, double binsPerPixel,
    std::vector<double> *allScores, double *bestScore)
{
    const int count = int(std::lround(span / step));
    std::vector<double> scores;
    double bestAngle = centre;
    double best = -1;
    int bestIndex = 0;
    for (int i = -count; i <= count; ++i) {
        const double angle = centre + i * step;
        const double value = profile.score(angle, stride, binsPerPixel);
        scores.push_back(value);
        if (value > best) {
            best = value;
            bestAngle = angle;
            bestIndex = i + count;
        }
    }
    // A parabola through the best score and its neighbours places the peak between them.
    if (bestIndex > 0 && bestIndex + 1 < int(scores.size())) {
        const double left = scores[size_t(bestIndex - 1)];
        const double right = scores[size_t(bestIndex + 1)];
        const double curvature = left - 2 * best + right;
        if (curvature < 0)
            bestAngle += step * 0.5 * (left - right) / curvature;
    }
    if (allScores)
        *allScores = std::move(scores);
    if (bestScore)
        *bestScore = best;
    return bestAngle;
}

// The vertex of the least-squares parabola through the scores of a sweep: near
// the peak the score is a smooth hump, and fitting all of it averages out the
// ripple a few pixels' worth of points leave on single scores. Falls back to
// the best angle when the scores do not form a hump.
double fittedPeak(const std::vector<double> &scores, double centre, double step, double best)
{
    const int count = int(scores.size());
    const int half = count / 2;
    // Sums of t^k and of t^k * score, t in steps from the centre.
    double t[5] = {};
    double ts[3] = {};
    for (int i = 0; i < count; ++i) {
        const double x = i - half;
        double power = 1;
        for (int k = 0; k < 5; ++k) {
            t[k] += power;
            if (k < 3)
                ts[k] += power * scores[size_t(i)];
            power *= x;
        }
    }
    // Normal equations for score = a + b t + c t^2 (t[1] and t[3] vanish for a symmetric sweep).
    const double det = t[0] * t[4] - t[2] * t[2];
    if (det == 0 || t[2] == 0)
        return best;
    const double c = (t[0] * ts[2] - t[2] * ts[0]) / det;
    const double b = ts[1] / t[2];
    if (c >= 0)
        return best;
    const double vertex = -b / (2 * c);
    if (std::fabs(vertex) > half)
        return best;
    return centre + vertex * step;
}

} // namespace

SkewEstimate SkewEstimator::estimate(const QImage &page)
{
    SkewEstimate result;
    if (page.isNull() || page.width() <= 20 || page.height() <= 20)
        return result;
    const int factor = qMax(1, int(std::lround(qMin(page.width(), page.height()) / 1200.0)));
    const GreyPlane plane = GreyPlane::reduced(page, factor);
    if (plane.width < 16 || plane.height < 16)
        return result;
    int contrast = 0;
    const int threshold = otsu(plane, &contrast);
    // Paper and ink must differ clearly: a blank or uniform page has no lines.
    if (contrast < 48)
        return result;
    const std::vector<Point> points = borderPoints(plane, threshold);
    if (points.size() < 200)
        return result;

    Profile profile(points, std::hypot(plane.width, plane.height) / 2.0);
    const size_t coarseStride = qMax<size_t>(1, points.size() / coarseSamples);
    std::vector<double> scores;
    double coarseBest = 0;
    const double coarse = sweep(profile, 0.0, sweepLimit, coarseStep, coarseStride, 0.5, &scores, &coarseBest);
    std::vector<double> sorted = scores;
    std::nth_element(sorted.begin(), sorted.begin() + long(sorted.size() / 2), sorted.end());
    const double median = sorted[sorted.size() / 2];
    result.confidence = median > 0 ? coarseBest / median : 0.0;

    const size_t middleStride = qMax<size_t>(1, points.size() / middleSamples);
    const double middle = sweep(profile, coarse, 0.35, 0.05, middleStride, 1.0, nullptr, nullptr);
    const size_t fineStride = qMax<size_t>(1, points.size() / fineSamples);
    std::vector<double> fineScores;
    const double best = sweep(profile, middle, 0.08, 0.01, fineStride, 1.0, &fineScores, nullptr);
    const double fine = fittedPeak(fineScores, middle, 0.01, best);
    if (result.confidence < minimumConfidence || std::fabs(coarse) > sweepLimit - coarseStep
        || std::fabs(fine) > maximumAngle + 0.05)
        return result;
    result.angle = fine;
    result.certain = true;
    return result;
}
