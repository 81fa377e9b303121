#pragma once

#include <QByteArray>
#include <QSize>

// A page's pixels in the compressed form the file it came from stored them: a
// scanned sheet's JPEG or G4 stream. An unedited imported page keeps it beside its
// pixels, so a writer that would choose that encoding anyway copies these bytes
// instead of coding the pixels once more (which costs time and, for JPEG, quality).
// An edited page has none.
struct StoredEncoding
{
    enum class Kind {
        None,
        Jpeg, // a whole baseline or progressive JPEG file of one or three components
        G4, // bare CCITT G4 data of one strip, no byte alignment, no end-of-line codes
    };

    Kind kind = Kind::None;
    QByteArray bytes;
    QSize size; // of the image the bytes decode to
    bool grey = false; // Jpeg: one component
    bool blackIs1 = false; // G4: 1 bits are black (PDF's BlackIs1)

    bool isNull() const { return kind == Kind::None || bytes.isEmpty() || size.isEmpty(); }

    // The JPEG file when a PDF's DCTDecode filter shows it as the image it is: 8
    // bits, one (grey) or three (colour) components, Huffman coded; null otherwise
    // (CMYK, 12 bits, arithmetic coding, a damaged header).
    static StoredEncoding jpeg(const QByteArray &file);
    static StoredEncoding g4(const QByteArray &data, const QSize &size, bool blackIs1);
};
