#include "scanner/frameassembler.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

// A 16-bit sample in the machine's byte order reduced to its high byte.
inline uchar highByte(const uchar *sample)
{
    quint16 value;
    std::memcpy(&value, sample, sizeof value);
    return static_cast<uchar>(value >> 8);
}

} // namespace

bool FrameAssembler::isSupported(const FrameParameters &parameters)
{
    return parameters.format == FrameParameters::Gray || parameters.format == FrameParameters::Rgb;
}

QImage::Format FrameAssembler::imageFormat(const FrameParameters &parameters)
{
    switch (parameters.format) {
    case FrameParameters::Gray:
        return parameters.depth == 1 ? QImage::Format_Mono : QImage::Format_Grayscale8;
    case FrameParameters::Rgb:
        return QImage::Format_RGB888;
    default:
        return QImage::Format_Invalid;
    }
}

qint64 FrameAssembler::expectedBytes(const FrameParameters &parameters)
{
    const qint64 known = qint64(parameters.bytesPerLine) * parameters.lines;
    if (known >= 1)
        return known;
    return qint64(parameters.bytesPerLine) * openLengthLines;
}

bool FrameAssembler::isPlausible(const FrameParameters &parameters)
{
    // The parameters are the backend's word. A line must give each pixel at
    // least a bit and at most the 6 bytes of 16-bit RGB, with some padding
    // (backends are known to report row lengths that do not quite match their
    // pixels, so they are not held to more), and the frame must be no larger
    // than any scanner delivers: otherwise it is refused before a byte of it is
    // allocated.
    const qint64 lines = std::max(parameters.lines, 1);
    const qint64 pixels = parameters.pixelsPerLine;
    return isSupported(parameters) && pixels >= 1 && parameters.bytesPerLine >= 1
        && pixels <= qint64(parameters.bytesPerLine) * 8 && parameters.bytesPerLine <= pixels * 8 + linePadding
        && qint64(parameters.pixelsPerLine) * lines <= maxPixels
        && qint64(parameters.bytesPerLine) * lines <= maxFrameBytes;
}

FrameAssembler::FrameAssembler(const FrameParameters &parameters)
    : frame(parameters)
{
    const QImage::Format format = imageFormat(frame);
    if (format == QImage::Format_Invalid || !isPlausible(frame))
        return;
    image = QImage(frame.pixelsPerLine, std::max(frame.lines, 1), format);
    if (image.isNull())
        return;
    if (format == QImage::Format_Mono) {
        image.setColorCount(2);
        image.setColor(0, qRgb(0, 0, 0));
        image.setColor(1, qRgb(255, 255, 255));
    }
    carry.reserve(frame.bytesPerLine);
}

void FrameAssembler::append(const uchar *data, int length)
{
    if (image.isNull() || length <= 0)
        return;
    const int lineBytes = frame.bytesPerLine;
    int offset = 0;
    if (!carry.isEmpty()) {
        const int needed = lineBytes - carry.size();
        const int taken = std::min(needed, length);
        carry.append(reinterpret_cast<const char *>(data), taken);
        offset = taken;
        if (carry.size() < lineBytes)
            return;
        writeLine(reinterpret_cast<const uchar *>(carry.constData()));
        carry.resize(0);
    }
    while (length - offset >= lineBytes) {
        writeLine(data + offset);
        offset += lineBytes;
    }
    if (offset < length)
        carry.append(reinterpret_cast<const char *>(data + offset), length - offset);
}

void FrameAssembler::grow()
{
    if (growthObserver)
        growthObserver();
    // A backend that never ends its frame stops growing the page at the limit;
    // the rest of its data is dropped.
    if (qint64(image.width()) * (image.height() + growthRows) > maxPixels
        || qint64(frame.bytesPerLine) * (image.height() + growthRows) > maxFrameBytes)
        return;
    QImage taller(image.width(), image.height() + growthRows, image.format());
    if (taller.isNull())
        return;
    taller.setColorTable(image.colorTable());
    const int bytes = std::min(image.bytesPerLine(), taller.bytesPerLine());
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(taller.scanLine(y), image.constScanLine(y), size_t(bytes));
    image = taller;
}

void FrameAssembler::writeLine(const uchar *line)
{
    if (rows >= image.height()) {
        grow();
        // Out of memory: the rest of the frame is dropped, the rows so far stand.
        if (rows >= image.height())
            return;
    }
    uchar *row = image.scanLine(rows);
    const int rowBytes = image.bytesPerLine();
    const int width = image.width();
    const int lineBytes = frame.bytesPerLine;
    int written = 0;

    if (frame.format == FrameParameters::Rgb && frame.depth == 8) {
        const int pixels = std::min(width, lineBytes / 3);
        written = pixels * 3;
        std::memcpy(row, line, size_t(written));
    } else if (frame.format == FrameParameters::Rgb && frame.depth == 16) {
        const int pixels = std::min(width, lineBytes / 6);
        for (int i = 0; i < pixels * 3; ++i)
            row[i] = highByte(line + 2 * i);
        written = pixels * 3;
    } else if (frame.format == FrameParameters::Gray && frame.depth == 8) {
        written = std::min(width, lineBytes);
        std::memcpy(row, line, size_t(written));
    } else if (frame.format == FrameParameters::Gray && frame.depth == 16) {
        written = std::min(width, lineBytes / 2);
        for (int i = 0; i < written; ++i)
            row[i] = highByte(line + 2 * i);
    } else if (frame.format == FrameParameters::Gray && frame.depth == 1) {
        // Both are most significant bit first; SANE's 1 is black, our index 1 white.
        written = std::min((width + 7) / 8, lineBytes);
        for (int i = 0; i < written; ++i)
            row[i] = static_cast<uchar>(~line[i]);
    }
    // Other depths are not converted; a short line leaves the rest of the row
    // black rather than uninitialised memory.
    if (written < rowBytes)
        std::memset(row + written, 0, size_t(rowBytes - written));
    ++rows;
}

QImage FrameAssembler::takeImage()
{
    if (rows == 0 || image.isNull())
        return QImage();
    QImage result = rows < image.height() ? image.copy(0, 0, image.width(), rows) : image;
    image = QImage();
    return result;
}
