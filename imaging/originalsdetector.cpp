#include "imaging/originalsdetector.h"

#include <QLineF>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/greyplane.h"

// The originals are found on a copy reduced to about 75 dpi: every pixel that
// differs clearly from the platen (its grey and noise read off the scan's
// border) is an original or its print; holes (dark print on a dark platen)
// are filled, and each connected shape is one candidate. Its smallest
// enclosing rectangle gives the turn and a first outline; a shape that fills
// that rectangle poorly is several originals lying against each other. Each
// edge is then placed at full resolution, from where the grey profiles across
// it cross halfway between platen and paper, and fitted as a line; the
// corners are where the lines meet.
namespace {

constexpr double mmPerInch = 25.4;
constexpr double workDpi = 75.0;
// Dust and specks on the glass are no original at all.
constexpr double dustSideMm = 5.0;
// A single original fills its enclosing rectangle; two lying against each
// other leave the notches between them empty.
constexpr double solidFill = 0.92;

struct Point
{
    double x;
    double y;
};

double cross(const Point &o, const Point &a, const Point &b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

std::vector<Point> convexHull(std::vector<Point> points)
{
    std::sort(points.begin(), points.end(),
        [](const Point &a, const Point &b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    if (points.size() < 3)
        return points;
    std::vector<Point> hull(2 * points.size());
    size_t k = 0;
    for (const Point &p : points) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], p) <= 0)
            --k;
        hull[k++] = p;
    }
    for (size_t i = points.size() - 1, lower = k + 1; i > 0; --i) {
        const Point &p = points[i - 1];
        while (k >= lower && cross(hull[k - 2], hull[k - 1], p) <= 0)
            --k;
        hull[k++] = p;
    }
    hull.resize(k - 1);
    return hull;
}

// The smallest rectangle around a convex hull: one of its sides lies on a hull edge.
struct Box
{
    Point centre {};
    double angle = 0; // radians, the direction of the "width" side, within ±45°
    double width = 0;
    double height = 0;
};

Box smallestBox(const std::vector<Point> &hull)
{
    Box best;
    double bestArea = -1;
    for (size_t i = 0; i < hull.size(); ++i) {
        const Point &a = hull[i];
        const Point &b = hull[(i + 1) % hull.size()];
        double theta = std::atan2(b.y - a.y, b.x - a.x);
        // Fold the direction into ±45° so that width runs left to right.
        while (theta > M_PI / 4)
            theta -= M_PI / 2;
        while (theta <= -M_PI / 4)
            theta += M_PI / 2;
        const double c = std::cos(theta);
        const double s = std::sin(theta);
        double minU = 1e18, maxU = -1e18, minV = 1e18, maxV = -1e18;
        for (const Point &p : hull) {
            const double u = p.x * c + p.y * s;
            const double v = -p.x * s + p.y * c;
            minU = std::min(minU, u);
            maxU = std::max(maxU, u);
            minV = std::min(minV, v);
            maxV = std::max(maxV, v);
        }
        const double area = (maxU - minU) * (maxV - minV);
        if (bestArea < 0 || area < bestArea) {
            bestArea = area;
            const double cu = (minU + maxU) / 2;
            const double cv = (minV + maxV) / 2;
            best.centre = { cu * c - cv * s, cu * s + cv * c };
            best.angle = theta;
            best.width = maxU - minU;
            best.height = maxV - minV;
        }
    }
    return best;
}

struct Shape
{
    int area = 0;
    int left = 0, top = 0, right = 0, bottom = 0; // inclusive bounds in work pixels
    std::vector<Point> rowEnds; // corners of the first and last pixel of every row
};

struct Platen
{
    int grey = 0;
    int tolerance = 0;
};

// The border of the scan is mostly platen; its median grey and spread.
Platen platenOf(const GreyPlane &plane)
{
    std::vector<uchar> border;
    const int w = plane.width;
    const int h = plane.height;
    for (int x = 0; x < w; ++x) {
        border.push_back(plane.row(0)[x]);
        border.push_back(plane.row(h - 1)[x]);
    }
    for (int y = 1; y < h - 1; ++y) {
        border.push_back(plane.row(y)[0]);
        border.push_back(plane.row(y)[w - 1]);
    }
    const auto middle = border.begin() + std::ptrdiff_t(border.size() / 2);
    std::nth_element(border.begin(), middle, border.end());
    const int median = *middle;
    std::vector<int> deviations;
    deviations.reserve(border.size());
    for (uchar g : border)
        deviations.push_back(std::abs(int(g) - median));
    const auto mid = deviations.begin() + std::ptrdiff_t(deviations.size() / 2);
    std::nth_element(deviations.begin(), mid, deviations.end());
    return { median, std::max(12, 5 * *mid) };
}

