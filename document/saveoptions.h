#pragma once

#include <QtGlobal>

// How a document is written: the one value the window, the automatic saver and the
// command line hand to the writers, so a page comes out the same whichever asked.
struct SaveOptions
{
    enum class Compression {
        // Every page in its own encoding: G4, grey or colour JPEG at jpegQuality.
        Standard,
        // Pages of text and lines on paper as a sharp 1-bit mask over two colour
        // layers at reduced resolution; other pages continuous tone (MrcEncoder).
        Compact,
    };
    // What a save does when even the smallest legible file is over sizeLimit.
    enum class OverLimit {
        Refuse, // writes nothing and reports the smallest size it could reach
        SaveAnyway, // writes that smallest file
        Split, // writes parts under the limit, named <name>_1.pdf, <name>_2.pdf, …
    };

    Compression compression = Compression::Standard;
    int jpegQuality = 90; // of the standard grey and colour pages, 0..100
    // Pages scanned finer than this are written downsampled to it; 0 keeps the
    // scan's resolution. The document keeps its pages as scanned.
    int saveDpi = 0;
    // Bytes the whole file may take; 0 for no limit.
    qint64 sizeLimit = 0;
    OverLimit overLimit = OverLimit::Refuse;
};
