#include "scanner/sanegeometry.h"

#include <algorithm>
#include <cmath>

namespace SaneGeometry {

namespace {

constexpr double mmPerInch = 25.4;

bool isOneOf(const QString &name, std::initializer_list<const char *> names)
{
    for (const char *candidate : names) {
        if (name == QLatin1String(candidate))
            return true;
    }
    return false;
}

} // namespace

double Axis::fromMillimetres(double mm, double dpi) const
{
    return pixels ? mm / mmPerInch * dpi : mm;
}

double Axis::toMillimetres(double value, double dpi) const
{
    return pixels ? (dpi > 0 ? value / dpi * mmPerInch : 0) : value;
}

double Axis::allowed(double value) const
{
    if (!fixed)
        value = std::round(value);
    if (!ranged)
        return std::max(0.0, value);
    if (quant > 0)
        value = minimum + std::round((value - minimum) / quant) * quant;
    return std::clamp(value, minimum, maximum);
}

SANE_Word Axis::word(double value) const
{
    return fixed ? static_cast<SANE_Word>(std::lround(value * (1 << SANE_FIXED_SCALE_SHIFT)))
                 : static_cast<SANE_Word>(std::lround(value));
}

bool Options::take(const QString &name, const SANE_Option_Descriptor *descriptor, int index)
{
    Axis *axis = nullptr;
    if (name == QLatin1String("tl-x"))
        axis = &tlX;
    else if (name == QLatin1String("tl-y"))
        axis = &tlY;
    else if (name == QLatin1String("br-x"))
        axis = &brX;
    else if (name == QLatin1String("br-y"))
        axis = &brY;
    else if (isOneOf(name, { "page-width", "paper-width" }))
        axis = &pageWidth;
    else if (isOneOf(name, { "page-height", "paper-height" }))
        axis = &pageHeight;
    if (!axis)
        return false;
    const bool number = descriptor->type == SANE_TYPE_FIXED || descriptor->type == SANE_TYPE_INT;
    const bool unit = descriptor->unit == SANE_UNIT_MM
        || descriptor->unit == SANE_UNIT_PIXEL
        // Scripted and older backends leave the unit unset; SANE's geometry is millimetres then.
        || descriptor->unit == SANE_UNIT_NONE;
    const bool settable = !(descriptor->cap & SANE_CAP_INACTIVE) && (descriptor->cap & SANE_CAP_SOFT_SELECT);
    if (!number || !unit || !settable)
        return true;
    Axis found;
    found.index = index;
    found.fixed = descriptor->type == SANE_TYPE_FIXED;
    found.pixels = descriptor->unit == SANE_UNIT_PIXEL;
    if (descriptor->constraint_type == SANE_CONSTRAINT_RANGE && descriptor->constraint.range) {
        const SANE_Range *range = descriptor->constraint.range;
        const auto number = [&found](SANE_Word word) {
            return found.fixed ? SANE_UNFIX(word) : double(word);
        };
        found.ranged = true;
        found.minimum = number(range->min);
        found.maximum = number(range->max);
        found.quant = number(range->quant);
        if (found.maximum < found.minimum)
            std::swap(found.minimum, found.maximum);
    }
    *axis = found;
    return true;
}

QRectF bed(const Options &options, double dpi)
{
    if (!options.hasArea() || !options.brX.ranged || !options.brY.ranged)
        return QRectF();
    const double left = options.tlX.ranged ? options.tlX.toMillimetres(options.tlX.minimum, dpi) : 0;
    const double top = options.tlY.ranged ? options.tlY.toMillimetres(options.tlY.minimum, dpi) : 0;
    const double right = options.brX.toMillimetres(options.brX.maximum, dpi);
    const double bottom = options.brY.toMillimetres(options.brY.maximum, dpi);
    if (right <= left || bottom <= top)
        return QRectF();
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

Plan plan(const Options &options, const ScanArea &area, double dpi, bool feeder)
{
    Plan result;
    if (area.isDeviceDefault())
        return result;
    if (!options.hasArea()) {
        result.unsupported = true;
        return result;
    }

    // A sheet feeder's limit is the sheet it takes, not the glass.
    QRectF glass = bed(options, dpi);
    if (feeder && options.pageWidth.ranged && options.pageHeight.ranged) {
        glass = QRectF(0, 0, options.pageWidth.toMillimetres(options.pageWidth.maximum, dpi),
            options.pageHeight.toMillimetres(options.pageHeight.maximum, dpi));
    }
    QRectF wanted = area.kind == ScanArea::Kind::WholeBed ? glass : area.millimetres;
    if (wanted.isEmpty() && area.kind == ScanArea::Kind::WholeBed) {
        // The backend declares no range: the whole bed is whatever it accepts.
        wanted = QRectF(0, 0, 10000, 10000);
    }
    const QRectF asked = wanted;
    if (!glass.isEmpty()) {
        const QRectF inside = wanted.intersected(glass);
        wanted = inside.isEmpty() ? glass : inside;
    }

    const auto add = [&](const char *name, const Axis &axis, double mm) {
        if (!axis.present())
            return 0.0;
        const double value = axis.allowed(axis.fromMillimetres(mm, dpi));
        result.settings << Setting { QString::fromLatin1(name), axis.index, axis.word(value), value };
        return axis.toMillimetres(value, dpi);
    };
    // Sheet-fed backends bound the area by the sheet, so the sheet comes first.
    if (feeder) {
        add("page-width", options.pageWidth, wanted.width());
        add("page-height", options.pageHeight, wanted.height());
    }
    // Backends keep br beyond tl, so the corner nearest the origin goes first.
    const double left = add("tl-x", options.tlX, wanted.left());
    const double top = add("tl-y", options.tlY, wanted.top());
    const double right = add("br-x", options.brX, wanted.right());
    const double bottom = add("br-y", options.brY, wanted.bottom());
    result.area = QRectF(QPointF(left, top), QPointF(right, bottom));
    // Millimetre fractions are rounding, not a larger area than the backend takes.
    result.clipped = area.kind != ScanArea::Kind::WholeBed
        && (result.area.width() < asked.width() - 0.5 || result.area.height() < asked.height() - 0.5);
    return result;
}

} // namespace SaneGeometry
