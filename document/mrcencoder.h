#pragma once

#include <QColor>
#include <QImage>
#include <QString>

// Splits a scanned page of text and lines on paper into mixed raster content: a
// 1-bit mask of the ink at the page's full resolution, the colour of the ink and
// the colour of the paper as two small images. Drawn as paper, then ink through
// the mask, the page keeps the scan's sharp strokes and its coloured marks (seals,
// signatures, highlighter) at a fraction of a continuous-tone page's size.
//
// Whether the split pays is measured on the page, never assumed: a page the
// mask cannot describe (a photograph, an empty sheet, a tiny or very long page,
// a page mostly dark) comes back with fallback set and no layers.
//
// Pure functions; safe from any thread.
class MrcEncoder
{
public:
    // One rung of the ladder a size limit climbs down: 0 is the default, each
    // later one smaller. Resolutions in dpi, qualities 0..100 (JPEG).
    struct Level
    {
        double backgroundDpi;
        int backgroundQuality;
        double foregroundDpi;
        int foregroundQuality;
        double maskDpi; // 0: the page's own
        double photoDpi; // continuous-tone pages
        int photoQuality;
    };
    static int levelCount();
    static Level level(int step);

    struct Layers
    {
        QImage mask; // Format_Mono, index 0 black = ink; the page's size
        QImage background; // paper, RGB32 or Grayscale8, reduced resolution
        QImage foreground; // ink colour, RGB32 or Grayscale8, reduced resolution
        // Valid when all ink has one colour: the mask alone, filled with it.
        QColor uniformInk;
        QString fallback; // why the page is not layered; empty when it is
    };

    // The page at its own resolution (dpi 0: unknown, taken as 300).
    static Layers split(const QImage &page, double dpi, const Level &level);
};
