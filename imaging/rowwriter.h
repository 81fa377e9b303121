#pragma once

#include <QImage>

// Row pointers of an image that several threads fill at once. They are taken from
// one bits() call on the calling thread: QImage::scanLine() on the same object
// from several threads would race on its detach bookkeeping.
class RowWriter
{
public:
    explicit RowWriter(QImage &image)
        : bits(image.bits())
        , stride(image.bytesPerLine())
    {
    }

    uchar *operator()(int y) const { return bits + qsizetype(y) * stride; }

private:
    uchar *const bits;
    const qsizetype stride;
};
