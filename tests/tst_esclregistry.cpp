// The eSCL device registry in a temporary settings store, and the capability
// probe it verifies typed URLs with, against a loopback scanner.
#include <QSettings>
#include <QtTest>

#include "escl/escldeviceprobe.h"
#include "escl/esclregistry.h"
#include "escl/esclscanner.h"
#include "tests/support/escltestserver.h"
#include "settings/appsettings.h"
#include "tests/support/tempsettings.h"

using Response = EsclTestServer::Response;
using InfoMap = QMap<QString, QString>;

namespace {

QStringList rawValue(const QString &key)
{
    QSettings settings = AppSettings::openStore();
    return settings.value(key).toStringList();
}

void writeRaw(const QString &key, const QStringList &value)
{
    QSettings settings = AppSettings::openStore();
    settings.setValue(key, value);
}

bool hasKey(const QString &key)
{
    QSettings settings = AppSettings::openStore();
    return settings.contains(key);
}

} // namespace

class TestEsclRegistry : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void deviceInfoEntries_data();
    void deviceInfoEntries();
    void deviceInfoWrittenInUrlOrder();
    void displayNames_data();
    void displayNames();
    void namesAndLookupFollowRegistration();
    void sameDisplayNameGivesFirstUrl();
    void trailingSlashIsAnotherDevice();
    void deviceWithoutModelMapsToItsUrl();
    void removalChoicesAndRemoval();
    void removingOnlyDeviceLeavesEmptyLists();
    void unknownChoiceChangesNothing();
    void acceptableUrls_data();
    void acceptableUrls();

    void capabilityHandler_data();
    void capabilityHandler();
    void verifyAgainstScanner_data();
    void verifyAgainstScanner();
    void verifyGivesUpAfterFiveSeconds();

private:
    TempSettings tempSettings;
};

void TestEsclRegistry::init()
{
    tempSettings.clear();
}

void TestEsclRegistry::deviceInfoEntries_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<InfoMap>("expected");
    QTest::newRow("two devices") << QStringList({ "https://a:443|Alpha", "https://b:443|Beta" })
                                 << InfoMap({ { "https://a:443", "Alpha" }, { "https://b:443", "Beta" } });
    QTest::newRow("name with a bar is ignored")
        << QStringList({ "https://a:443|Alpha|Pro", "https://b:443|Beta" }) << InfoMap({ { "https://b:443", "Beta" } });
    QTest::newRow("no bar is ignored") << QStringList({ "https://a:443" }) << InfoMap();
    QTest::newRow("later entry wins") << QStringList({ "https://a:443|Old", "https://a:443|New" })
                                      << InfoMap({ { "https://a:443", "New" } });
    QTest::newRow("empty name kept") << QStringList({ "https://a:443|" }) << InfoMap({ { "https://a:443", "" } });
}

void TestEsclRegistry::deviceInfoEntries()
{
    QFETCH(QStringList, entries);
    QFETCH(InfoMap, expected);
    QCOMPARE(EsclRegistry::parseDeviceInfo(entries), expected);
    writeRaw(QStringLiteral("esclDeviceInfo"), entries);
    QCOMPARE(EsclRegistry(tempSettings.store()).deviceInfo(), expected);
}

void TestEsclRegistry::deviceInfoWrittenInUrlOrder()
{
    InfoMap info;
    info.insert(QStringLiteral("https://c:443"), QStringLiteral("Gamma"));
    info.insert(QStringLiteral("http://z:80"), QStringLiteral("Zeta"));
    info.insert(QStringLiteral("https://a:443"), QStringLiteral("Alpha"));
    EsclRegistry(tempSettings.store()).setDeviceInfo(info);
    QCOMPARE(rawValue(QStringLiteral("esclDeviceInfo")),
        QStringList({ "http://z:80|Zeta", "https://a:443|Alpha", "https://c:443|Gamma" }));
}

void TestEsclRegistry::displayNames_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("display");
    QTest::newRow("named") << "https://a:443"
                           << "Office Scanner"
                           << "eSCL-Office Scanner";
    QTest::newRow("unnamed") << "https://a:443"
                             << ""
                             << "eSCL-https://a:443";
}

void TestEsclRegistry::displayNames()
{
    QFETCH(QString, url);
    QFETCH(QString, name);
    QFETCH(QString, display);
    QCOMPARE(EsclRegistry::displayName(url, name), display);
}

void TestEsclRegistry::namesAndLookupFollowRegistration()
{
    writeRaw(QStringLiteral("esclDevices"), { "https://b:443", "https://a:443", "https://c:443" });
    writeRaw(QStringLiteral("esclDeviceInfo"), { "https://a:443|Alpha", "https://b:443|", "junk" });
    EsclRegistry registry(tempSettings.store());
    QCOMPARE(registry.registeredEsclDeviceNames(),
        QStringList({ "eSCL-https://b:443", "eSCL-Alpha", "eSCL-https://c:443" }));
    QCOMPARE(registry.esclUrlForDisplayName(QStringLiteral("eSCL-Alpha")), QStringLiteral("https://a:443"));
    QCOMPARE(registry.esclUrlForDisplayName(QStringLiteral("eSCL-https://c:443")), QStringLiteral("https://c:443"));
    QVERIFY(registry.esclUrlForDisplayName(QStringLiteral("eSCL-Unknown")).isEmpty());
    QVERIFY(registry.esclUrlForDisplayName(QStringLiteral("Alpha")).isEmpty());
}