// Shapes of pixels unlike the platen, their holes filled.
std::vector<Shape> shapesOf(const GreyPlane &plane, const Platen &platen)
{
    const int w = plane.width;
    const int h = plane.height;
    const size_t n = size_t(w) * size_t(h);
    // 0 platen not yet reached, 1 unlike the platen, 2 platen reached from outside.
    std::vector<uchar> mask(n);
    for (int y = 0; y < h; ++y) {
        const uchar *line = plane.row(y);
        for (int x = 0; x < w; ++x)
            mask[size_t(y) * size_t(w) + size_t(x)] = std::abs(int(line[x]) - platen.grey) > platen.tolerance;
    }
    std::vector<int> stack;
    const auto seed = [&](int x, int y) {
        const size_t i = size_t(y) * size_t(w) + size_t(x);
        if (mask[i] == 0) {
            mask[i] = 2;
            stack.push_back(int(i));
        }
    };
    for (int x = 0; x < w; ++x) {
        seed(x, 0);
        seed(x, h - 1);
    }
    for (int y = 0; y < h; ++y) {
        seed(0, y);
        seed(w - 1, y);
    }
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        const int x = i % w;
        const int y = i / w;
        if (x > 0)
            seed(x - 1, y);
        if (x < w - 1)
            seed(x + 1, y);
        if (y > 0)
            seed(x, y - 1);
        if (y < h - 1)
            seed(x, y + 1);
    }

    std::vector<int> label(n, -1);
    std::vector<Shape> shapes;
    for (size_t start = 0; start < n; ++start) {
        if (mask[start] == 2 || label[start] >= 0)
            continue;
        const int id = int(shapes.size());
        Shape shape;
        shape.left = shape.right = int(start) % w;
        shape.top = shape.bottom = int(start) / w;
        std::vector<std::pair<int, int>> rows; // per row of the bounds: first and last x
        label[start] = id;
        stack.assign(1, int(start));
        std::vector<int> members;
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            members.push_back(i);
            const int x = i % w;
            const int y = i / w;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                        continue;
                    const size_t j = size_t(ny) * size_t(w) + size_t(nx);
                    if (mask[j] != 2 && label[j] < 0) {
                        label[j] = id;
                        stack.push_back(int(j));
                    }
                }
            }
        }
        for (int i : members) {
            shape.left = std::min(shape.left, i % w);
            shape.right = std::max(shape.right, i % w);
            shape.top = std::min(shape.top, i / w);
            shape.bottom = std::max(shape.bottom, i / w);
        }
        rows.assign(size_t(shape.bottom - shape.top + 1), { w, -1 });
        for (int i : members) {
            auto &row = rows[size_t(i / w - shape.top)];
            row.first = std::min(row.first, i % w);
            row.second = std::max(row.second, i % w);
        }
        for (size_t r = 0; r < rows.size(); ++r) {
            if (rows[r].second < 0)
                continue;
            const double y = shape.top + double(r);
            shape.rowEnds.push_back({ double(rows[r].first), y });
            shape.rowEnds.push_back({ double(rows[r].first), y + 1 });
            shape.rowEnds.push_back({ double(rows[r].second + 1), y });
            shape.rowEnds.push_back({ double(rows[r].second + 1), y + 1 });
        }
        shape.area = int(members.size());
        shapes.push_back(std::move(shape));
    }
    return shapes;
}

// Grey of the full page, as one plane without reduction.
int greyAt(const GreyPlane &page, double x, double y)
{
    const int ix = int(std::floor(x));
    const int iy = int(std::floor(y));
    if (ix < 0 || iy < 0 || ix >= page.width || iy >= page.height)
        return -1;
    return page.row(iy)[ix];
}

struct Line
{
    // Points p with n·p = d; n is the unit normal pointing out of the original.
    double nx = 0, ny = 0, d = 0;
};

