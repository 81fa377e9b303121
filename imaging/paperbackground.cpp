#include "imaging/paperbackground.h"

#include <QVector>

#include <cmath>
#include <cstdlib>

namespace {

// Below this a block's most common brightness is ink, a photo or the scanner's lid.
constexpr int darkestPaper = 96;
// Neighbouring blocks of one sheet differ by a few levels even on strongly shaded
// paper; a larger jump is the edge of something printed on it.
constexpr int largestStep = 12;

int brightnessOf(QRgb p)
{
    return (qRed(p) + qGreen(p) + qBlue(p)) / 3;
}

} // namespace

PaperBackground::PaperBackground(const QSize &pageSize)
    : m_size(pageSize)
{
    // About forty blocks across the shorter side: big enough that a block of a dense
    // paragraph is still mostly paper, small enough to follow a shadow. Even, so that
    // every block starts on a sampled row and column.
    const int shorter = qMax(1, qMin(pageSize.width(), pageSize.height()));
    m_block = qBound(16, shorter / 40, 128) & ~1;
    m_columns = qMax(1, (pageSize.width() + m_block - 1) / m_block);
    m_rows = qMax(1, (pageSize.height() + m_block - 1) / m_block);
    m_histograms.fill(0, m_columns * m_rows * 256);
}

void PaperBackground::sample(const QImage &argb32, int firstBlockRow, int endBlockRow)
{
    const int width = m_size.width();
    for (int by = firstBlockRow; by < endBlockRow; ++by) {
        int *row = m_histograms.data() + by * m_columns * 256;
        const int end = qMin(m_size.height(), (by + 1) * m_block);
        for (int y = by * m_block; y < end; y += 2) {
            const auto *line = reinterpret_cast<const QRgb *>(argb32.constScanLine(y));
            for (int x = 0; x < width; x += 2)
                ++row[(x / m_block) * 256 + brightnessOf(line[x])];
        }
    }
}

int PaperBackground::finish()
{
    const int blocks = m_columns * m_rows;
    int page[256] = {};
    for (int b = 0; b < blocks; ++b) {
        const int *h = m_histograms.constData() + b * 256;
        for (int i = 0; i < 256; ++i)
            page[i] += h[i];
    }
    int background = 255;
    int bestCount = 0;
    for (int i = 200; i <= 255; ++i) {
        if (page[i] > bestCount) {
            bestCount = page[i];
            background = i;
        }
    }

    // Each block's paper candidate: its most common brightness, when that is light
    // and forms a clear peak (paper is even within a block; a photo is not).
    QVector<int> mode(blocks, -1);
    for (int b = 0; b < blocks; ++b) {
        const int *h = m_histograms.constData() + b * 256;
        int total = 0;
        int peak = 0;
        for (int i = 0; i < 256; ++i) {
            total += h[i];
            if (h[i] > h[peak])
                peak = i;
        }
        int near = 0;
        for (int i = qMax(0, peak - 4); i <= qMin(255, peak + 4); ++i)
            near += h[i];
        if (total > 0 && peak >= darkestPaper && near * 4 >= total)
            mode[b] = peak;
    }
    m_histograms = QVector<int>();

    // Paper is what joins the page's own paper level through small steps.
    QVector<float> level(blocks, -1.0f);
    QVector<int> queue;
    for (int b = 0; b < blocks; ++b) {
        if (mode[b] >= 0 && std::abs(mode[b] - background) <= 3) {
            level[b] = float(mode[b]);
            queue << b;
        }
    }
    for (int i = 0; i < queue.size(); ++i) {
        const int b = queue.at(i);
        const int bx = b % m_columns;
        const int by = b / m_columns;
        const int neighbours[4][2] = { { bx - 1, by }, { bx + 1, by }, { bx, by - 1 }, { bx, by + 1 } };
        for (const auto &n : neighbours) {
            if (n[0] < 0 || n[1] < 0 || n[0] >= m_columns || n[1] >= m_rows)
                continue;
            const int nb = n[1] * m_columns + n[0];
            if (level[nb] < 0 && mode[nb] >= 0 && std::abs(mode[nb] - mode[b]) <= largestStep) {
                level[nb] = float(mode[nb]);
                queue << nb;
            }
        }
    }
    if (queue.isEmpty())
        level.fill(float(background));

    // Blocks without paper (a picture, a heading) take the mean of their known
    // neighbours, ring by ring.
    for (bool open = true; open;) {
        open = false;
        QVector<float> next = level;
        for (int b = 0; b < blocks; ++b) {
            if (level[b] >= 0)
                continue;
            float sum = 0;
            int count = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int x = b % m_columns + dx;
                    const int y = b / m_columns + dy;
                    if (x < 0 || y < 0 || x >= m_columns || y >= m_rows || level[y * m_columns + x] < 0)
                        continue;
                    sum += level[y * m_columns + x];
                    ++count;
                }
            }
            if (count > 0)
                next[b] = sum / float(count);
            else
                open = true;
        }
        level = next;
    }

    // Two box passes turn the block steps into a gentle slope.
    for (int pass = 0; pass < 2; ++pass) {
        QVector<float> next(blocks);
        for (int by = 0; by < m_rows; ++by) {
            for (int bx = 0; bx < m_columns; ++bx) {
                float sum = 0;
                int count = 0;
                for (int y = qMax(0, by - 1); y <= qMin(m_rows - 1, by + 1); ++y) {
                    for (int x = qMax(0, bx - 1); x <= qMin(m_columns - 1, bx + 1); ++x) {
                        sum += level[y * m_columns + x];
                        ++count;
                    }
                }
                next[by * m_columns + bx] = sum / float(count);
            }
        }
        level = next;
    }
    m_grid = level;
    // Every row interpolates between the same columns: where each pixel lies
    // between two block centres is worked out once.
    m_left.resize(m_size.width());
    m_weight.resize(m_size.width());
    for (int x = 0; x < m_size.width(); ++x) {
        const float fx = qBound(0.0f, (float(x) + 0.5f) / float(m_block) - 0.5f, float(m_columns - 1));
        m_left[x] = int(fx);
        m_weight[x] = fx - float(m_left[x]);
    }
    return background;
}

void PaperBackground::rowLevels(int y, uchar *levels) const
{
    // Bilinear between block centres, held flat beyond the outer centres.
    const float fy = qBound(0.0f, (float(y) + 0.5f) / float(m_block) - 0.5f, float(m_rows - 1));
    const int y0 = int(fy);
    const int y1 = qMin(m_rows - 1, y0 + 1);
    const float ty = fy - float(y0);
    QVector<float> column(m_columns + 1);
    for (int bx = 0; bx < m_columns; ++bx)
        column[bx] = m_grid[y0 * m_columns + bx] * (1.0f - ty) + m_grid[y1 * m_columns + bx] * ty;
    column[m_columns] = column[m_columns - 1];
    const int width = m_size.width();
    for (int x = 0; x < width; ++x) {
        const int x0 = m_left[x];
        const float value = column[x0] + (column[x0 + 1] - column[x0]) * m_weight[x];
        levels[x] = uchar(qBound(0, int(value + 0.5f), 255));
    }
}
