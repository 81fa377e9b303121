#pragma once

#include <QImage>
#include <QPoint>
#include <QPolygonF>
#include <QRectF>
#include <QRect>
#include <QSize>
#include <QVector>

// Pages drawn with QPainter at a given resolution, for the tests and benchmarks
// of deskew, paper-edge cropping and orientation: text in several fonts and
// layouts (English, Chinese, tables, forms), photo-only pages, pages turned by a
// known angle and sheets lying on a flatbed's platen at a known place.
namespace TestPages {

enum class Layout {
    EnglishSans,
    EnglishSerif,
    EnglishMono,
    EnglishTwoColumns,
    EnglishLetter, // a short letter: a few lines on a mostly empty page
    Chinese,
    ChineseMono,
    ChineseLarge,
    Mixed, // Chinese heading and paragraphs with English lines between them
    Table,
    Form,
    Invoice, // a ruled table below English and Chinese text
};

QVector<Layout> allLayouts();
QString layoutName(Layout layout);

// An A4 portrait page (RGB32, white paper), its resolution set to dpi. seed
// varies the words and the table sizes.
QImage page(Layout layout, int dpi, int seed = 0);

// The page turned clockwise by angle degrees about its centre, the same size,
// the uncovered corners filled with fill; the format is kept.
QImage turned(const QImage &page, double angle, QRgb fill = qRgb(255, 255, 255));

// A page of soft colour blobs and gradients without lines or text.
QImage photo(const QSize &size, int seed = 0);

enum class Platen {
    WhiteLid, // the lid's white, a little greyer than paper, with the sheet's shadow
    Dark, // a black lid or no lid
};

// The sheet lying on the platen with its top left corner at topLeft; the sheet's
// paper is toned down a little as a scanner sees it. The sheet occupies exactly
// QRect(topLeft, sheet.size()).
QImage onPlaten(const QImage &sheet, const QSize &platen, const QPoint &topLeft, Platen kind, int seed = 0);

// Originals laid on the glass at once: receipts, cards, photos.
struct Laid
{
    QRectF millimetres; // where the original would lie unturned
    double angle = 0; // clockwise about its centre, degrees
};

// Each original is paper with a few lines of print, turned about its centre;
// on the white lid it throws its shadow down and to the right. corners gets
// each original's corners in page pixels (top left, top right, bottom right,
// bottom left, before any clipping by the page).
QImage originalsOnPlaten(const QSizeF &platenMm, int dpi, const QVector<Laid> &originals, Platen kind,
    QVector<QPolygonF> *corners = nullptr, int seed = 0);

} // namespace TestPages
