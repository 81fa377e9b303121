#include "escl/esclregistry.h"

#include <QSettings>

#include "settings/appsettings.h"

EsclRegistry::EsclRegistry(QSettings &store)
    : store(store)
{
}

QStringList EsclRegistry::devices() const
{
    return AppSettings::esclDevices.read(store);
}

void EsclRegistry::setDevices(const QStringList &urls)
{
    AppSettings::esclDevices.write(store, urls);
}

QMap<QString, QString> EsclRegistry::deviceInfo() const
{
    return parseDeviceInfo(AppSettings::esclDeviceInfo.read(store));
}

void EsclRegistry::setDeviceInfo(const QMap<QString, QString> &info)
{
    AppSettings::esclDeviceInfo.write(store, formatDeviceInfo(info));
}

QMap<QString, QString> EsclRegistry::parseDeviceInfo(const QStringList &entries)
{
    QMap<QString, QString> info;
    for (const QString &entry : entries) {
        const QStringList parts = entry.split(QLatin1Char('|'));
        if (parts.size() == 2)
            info.insert(parts.at(0), parts.at(1));
    }
    return info;
}

QStringList EsclRegistry::formatDeviceInfo(const QMap<QString, QString> &info)
{
    // QMap iterates in ascending key order, which is the order the key is written in.
    QStringList entries;
    for (auto it = info.cbegin(); it != info.cend(); ++it)
        entries << it.key() + QLatin1Char('|') + it.value();
    return entries;
}

QString EsclRegistry::displayName(const QString &url, const QString &name)
{
    return QStringLiteral("eSCL-%1").arg(name.isEmpty() ? url : name);
}

bool EsclRegistry::isAcceptableUrl(const QString &text)
{
    return text.startsWith(QLatin1String("http://")) || text.startsWith(QLatin1String("https://"));
}

QStringList EsclRegistry::registeredEsclDeviceNames() const
{
    const QMap<QString, QString> info = deviceInfo();
    QStringList names;
    for (const QString &url : devices())
        names << displayName(url, info.value(url));
    return names;
}

QString EsclRegistry::esclUrlForDisplayName(const QString &displayName) const
{
    const QMap<QString, QString> info = deviceInfo();
    for (const QString &url : devices()) {
        if (EsclRegistry::displayName(url, info.value(url)) == displayName)
            return url;
    }
    return QString();
}

bool EsclRegistry::contains(const QString &url) const
{
    return devices().contains(url);
}

EsclDeviceProbe::Result EsclRegistry::verify(const QString &url, QObject *clientParent) const
{
    EsclDeviceProbe probe(clientParent);
    probe.setClientFactory(clientFactory);
    return probe.probe(url, verifyTimeoutMs);
}

void EsclRegistry::setClientFactory(EsclDeviceProbe::ClientFactory factory)
{
    clientFactory = std::move(factory);
}

QString EsclRegistry::addDevice(const QString &url, const QString &modelName)
{
    QStringList urls = devices();
    if (!urls.contains(url)) {
        urls << url;
        setDevices(urls);
    }
    QMap<QString, QString> info = deviceInfo();
    info.insert(url, modelName.isEmpty() ? url : modelName);
    setDeviceInfo(info);
    return displayName(url, modelName);
}

QStringList EsclRegistry::removalChoices() const
{
    const QMap<QString, QString> info = deviceInfo();
    QStringList choices;
    for (const QString &url : devices()) {
        const QString name = info.value(url);
        choices << (name.isEmpty() ? url : QStringLiteral("%1\n  (%2)").arg(name, url));
    }
    return choices;
}

EsclRegistry::Device EsclRegistry::deviceForChoice(const QString &choice) const
{
    const int index = removalChoices().indexOf(choice);
    if (index < 0)
        return Device();
    const QString url = devices().at(index);
    return Device { url, deviceInfo().value(url) };
}

bool EsclRegistry::removeDevice(const QString &choice)
{
    const int index = removalChoices().indexOf(choice);
    if (index < 0)
        return false;
    QStringList urls = devices();
    const QString url = urls.takeAt(index);
    setDevices(urls);
    QMap<QString, QString> info = deviceInfo();
    info.remove(url);
    setDeviceInfo(info);
    return true;
}
