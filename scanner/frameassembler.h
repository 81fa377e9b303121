#pragma once

#include <QByteArray>
#include <QImage>

#include <functional>

// The parameters of one SANE frame, in Quirra's own terms so that the frame
// decoding needs no SANE header. Format numbers are SANE's.
struct FrameParameters
{
    enum Format { Gray = 0, Rgb = 1, Red = 2, Green = 3, Blue = 4 };

    int format = Gray;
    bool lastFrame = true;
    int bytesPerLine = 0;
    int pixelsPerLine = 0;
    int lines = 0; // -1 when the backend does not know the length in advance
    int depth = 8;
};

// Turns the bytes of one SANE frame into a QImage, line by line, without any
// I/O: the reader feeds it whatever sane_read returned.
//
// Lines are written through scan lines. The image starts with the announced
// number of lines (at least one) and grows by 100 rows when a row beyond it
// arrives, so scans of open length do not reallocate per line and scans of
// known length never reallocate at all. Bytes that do not complete a line wait
// in a carry buffer smaller than one line.
//
// Formats: GRAY depth 1 becomes Format_Mono (index 0 black, index 1 white;
// SANE's 1 bits are black), other GRAY depths Format_Grayscale8, RGB
// Format_RGB888; 16-bit samples keep their high byte (SANE sends them in the
// machine's byte order). Single-channel RED/GREEN/BLUE frames are not
// supported.
class FrameAssembler
{
public:
    static constexpr int growthRows = 100;
    // The largest frame taken, announced or grown: the page limits of the
    // document (200 megapixels, 2 GB), far above any real scan.
    static constexpr qint64 maxPixels = 200 * 1000 * 1000;
    static constexpr qint64 maxFrameBytes = Q_INT64_C(2000) * 1000 * 1000;
    // Bytes a line may carry beyond 8 per pixel.
    static constexpr qint64 linePadding = 64;
    // Lines assumed for progress when the backend does not announce a length.
    static constexpr int openLengthLines = 3000;

    static bool isSupported(const FrameParameters &parameters);
    // Supported, with at least a bit of each line per pixel and the frame
    // within the limits.
    static bool isPlausible(const FrameParameters &parameters);
    static QImage::Format imageFormat(const FrameParameters &parameters);
    // Bytes the progress is measured against.
    static qint64 expectedBytes(const FrameParameters &parameters);

    explicit FrameAssembler(const FrameParameters &parameters);

    // False when the parameters are not plausible or the image could not be created.
    bool isValid() const { return !image.isNull(); }
    const FrameParameters &parameters() const { return frame; }

    // Called before a row beyond the current image height is written (the
    // feeder reader logs it).
    void setGrowthObserver(std::function<void()> observer) { growthObserver = std::move(observer); }

    void append(const uchar *data, int length);

    int rowsDone() const { return rows; }
    int imageHeight() const { return image.height(); }
    // Bytes of an incomplete line waiting for the rest of it.
    int pendingBytes() const { return carry.size(); }
    // Bytes held besides the image: the carry buffer's allocation.
    qint64 overheadBytes() const { return carry.capacity(); }

    // The frame as read so far, cropped to the rows read when it has fewer;
    // null when not even one complete line arrived.
    QImage takeImage();

private:
    void writeLine(const uchar *line);
    void grow();

    FrameParameters frame;
    QImage image;
    QByteArray carry;
    int rows = 0;
    std::function<void()> growthObserver;
};
