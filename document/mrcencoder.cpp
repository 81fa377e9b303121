#include "document/mrcencoder.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <vector>

namespace {

// The mask's page-sized byte buffer, handed on from one page to the next: the
// writer encodes each page on a fresh helper thread, where fresh memory of that
// size costs thousands of page faults every time. Two are kept, one a core, up
// to the size of an A3 page at 300 dpi: larger pages are rare enough to pay.
class MaskBuffer
{
public:
    explicit MaskBuffer(size_t size)
    {
        {
            std::lock_guard<std::mutex> lock(mutex());
            if (!spares().empty()) {
                m_bytes.swap(spares().back());
                spares().pop_back();
            }
        }
        m_bytes.assign(size, 0);
    }
    ~MaskBuffer()
    {
        if (m_bytes.capacity() > largestKept)
            return;
        std::lock_guard<std::mutex> lock(mutex());
        if (spares().size() < 2)
            spares().push_back(std::move(m_bytes));
    }
    MaskBuffer(const MaskBuffer &) = delete;
    MaskBuffer &operator=(const MaskBuffer &) = delete;

    uint8_t *data() { return m_bytes.data(); }

private:
    static constexpr size_t largestKept = size_t(20) << 20;

    static std::mutex &mutex()
    {
        static std::mutex shared;
        return shared;
    }
    static std::vector<std::vector<uint8_t>> &spares()
    {
        static std::vector<std::vector<uint8_t>> kept;
        return kept;
    }

    std::vector<uint8_t> m_bytes;
};

// Measured on rendered office pages (bench/document_bench): the default keeps the
// paper's tint and a photo region recognisable at about 100 kB a page; each later
// rung takes roughly a fifth off, the last one the mask's resolution too.
constexpr MrcEncoder::Level levels[] = {
    { 100, 45, 37.5, 50, 0, 200, 60 },
    { 75, 40, 30, 45, 0, 150, 50 },
    { 60, 35, 25, 40, 0, 120, 45 },
    { 60, 35, 25, 40, 200, 100, 40 },
};

// Ink is what is clearly darker than the paper around it (below 60 % of its
// brightness and 40 levels under it), or clearly coloured and darker: the
// threshold that keeps strokes at their printed width, and a seal's red that is
// lighter than black text.
constexpr float inkShare = 0.6f;
constexpr int inkContrast = 40;
constexpr int inkChroma = 80;
// The paper around a pixel: the brightest cell within this many cells (56 px at
// 300 dpi), wider than any stroke, narrower than the paper's shading.
constexpr int paperRadius = 3;
// A layer cell counts as detail (a photo) when its brightness changes by more than
// this towards its neighbours; paper noise averaged over a cell stays well below.
constexpr int detailStep = 14;
// Past these shares of the page the mask does not pay: a photograph, a page mostly
// dark. Below the last one there is nothing to mask.
constexpr double photoShare = 0.25;
constexpr double inkShareLimit = 0.3;
constexpr double emptyShare = 0.0002;
// A layer is grey when no cell strays further from grey, and the ink is one colour
// when no ink cell strays further from its mean.
constexpr int greyTolerance = 10;
constexpr int uniformTolerance = 28;
// Sizes the split handles; beyond them the page is written continuous tone.
constexpr int smallestSide = 64;
constexpr int longestSide = 20000;

inline int greyOf(QRgb pixel)
{
    return (qRed(pixel) * 77 + qGreen(pixel) * 150 + qBlue(pixel) * 29) >> 8;
}

inline int chromaOf(QRgb pixel)
{
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    return std::max({ r, g, b }) - std::min({ r, g, b });
}

// Colour sums per cell of a reduced grid; cells without samples are filled from
// their surroundings by averaging down a pyramid and copying back up, which costs
// next to nothing and leaves smooth colour that compresses well.
struct Grid
{
    int width = 0;
    int height = 0;
    std::vector<float> r, g, b, weight;

    Grid(int w, int h)
        : width(w)
        , height(h)
        , r(size_t(w) * h)
        , g(size_t(w) * h)
        , b(size_t(w) * h)
        , weight(size_t(w) * h)
    {
    }

