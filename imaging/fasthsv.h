#pragma once

#include <QRgb>

// QColor's integer HSV conversions - QColor(rgb).getHsv() and
// QColor::fromHsv(h, s, v).rgba() - replayed without building a QColor per pixel.
// The arithmetic is Qt 5.15's own, step for step in double precision, so the
// results are identical; the tests compare both directions with QColor over every
// RGB colour and every (h, s, v) triple.
class FastHsv
{
public:
    struct Hsv
    {
        int h; // -1 for achromatic colours, else 0..359
        int s;
        int v;
    };

    static Hsv fromRgb(QRgb rgb)
    {
        const int red = qRed(rgb);
        const int green = qGreen(rgb);
        const int blue = qBlue(rgb);
        const int maximum = red > green ? (red > blue ? red : blue) : (green > blue ? green : blue);
        const int minimum = red < green ? (red < blue ? red : blue) : (green < blue ? green : blue);
        // Differing 8-bit channels are at least 1/255 apart, far above Qt's fuzzy zero.
        if (maximum == minimum)
            return { -1, 0, maximum };
        const double *unit = tables().unit;
        const double r = unit[red];
        const double g = unit[green];
        const double b = unit[blue];
        const double max = unit[maximum];
        const double delta = max - unit[minimum];
        const int saturation = round16((delta / max) * 65535);
        double hue;
        if (red == maximum)
            hue = (g - b) / delta;
        else if (green == maximum)
            hue = 2.0 + (b - r) / delta;
        else
            hue = 4.0 + (r - g) / delta;
        hue *= 60.0;
        if (hue < 0.0)
            hue += 360.0;
        // The 16-bit value of an 8-bit channel c is c * 257 exactly, which reads back as c.
        return { round16(hue * 100) / 100, to8(saturation), maximum };
    }

    // h in -1..359, s and v in 0..255; alpha is 255.
    static QRgb toRgb(int h, int s, int v)
    {
        if (s == 0 || h < 0)
            return qRgb(v, v, v);
        const Tables &t = tables();
        const double hh = t.sector[h];
        const double ss = t.unit[s];
        const double vv = t.unit[v];
        const int i = int(hh);
        const double f = hh - i;
        const double p = vv * (1.0 - ss);
        int r16, g16, b16;
        if (i & 1) {
            const double q = vv * (1.0 - (ss * f));
            if (i == 1) {
                r16 = round16(q * 65535), g16 = round16(vv * 65535), b16 = round16(p * 65535);
            } else if (i == 3) {
                r16 = round16(p * 65535), g16 = round16(q * 65535), b16 = round16(vv * 65535);
            } else {
                r16 = round16(vv * 65535), g16 = round16(p * 65535), b16 = round16(q * 65535);
            }
        } else {
            const double u = vv * (1.0 - (ss * (1.0 - f)));
            if (i == 0) {
                r16 = round16(vv * 65535), g16 = round16(u * 65535), b16 = round16(p * 65535);
            } else if (i == 2) {
                r16 = round16(p * 65535), g16 = round16(vv * 65535), b16 = round16(u * 65535);
            } else {
                r16 = round16(u * 65535), g16 = round16(p * 65535), b16 = round16(vv * 65535);
            }
        }
        return qRgb(to8(r16), to8(g16), to8(b16));
    }

private:
    struct Tables
    {
        double unit[256]; // c * 257 / 65535, Qt's 16-bit channel as a fraction
        double sector[360]; // h * 100 / 6000, the hue in sixths of the circle
        Tables()
        {
            for (int c = 0; c < 256; ++c)
                unit[c] = (c * 0x101) / double(0xffff);
            for (int h = 0; h < 360; ++h)
                sector[h] = (h * 100) / double(6000.);
        }
    };

    static const Tables &tables()
    {
        static const Tables instance;
        return instance;
    }

    // qRound for the non-negative values that occur here.
    static int round16(double value) { return int(value + 0.5); }
    // Qt's rounding of a 16-bit channel to 8 bits.
    static int to8(int value) { return (value + 128) / 257; }
};