// One edge placed at full resolution: profiles across the coarse edge, each
// crossing halfway between platen and paper, fitted as a line. Profiles that
// run off the scan (an original against its border) are left out; with too
// few, the coarse edge stands.
Line refineEdge(const GreyPlane &page, const Platen &platen, Point a, Point b, Point outward, double reach)
{
    Line coarse;
    coarse.nx = outward.x;
    coarse.ny = outward.y;
    coarse.d = outward.x * a.x + outward.y * a.y;

    constexpr int samples = 24;
    constexpr double step = 0.5;
    // The paper's grey beside this edge, from the inner ends of the profiles
    // (the median, so that print there does not count).
    std::vector<int> inners;
    for (int s = 0; s < samples; ++s) {
        const double t = 0.12 + 0.76 * s / (samples - 1);
        const int g
            = greyAt(page, a.x + (b.x - a.x) * t - outward.x * reach, a.y + (b.y - a.y) * t - outward.y * reach);
        if (g >= 0)
            inners.push_back(g);
    }
    if (inners.size() < 6)
        return coarse;
    std::nth_element(inners.begin(), inners.begin() + std::ptrdiff_t(inners.size() / 2), inners.end());
    const int paperSide = inners[inners.size() / 2] - platen.grey;
    if (std::abs(paperSide) <= platen.tolerance)
        return coarse;
    const double half = platen.grey + paperSide / 2.0;
    const auto isPaper = [&](int g) {
        return paperSide > 0 ? g > half : g < half;
    };

    std::vector<Point> found;
    for (int s = 0; s < samples; ++s) {
        const double t = 0.12 + 0.76 * s / (samples - 1);
        const Point base { a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t };
        // From inside (paper) to outside (platen); the edge is the last step
        // from paper to platen, since print inside may cross halfway too.
        double previousOffset = -reach;
        int previous = greyAt(page, base.x - outward.x * reach, base.y - outward.y * reach);
        bool crossed = false;
        bool complete = previous >= 0;
        Point edge {};
        for (double offset = -reach + step; complete && offset <= reach; offset += step) {
            const int g = greyAt(page, base.x + outward.x * offset, base.y + outward.y * offset);
            if (g < 0) {
                complete = false;
                break;
            }
            if (isPaper(previous) && !isPaper(g)) {
                const double fraction = g == previous ? 0.5 : (previous - half) / double(previous - g);
                const double at = previousOffset + fraction * step;
                edge = { base.x + outward.x * at, base.y + outward.y * at };
                crossed = true;
            }
            previous = g;
            previousOffset = offset;
        }
        if (complete && crossed)
            found.push_back(edge);
    }
    if (found.size() < 6)
        return coarse;

    // Total least squares, then once more without the points far from the line
    // (a notch of print reaching the edge, a speck beside it).
    std::vector<Point> points = found;
    Line fitted = coarse;
    for (int pass = 0; pass < 2; ++pass) {
        if (points.size() < 6)
            break;
        double mx = 0, my = 0;
        for (const Point &p : points) {
            mx += p.x;
            my += p.y;
        }
        mx /= points.size();
        my /= points.size();
        double sxx = 0, syy = 0, sxy = 0;
        for (const Point &p : points) {
            sxx += (p.x - mx) * (p.x - mx);
            syy += (p.y - my) * (p.y - my);
            sxy += (p.x - mx) * (p.y - my);
        }
        // The normal is the eigenvector of the smaller eigenvalue.
        const double theta = 0.5 * std::atan2(2 * sxy, sxx - syy);
        double nx = -std::sin(theta);
        double ny = std::cos(theta);
        if (nx * outward.x + ny * outward.y < 0) {
            nx = -nx;
            ny = -ny;
        }
        fitted = { nx, ny, nx * mx + ny * my };
        std::vector<Point> kept;
        for (const Point &p : points) {
            if (std::abs(fitted.nx * p.x + fitted.ny * p.y - fitted.d) <= 1.5)
                kept.push_back(p);
        }
        points.swap(kept);
    }
    return fitted;
}

QPointF meet(const Line &a, const Line &b)
{
    const double det = a.nx * b.ny - a.ny * b.nx;
    if (std::abs(det) < 1e-9)
        return QPointF();
    return QPointF((a.d * b.ny - a.ny * b.d) / det, (a.nx * b.d - a.d * b.nx) / det);
}

