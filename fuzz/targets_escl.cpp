// What the local network sends: eSCL answers (capabilities, the job's
// Location, the scanned documents) and the mDNS browser's output.
#include <QMap>
#include <QSet>
#include <QStringList>

#include "escl/esclcapabilities.h"
#include "escl/escldeviceprobe.h"
#include "escl/escldiscovery.h"
#include "escl/esclscanner.h"
#include "fuzz/fuzztargets.h"

namespace FuzzTargets {

Outcome esclCapabilities(const QByteArray &data)
{
    const EsclDeviceProbe::Result result = EsclDeviceProbe::parseCapabilities(QString::fromUtf8(data));
    const EsclCapabilities caps = EsclCapabilities::parse(data);
    if (caps.platen.maxWidth < 0 || caps.platen.resolutions.size() > 64)
        qFatal("capabilities out of their bounds");
    EsclCapabilities::region(QRectF(0, 0, 148, 210), caps.platen);
    return { !result.answered, result.modelName };
}

Outcome esclLocation(const QByteArray &data)
{
    const QString id = ESCLScanner::extractJobId(QString::fromUtf8(data));
    return { id.isEmpty(), id };
}

Outcome esclDocument(const QByteArray &data)
{
    QString errorText;
    const QImage image = ESCLScanner::decodeDocument(data, 300, &errorText);
    if (image.isNull())
        return { true, errorText };
    const QImage enhanced = ESCLScanner::enhanceScannedPage(image);
    if (enhanced.size() != image.size())
        qFatal("enhancing changed the page's size");
    return { false, QStringLiteral("%1 x %2").arg(image.width()).arg(image.height()) };
}

Outcome avahiOutput(const QByteArray &data)
{
    QStringList urls;
    QSet<QString> seen;
    QMap<QString, QString> names;
    EsclDiscovery::parseBrowserLines(
        QString::fromUtf8(data).split(QLatin1Char('\n'), Qt::SkipEmptyParts), urls, seen, names);
    if (urls.size() > EsclDiscovery::maxCandidates)
        qFatal("more candidates than a browser run may give");
    return { urls.isEmpty(), urls.join(QLatin1Char(' ')) };
}

} // namespace FuzzTargets
