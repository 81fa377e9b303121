#pragma once

#include <QImage>
#include <QString>

// Separator sheets as a scanner delivers them, for the tests and benchmarks of
// barcode reading and document separation: a code printed at a usual size on
// an A4 sheet, the sheet a little turned, softened by the optics and grainy.
// The codes are drawn by ZXing's writer.
namespace BarcodePages {

enum class Symbology { QrCode, Code128, Code39 };

QString symbologyName(Symbology symbology);

// The code alone, one pixel per module, black on white (Grayscale8), with a
// quiet zone; null when the text cannot be encoded in it.
QImage code(Symbology symbology, const QString &text);

// An A4 portrait sheet (RGB32) at dpi with the code near its top (QR 0.6 mm
// modules, linear codes 0.33 mm narrow bars, 15 mm high) and a caption below,
// made to look scanned as scanned() does.
QImage separatorSheet(Symbology symbology, const QString &text, int dpi, int seed = 0);

// The page turned by angle degrees, blurred as a scanner's optics do and given
// grain (seeded); format and resolution kept.
QImage scanned(const QImage &page, double angle, int seed);

} // namespace BarcodePages