void TestEsclRegistry::sameDisplayNameGivesFirstUrl()
{
    writeRaw(QStringLiteral("esclDevices"), { "https://b:443", "https://a:443" });
    writeRaw(QStringLiteral("esclDeviceInfo"), { "https://a:443|Twin", "https://b:443|Twin" });
    QCOMPARE(EsclRegistry(tempSettings.store()).esclUrlForDisplayName(QStringLiteral("eSCL-Twin")),
        QStringLiteral("https://b:443"));
}

void TestEsclRegistry::trailingSlashIsAnotherDevice()
{
    EsclRegistry registry(tempSettings.store());
    QCOMPARE(registry.addDevice(QStringLiteral("https://127.0.0.1:443/"), QStringLiteral("Desk")),
        QStringLiteral("eSCL-Desk"));
    QVERIFY(registry.contains(QStringLiteral("https://127.0.0.1:443/")));
    QVERIFY(!registry.contains(QStringLiteral("https://127.0.0.1:443")));
    registry.addDevice(QStringLiteral("https://127.0.0.1:443"), QString());
    QCOMPARE(registry.devices(), QStringList({ "https://127.0.0.1:443/", "https://127.0.0.1:443" }));
    QCOMPARE(rawValue(QStringLiteral("esclDeviceInfo")),
        QStringList({ "https://127.0.0.1:443|https://127.0.0.1:443", "https://127.0.0.1:443/|Desk" }));
}

void TestEsclRegistry::deviceWithoutModelMapsToItsUrl()
{
    EsclRegistry registry(tempSettings.store());
    const QString url = QStringLiteral("http://127.0.0.1:80");
    QCOMPARE(registry.addDevice(url, QString()), QStringLiteral("eSCL-http://127.0.0.1:80"));
    QCOMPARE(registry.deviceInfo().value(url), url);
    QCOMPARE(registry.registeredEsclDeviceNames(), QStringList({ "eSCL-http://127.0.0.1:80" }));
    // Adding again does not list the URL twice.
    registry.addDevice(url, QString());
    QCOMPARE(registry.devices(), QStringList({ url }));
}

void TestEsclRegistry::removalChoicesAndRemoval()
{
    writeRaw(QStringLiteral("esclDevices"), { "https://b:443", "https://a:443", "https://c:443" });
    writeRaw(QStringLiteral("esclDeviceInfo"), { "https://a:443|Alpha", "https://c:443|" });
    EsclRegistry registry(tempSettings.store());
    const QStringList choices = registry.removalChoices();
    QCOMPARE(choices, QStringList({ "https://b:443", "Alpha\n  (https://a:443)", "https://c:443" }));

    const EsclRegistry::Device device = registry.deviceForChoice(choices.at(1));
    QCOMPARE(device.url, QStringLiteral("https://a:443"));
    QCOMPARE(device.name, QStringLiteral("Alpha"));
    QVERIFY(registry.deviceForChoice(QStringLiteral("nothing")).url.isEmpty());

    QVERIFY(registry.removeDevice(choices.at(1)));
    QCOMPARE(registry.devices(), QStringList({ "https://b:443", "https://c:443" }));
    QCOMPARE(rawValue(QStringLiteral("esclDeviceInfo")), QStringList({ "https://c:443|" }));
}

void TestEsclRegistry::removingOnlyDeviceLeavesEmptyLists()
{
    EsclRegistry registry(tempSettings.store());
    registry.addDevice(QStringLiteral("https://127.0.0.1:443"), QStringLiteral("Only"));
    QVERIFY(registry.removeDevice(QStringLiteral("Only\n  (https://127.0.0.1:443)")));
    QVERIFY(hasKey(QStringLiteral("esclDevices")));
    QVERIFY(hasKey(QStringLiteral("esclDeviceInfo")));
    QCOMPARE(rawValue(QStringLiteral("esclDevices")), QStringList());
    QCOMPARE(rawValue(QStringLiteral("esclDeviceInfo")), QStringList());
    QVERIFY(registry.registeredEsclDeviceNames().isEmpty());
}

void TestEsclRegistry::unknownChoiceChangesNothing()
{
    writeRaw(QStringLiteral("esclDevices"), { "https://a:443" });
    writeRaw(QStringLiteral("esclDeviceInfo"), { "https://a:443|Alpha", "kept|as it was|exactly" });
    QVERIFY(!EsclRegistry(tempSettings.store()).removeDevice(QStringLiteral("https://a:443")));
    QCOMPARE(rawValue(QStringLiteral("esclDevices")), QStringList({ "https://a:443" }));
    QCOMPARE(
        rawValue(QStringLiteral("esclDeviceInfo")), QStringList({ "https://a:443|Alpha", "kept|as it was|exactly" }));
}

