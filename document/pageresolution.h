#pragma once

#include <QImage>
#include <QSizeF>

// What a page's dots per metre say about its physical size. A new QImage carries
// Qt's default of 3780 dots per metre (96 dpi), which no scanner produces, so that
// value counts as unknown, as does anything no scanner could have delivered.
//
// Pure functions; safe from any thread.
class PageResolution
{
public:
    static bool isKnown(const QImage &page);
    // Dots per inch across and down; 0 when unknown.
    static double dpiX(const QImage &page);
    static double dpiY(const QImage &page);
    // Sets both axes, rounded to whole dots per metre as the image formats store them.
    static void set(QImage *page, double dpiX, double dpiY);
    // Copies the source's resolution onto the target (an image built from it).
    static void copy(const QImage &source, QImage *target);
    // The page's physical size in points (pixels × 72 / dpi), snapped to A4, A5,
    // Letter or Legal in either orientation when within 1 %; an empty size when the
    // resolution is unknown.
    static QSizeF sizeInPoints(const QImage &page);
};
