#include "escl/esclcapabilities.h"

#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace {

// Scanners have declared regions up to A3 and a little beyond; more is a
// broken or hostile document.
constexpr int largestRegion = 300 * 100;
constexpr int largestResolution = 19200;

int number(const QString &text, int limit)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value > 0 && value <= limit ? value : 0;
}

} // namespace

EsclCapabilities EsclCapabilities::parse(const QByteArray &xml)
{
    EsclCapabilities caps;
    QXmlStreamReader reader(xml);
    Input *input = nullptr;
    int inputDepth = 0;
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const QStringRef name = reader.name();
            if (name == QLatin1String("PlatenInputCaps"))
                input = &caps.platen;
            else if (name == QLatin1String("AdfSimplexInputCaps"))
                input = &caps.adfSimplex;
            else if (name == QLatin1String("AdfDuplexInputCaps"))
                input = &caps.adfDuplex;
            else if (!input)
                continue;
            if (name.endsWith(QLatin1String("InputCaps"))) {
                input->present = true;
                inputDepth = depth;
                continue;
            }
            if (name == QLatin1String("MaxWidth")) {
                input->maxWidth = number(reader.readElementText(), largestRegion);
                --depth;
            } else if (name == QLatin1String("MaxHeight")) {
                input->maxHeight = number(reader.readElementText(), largestRegion);
                --depth;
            } else if (name == QLatin1String("XResolution")) {
                const int dpi = number(reader.readElementText(), largestResolution);
                --depth;
                if (dpi > 0 && !input->resolutions.contains(dpi) && input->resolutions.size() < 64)
                    input->resolutions << dpi;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (input && depth == inputDepth)
                input = nullptr;
            --depth;
        }
    }
    for (Input *each : { &caps.platen, &caps.adfSimplex, &caps.adfDuplex })
        std::sort(each->resolutions.begin(), each->resolutions.end());
    return caps;
}

QRect EsclCapabilities::region(const QRectF &millimetres, const Input &input, bool *clipped)
{
    const auto units = [](double mm) {
        return int(std::lround(mm * 300.0 / 25.4));
    };
    const QRect whole(0, 0, input.maxWidth, input.maxHeight);
    if (clipped)
        *clipped = false;
    if (millimetres.isEmpty())
        return whole;
    QRect wanted(
        units(millimetres.x()), units(millimetres.y()), units(millimetres.width()), units(millimetres.height()));
    if (input.maxWidth <= 0 || input.maxHeight <= 0)
        return wanted;
    const QRect inside = wanted.intersected(whole);
    // A unit or two is rounding of millimetres, not a region larger than the glass.
    if (clipped)
        *clipped = inside.width() < wanted.width() - 2 || inside.height() < wanted.height() - 2;
    return inside.isEmpty() ? whole : inside;
}

const EsclCapabilities::Input &EsclCapabilities::inputFor(const ESCLScanSettings &settings) const
{
    if (settings.inputSource == 0)
        return platen;
    if (settings.duplex != 0 && adfDuplex.present && adfDuplex.maxWidth > 0)
        return adfDuplex;
    return adfSimplex.present ? adfSimplex : adfDuplex;
}

bool EsclCapabilities::applyRegion(ESCLScanSettings *settings, const QRectF &millimetres) const
{
    bool clipped = false;
    const QRect units = region(millimetres, inputFor(*settings), &clipped);
    if (units.isEmpty())
        return false; // nothing known: the settings keep their region
    settings->xOffset = units.x();
    settings->yOffset = units.y();
    settings->width = units.width();
    settings->height = units.height();
    return clipped;
}

ESCLScanSettings EsclCapabilities::previewSettings(int colorMode) const
{
    ESCLScanSettings settings;
    settings.colorMode = colorMode;
    settings.inputSource = 0;
    // 75 dpi is what a preview needs; a scanner that lists nothing gets that.
    settings.resolution = platen.lowestResolution() > 0 ? platen.lowestResolution() : 75;
    applyRegion(&settings, QRectF());
    return settings;
}
