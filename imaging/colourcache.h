#pragma once

#include <QRgb>

#include <array>

// A small direct-mapped memo of a per-colour function. Scanned pages repeat a few
// paper and ink colours (give or take a little noise) over millions of pixels, so
// most pixels of a colour conversion become one table look-up. Keys are colours
// with the alpha byte cleared.
template<typename Function> class ColourCache
{
public:
    explicit ColourCache(Function function)
        : function(function)
    {
        keys.fill(invalid);
    }

    QRgb operator()(QRgb rgb)
    {
        const uint slot = (rgb * 2654435761u) >> (32 - bits);
        if (keys[slot] != rgb) {
            keys[slot] = rgb;
            values[slot] = function(rgb);
        }
        return values[slot];
    }

private:
    static constexpr int bits = 12;
    static constexpr QRgb invalid = 0xffffffffu; // has alpha set, so never a key
    std::array<QRgb, 1 << bits> keys;
    std::array<QRgb, 1 << bits> values;
    Function function;
};
