#include "barcode/barcodereader.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

QVector<BarcodeReader::Code> BarcodeReader::read(const QImage &page)
{
    QVector<Code> codes;
    if (page.isNull())
        return codes;
    const QImage grey
        = page.format() == QImage::Format_Grayscale8 ? page : page.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode | ZXing::BarcodeFormat::Code128 | ZXing::BarcodeFormat::Code39);
    const ZXing::ImageView view(
        grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum, static_cast<int>(grey.bytesPerLine()));
    for (const ZXing::Result &result : ZXing::ReadBarcodes(view, hints)) {
        if (result.isValid())
            codes.append(
                { QString::fromStdString(result.text()), QString::fromLatin1(ZXing::ToString(result.format())) });
    }
    return codes;
}
