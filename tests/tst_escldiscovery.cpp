// eSCL discovery with a fake mDNS browser on PATH, made-up interface
// addresses and a connector that reaches the loopback scanner only. No test
// connects anywhere but 127.0.0.1.
#include <QSettings>
#include <QTcpSocket>
#include <QtTest>
#include <memory>

#include "escl/escldiscovery.h"
#include "escl/esclscanner.h"
#include "tests/support/escltestserver.h"
#include "tests/support/fakeavahibrowse.h"
#include "tests/support/logcapture.h"
#include "settings/appsettings.h"
#include "tests/support/tempsettings.h"

using Behaviour = FakeAvahiBrowse::Behaviour;
using Response = EsclTestServer::Response;

namespace {

QStringList storedDeviceInfo()
{
    QSettings settings = AppSettings::openStore();
    return settings.value(QStringLiteral("esclDeviceInfo")).toStringList();
}

void storeDeviceInfo(const QStringList &entries)
{
    QSettings settings = AppSettings::openStore();
    settings.setValue(QStringLiteral("esclDeviceInfo"), entries);
}

// Index of the first line equal to text at or after from, or -1.
int lineIndex(const QStringList &lines, const QString &text, int from = 0)
{
    for (int i = from; i < lines.size(); ++i) {
        if (lines.at(i) == text)
            return i;
    }
    return -1;
}

} // namespace

class TestEsclDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void cleanNames_data();
    void cleanNames();
    void resolvedLines_data();
    void resolvedLines();
    void deviceUrls_data();
    void deviceUrls();
    void localSubnet_data();
    void localSubnet();

    void browserRecords();
    void hangingBrowserPartialOutput_data();
    void hangingBrowserPartialOutput();
    void noBrowserNoSubnet();
    void subnetProbeAndVerification();
    void unverifiedCandidatesStayUnnamed();

private:
    // Sends every client to the loopback scanner and remembers which URL it was made for.
    EsclDeviceProbe::ClientFactory loopbackClients(EsclTestServer &server)
    {
        return [this, &server](const QString &url, QObject *parent) {
            probedUrls << url;
            auto *client = new ESCLScanner(server.baseUrl(), parent);
            return client;
        };
    }

    EsclDiscovery::Waits fastWaits() const
    {
        EsclDiscovery::Waits waits;
        waits.browserFinishMs = 3000;
        waits.verifyMs = 1000;
        return waits;
    }

    TempSettings tempSettings;
    QStringList probedUrls;
    QStringList connectorCalls;
};

void TestEsclDiscovery::init()
{
    tempSettings.clear();
    probedUrls.clear();
    connectorCalls.clear();
}

void TestEsclDiscovery::cleanNames_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("cleaned");
    QTest::newRow("bracket tag, lower-case series") << "Office\\032Scanner\\032series\\032\\091A1B2C3\\093"
                                                    << "Office Scanner series";
    QTest::newRow("model code after Series") << "Acme\\032XYZ\\032Series\\032G3010"
                                             << "Acme XYZ Series";
    QTest::newRow("escape 040 is a blank") << "Lab\\040Copier"
                                           << "Lab Copier";
    QTest::newRow("lower-case hex tag stays") << "Desk\\032\\091abc1\\093"
                                              << "Desk [abc1]";
    QTest::newRow("other backslashes dropped") << "Floor\\.2\\\\Room"
                                               << "Floor.2Room";
    QTest::newRow("Series then tag then code") << "Big\\032Series\\032MX10\\032\\091FF00\\093"
                                               << "Big Series";
    QTest::newRow("Series with lower-case code kept") << "Big\\032Series\\032mx10"
                                                      << "Big Series mx10";
    QTest::newRow("surrounding blanks trimmed") << "\\032Plain\\032"
                                                << "Plain";
    QTest::newRow("Chinese name") << "财务部\\032扫描仪"
                                  << "财务部 扫描仪";
}

