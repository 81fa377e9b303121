#pragma once

#include <QImage>

#include <vector>

// Grey values of a page, optionally reduced by block means, as one plain array
// for the analyses that read every pixel several times (skew, paper edges).
struct GreyPlane
{
    int width = 0;
    int height = 0;
    std::vector<uchar> grey;

    const uchar *row(int y) const { return grey.data() + size_t(y) * size_t(width); }

    // Means of factor x factor blocks, with the grey values Qt's Grayscale8
    // conversion gives; the rows and columns past the last whole block are left out.
    static GreyPlane reduced(const QImage &page, int factor);
};