void TestEsclRegistry::acceptableUrls_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("https") << "https://192.168.1.100:443" << true;
    QTest::newRow("http with path") << "http://host/eSCL/" << true;
    QTest::newRow("upper case scheme") << "HTTPS://host" << false;
    QTest::newRow("no scheme") << "192.168.1.100" << false;
    QTest::newRow("other scheme") << "ftp://host" << false;
    QTest::newRow("leading blank") << " https://host" << false;
}

void TestEsclRegistry::acceptableUrls()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QCOMPARE(EsclRegistry::isAcceptableUrl(text), accepted);
}

void TestEsclRegistry::capabilityHandler_data()
{
    QTest::addColumn<QString>("capabilities");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QString>("model");
    QTest::newRow("model") << QString::fromUtf8(EsclTestServer::capabilitiesXml("Acme Scan 3000")) << true
                           << "Acme Scan 3000";
    QTest::newRow("first of two") << "<x><pwg:MakeAndModel>One</pwg:MakeAndModel><pwg:MakeAndModel>Two"
                                     "</pwg:MakeAndModel>"
                                  << true << "One";
    QTest::newRow("no model") << QString::fromUtf8(EsclTestServer::capabilitiesXml(QString())) << true << "";
    QTest::newRow("opening tag at the very start") << "<pwg:MakeAndModel>Start</pwg:MakeAndModel>" << true << "";
    QTest::newRow("other prefix") << "<x><scan:MakeAndModel>Other</scan:MakeAndModel></x>" << true << "";
    QTest::newRow("closing tag first") << "<x></pwg:MakeAndModel><pwg:MakeAndModel>Late" << true << "";
    QTest::newRow("empty text") << "" << false << "";
}

void TestEsclRegistry::capabilityHandler()
{
    QFETCH(QString, capabilities);
    QFETCH(bool, answered);
    QFETCH(QString, model);
    const EsclDeviceProbe::Result result = EsclDeviceProbe::parseCapabilities(capabilities);
    QCOMPARE(result.answered, answered);
    QCOMPARE(result.modelName, model);
}

void TestEsclRegistry::verifyAgainstScanner_data()
{
    QTest::addColumn<bool>("https");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QString>("model");
    const QByteArray named = EsclTestServer::capabilitiesXml(QStringLiteral("办公扫描仪 M1"));
    QTest::newRow("named over HTTPS") << true << 200 << named << true << "办公扫描仪 M1";
    QTest::newRow("named over HTTP") << false << 200 << named << true << "办公扫描仪 M1";
    QTest::newRow("no model") << false << 200 << EsclTestServer::capabilitiesXml(QString()) << true << "";
    QTest::newRow("empty body") << false << 200 << QByteArray() << false << "";
    QTest::newRow("server error") << false << 500 << QByteArray("oops") << false << "";
}

void TestEsclRegistry::verifyAgainstScanner()
{
    QFETCH(bool, https);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, answered);
    QFETCH(QString, model);
    EsclTestServer server(https ? EsclTestServer::Scheme::Https : EsclTestServer::Scheme::Http);
    QVERIFY(server.start());
    Response response = Response::text(body);
    response.status = status;
    server.enqueue("GET", "/eSCL/ScannerCapabilities", response);

    QObject parent;
    const EsclDeviceProbe::Result result = EsclRegistry(tempSettings.store()).verify(server.baseUrl(), &parent);
    QCOMPARE(result.answered, answered);
    QCOMPARE(result.modelName, model);
    QCOMPARE(server.count("GET", "/eSCL/ScannerCapabilities"), 1);
    // The client is released once the loop it ran in is left.
    QCOMPARE(parent.findChildren<ESCLScanner *>().size(), 1);
    QTRY_COMPARE(parent.findChildren<ESCLScanner *>().size(), 0);
}

void TestEsclRegistry::verifyGivesUpAfterFiveSeconds()
{
    // The production limit: an answer after it is not taken.
    EsclTestServer server;
    QVERIFY(server.start());
    Response late = Response::text(EsclTestServer::capabilitiesXml(QStringLiteral("Too Late")));
    late.delayMs = 6500;
    server.enqueue("GET", "/eSCL/ScannerCapabilities", late);
    const EsclDeviceProbe::Result result = EsclRegistry(tempSettings.store()).verify(server.baseUrl(), nullptr);
    QVERIFY(!result.answered);
    QVERIFY(result.modelName.isEmpty());
    QCOMPARE(server.count("GET", "/eSCL/ScannerCapabilities"), 1);
}

QTEST_GUILESS_MAIN(TestEsclRegistry)
#include "tst_esclregistry.moc"