void TestEsclDiscovery::cleanNames()
{
    QFETCH(QString, raw);
    QFETCH(QString, cleaned);
    QCOMPARE(EsclDiscovery::cleanServiceName(raw), cleaned);
}

void TestEsclDiscovery::resolvedLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port");
    QTest::newRow("resolved") << QString::fromUtf8(FakeAvahiBrowse::resolvedLine("Desk", "10.1.2.3", "8080")) << true
                              << "Desk"
                              << "10.1.2.3"
                              << "8080";
    QTest::newRow("browse line") << "+;eth0;IPv4;Desk;_uscan._tcp;local" << false << ""
                                 << ""
                                 << "";
    QTest::newRow("eight fields") << "=;eth0;IPv4;Desk;_uscan._tcp;local;host;10.1.2.3" << false << ""
                                  << ""
                                  << "";
    QTest::newRow("nine fields, empty ones kept") << "=;;;;;;;10.9.9.9;" << true << ""
                                                  << "10.9.9.9"
                                                  << "";
    QTest::newRow("not at line start") << " =;eth0;IPv4;Desk;_uscan._tcp;local;host;10.1.2.3;443" << false << ""
                                       << ""
                                       << "";
}

void TestEsclDiscovery::resolvedLines()
{
    QFETCH(QString, line);
    QFETCH(bool, parsed);
    QFETCH(QString, name);
    QFETCH(QString, address);
    QFETCH(QString, port);
    EsclDiscovery::ServiceRecord record;
    QCOMPARE(EsclDiscovery::parseResolvedLine(line, &record), parsed);
    if (parsed) {
        QCOMPARE(record.name, name);
        QCOMPARE(record.type, line.section(QLatin1Char(';'), 4, 4));
        QCOMPARE(record.address, address);
        QCOMPARE(record.port, port);
    }
}

void TestEsclDiscovery::deviceUrls_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("url");
    QTest::newRow("IPv4") << "10.4.5.6"
                          << "https://10.4.5.6:443";
    QTest::newRow("IPv6 literal is bracketed") << "fd00::12"
                                               << "https://[fd00::12]:443";
}

void TestEsclDiscovery::deviceUrls()
{
    QFETCH(QString, address);
    QFETCH(QString, url);
    QCOMPARE(EsclDiscovery::deviceUrlForAddress(address), url);
}

void TestEsclDiscovery::localSubnet_data()
{
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QString>("subnet");
    QTest::newRow("first 192.168 address")
        << QStringList({ "127.0.0.1", "10.0.0.2", "192.168.7.20", "192.168.9.1" }) << "192.168.7";
    QTest::newRow("none in 192.168/16") << QStringList({ "127.0.0.1", "172.16.0.4", "192.169.1.1" }) << "";
    QTest::newRow("IPv6 only") << QStringList({ "::1", "fe80::1" }) << "";
    QTest::newRow("nothing") << QStringList() << "";
}

void TestEsclDiscovery::localSubnet()
{
    QFETCH(QStringList, addresses);
    QFETCH(QString, subnet);
    QList<QHostAddress> hostAddresses;
    for (const QString &address : addresses)
        hostAddresses << QHostAddress(address);
    QCOMPARE(EsclDiscovery::localSubnet(hostAddresses), subnet);
    if (!subnet.isEmpty()) {
        QCOMPARE(EsclDiscovery::subnetCandidates(subnet),
            QStringList({ subnet + ".8", subnet + ".10", subnet + ".20", subnet + ".100", subnet + ".101" }));
    }
}

