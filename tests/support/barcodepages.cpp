#include "tests/support/barcodepages.h"

#include <QPainter>

#include <random>

#define ZX_USE_UTF8
#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include "tests/support/testpages.h"

namespace BarcodePages {

namespace {

ZXing::BarcodeFormat zxingFormat(Symbology symbology)
{
    switch (symbology) {
    case Symbology::QrCode:
        return ZXing::BarcodeFormat::QRCode;
    case Symbology::Code128:
        return ZXing::BarcodeFormat::Code128;
    case Symbology::Code39:
        return ZXing::BarcodeFormat::Code39;
    }
    return ZXing::BarcodeFormat::QRCode;
}

double dotsPerMm(int dpi)
{
    return dpi / 25.4;
}

// A 3×3 binomial blur, about what a 300 dpi scanner's optics do to a printed edge.
QImage softened(const QImage &page)
{
    QImage source = page.convertToFormat(QImage::Format_RGB32);
    QImage result(source.size(), QImage::Format_RGB32);
    result.setDotsPerMeterX(page.dotsPerMeterX());
    result.setDotsPerMeterY(page.dotsPerMeterY());
    const int width = source.width();
    const int height = source.height();
    for (int y = 0; y < height; ++y) {
        const QRgb *rows[3] = { reinterpret_cast<const QRgb *>(source.constScanLine(qMax(0, y - 1))),
            reinterpret_cast<const QRgb *>(source.constScanLine(y)),
            reinterpret_cast<const QRgb *>(source.constScanLine(qMin(height - 1, y + 1))) };
        auto *out = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int left = qMax(0, x - 1);
            const int right = qMin(width - 1, x + 1);
            int sum[3] = { 0, 0, 0 };
            for (int r = 0; r < 3; ++r) {
                const int weight = r == 1 ? 2 : 1;
                const QRgb a = rows[r][left], b = rows[r][x], c = rows[r][right];
                sum[0] += weight * (qRed(a) + 2 * qRed(b) + qRed(c));
                sum[1] += weight * (qGreen(a) + 2 * qGreen(b) + qGreen(c));
                sum[2] += weight * (qBlue(a) + 2 * qBlue(b) + qBlue(c));
            }
            out[x] = qRgb(sum[0] / 16, sum[1] / 16, sum[2] / 16);
        }
    }
    return result;
}

} // namespace

QString symbologyName(Symbology symbology)
{
    switch (symbology) {
    case Symbology::QrCode:
        return QStringLiteral("QR");
    case Symbology::Code128:
        return QStringLiteral("Code128");
    case Symbology::Code39:
        return QStringLiteral("Code39");
    }
    return QString();
}

QImage code(Symbology symbology, const QString &text)
{
    ZXing::BitMatrix matrix;
    try {
        ZXing::MultiFormatWriter writer(zxingFormat(symbology));
        writer.setMargin(symbology == Symbology::QrCode ? 4 : 10);
        matrix = writer.encode(text.toStdString(), 0, 0);
    } catch (const std::exception &) {
        return QImage();
    }
    const bool linear = symbology != Symbology::QrCode;
    const int height = linear ? 1 : matrix.height();
    QImage image(matrix.width(), height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < matrix.width(); ++x)
            row[x] = matrix.get(x, linear ? 0 : y) ? 0 : 255;
    }
    return image;
}

QImage separatorSheet(Symbology symbology, const QString &text, int dpi, int seed)
{
    const QImage symbol = code(symbology, text);
    QImage sheet(qRound(210 * dotsPerMm(dpi)), qRound(297 * dotsPerMm(dpi)), QImage::Format_RGB32);
    sheet.setDotsPerMeterX(qRound(dpi / 0.0254));
    sheet.setDotsPerMeterY(qRound(dpi / 0.0254));
    sheet.fill(Qt::white);
    if (symbol.isNull())
        return sheet;
    const bool linear = symbology != Symbology::QrCode;
    const double module = (linear ? 0.33 : 0.6) * dotsPerMm(dpi);
    const QSizeF size(symbol.width() * module, linear ? 15 * dotsPerMm(dpi) : symbol.height() * module);
    const QRectF target(QPointF((sheet.width() - size.width()) / 2, 30 * dotsPerMm(dpi)), size);
    QPainter painter(&sheet);
    // Nearest neighbour: bars come out a pixel wider or narrower here and there,
    // as a printer's dots do.
    painter.drawImage(target, symbol);
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(qRound(5 * dotsPerMm(dpi)));
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, target.bottom() + 5 * dotsPerMm(dpi), sheet.width(), 10 * dotsPerMm(dpi)),
        Qt::AlignHCenter, QStringLiteral("分隔页 %1").arg(text));
    painter.end();
    std::mt19937 random(static_cast<unsigned>(seed));
    const double angle = std::uniform_real_distribution<double>(-2.0, 2.0)(random);
    return scanned(sheet, angle, seed);
}

QImage scanned(const QImage &page, double angle, int seed)
{
    QImage turned = qFuzzyIsNull(angle) ? page : TestPages::turned(page, angle);
    QImage result = softened(turned);
    std::mt19937 random(static_cast<unsigned>(seed) * 7919u + 1);
    std::normal_distribution<double> grain(0.0, 4.0);
    for (int y = 0; y < result.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const int noise = static_cast<int>(grain(random));
            const QRgb p = row[x];
            // Paper is never quite white under the lamp.
            row[x] = qRgb(qBound(0, qRed(p) - 4 + noise, 255), qBound(0, qGreen(p) - 4 + noise, 255),
                qBound(0, qBlue(p) - 6 + noise, 255));
        }
    }
    if (page.format() == QImage::Format_Grayscale8)
        return result.convertToFormat(QImage::Format_Grayscale8);
    return result;
}

} // namespace BarcodePages
