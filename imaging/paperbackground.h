#pragma once

#include <QImage>
#include <QSize>
#include <QVector>

// The brightness of the paper under every pixel of a page, for background removal.
// Scanned paper is rarely even: a page curling away from the glass darkens toward
// one edge, and one level for the whole page turns the darker part into "content".
// The page is cut into square blocks; each block's paper level is the most common
// brightness of its samples, kept only where it joins the page's paper without a
// jump (a photo or a black border is not paper); blocks without paper take their
// neighbours' level, and the grid is smoothed and interpolated, so the level follows
// the paper without a step.
//
// Threading: sample() may run on several threads at once for disjoint block rows;
// finish() and the readers run after all sampling is done.
class PaperBackground
{
public:
    explicit PaperBackground(const QSize &pageSize);

    int blockSize() const { return m_block; }
    int blockRows() const { return m_rows; }
    // Brightness samples of every second row and column (those of even coordinates)
    // of ARGB32 page rows in block rows first..end-1.
    void sample(const QImage &argb32, int firstBlockRow, int endBlockRow);
    // Builds the level grid; returns the page's one paper level: the most common
    // sampled brightness in 200..255 (the lowest on a tie), 255 when there is none.
    int finish();
    // The paper level of each pixel of row y (width values).
    void rowLevels(int y, uchar *levels) const;

private:
    QSize m_size;
    int m_block = 0;
    int m_columns = 0;
    int m_rows = 0;
    QVector<int> m_histograms; // 256 counts per block
    QVector<float> m_grid; // smoothed level per block
    QVector<int> m_left; // per column: the block centre at or left of it
    QVector<float> m_weight; // per column: its share of the next centre
};