void TestEsclDiscovery::browserRecords()
{
    // Duplicates, an ipp-usb record on loopback and a port other than 443.
    QByteArray output = "+;eth0;IPv4;Office\\032Scanner\\032series\\032\\091A1B2C3\\093;_uscan._tcp;local\n";
    output += FakeAvahiBrowse::resolvedLine("Office\\032Scanner\\032series\\032\\091A1B2C3\\093", "10.20.30.40");
    output += FakeAvahiBrowse::resolvedLine("Office\\032Scanner\\032(wlan)", "10.20.30.40", "443", "IPv4", "wlan0");
    output += FakeAvahiBrowse::resolvedLine("USB\\032Printer", "127.0.0.1", "60000", "IPv4", "lo");
    output += FakeAvahiBrowse::resolvedLine("Acme\\032XYZ\\032Series\\032G3010", "10.20.30.41", "8080");
    output += "\n";
    FakeAvahiBrowse browser(Behaviour::Print, output, "Failed to resolve service 'Other'\n");
    QVERIFY(browser.isValid());

    EsclTestServer server;
    QVERIFY(server.start());
    EsclDiscovery discovery(tempSettings.store());
    discovery.setClientFactory(loopbackClients(server));
    discovery.setConnector([this](const QString &host, quint16, int) {
        connectorCalls << host;
        return false;
    });
    discovery.setWaits(fastWaits());

    LogCapture log;
    const QStringList urls = discovery.discoverEsclDevices();
    QCOMPARE(urls, QStringList({ "https://10.20.30.40:443", "https://10.20.30.41:443" }));
    QCOMPARE(browser.recordedArguments(), QStringList({ "-t", "-r", "-p", "_uscan._tcp" }));
    // Names from mDNS need no probe, and the subnet is not tried.
    QVERIFY(probedUrls.isEmpty());
    QVERIFY(connectorCalls.isEmpty());
    QCOMPARE(storedDeviceInfo(),
        QStringList({ "https://10.20.30.40:443|Office Scanner series", "https://10.20.30.41:443|Acme XYZ Series" }));

    const QStringList lines = log.lines();
    QCOMPARE(lines.mid(0, 5),
        QStringList({ "========================================", "开始自动发现 eSCL 设备...",
            "========================================", "使用 avahi-browse 搜索 eSCL 设备...",
            "搜索服务类型: _uscan._tcp" }));
    QVERIFY(log.contains(QStringLiteral("avahi-browse 错误输出: \"Failed to resolve service 'Other'\\n\"")));
    QVERIFY(log.contains(QStringLiteral("avahi-browse 返回 5 行输出")));
    QVERIFY(log.contains(QStringLiteral("    - 跳过重复 URL: \"https://10.20.30.40:443\"")));
    QVERIFY(log.contains(QStringLiteral("    - 跳过 localhost 设备（ipp-usb）: \"USB\\\\032Printer\"")));
    QVERIFY(log.contains(QStringLiteral("      提示：USB 设备请使用'仅USB'或'USB+局域网'模式")));
    QVERIFY(log.contains(QStringLiteral("    清理后名称: \"Acme XYZ Series\"")));
    QVERIFY(
        log.contains(QStringLiteral("  [ 2 ] 服务: \"Acme\\\\032XYZ\\\\032Series\\\\032G3010\" 类型: \"_uscan._tcp\" "
                                    "地址: \"10.20.30.41\" 端口: \"8080\"")));
    QVERIFY(log.contains(QStringLiteral("avahi-browse 完成，发现 2 个唯一设备")));
    QVERIFY(log.contains(QStringLiteral("使用 mDNS 服务名称: \"Office Scanner series\"")));
    QCOMPARE(lines.last(), QStringLiteral("自动发现完成，找到 2 个设备"));
    QVERIFY(!log.contains(QStringLiteral("尝试扫描常见 IP 地址...")));
}

void TestEsclDiscovery::hangingBrowserPartialOutput_data()
{
    QTest::addColumn<bool>("productionWaits");
    QTest::newRow("short wait") << false;
    QTest::newRow("production 12 s wait") << true;
}

