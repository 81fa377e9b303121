#include "imaging/paperdetector.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "imaging/greyplane.h"

// The platen shows in at least one corner of the scan (a sheet pushed into a
// corner covers one; a sheet as wide as the platen two, and then the darker
// pair is the platen, since a lid is greyer than paper). Every pixel that
// differs clearly from the platen's grey is paper or print. The sheet's rows are
// then those where at least half the columns differ, its columns those where at
// least half of the sheet's rows differ, and the rows again over the sheet's
// columns. The answer counts only when the sheet is solid (paper nearly
// everywhere inside; dark print on a dark platen leaves gaps, a rule across a
// table a few rows), the platen around it clean, and each edge a step rather
// than a ramp: a sheet lying askew, a page of text on white or a photo fail one
// of these and are left as they are.
namespace {

struct Counts
{
    std::vector<int> values;
    int length = 0; // the pixels each count was taken over
};

bool differs(int grey, int platen, int tolerance)
{
    return std::abs(grey - platen) > tolerance;
}

Counts rowCounts(const GreyPlane &plane, int x0, int x1, int platen, int tolerance)
{
    Counts counts { std::vector<int>(size_t(plane.height), 0), x1 - x0 };
    for (int y = 0; y < plane.height; ++y) {
        const uchar *line = plane.row(y);
        int n = 0;
        for (int x = x0; x < x1; ++x)
            n += differs(line[x], platen, tolerance);
        counts.values[size_t(y)] = n;
    }
    return counts;
}

Counts columnCounts(const GreyPlane &plane, int y0, int y1, int platen, int tolerance)
{
    Counts counts { std::vector<int>(size_t(plane.width), 0), y1 - y0 };
    for (int y = y0; y < y1; ++y) {
        const uchar *line = plane.row(y);
        for (int x = 0; x < plane.width; ++x)
            counts.values[size_t(x)] += differs(line[x], platen, tolerance);
    }
    return counts;
}

// The first and one past the last position where at least half the pixels differ.
bool span(const Counts &counts, int *first, int *end)
{
    const int half = (counts.length + 1) / 2;
    *first = -1;
    *end = -1;
    for (int i = 0; i < int(counts.values.size()); ++i) {
        if (counts.values[size_t(i)] >= half) {
            if (*first < 0)
                *first = i;
            *end = i + 1;
        }
    }
    return *first >= 0;
}

// Solid inside, clean outside, and a step at both ends.
bool certain(const Counts &counts, int first, int end)
{
    const int size = int(counts.values.size());
    const double length = counts.length;
    int solid = 0;
    for (int i = first; i < end; ++i)
        solid += counts.values[size_t(i)] >= length * 0.5;
    if (solid < 0.95 * (end - first))
        return false;
    int outside = 0;
    int clean = 0;
    for (int i = 0; i < size; ++i) {
        if (i >= first && i < end)
            continue;
        ++outside;
        clean += counts.values[size_t(i)] <= length * 0.1;
    }
    if (outside > 0 && clean < 0.95 * outside)
        return false;
    // A sheet lying askew shows a ramp of partly covered rows beside each edge.
    constexpr int rampLimit = 4;
    int ramp = 0;
    for (int i = first - 1; i >= 0 && counts.values[size_t(i)] > length * 0.1; --i)
        ++ramp;
    if (ramp > rampLimit)
        return false;
    ramp = 0;
    for (int i = end; i < size && counts.values[size_t(i)] > length * 0.1; ++i)
        ++ramp;
    return ramp <= rampLimit;
}

struct Patch
{
    double mean = 0;
    double deviation = 0;
};

Patch patchAt(const GreyPlane &plane, int x0, int y0, int side)
{
    double sum = 0;
    double squares = 0;
    for (int y = y0; y < y0 + side; ++y) {
        const uchar *line = plane.row(y);
        for (int x = x0; x < x0 + side; ++x) {
            sum += line[x];
            squares += double(line[x]) * line[x];
        }
    }
    const double n = double(side) * side;
    const double mean = sum / n;
    return { mean, std::sqrt(qMax(0.0, squares / n - mean * mean)) };
}

} // namespace

QRect PaperDetector::findSheet(const QImage &scan)
{
    if (scan.isNull() || scan.width() <= 20 || scan.height() <= 20)
        return QRect();
    const GreyPlane plane = GreyPlane::reduced(scan, 1);
    const int w = plane.width;
    const int h = plane.height;
    const int side = qBound(4, qMin(w, h) / 50, 64);
    const Patch corners[4] = { patchAt(plane, 0, 0, side), patchAt(plane, w - side, 0, side),
        patchAt(plane, 0, h - side, side), patchAt(plane, w - side, h - side, side) };
    double darkest = 255;
    for (const Patch &corner : corners)
        darkest = qMin(darkest, corner.mean);
    double platenSum = 0;
    double deviation = 0;
    int platenCorners = 0;
    for (const Patch &corner : corners) {
        if (corner.mean - darkest <= 12) {
            platenSum += corner.mean;
            deviation = qMax(deviation, corner.deviation);
            ++platenCorners;
        }
    }
    // A platen is even; a corner of print or photo is not.
    if (deviation > 10)
        return QRect();
    const int platen = int(std::lround(platenSum / platenCorners));
    const int tolerance = qMax(10, int(std::ceil(4 * deviation)));

    int y0 = 0, y1 = 0, x0 = 0, x1 = 0;
    const Counts firstRows = rowCounts(plane, 0, w, platen, tolerance);
    // Over the whole width a sheet narrower than half the platen never reaches
    // half, so the first pass takes half of the fullest row instead.
    Counts scaled = firstRows;
    scaled.length = *std::max_element(firstRows.values.begin(), firstRows.values.end());
    if (scaled.length < 20 || !span(scaled, &y0, &y1))
        return QRect();
    const Counts columns = columnCounts(plane, y0, y1, platen, tolerance);
    if (!span(columns, &x0, &x1) || !certain(columns, x0, x1))
        return QRect();
    const Counts rows = rowCounts(plane, x0, x1, platen, tolerance);
    if (!span(rows, &y0, &y1) || !certain(rows, y0, y1))
        return QRect();

    const QRect sheet(x0, y0, x1 - x0, y1 - y0);
    const bool smaller = sheet.width() < w - 2 || sheet.height() < h - 2;
    const bool large = qint64(sheet.width()) * sheet.height() >= qint64(w) * h / 20;
    if (!smaller || !large || sheet.width() <= 20 || sheet.height() <= 20)
        return QRect();
    return sheet;
}
