#include "ui/escldevicesearch.h"

#include <QDebug>
#include <QSet>

#include "escl/escldiscovery.h"
#include "escl/esclregistry.h"

namespace {

EsclDeviceSearch::DiscoverySetup &discoverySetup()
{
    static EsclDeviceSearch::DiscoverySetup setup;
    return setup;
}

} // namespace

void EsclDeviceSearch::setDiscoverySetup(DiscoverySetup setup)
{
    discoverySetup() = std::move(setup);
}

EsclDeviceSearch::EsclDeviceSearch(QSettings &store, QObject *clientParent)
    : store(store)
    , clientParent(clientParent)
{
}

QStringList EsclDeviceSearch::discover() const
{
    EsclDiscovery discovery(store, clientParent);
    if (discoverySetup())
        discoverySetup()(discovery);
    return discovery.discoverEsclDevices();
}

EsclDeviceSearch::Merge EsclDeviceSearch::merge(
    const QStringList &discovered, const QStringList &registered, const QMap<QString, QString> &deviceInfo)
{
    Merge result;
    QSet<QString> seenUrls;
    for (const QStringList *list : { &registered, &discovered }) {
        for (const QString &url : *list) {
            if (seenUrls.contains(url))
                continue;
            seenUrls.insert(url);
            result.urls << url;
        }
    }
    QSet<QString> seenNames;
    for (const QString &url : qAsConst(result.urls)) {
        const QString name = EsclRegistry::displayName(url, deviceInfo.value(url));
        if (seenNames.contains(name)) {
            qDebug() << "跳过重复设备:" << name;
            continue;
        }
        seenNames.insert(name);
        result.displayNames << name;
    }
    return result;
}

QStringList EsclDeviceSearch::mergeIntoRegistry(const QStringList &discovered) const
{
    EsclRegistry registry(store);
    const Merge merged = merge(discovered, registry.devices(), registry.deviceInfo());
    if (!discovered.isEmpty()) {
        registry.setDevices(merged.urls);
        qDebug() << "已保存" << merged.urls.size() << "个 eSCL 设备到配置";
    }
    return merged.displayNames;
}