    void add(size_t i, QRgb pixel, float w)
    {
        r[i] += qRed(pixel) * w;
        g[i] += qGreen(pixel) * w;
        b[i] += qBlue(pixel) * w;
        weight[i] += w;
    }
};

void fillGaps(Grid &grid)
{
    const size_t cells = grid.r.size();
    bool gaps = false;
    for (size_t i = 0; i < cells && !gaps; ++i)
        gaps = grid.weight[i] <= 0;
    if (!gaps)
        return;
    if (grid.width <= 1 && grid.height <= 1) {
        grid.r[0] = grid.g[0] = grid.b[0] = 255;
        grid.weight[0] = 1;
        return;
    }
    Grid parent((grid.width + 1) / 2, (grid.height + 1) / 2);
    for (int y = 0; y < grid.height; ++y) {
        for (int x = 0; x < grid.width; ++x) {
            const size_t from = size_t(y) * grid.width + x;
            const size_t to = size_t(y / 2) * parent.width + x / 2;
            parent.r[to] += grid.r[from];
            parent.g[to] += grid.g[from];
            parent.b[to] += grid.b[from];
            parent.weight[to] += grid.weight[from];
        }
    }
    fillGaps(parent);
    for (int y = 0; y < grid.height; ++y) {
        for (int x = 0; x < grid.width; ++x) {
            const size_t i = size_t(y) * grid.width + x;
            if (grid.weight[i] > 0)
                continue;
            const size_t p = size_t(y / 2) * parent.width + x / 2;
            const float share = 1 / parent.weight[p];
            grid.r[i] = parent.r[p] * share;
            grid.g[i] = parent.g[p] * share;
            grid.b[i] = parent.b[p] * share;
            grid.weight[i] = 1;
        }
    }
}

// The grid as an image; grey when every cell is.
QImage imageOf(const Grid &grid)
{
    QImage image(grid.width, grid.height, QImage::Format_RGB32);
    bool grey = true;
    for (int y = 0; y < grid.height; ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < grid.width; ++x) {
            const size_t i = size_t(y) * grid.width + x;
            const float share = 1 / grid.weight[i];
            const int r = qBound(0, int(grid.r[i] * share + 0.5f), 255);
            const int g = qBound(0, int(grid.g[i] * share + 0.5f), 255);
            const int b = qBound(0, int(grid.b[i] * share + 0.5f), 255);
            grey = grey && std::abs(r - g) <= greyTolerance && std::abs(g - b) <= greyTolerance;
            row[x] = qRgb(r, g, b);
        }
    }
    return grey ? image.convertToFormat(QImage::Format_Grayscale8) : image;
}

// Brightest of the cells within radius, both ways (separable), then a 3 × 3 mean
// so the threshold changes gently from cell to cell.
std::vector<float> paperLevel(const std::vector<float> &cells, int width, int height)
{
    std::vector<float> across(cells.size()), level(cells.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float best = 0;
            for (int k = std::max(0, x - paperRadius); k <= std::min(width - 1, x + paperRadius); ++k)
                best = std::max(best, cells[size_t(y) * width + k]);
            across[size_t(y) * width + x] = best;
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float best = 0;
            for (int k = std::max(0, y - paperRadius); k <= std::min(height - 1, y + paperRadius); ++k)
                best = std::max(best, across[size_t(k) * width + x]);
            level[size_t(y) * width + x] = best;
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float sum = 0;
            int count = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= width || ny >= height)
                        continue;
                    sum += level[size_t(ny) * width + nx];
                    ++count;
                }
            }
            across[size_t(y) * width + x] = sum / count;
        }
    }
    return across;
}

} // namespace

int MrcEncoder::levelCount()
{
    return int(sizeof levels / sizeof levels[0]);
}

MrcEncoder::Level MrcEncoder::level(int step)
{
    return levels[qBound(0, step, levelCount() - 1)];
}

