#pragma once

#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

#include "escl/escldeviceprobe.h"

class QObject;
class QSettings;

// Finds eSCL scanners: the mDNS browser's "_uscan._tcp" services first, a TCP
// probe of a few common addresses of the local 192.168.x.y subnet when it
// finds none, then a capabilities probe of every candidate without a known
// name. Returns the candidate URLs and records names in the registry of the
// store it is handed (which must outlive it).
// Runs on the GUI thread and blocks it (browser and socket waits); the
// capability probes run nested event loops. The browser program, the
// interface addresses, the TCP connector, the clients and all waits are seams
// so that tests never reach beyond loopback.
class EsclDiscovery
{
public:
    struct Waits
    {
        int browserStartMs = 2000;
        int browserFinishMs = 12000;
        int probeConnectMs = 500;
        int verifyMs = 3000;
    };

    struct ServiceRecord
    {
        QString name;
        QString type;
        QString address;
        QString port;
    };

    using AddressProvider = std::function<QList<QHostAddress>()>;
    // Tries a TCP connection; true when it was established within timeoutMs.
    using Connector = std::function<bool(const QString &host, quint16 port, int timeoutMs)>;

    explicit EsclDiscovery(QSettings &store, QObject *clientParent = nullptr);

    void setProgram(const QString &program);
    void setAddressProvider(AddressProvider provider);
    void setConnector(Connector connector);
    void setClientFactory(EsclDeviceProbe::ClientFactory factory);
    void setWaits(const Waits &waits);

    QStringList discoverEsclDevices();

    // A resolved-service line of the browser's parsable output ("=" and at least
    // nine ";"-separated fields); false for every other line.
    static bool parseResolvedLine(const QString &line, ServiceRecord *record);
    // Undoes the browser's escapes, drops a trailing [HEX] tag and, after
    // "Series", a trailing model code.
    static QString cleanServiceName(const QString &rawName);
    // HTTPS on port 443 whatever port was advertised.
    static QString deviceUrlForAddress(const QString &address);
    // "a.b.c" of the first IPv4, non-loopback 192.168.x.y address; empty when none.
    static QString localSubnet(const QList<QHostAddress> &addresses);
    static QStringList subnetCandidates(const QString &subnet);

    // Candidates taken from one browser run. The browser reports whatever the
    // network announces; each candidate without a name costs a probe of up to
    // verifyMs on the GUI thread, so a flood of announcements is cut short.
    static constexpr int maxCandidates = 64;

    // The browser's output lines: the URLs of the resolved services not yet seen
    // (loopback ones skipped), and the cleaned service name of each.
    static void parseBrowserLines(
        const QStringList &lines, QStringList &urls, QSet<QString> &seen, QMap<QString, QString> &mdnsNames);

private:
    void runBrowser(QStringList &urls, QSet<QString> &seen, QMap<QString, QString> &mdnsNames) const;
    void probeSubnet(QStringList &urls) const;
    void verifyCandidates(const QStringList &urls, const QMap<QString, QString> &mdnsNames) const;

    QSettings &store;
    QString program;
    AddressProvider addressProvider;
    Connector connector;
    Waits waits;
    EsclDeviceProbe probe;
};
