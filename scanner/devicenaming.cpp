#include "scanner/devicenaming.h"

#include <QRegularExpression>

namespace DeviceNaming {

namespace {

bool containsAny(const QString &text, std::initializer_list<const char *> needles)
{
    for (const char *needle : needles) {
        if (text.contains(QLatin1String(needle)))
            return true;
    }
    return false;
}

bool isLocalHostName(const QString &saneName)
{
    return containsAny(saneName, { "localhost", "127.0.0.1" });
}

} // namespace

Classification classify(const QString &saneName)
{
    if (containsAny(saneName, { ":tcp:", "net:" }))
        return { true, QStringLiteral("判断为网络设备（TCP/net）") };
    if (containsAny(saneName, { "http:", "https:" })) {
        if (isLocalHostName(saneName))
            return { false, QStringLiteral("判断为本地设备（localhost）") };
        return { true, QStringLiteral("判断为网络设备（HTTP/HTTPS，非localhost）") };
    }
    if (saneName.startsWith(QLatin1String("airscan:")) && !saneName.startsWith(QLatin1String("airscan:escl:"))) {
        if (isLocalHostName(saneName))
            return { false, QStringLiteral("判断为本地设备（AirScan localhost）") };
        return { true, QStringLiteral("判断为网络设备（AirScan，非localhost）") };
    }
    if (containsAny(saneName, { "pixma:", "bjnp:" }))
        return { true, QStringLiteral("判断为网络设备（Canon PIXMA）") };
    return { false, QStringLiteral("判断为本地设备（USB/其他）") };
}

bool isEsclBackendName(const QString &saneName)
{
    return saneName.startsWith(QLatin1String("airscan:escl:"), Qt::CaseInsensitive)
        || saneName.startsWith(QLatin1String("airscan:e0:"), Qt::CaseInsensitive)
        || saneName.startsWith(QLatin1String("escl:"), Qt::CaseInsensitive);
}

bool isLocalEsclName(const QString &saneName)
{
    return saneName.contains(QLatin1String("localhost"), Qt::CaseInsensitive)
        || saneName.contains(QLatin1String("127.0.0.1"));
}

QString friendlyName(const QString &vendor, const QString &model, const QString &saneName)
{
    if (vendor.isEmpty())
        return model.isEmpty() ? saneName : model;
    if (model.isEmpty())
        return saneName;
    if (model.startsWith(vendor))
        return model;
    return QStringLiteral("%1 %2").arg(vendor, model);
}

QString ipv4Address(const QString &saneName)
{
    static const QRegularExpression address(QStringLiteral("(\\d{1,3}\\.\\d{1,3}\\.\\d{1,3}\\.\\d{1,3})"));
    const QRegularExpressionMatch match = address.match(saneName);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString cutBeforeParenthesis(const QString &name, const QString &fallback)
{
    QString result = name;
    const int open = result.indexOf(QLatin1Char('('));
    if (open > 0)
        result = result.left(open);
    result = result.trimmed();
    return result.isEmpty() ? fallback : result;
}

QString displayName(const DeviceRecord &record, bool network)
{
    const QString friendly = friendlyName(record.vendor, record.model, record.name);
    if (network) {
        const QString address = ipv4Address(record.name);
        if (!address.isEmpty())
            return QStringLiteral("[网络] %1 (%2)").arg(friendly, address);
        return QStringLiteral("[网络] %1").arg(friendly);
    }
    if (friendly.contains(QLatin1String("(libusb:")) || friendly.contains(QLatin1String("(USB)")))
        return cutBeforeParenthesis(friendly, friendly);
    return friendly;
}

QString uniqueDisplayName(const QString &name, const QMap<QString, QString> &taken)
{
    if (!taken.contains(name))
        return name;
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)").arg(name).arg(n);
        if (!taken.contains(candidate))
            return candidate;
    }
}

QString deviceNameFromSelection(const QString &selection)
{
    const int open = selection.lastIndexOf(QLatin1Char('('));
    const int close = selection.lastIndexOf(QLatin1Char(')'));
    if (open >= 0 && close > open)
        return selection.mid(open + 1, close - open - 1);
    return selection;
}

} // namespace DeviceNaming
