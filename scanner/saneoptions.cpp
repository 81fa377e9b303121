#include "scanner/saneoptions.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>

namespace SaneOptions {

SANE_Status optionCount(SaneApi &sane, SANE_Handle handle, SANE_Int *count)
{
    *count = 0;
    return sane.controlOption(handle, 0, SANE_ACTION_GET_VALUE, count, nullptr);
}

QString name(const SANE_Option_Descriptor *descriptor)
{
    return descriptor && descriptor->name ? QString::fromUtf8(descriptor->name) : QString();
}

bool isActive(const SANE_Option_Descriptor *descriptor)
{
    return !(descriptor->cap & SANE_CAP_INACTIVE);
}

bool isSoftSelect(const SANE_Option_Descriptor *descriptor)
{
    return descriptor->cap & SANE_CAP_SOFT_SELECT;
}

bool hasStringListConstraint(const SANE_Option_Descriptor *descriptor)
{
    return descriptor->constraint_type == SANE_CONSTRAINT_STRING_LIST;
}

QStringList stringList(const SANE_Option_Descriptor *descriptor, int limit)
{
    QStringList entries;
    if (!hasStringListConstraint(descriptor) || !descriptor->constraint.string_list)
        return entries;
    for (const SANE_String_Const *entry = descriptor->constraint.string_list; *entry; ++entry) {
        if (limit >= 0 && entries.size() >= limit)
            break;
        entries << QString::fromUtf8(*entry);
    }
    return entries;
}

SANE_Status setString(SaneApi &sane, SANE_Handle handle, SANE_Int option, const SANE_Option_Descriptor *descriptor,
    const QString &value, int maxBytes)
{
    QByteArray bytes = value.toUtf8();
    if (maxBytes >= 0 && bytes.size() > maxBytes)
        bytes.truncate(maxBytes);
    // SANE reads as many bytes as the option declares, so the buffer is at
    // least that large and zero-filled behind the value.
    QByteArray buffer(std::max<int>(descriptor->size, bytes.size() + 1), '\0');
    std::copy(bytes.cbegin(), bytes.cend(), buffer.begin());
    SANE_Int info = 0;
    return sane.controlOption(handle, option, SANE_ACTION_SET_VALUE, buffer.data(), &info);
}

SANE_Status getString(
    SaneApi &sane, SANE_Handle handle, SANE_Int option, const SANE_Option_Descriptor *descriptor, QString *value)
{
    QByteArray buffer(std::max<int>(descriptor->size, 1) + 1, '\0');
    const SANE_Status status = sane.controlOption(handle, option, SANE_ACTION_GET_VALUE, buffer.data(), nullptr);
    if (status == SANE_STATUS_GOOD)
        *value = QString::fromUtf8(buffer.constData());
    return status;
}

SANE_Status setWord(SaneApi &sane, SANE_Handle handle, SANE_Int option, SANE_Word value)
{
    SANE_Int info = 0;
    return sane.controlOption(handle, option, SANE_ACTION_SET_VALUE, &value, &info);
}

SANE_Status getWord(SaneApi &sane, SANE_Handle handle, SANE_Int option, SANE_Word *value)
{
    return sane.controlOption(handle, option, SANE_ACTION_GET_VALUE, value, nullptr);
}

SANE_Word resolutionWord(const SANE_Option_Descriptor *descriptor, int dpi)
{
    return descriptor->type == SANE_TYPE_FIXED ? fixedWord(dpi) : SANE_Word(dpi);
}

double resolutionDpi(const SANE_Option_Descriptor *descriptor, SANE_Word word)
{
    return descriptor->type == SANE_TYPE_FIXED ? SANE_UNFIX(word) : double(word);
}

int atMostOrLowest(const SANE_Option_Descriptor *descriptor, int dpi)
{
    const auto value = [descriptor](SANE_Word word) {
        return resolutionDpi(descriptor, word);
    };
    if (descriptor->constraint_type == SANE_CONSTRAINT_RANGE && descriptor->constraint.range) {
        const SANE_Range *range = descriptor->constraint.range;
        const double minimum = value(range->min);
        const double maximum = value(range->max);
        const double quant = value(range->quant);
        if (dpi <= minimum)
            return int(std::ceil(minimum));
        double chosen = std::min<double>(dpi, maximum);
        if (quant > 0)
            chosen = minimum + std::floor((chosen - minimum) / quant) * quant;
        return int(std::floor(chosen));
    }
    if (descriptor->constraint_type == SANE_CONSTRAINT_WORD_LIST && descriptor->constraint.word_list) {
        const SANE_Word *list = descriptor->constraint.word_list;
        double best = -1;
        double lowest = -1;
        for (int i = 1; i <= list[0]; ++i) {
            const double entry = value(list[i]);
            if (entry <= dpi && entry > best)
                best = entry;
            if (lowest < 0 || entry < lowest)
                lowest = entry;
        }
        if (best > 0)
            return int(best);
        if (lowest > 0)
            return int(std::ceil(lowest));
    }
    return dpi;
}

SANE_Word fixedWord(double value)
{
    return static_cast<SANE_Word>(std::lround(value * (1 << SANE_FIXED_SCALE_SHIFT)));
}

FrameParameters frameParameters(const SANE_Parameters &parameters)
{
    FrameParameters frame;
    frame.format = parameters.format;
    frame.lastFrame = parameters.last_frame;
    frame.bytesPerLine = parameters.bytes_per_line;
    frame.pixelsPerLine = parameters.pixels_per_line;
    frame.lines = parameters.lines;
    frame.depth = parameters.depth;
    return frame;
}

} // namespace SaneOptions
