#include "document/pageresolution.h"

#include <QPageSize>

#include <cmath>

namespace {

constexpr double metresPerInch = 0.0254;
constexpr int qtDefaultDotsPerMetre = 3780;
// A resolution beyond what any scanner offers is a damaged value, not a page one
// inch wide printed from 40 000 pixels.
constexpr double highestDpi = 10000;

bool plausible(int dotsPerMetre)
{
    return dotsPerMetre > 0 && dotsPerMetre != qtDefaultDotsPerMetre && dotsPerMetre * metresPerInch <= highestDpi;
}

QSizeF snapped(const QSizeF &size)
{
    // Scanners round their scan area to whole pixels and some read a few lines more
    // or less; a page that close to a paper size is meant to be that paper.
    constexpr double tolerance = 0.01;
    for (QPageSize::PageSizeId id : { QPageSize::A4, QPageSize::A5, QPageSize::Letter, QPageSize::Legal }) {
        // QPageSize's sizes in points are whole points; A4 is 595.276 x 841.89.
        const QSizeF defined = QPageSize::definitionSize(id);
        const double pointsPerUnit = QPageSize::definitionUnits(id) == QPageSize::Millimeter ? 72 / 25.4 : 72;
        const QSizeF paper = defined * pointsPerUnit;
        for (const QSizeF &oriented : { paper, paper.transposed() }) {
            if (std::abs(size.width() / oriented.width() - 1) <= tolerance
                && std::abs(size.height() / oriented.height() - 1) <= tolerance)
                return oriented;
        }
    }
    return size;
}

// Dots per metre are whole numbers, so 150 dpi is stored as 5906 and reads back as
// 150.012; every such value lies within 0.0127 dpi of the whole dpi it came from.
double inches(int dotsPerMetre)
{
    const double dpi = dotsPerMetre * metresPerInch;
    const double whole = std::round(dpi);
    return std::abs(dpi - whole) < 0.013 ? whole : dpi;
}

} // namespace

bool PageResolution::isKnown(const QImage &page)
{
    return !page.isNull() && plausible(page.dotsPerMeterX()) && plausible(page.dotsPerMeterY());
}

double PageResolution::dpiX(const QImage &page)
{
    return isKnown(page) ? inches(page.dotsPerMeterX()) : 0;
}

double PageResolution::dpiY(const QImage &page)
{
    return isKnown(page) ? inches(page.dotsPerMeterY()) : 0;
}

void PageResolution::set(QImage *page, double dpiX, double dpiY)
{
    page->setDotsPerMeterX(int(std::lround(dpiX / metresPerInch)));
    page->setDotsPerMeterY(int(std::lround(dpiY / metresPerInch)));
}

void PageResolution::copy(const QImage &source, QImage *target)
{
    target->setDotsPerMeterX(source.dotsPerMeterX());
    target->setDotsPerMeterY(source.dotsPerMeterY());
}

QSizeF PageResolution::sizeInPoints(const QImage &page)
{
    if (!isKnown(page))
        return QSizeF();
    return snapped(QSizeF(page.width() * 72.0 / dpiX(page), page.height() * 72.0 / dpiY(page)));
}
