#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

class EsclDiscovery;
class QObject;
class QSettings;

// The device search of the eSCL-only mode: discovery on the network, merged
// with the registered devices into the names the scanner list shows. The
// merged URL list becomes the registry's list when discovery found anything.
// GUI thread only; discovery blocks it and runs nested event loops.
class EsclDeviceSearch
{
public:
    struct Merge
    {
        QStringList urls;
        // One per URL whose display name was not produced already.
        QStringList displayNames;
    };

    // Adjusts the discovery of every later search. Discovery reaches into the
    // LAN in production; tests point its program, addresses and connector at
    // loopback stand-ins with it.
    using DiscoverySetup = std::function<void(EsclDiscovery &discovery)>;
    static void setDiscoverySetup(DiscoverySetup setup);

    EsclDeviceSearch(QSettings &store, QObject *clientParent);

    QStringList discover() const;

    // Registered devices keep their registration order; newly discovered ones
    // follow in the order found. Display names that repeat are skipped.
    static Merge merge(
        const QStringList &discovered, const QStringList &registered, const QMap<QString, QString> &deviceInfo);

    // Merges with the registry and writes the merged list back when discovery
    // found a device. Returns the display names.
    QStringList mergeIntoRegistry(const QStringList &discovered) const;

private:
    QSettings &store;
    QObject *clientParent = nullptr;
};
