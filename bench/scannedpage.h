#pragma once

#include <QImage>

// The benchmarks' A4 page at 300 dpi.
constexpr int a4Width = 2480;
constexpr int a4Height = 3508;

// A scanned-looking colour page: off-white paper with sensor noise, lines of dark
// "words" and a photo block. Each seed gives a different page, so nothing is shared.
inline QImage scannedPage(quint32 seed)
{
    QImage image(a4Width, a4Height, QImage::Format_RGB888);
    quint32 state = seed * 2654435761u + 1;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 24;
    };
    for (int y = 0; y < a4Height; ++y) {
        uchar *row = image.scanLine(y);
        const bool textLine = y > 300 && y < 2400 && (y % 70) < 34;
        int wordEnd = 0;
        bool inWord = false;
        for (int x = 0; x < a4Width; ++x) {
            int value = 240 + int(next() % 8);
            if (textLine && x > 250 && x < a4Width - 250) {
                if (x >= wordEnd) {
                    inWord = !inWord;
                    wordEnd = x + (inWord ? 40 + int((seed + quint32(y / 70) * 31 + quint32(x)) % 120) : 18);
                }
                if (inWord && ((x / 3 + y / 2) % 5) < 3)
                    value = 30 + int(next() % 16);
            }
            uchar *pixel = row + x * 3;
            if (y > 2550 && y < 3300 && x > 300 && x < 2180) {
                pixel[0] = uchar((x / 8 + int(seed) * 10) % 256);
                pixel[1] = uchar((y / 5) % 256);
                pixel[2] = uchar(((x + y) / 12 + int(next() % 6)) % 256);
            } else {
                pixel[0] = pixel[1] = pixel[2] = uchar(value);
            }
        }
    }
    image.setDotsPerMeterX(11811);
    image.setDotsPerMeterY(11811);
    return image;
}
