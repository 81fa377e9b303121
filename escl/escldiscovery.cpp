#include "escl/escldiscovery.h"

#include <QDebug>
#include <QNetworkInterface>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>

#include "escl/esclregistry.h"

namespace {

constexpr quint16 esclPort = 443;

QList<QHostAddress> systemAddresses()
{
    return QNetworkInterface::allAddresses();
}

bool connectTcp(const QString &host, quint16 port, int timeoutMs)
{
    QTcpSocket socket;
    socket.connectToHost(host, port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
    const bool connected = socket.waitForConnected(timeoutMs);
    socket.close();
    return connected;
}

} // namespace

EsclDiscovery::EsclDiscovery(QSettings &store, QObject *clientParent)
    : store(store)
    , program(QStringLiteral("avahi-browse"))
    , addressProvider(&systemAddresses)
    , connector(&connectTcp)
    , probe(clientParent)
{
}

void EsclDiscovery::setProgram(const QString &program)
{
    this->program = program;
}

void EsclDiscovery::setAddressProvider(AddressProvider provider)
{
    addressProvider = std::move(provider);
}

void EsclDiscovery::setConnector(Connector connector)
{
    this->connector = std::move(connector);
}

void EsclDiscovery::setClientFactory(EsclDeviceProbe::ClientFactory factory)
{
    probe.setClientFactory(std::move(factory));
}

void EsclDiscovery::setWaits(const Waits &waits)
{
    this->waits = waits;
}

QStringList EsclDiscovery::discoverEsclDevices()
{
    qDebug() << "========================================";
    qDebug() << "开始自动发现 eSCL 设备...";
    qDebug() << "========================================";
    qDebug() << "使用 avahi-browse 搜索 eSCL 设备...";
    qDebug() << "搜索服务类型: _uscan._tcp";

    QStringList urls;
    QSet<QString> seen;
    QMap<QString, QString> mdnsNames;

    runBrowser(urls, seen, mdnsNames);
    if (urls.isEmpty())
        probeSubnet(urls);
    if (!urls.isEmpty())
        verifyCandidates(urls, mdnsNames);

    qDebug() << "自动发现完成，找到" << urls.size() << "个设备";
    return urls;
}

void EsclDiscovery::runBrowser(QStringList &urls, QSet<QString> &seen, QMap<QString, QString> &mdnsNames) const
{
    QProcess browser;
    browser.start(
        program, { QStringLiteral("-t"), QStringLiteral("-r"), QStringLiteral("-p"), QStringLiteral("_uscan._tcp") });
    if (!browser.waitForStarted(waits.browserStartMs)) {
        qDebug() << "avahi-browse 未安装或无法启动";
        qDebug() << "提示：安装 avahi-utils 以启用自动发现";
        qDebug() << "  sudo apt install avahi-utils";
        return;
    }

    if (!browser.waitForFinished(waits.browserFinishMs)) {
        qDebug() << "avahi-browse 超时（12秒）";
        // A browser that hangs (no mDNS daemon answering the cache dump, say) has
        // often printed the services it had already resolved.
        const QString partial = QString::fromUtf8(browser.readAllStandardOutput());
        if (!partial.isEmpty()) {
            qDebug() << "尝试解析部分输出...";
            parseBrowserLines(partial.split(QLatin1Char('\n'), Qt::SkipEmptyParts), urls, seen, mdnsNames);
        }
        browser.kill();
        browser.waitForFinished(waits.browserStartMs);
        return;
    }

    const QString output = QString::fromUtf8(browser.readAllStandardOutput());
    const QString errors = QString::fromUtf8(browser.readAllStandardError());
    if (!errors.isEmpty())
        qDebug() << "avahi-browse 错误输出:" << errors;
    const QStringList lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    qDebug() << "avahi-browse 返回" << lines.size() << "行输出";
    parseBrowserLines(lines, urls, seen, mdnsNames);
}

void EsclDiscovery::parseBrowserLines(
    const QStringList &lines, QStringList &urls, QSet<QString> &seen, QMap<QString, QString> &mdnsNames)
{
    for (const QString &line : lines) {
        if (urls.size() >= maxCandidates) {
            qDebug() << "发现的设备过多，只取前" << maxCandidates << "个";
            break;
        }
        ServiceRecord record;
        if (!parseResolvedLine(line, &record))
            continue;
        qDebug() << "  [" << urls.size() + 1 << "] 服务:" << record.name << "类型:" << record.type
                 << "地址:" << record.address << "端口:" << record.port;

        // IPP-over-USB daemons announce USB scanners on the loopback address;
        // those belong to the SANE search modes.
        if (record.address == QLatin1String("127.0.0.1") || record.address.contains(QLatin1String("localhost"))) {
            qDebug() << "    - 跳过 localhost 设备（ipp-usb）:" << record.name;
            qDebug() << "      提示：USB 设备请使用'仅USB'或'USB+局域网'模式";
            continue;
        }

        const QString url = deviceUrlForAddress(record.address);
        if (seen.contains(url)) {
            qDebug() << "    - 跳过重复 URL:" << url;
            continue;
        }
        seen.insert(url);
        urls << url;
        if (!mdnsNames.contains(url)) {
            const QString cleaned = cleanServiceName(record.name);
            mdnsNames.insert(url, cleaned);
            qDebug() << "    清理后名称:" << cleaned;
        }
        qDebug() << "    ✓ 添加设备:" << url;
    }
    qDebug() << "avahi-browse 完成，发现" << urls.size() << "个唯一设备";
}

void EsclDiscovery::probeSubnet(QStringList &urls) const
{
    qDebug() << "尝试扫描常见 IP 地址...";
    const QString subnet = localSubnet(addressProvider());
    if (subnet.isEmpty())
        return;
    qDebug() << "本地子网:" << subnet << ".x";
    for (const QString &candidate : subnetCandidates(subnet)) {
        if (connector(candidate, esclPort, waits.probeConnectMs)) {
            const QString url = deviceUrlForAddress(candidate);
            urls << url;
            qDebug() << "发现可能的 eSCL 设备:" << url;
        }
    }
}

void EsclDiscovery::verifyCandidates(const QStringList &urls, const QMap<QString, QString> &mdnsNames) const
{
    qDebug() << "验证发现的" << urls.size() << "个设备...";
    EsclRegistry registry(store);
    QMap<QString, QString> deviceInfo = registry.deviceInfo();
    for (const QString &url : urls) {
        const QString mdnsName = mdnsNames.value(url);
        if (!mdnsName.isEmpty()) {
            deviceInfo.insert(url, mdnsName);
            qDebug() << "使用 mDNS 服务名称:" << mdnsName;
            continue;
        }
        const QString known = deviceInfo.value(url);
        if (!known.isEmpty()) {
            qDebug() << "使用已保存的设备信息:" << known;
            continue;
        }
        qDebug() << "验证设备:" << url;
        const EsclDeviceProbe::Result result = probe.probe(url, waits.verifyMs);
        if (result.answered && !result.modelName.isEmpty()) {
            deviceInfo.insert(url, result.modelName);
            qDebug() << "获取到设备信息:" << result.modelName;
        } else {
            qDebug() << "无法获取设备信息，使用 URL";
        }
    }
    registry.setDeviceInfo(deviceInfo);
}

bool EsclDiscovery::parseResolvedLine(const QString &line, ServiceRecord *record)
{
    if (!line.startsWith(QLatin1Char('=')))
        return false;
    const QStringList fields = line.split(QLatin1Char(';'));
    if (fields.size() < 9)
        return false;
    record->name = fields.at(3);
    record->type = fields.at(4);
    record->address = fields.at(7);
    record->port = fields.at(8);
    return true;
}

QString EsclDiscovery::cleanServiceName(const QString &rawName)
{
    QString name = rawName;
    name.replace(QLatin1String("\\032"), QLatin1String(" "));
    name.replace(QLatin1String("\\040"), QLatin1String(" "));
    name.replace(QLatin1String("\\091"), QLatin1String("["));
    name.replace(QLatin1String("\\093"), QLatin1String("]"));
    name.remove(QLatin1Char('\\'));

    static const QRegularExpression hexTag(QStringLiteral("\\s*\\[[A-F0-9]+\\]\\s*$"));
    name.remove(hexTag);
    if (name.contains(QLatin1String("Series"))) {
        static const QRegularExpression modelCode(QStringLiteral("\\s+[A-Z0-9]+\\s*$"));
        name.remove(modelCode);
    }
    return name.trimmed();
}

QString EsclDiscovery::deviceUrlForAddress(const QString &address)
{
    // The browser reports IPv6 services too; their literal needs brackets in a URL.
    if (address.contains(QLatin1Char(':')))
        return QStringLiteral("https://[%1]:443").arg(address);
    return QStringLiteral("https://%1:443").arg(address);
}

QString EsclDiscovery::localSubnet(const QList<QHostAddress> &addresses)
{
    for (const QHostAddress &address : addresses) {
        if (address.protocol() != QAbstractSocket::IPv4Protocol || address.isLoopback())
            continue;
        const QString text = address.toString();
        if (!text.startsWith(QLatin1String("192.168.")))
            continue;
        const QStringList parts = text.split(QLatin1Char('.'));
        if (parts.size() > 2)
            return QStringLiteral("%1.%2.%3").arg(parts.at(0), parts.at(1), parts.at(2));
    }
    return QString();
}

QStringList EsclDiscovery::subnetCandidates(const QString &subnet)
{
    QStringList candidates;
    for (const char *host : { "8", "10", "20", "100", "101" })
        candidates << subnet + QLatin1Char('.') + QLatin1String(host);
    return candidates;
}
