#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Compresses one page the way a PDF embeds it: two-level pages as CCITT G4,
// grey pages as 8-bit grey JPEG, everything else as RGB JPEG. A page is judged by
// its format, never by its pixels, so a grey scan stays grey and a colour photo
// of a grey sheet stays colour.
//
// Pure functions; safe from any thread.
class PageEncoder
{
public:
    enum class Kind {
        TwoLevel,
        Grey,
        Colour,
    };

    struct Encoded
    {
        Kind kind = Kind::Colour;
        int width = 0;
        int height = 0;
        QByteArray bytes; // JPEG file, or the bare G4 data of one strip
        QString errorText; // empty when the page was encoded
    };

    static Kind kindOf(const QImage &page);
    // quality 0..100 for the JPEG pages; two-level pages are lossless.
    static Encoded encode(const QImage &page, int jpegQuality);
    // The page's rows as G4 data with 1 for black, as a fax codes them; a null
    // array with errorText set when libtiff refuses.
    static QByteArray ccittG4(const QImage &twoLevel, QString *errorText);
};
