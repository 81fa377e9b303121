#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include "document/saveoptions.h"
#include "document/storedencoding.h"

// Compresses one page the way a PDF embeds it. Standard: two-level pages as CCITT
// G4, grey pages as 8-bit grey JPEG, everything else as RGB JPEG; a page is judged
// by its format, never by its pixels, so a grey scan stays grey and a colour photo
// of a grey sheet stays colour. Compact: two-level pages as G4, the others split
// into a G4 mask over two small JPEG layers where that pays (MrcEncoder), or
// continuous tone at a reduced resolution where it does not.
//
// Pure functions; safe from any thread.
class PageEncoder
{
public:
    enum class Kind {
        TwoLevel,
        Grey,
        Colour,
        Layered, // bytes is the G4 mask; background and foreground below
    };

    // A reduced-resolution JPEG layer of a layered page.
    struct Layer
    {
        QByteArray bytes; // empty when the page has no such layer
        int width = 0;
        int height = 0;
        bool grey = false;
    };

    struct Settings
    {
        SaveOptions::Compression compression = SaveOptions::Compression::Standard;
        int jpegQuality = 90;
        int saveDpi = 0; // 0: the page's own
        int step = 0; // MrcEncoder::level
    };

    struct Encoded
    {
        Kind kind = Kind::Colour;
        int width = 0;
        int height = 0;
        QByteArray bytes; // JPEG file, or the bare G4 data of one strip
        QString errorText; // empty when the page was encoded
        Layer background; // Layered: the paper
        Layer foreground; // Layered: the ink, or none when all ink is inkColour
        QColor inkColour;
        // Compact pages written continuous tone: why the layers did not pay.
        QString fallback;
        // TwoLevel: the data codes black as 1 bits (PDF's BlackIs1).
        bool blackIs1 = false;

        qint64 size() const { return bytes.size() + background.bytes.size() + foreground.bytes.size(); }
    };

    static Kind kindOf(const QImage &page);
    // quality 0..100 for the JPEG pages; two-level pages are lossless.
    static Encoded encode(const QImage &page, int jpegQuality);
    static Encoded encode(const QImage &page, const Settings &settings);
    // The same, copying original (the stream the page was imported from) instead
    // when it is what these settings would write anyway: G4 at the page's own
    // resolution, or a JPEG of the page's kind in standard compression (in compact
    // when it is smaller than the layers).
    static Encoded encode(const QImage &page, const Settings &settings, const StoredEncoding &original);
    // The page at no more than dpi, area-averaged; two-level pages stay two-level
    // by a threshold that keeps thin strokes. Pages of unknown or lower resolution
    // come back as they are.
    static QImage downsampled(const QImage &page, double dpi);
    // The page's rows as G4 data with 1 for black, as a fax codes them; a null
    // array with errorText set when libtiff refuses.
    static QByteArray ccittG4(const QImage &twoLevel, QString *errorText);
};