MrcEncoder::Layers MrcEncoder::split(const QImage &source, double dpi, const Level &level)
{
    Layers layers;
    if (dpi <= 0)
        dpi = 300;
    const int width = source.width();
    const int height = source.height();
    const int inkCell = std::max(2, int(std::lround(dpi / level.foregroundDpi)));
    const int paperCell = std::max(1, int(std::lround(dpi / level.backgroundDpi)));
    if (std::min(width, height) < std::max(smallestSide, 4 * inkCell)) {
        layers.fallback = QCoreApplication::translate("MrcEncoder", "页面太小");
        return layers;
    }
    if (std::max(width, height) > longestSide) {
        layers.fallback = QCoreApplication::translate("MrcEncoder", "页面太长");
        return layers;
    }
    const QImage page = source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
        ? source
        : source.convertToFormat(QImage::Format_RGB32);

    // Mean brightness per ink cell. The brightness of a pixel is worked out again
    // wherever it is needed rather than kept: a page-sized buffer costs more in
    // fresh memory (thousands of page faults on each helper thread) than the sum.
    const int cellsAcross = (width + inkCell - 1) / inkCell;
    const int cellsDown = (height + inkCell - 1) / inkCell;
    std::vector<float> cellMean(size_t(cellsAcross) * cellsDown);
    for (int y = 0; y < height; ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        float *cells = cellMean.data() + size_t(y / inkCell) * cellsAcross;
        for (int x = 0; x < width; ++x)
            cells[x / inkCell] += greyOf(row[x]);
    }
    for (int cy = 0; cy < cellsDown; ++cy) {
        const int rows = std::min(inkCell, height - cy * inkCell);
        for (int cx = 0; cx < cellsAcross; ++cx)
            cellMean[size_t(cy) * cellsAcross + cx] /= float(rows * std::min(inkCell, width - cx * inkCell));
    }
    const std::vector<float> paper = paperLevel(cellMean, cellsAcross, cellsDown);

    // The mask, one byte a pixel while it is built.
    MaskBuffer ink(size_t(width) * height);
    qint64 inkPixels = 0;
    for (int y = 0; y < height; ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        uint8_t *out = ink.data() + size_t(y) * width;
        const float *around = paper.data() + size_t(y / inkCell) * cellsAcross;
        for (int x = 0; x < width; ++x) {
            const float p = around[x / inkCell];
            const int g = greyOf(row[x]);
            const int darker = int(p) - g;
            if (darker < inkContrast)
                continue;
            if (g < p * inkShare || chromaOf(row[x]) > inkChroma) {
                out[x] = 1;
                ++inkPixels;
            }
        }
    }
    // Specks of sensor noise: ink with no ink around it costs the mask more than
    // any stroke and shows as dirt.
    for (int y = 0; y < height; ++y) {
        uint8_t *row = ink.data() + size_t(y) * width;
        const uint8_t *above = y > 0 ? row - width : nullptr;
        const uint8_t *below = y + 1 < height ? row + width : nullptr;
        for (int x = 0; x < width; ++x) {
            if (!row[x])
                continue;
            bool neighbour = false;
            for (int dx = -1; dx <= 1 && !neighbour; ++dx) {
                const int nx = x + dx;
                if (nx < 0 || nx >= width)
                    continue;
                neighbour = (dx != 0 && row[nx]) || (above && above[nx]) || (below && below[nx]);
            }
            if (!neighbour) {
                row[x] = 0;
                --inkPixels;
            }
        }
    }
    const double pixels = double(width) * height;
    if (inkPixels < pixels * emptyShare) {
        layers.fallback = QCoreApplication::translate("MrcEncoder", "页面没有文字或线条");
        return layers;
    }
    if (inkPixels > pixels * inkShareLimit) {
        layers.fallback = QCoreApplication::translate("MrcEncoder", "页面大部分是深色");
        return layers;
    }

    // Ink colour, weighted by how far a pixel is from the paper (the cores of the
    // strokes more than their soft edges); paper colour from the pixels at least
    // one pixel away from any ink, so no dark halo follows the text.
    const int paperAcross = (width + paperCell - 1) / paperCell;
    const int paperDown = (height + paperCell - 1) / paperCell;
    Grid inkGrid(cellsAcross, cellsDown);
    Grid paperGrid(paperAcross, paperDown);
    std::vector<uint8_t> nearInk(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        const QRgb *row = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        const uint8_t *m = ink.data() + size_t(y) * width;
        const uint8_t *above = y > 0 ? m - width : m;
        const uint8_t *below = y + 1 < height ? m + width : m;
        for (int x = 0; x < width; ++x)
            nearInk[x] = m[x] | above[x] | below[x];
        const float *around = paper.data() + size_t(y / inkCell) * cellsAcross;
        const size_t inkRow = size_t(y / inkCell) * cellsAcross;
        const size_t paperRow = size_t(y / paperCell) * paperAcross;
        for (int x = 0; x < width; ++x) {
            if (m[x]) {
                inkGrid.add(inkRow + x / inkCell, row[x], std::max(1.f, around[x / inkCell] - greyOf(row[x])));
                continue;
            }
            if (nearInk[x] || (x > 0 && nearInk[x - 1]) || (x + 1 < width && nearInk[x + 1]))
                continue;
            paperGrid.add(paperRow + x / paperCell, row[x], 1);
        }
    }

    // Detail left in the paper layer is what the mask could not describe.
    const std::vector<float> sampled = paperGrid.weight;
    fillGaps(paperGrid);
    qint64 detailed = 0;
    for (int y = 0; y + 1 < paperDown; ++y) {
        for (int x = 0; x + 1 < paperAcross; ++x) {
            const size_t i = size_t(y) * paperAcross + x;
            if (sampled[i] <= 0)
                continue;
            const auto lum = [&paperGrid](size_t k) {
                return (paperGrid.r[k] * 77 + paperGrid.g[k] * 150 + paperGrid.b[k] * 29) / (256 * paperGrid.weight[k]);
            };
            const float here = lum(i);
            if (std::abs(here - lum(i + 1)) + std::abs(here - lum(i + paperAcross)) > detailStep)
                ++detailed;
        }
    }
    if (detailed > double(paperAcross) * paperDown * photoShare) {
        layers.fallback = QCoreApplication::translate("MrcEncoder", "页面以图片为主");
        return layers;
    }

    // One ink colour for the whole page draws the mask alone, filled with it.
    double sums[3] = { 0, 0, 0 };
    double total = 0;
    for (size_t i = 0; i < inkGrid.weight.size(); ++i) {
        sums[0] += inkGrid.r[i];
        sums[1] += inkGrid.g[i];
        sums[2] += inkGrid.b[i];
        total += inkGrid.weight[i];
    }
    const QColor mean(int(sums[0] / total), int(sums[1] / total), int(sums[2] / total));
    bool uniform = true;
    for (size_t i = 0; i < inkGrid.weight.size() && uniform; ++i) {
        // Cells with a few faint pixels only say little about the ink's colour.
        if (inkGrid.weight[i] < 4 * inkContrast)
            continue;
        const float share = 1 / inkGrid.weight[i];
        uniform = std::abs(inkGrid.r[i] * share - mean.red()) <= uniformTolerance
            && std::abs(inkGrid.g[i] * share - mean.green()) <= uniformTolerance
            && std::abs(inkGrid.b[i] * share - mean.blue()) <= uniformTolerance;
    }
    if (uniform) {
        layers.uniformInk = mean;
    } else {
        fillGaps(inkGrid);
        layers.foreground = imageOf(inkGrid);
    }
    layers.background = imageOf(paperGrid);

    layers.mask = QImage(width, height, QImage::Format_Mono);
    layers.mask.setColorTable({ qRgb(0, 0, 0), qRgb(255, 255, 255) });
    for (int y = 0; y < height; ++y) {
        uchar *bits = layers.mask.scanLine(y);
        const uint8_t *m = ink.data() + size_t(y) * width;
        const int bytes = (width + 7) / 8;
        for (int i = 0; i < bytes; ++i) {
            uchar packed = 0xff;
            const int first = i * 8;
            for (int k = 0; k < 8 && first + k < width; ++k) {
                if (m[first + k])
                    packed &= uchar(~(0x80 >> k));
            }
            bits[i] = packed;
        }
    }
    return layers;
}