void TestEsclDiscovery::hangingBrowserPartialOutput()
{
    QFETCH(bool, productionWaits);
    const QByteArray output = FakeAvahiBrowse::resolvedLine("First", "10.7.7.1")
        + FakeAvahiBrowse::resolvedLine("Second\\032Series\\032AB12", "10.7.7.2");
    FakeAvahiBrowse browser(Behaviour::PrintThenHang, output);
    QVERIFY(browser.isValid());

    EsclTestServer server;
    QVERIFY(server.start());
    EsclDiscovery discovery(tempSettings.store());
    discovery.setClientFactory(loopbackClients(server));
    discovery.setAddressProvider([] { return QList<QHostAddress>({ QHostAddress(QStringLiteral("192.168.3.3")) }); });
    discovery.setConnector([this](const QString &host, quint16, int) {
        connectorCalls << host;
        return false;
    });
    if (!productionWaits)
        discovery.setWaits(fastWaits());

    LogCapture log;
    const QStringList urls = discovery.discoverEsclDevices();
    QCOMPARE(urls, QStringList({ "https://10.7.7.1:443", "https://10.7.7.2:443" }));
    const QStringList lines = log.lines();
    const int timeoutLine = lineIndex(lines, QStringLiteral("avahi-browse 超时（12秒）"));
    QVERIFY(timeoutLine > 0);
    QCOMPARE(lines.value(timeoutLine + 1), QStringLiteral("尝试解析部分输出..."));
    QVERIFY(log.contains(QStringLiteral("avahi-browse 完成，发现 2 个唯一设备")));
    QVERIFY(!log.contains(QStringLiteral("尝试扫描常见 IP 地址...")));
    QVERIFY(connectorCalls.isEmpty());
    QCOMPARE(storedDeviceInfo(), QStringList({ "https://10.7.7.1:443|First", "https://10.7.7.2:443|Second Series" }));
}

void TestEsclDiscovery::noBrowserNoSubnet()
{
    FakeAvahiBrowse browser(Behaviour::Absent);
    QVERIFY(browser.isValid());
    EsclDiscovery discovery(tempSettings.store());
    discovery.setAddressProvider([] {
        return QList<QHostAddress>({ QHostAddress::LocalHost, QHostAddress(QStringLiteral("10.1.1.5")),
            QHostAddress(QStringLiteral("fe80::5")) });
    });
    discovery.setConnector([this](const QString &host, quint16, int) {
        connectorCalls << host;
        return false;
    });
    EsclTestServer server;
    QVERIFY(server.start());
    discovery.setClientFactory(loopbackClients(server));

    LogCapture log;
    QVERIFY(discovery.discoverEsclDevices().isEmpty());
    QCOMPARE(log.lines().mid(5),
        QStringList({ "avahi-browse 未安装或无法启动", "提示：安装 avahi-utils 以启用自动发现",
            "  sudo apt install avahi-utils", "尝试扫描常见 IP 地址...", "自动发现完成，找到 0 个设备" }));
    QVERIFY(connectorCalls.isEmpty());
    QVERIFY(probedUrls.isEmpty());
    QVERIFY(storedDeviceInfo().isEmpty());
}

