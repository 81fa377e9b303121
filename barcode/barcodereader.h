#pragma once

#include <QImage>
#include <QString>
#include <QVector>

// Finds the codes printed on a page: QR codes, Code 128 and Code 39, the codes
// separator sheets carry. ZXing-cpp does the reading; this is the one place
// that includes its headers.
//
// Plain functions of values; safe to call from any thread.
class BarcodeReader
{
public:
    struct Code
    {
        QString text;
        QString format; // "QRCode", "Code128", "Code39"
    };

    // Every code found on the page, in reading order; empty for a page without
    // one, for a code too damaged to read and for a null image.
    static QVector<Code> read(const QImage &page);
};
