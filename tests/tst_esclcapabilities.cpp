// What a loopback eSCL scanner's capabilities allow, and the region and
// resolution the client then asks it for.

#include <QtTest>

#include "escl/esclcapabilities.h"
#include "escl/esclscanner.h"
#include "tests/support/escltestserver.h"

using Response = EsclTestServer::Response;

class EsclCapabilitiesTest : public QObject
{
    Q_OBJECT

private slots:
    void readsInputsAndResolutions_data();
    void readsInputsAndResolutions();
    void jobAsksForTheRegion_data();
    void jobAsksForTheRegion();

private:
    static QByteArray scanOnce(const ESCLScanSettings &settings);
};

// The platen's and feeder's largest region, their resolutions in ascending
// order, and a duplex feeder only where AdfDuplexInputCaps says so.
void EsclCapabilitiesTest::readsInputsAndResolutions_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QSize>("platen");
    QTest::addColumn<QList<int>>("resolutions");
    QTest::addColumn<bool>("duplex");
    QTest::newRow("A4 platen") << EsclTestServer::capabilitiesXml(QSize(2550, 3508), { 300, 75, 150, 600 }, false)
                               << QSize(2550, 3508) << QList<int> { 75, 150, 300, 600 } << false;
    QTest::newRow("duplex feeder") << EsclTestServer::capabilitiesXml(QSize(2480, 3507), { 100, 200 }, true)
                                   << QSize(2480, 3507) << QList<int> { 100, 200 } << true;
    QTest::newRow("model only") << EsclTestServer::capabilitiesXml(QStringLiteral("M1")) << QSize(0, 0) << QList<int>()
                                << false;
    QTest::newRow("broken document") << QByteArray("<scan:Platen><scan:PlatenInputCaps><scan:MaxWidth>-5<")
                                     << QSize(0, 0) << QList<int>() << false;
}

void EsclCapabilitiesTest::readsInputsAndResolutions()
{
    QFETCH(QByteArray, xml);
    QFETCH(QSize, platen);
    QFETCH(QList<int>, resolutions);
    QFETCH(bool, duplex);
    const EsclCapabilities caps = EsclCapabilities::parse(xml);
    QCOMPARE(QSize(caps.platen.maxWidth, caps.platen.maxHeight), platen);
    QCOMPARE(caps.platen.resolutions, resolutions);
    QCOMPARE(caps.hasDuplexFeeder(), duplex);
}

QByteArray EsclCapabilitiesTest::scanOnce(const ESCLScanSettings &settings)
{
    EsclTestServer server;
    if (!server.start())
        return QByteArray();
    server.enqueue("POST", "/eSCL/ScanJobs", Response::created("/eSCL/ScanJobs/7"));
    server.enqueue(
        "GET", "/eSCL/ScanJobs/7/NextDocument", Response::document(EsclTestServer::encodedPage(QSize(40, 60), "JPEG")));
    ESCLScanner scanner(server.baseUrl());
    ESCLScanner::Intervals fast;
    fast.scannerReadyDelayMs = 10;
    scanner.setIntervals(fast);
    QSignalSpy done(&scanner, &ESCLScanner::allPagesComplete);
    scanner.startScan(settings);
    if (!done.wait(10000))
        return QByteArray();
    return server.requests().value(0).body;
}

// A page size becomes the region in three-hundredths of an inch within the
// platen; a preview is the whole platen at its lowest resolution; a duplex
// feeder is asked for both sides.
void EsclCapabilitiesTest::jobAsksForTheRegion_data()
{
    QTest::addColumn<ESCLScanSettings>("settings");
    QTest::addColumn<QList<QByteArray>>("expected");
    QTest::addColumn<bool>("clipped");

    const EsclCapabilities caps
        = EsclCapabilities::parse(EsclTestServer::capabilitiesXml(QSize(2550, 3508), { 75, 150, 300 }, true));
    ESCLScanSettings a5;
    bool clipped = caps.applyRegion(&a5, QRectF(0, 0, 148, 210));
    QTest::newRow("A5") << a5
                        << QList<QByteArray> { "<pwg:Width>1748</pwg:Width>", "<pwg:Height>2480</pwg:Height>",
                               "<pwg:XOffset>0</pwg:XOffset>" }
                        << clipped;
    ESCLScanSettings legal;
    clipped = caps.applyRegion(&legal, QRectF(0, 0, 215.9, 355.6));
    QTest::newRow("Legal clipped to the platen")
        << legal << QList<QByteArray> { "<pwg:Width>2550</pwg:Width>", "<pwg:Height>3508</pwg:Height>" } << clipped;
    ESCLScanSettings card;
    clipped = caps.applyRegion(&card, QRectF(20, 30, 85.6, 54));
    QTest::newRow("card selection") << card
                                    << QList<QByteArray> { "<pwg:Width>1011</pwg:Width>",
                                           "<pwg:Height>638</pwg:Height>", "<pwg:XOffset>236</pwg:XOffset>",
                                           "<pwg:YOffset>354</pwg:YOffset>" }
                                    << clipped;
    QTest::newRow("preview") << caps.previewSettings(1)
                             << QList<QByteArray> { "<scan:XResolution>75</scan:XResolution>",
                                    "<pwg:Width>2550</pwg:Width>", "<pwg:Height>3508</pwg:Height>",
                                    "<pwg:InputSource>Platen</pwg:InputSource>" }
                             << false;
    ESCLScanSettings duplex;
    duplex.inputSource = 1;
    duplex.duplex = 1;
    clipped = caps.applyRegion(&duplex, QRectF(0, 0, 210, 297));
    QTest::newRow("duplex feeder") << duplex
                                   << QList<QByteArray> { "<pwg:InputSource>Feeder</pwg:InputSource>",
                                          "<scan:Duplex>true</scan:Duplex>", "<pwg:Width>2480</pwg:Width>" }
                                   << clipped;
}

void EsclCapabilitiesTest::jobAsksForTheRegion()
{
    QFETCH(ESCLScanSettings, settings);
    QFETCH(QList<QByteArray>, expected);
    QFETCH(bool, clipped);
    const QByteArray body = scanOnce(settings);
    QVERIFY(!body.isEmpty());
    for (const QByteArray &element : expected)
        QVERIFY2(body.contains(element), element.constData());
    QCOMPARE(clipped, QByteArray(QTest::currentDataTag()).contains("clipped"));
}

QTEST_MAIN(EsclCapabilitiesTest)
#include "tst_esclcapabilities.moc"