void TestEsclDiscovery::subnetProbeAndVerification()
{
    // An empty browser answer falls back to the subnet; .10 is already named in
    // the registry and is not probed again, .100 is asked for its model.
    FakeAvahiBrowse browser(Behaviour::Print, QByteArray());
    QVERIFY(browser.isValid());
    storeDeviceInfo({ "https://192.168.50.10:443|Saved Name", "https://other:443|Elsewhere" });

    EsclTestServer server(EsclTestServer::Scheme::Https);
    QVERIFY(server.start());
    server.enqueue("GET", "/eSCL/ScannerCapabilities",
        Response::text(EsclTestServer::capabilitiesXml(QStringLiteral("Probe Model 7"))));

    EsclDiscovery discovery(tempSettings.store());
    discovery.setClientFactory(loopbackClients(server));
    discovery.setAddressProvider([] {
        return QList<QHostAddress>({ QHostAddress::LocalHost, QHostAddress(QStringLiteral("192.168.50.77")),
            QHostAddress(QStringLiteral("192.168.60.2")) });
    });
    // A real TCP connection, made to the loopback scanner for the two candidates that "answer".
    QList<quint16> ports;
    discovery.setConnector([this, &server, &ports](const QString &host, quint16 port, int timeoutMs) {
        connectorCalls << host;
        ports << port;
        if (!host.endsWith(QLatin1String(".10")) && !host.endsWith(QLatin1String(".100")))
            return false;
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server.serverPort());
        const bool connected = socket.waitForConnected(timeoutMs);
        socket.abort();
        return connected;
    });
    discovery.setWaits(fastWaits());

    LogCapture log;
    const QStringList urls = discovery.discoverEsclDevices();
    QCOMPARE(urls, QStringList({ "https://192.168.50.10:443", "https://192.168.50.100:443" }));
    QCOMPARE(connectorCalls,
        QStringList({ "192.168.50.8", "192.168.50.10", "192.168.50.20", "192.168.50.100", "192.168.50.101" }));
    QCOMPARE(ports, QList<quint16>({ 443, 443, 443, 443, 443 }));
    QCOMPARE(probedUrls, QStringList({ "https://192.168.50.100:443" }));
    QCOMPARE(server.count("GET", "/eSCL/ScannerCapabilities"), 1);
    QCOMPARE(storedDeviceInfo(),
        QStringList({ "https://192.168.50.100:443|Probe Model 7", "https://192.168.50.10:443|Saved Name",
            "https://other:443|Elsewhere" }));

    QVERIFY(log.contains(QStringLiteral("avahi-browse 返回 0 行输出")));
    QVERIFY(log.contains(QStringLiteral("本地子网: \"192.168.50\" .x")));
    QVERIFY(log.contains(QStringLiteral("发现可能的 eSCL 设备: \"https://192.168.50.100:443\"")));
    QVERIFY(log.contains(QStringLiteral("验证发现的 2 个设备...")));
    QVERIFY(log.contains(QStringLiteral("使用已保存的设备信息: \"Saved Name\"")));
    QVERIFY(log.contains(QStringLiteral("验证设备: \"https://192.168.50.100:443\"")));
    QVERIFY(log.contains(QStringLiteral("获取到设备信息: \"Probe Model 7\"")));
}

void TestEsclDiscovery::unverifiedCandidatesStayUnnamed()
{
    // One candidate answers with an error, one without a model, one too late: none gets a name.
    const QByteArray output = FakeAvahiBrowse::resolvedLine("", "10.8.0.1")
        + FakeAvahiBrowse::resolvedLine("", "10.8.0.2") + FakeAvahiBrowse::resolvedLine("\\032", "10.8.0.3");
    FakeAvahiBrowse browser(Behaviour::Print, output);
    QVERIFY(browser.isValid());

    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("GET", "/eSCL/ScannerCapabilities", Response::withStatus(500));
    server.enqueue("GET", "/eSCL/ScannerCapabilities", Response::text(EsclTestServer::capabilitiesXml(QString())));
    Response late = Response::text(EsclTestServer::capabilitiesXml(QStringLiteral("Late")));
    late.delayMs = 2500;
    server.enqueue("GET", "/eSCL/ScannerCapabilities", late);

    EsclDiscovery discovery(tempSettings.store());
    discovery.setClientFactory(loopbackClients(server));
    discovery.setWaits(fastWaits());
    LogCapture log;
    const QStringList urls = discovery.discoverEsclDevices();
    QCOMPARE(urls, QStringList({ "https://10.8.0.1:443", "https://10.8.0.2:443", "https://10.8.0.3:443" }));
    QCOMPARE(probedUrls, urls);
    QCOMPARE(log.linesStartingWith(QStringLiteral("无法获取设备信息，使用 URL")).size(), 3);
    QVERIFY(storedDeviceInfo().isEmpty());
}

QTEST_GUILESS_MAIN(TestEsclDiscovery)
#include "tst_escldiscovery.moc"