QImage straightened(const QImage &page, const QPolygonF &corners)
{
    const double width = (QLineF(corners[0], corners[1]).length() + QLineF(corners[3], corners[2]).length()) / 2;
    const double height = (QLineF(corners[0], corners[3]).length() + QLineF(corners[1], corners[2]).length()) / 2;
    const QSize size(std::max(1, int(std::lround(width))), std::max(1, int(std::lround(height))));
    // An original on the glass is a rectangle seen straight on, so its corners
    // nearly always form a parallelogram: then the map is affine, which the
    // painter draws several times faster than a perspective one. Only corners
    // that are clearly not one keep the perspective map.
    const QPointF across = (corners[1] - corners[0] + corners[2] - corners[3]) / 2;
    const QPointF down = (corners[3] - corners[0] + corners[2] - corners[1]) / 2;
    const QPointF origin = (corners[0] + corners[1] + corners[2] + corners[3]) / 4 - (across + down) / 2;
    const QPointF fitted[4] = { origin, origin + across, origin + across + down, origin + down };
    double skew = 0;
    for (int i = 0; i < 4; ++i)
        skew = std::max(skew, QLineF(corners[i], fitted[i]).length());
    QTransform toPage(across.x() / size.width(), across.y() / size.width(), down.x() / size.height(),
        down.y() / size.height(), origin.x(), origin.y());
    const QPolygonF frame(
        { QPointF(0, 0), QPointF(size.width(), 0), QPointF(size.width(), size.height()), QPointF(0, size.height()) });
    if (skew > 1 && !QTransform::quadToQuad(frame, corners, toPage))
        return QImage();
    QImage image(size, page.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(page.dotsPerMeterX());
    image.setDotsPerMeterY(page.dotsPerMeterY());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setTransform(toPage.inverted());
    painter.drawImage(QPointF(0, 0), page);
    painter.end();
    return image;
}

// Rows first: the topmost original opens a row that takes every original whose
// middle lies within its height; each row is read left to right.
void readingOrder(QList<OriginalsDetector::Original> &originals)
{
    QList<OriginalsDetector::Original> rest = originals;
    originals.clear();
    const auto bounds = [](const OriginalsDetector::Original &o) {
        return o.corners.boundingRect();
    };
    std::sort(
        rest.begin(), rest.end(), [&](const auto &a, const auto &b) { return bounds(a).top() < bounds(b).top(); });
    while (!rest.isEmpty()) {
        const QRectF first = bounds(rest.first());
        QList<OriginalsDetector::Original> row;
        for (int i = 0; i < rest.size();) {
            const double middle = bounds(rest.at(i)).center().y();
            if (middle >= first.top() && middle <= first.bottom())
                row << rest.takeAt(i);
            else
                ++i;
        }
        std::sort(
            row.begin(), row.end(), [&](const auto &a, const auto &b) { return bounds(a).left() < bounds(b).left(); });
        originals << row;
    }
}

} // namespace

OriginalsDetector::Result OriginalsDetector::detect(const QImage &page, bool withImages)
{
    Result result;
    if (page.isNull() || page.width() < 16 || page.height() < 16)
        return result;
    double dpi = page.dotsPerMeterX() * 0.0254;
    if (dpi < 30 || dpi > 4800)
        dpi = 300;
    const int factor = std::max(1, int(std::lround(dpi / workDpi)));
    const GreyPlane work = GreyPlane::reduced(page, factor);
    if (work.width < 8 || work.height < 8)
        return result;
    const Platen platen = platenOf(work);
    const double mmPerWorkPixel = factor / dpi * mmPerInch;

    // Full resolution for the edges; the reduction of one is a plain copy.
    const GreyPlane full = GreyPlane::reduced(page, 1);
    const QImage source = page.format() == QImage::Format_RGB32 || page.format() == QImage::Format_ARGB32
        ? page
        : page.convertToFormat(QImage::Format_RGB32);

    for (const Shape &shape : shapesOf(work, platen)) {
        const double spanMm = std::max(shape.right - shape.left + 1, shape.bottom - shape.top + 1) * mmPerWorkPixel;
        if (spanMm < dustSideMm)
            continue;
        const Box box = smallestBox(convexHull(shape.rowEnds));
        if (std::min(box.width, box.height) * mmPerWorkPixel < smallestSideMm) {
            ++result.tooSmall;
            continue;
        }
        if (shape.area < solidFill * box.width * box.height) {
            ++result.touching;
            continue;
        }

        // The coarse outline at full resolution, then each edge placed on the page.
        const double c = std::cos(box.angle);
        const double s = std::sin(box.angle);
        const Point centre { box.centre.x * factor, box.centre.y * factor };
        const double hw = box.width * factor / 2;
        const double hh = box.height * factor / 2;
        const auto corner = [&](double u, double v) {
            return Point { centre.x + u * c - v * s, centre.y + u * s + v * c };
        };
        const Point tl = corner(-hw, -hh), tr = corner(hw, -hh), br = corner(hw, hh), bl = corner(-hw, hh);
        const double reach = 2.5 * factor;
        const Line top = refineEdge(full, platen, tl, tr, { s, -c }, reach);
        const Line right = refineEdge(full, platen, tr, br, { c, s }, reach);
        const Line bottom = refineEdge(full, platen, br, bl, { -s, c }, reach);
        const Line left = refineEdge(full, platen, bl, tl, { -c, -s }, reach);

        Original original;
        original.corners = QPolygonF({ meet(top, left), meet(top, right), meet(bottom, right), meet(bottom, left) });
        const QLineF topEdge(original.corners[0], original.corners[1]);
        original.angle = -topEdge.angle();
        if (original.angle < -180)
            original.angle += 360;
        if (withImages)
            original.image = straightened(source, original.corners);
        result.originals << original;
    }
    readingOrder(result.originals);
    return result;
}
