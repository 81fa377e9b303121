// The eSCL client against a real HTTP/HTTPS scanner on loopback.
#include <QImage>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QtTest>
#include <memory>

#include "escl/esclscanner.h"
#include "tests/support/escltestserver.h"
#include "tests/support/logcapture.h"

using Response = EsclTestServer::Response;

namespace {

const QByteArray jobsPath = "/eSCL/ScanJobs";

QByteArray documentPath(const QByteArray &id)
{
    return jobsPath + '/' + id + "/NextDocument";
}

QByteArray jobPath(const QByteArray &id)
{
    return jobsPath + '/' + id;
}

// Short waits for the cases whose point is the decisions, not the clock.
ESCLScanner::Intervals fastIntervals()
{
    ESCLScanner::Intervals intervals;
    intervals.scannerReadyDelayMs = 30;
    intervals.busyRetryDelayMs = 20;
    intervals.nextPageDelayMs = 20;
    return intervals;
}

ESCLScanSettings settingsFor(int inputSource, int colorMode = 0)
{
    ESCLScanSettings settings;
    settings.inputSource = inputSource;
    settings.colorMode = colorMode;
    settings.width = 2480;
    settings.height = 3507;
    return settings;
}

// Every signal of the client as one ordered list of short texts.
class SignalRecorder
{
public:
    explicit SignalRecorder(ESCLScanner *scanner)
    {
        QObject::connect(scanner, &ESCLScanner::pageScanned, [this](const QImage &image, int number) {
            events << QStringLiteral("page %1").arg(number);
            pages << image;
        });
        QObject::connect(scanner, &ESCLScanner::scanComplete, [this](const QImage &image) {
            events << QStringLiteral("complete");
            completeImages << image;
        });
        QObject::connect(scanner, &ESCLScanner::allPagesComplete,
            [this](int total) { events << QStringLiteral("all %1").arg(total); });
        QObject::connect(scanner, &ESCLScanner::scanError,
            [this](const QString &error) { events << QStringLiteral("error ") + error; });
        QObject::connect(scanner, &ESCLScanner::capabilitiesReceived,
            [this](const QString &text) { events << QStringLiteral("capabilities ") + text; });
        QObject::connect(scanner, &ESCLScanner::statusReceived,
            [this](const QString &text) { events << QStringLiteral("status ") + text; });
    }

    bool ended() const
    {
        for (const QString &event : events) {
            if (event.startsWith(QLatin1String("all ")) || event.startsWith(QLatin1String("error ")))
                return true;
        }
        return false;
    }

    QStringList events;
    QList<QImage> pages;
    QList<QImage> completeImages;
};

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xffffffffu;
    for (char byte : data) {
        crc ^= static_cast<uchar>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((value >> (24 - 8 * i)) & 0xff);
    return bytes;
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    const QByteArray typed = type + data;
    return bigEndian(quint32(data.size())) + typed + bigEndian(crc32(typed));
}

// A well-formed PNG whose header declares a huge page while its data holds a
// few bytes: what a broken or hostile device could send.
QByteArray pngHeaderDeclaring(quint32 width, quint32 height)
{
    QByteArray header = bigEndian(width) + bigEndian(height);
    header += QByteArray("\x08\x02\x00\x00\x00", 5); // 8-bit RGB, no interlace
    // qCompress puts the length in front of the zlib stream; PNG wants the stream alone.
    const QByteArray pixels = qCompress(QByteArray(64, '\0')).mid(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", pixels)
        + pngChunk("IEND", QByteArray());
}

} // namespace

class TestEsclScanner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void scanSettingsDocument();
    void scanSettingsKeywords_data();
    void scanSettingsKeywords();
    void jobIdFromLocation_data();
    void jobIdFromLocation();
    void enhancementPixels_data();
    void enhancementPixels();
    void enhancementMatchesChannelFormula();
    void enhancementOfMixedRows();
    void enhancementLeavesInputAndNullAlone();

    void capabilitiesAndStatus();
    void pageCarriesItsResolution_data();
    void pageCarriesItsResolution();
    void capabilitiesFailure();
    void setBaseUrlMovesRequests();
    void jobRequestCarriesDocument();
    void blackAndWhiteWhereListed_data();
    void blackAndWhiteWhereListed();
    void feederPagesThen404();
    void platenSingleGet();
    void otherSourceIsSinglePage();
    void noDocumentAtAll();
    void busyRetries_data();
    void busyRetries();
    void busyCountResetsAfterPage();
    void locationForms_data();
    void locationForms();
    void jobCreationFails();
    void connectionClosedMidBody_data();
    void connectionClosedMidBody();
    void undecodableBodyKeepsJob();
    void pixelLimit_data();
    void pixelLimit();
    void pngAccepted();
    void cancelDuringScannerWait();
    void cancelWhileDocumentInFlight();
    void documentTimeoutDropsLateReply();
    void jobTimeoutDeletesLateJob();
    void restartAfterCancelKeepsOneFetchChain();
    void destructorDeletesHeldJob_data();
    void destructorDeletesHeldJob();
    void httpsSelfSigned();

private:
    std::unique_ptr<ESCLScanner> makeScanner(EsclTestServer &server, bool fast = true)
    {
        auto scanner = std::make_unique<ESCLScanner>(server.baseUrl());
        if (fast)
            scanner->setIntervals(fastIntervals());
        return scanner;
    }

    QByteArray smallJpeg;
};

void TestEsclScanner::initTestCase()
{
    smallJpeg = EsclTestServer::encodedPage(QSize(40, 60), "jpeg");
    QVERIFY(!smallJpeg.isEmpty());
}

void TestEsclScanner::scanSettingsDocument()
{
    ESCLScanSettings settings;
    settings.colorMode = 1;
    settings.resolution = 600;
    settings.inputSource = 1;
    settings.width = 2480;
    settings.height = 3507;
    settings.xOffset = 12;
    settings.yOffset = 34;
    const QString expected
        = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<scan:ScanSettings xmlns:pwg=\"http://www.pwg.org/schemas/2010/12/sm\" "
                         "xmlns:scan=\"http://schemas.hp.com/imaging/escl/2011/05/03\">\n"
                         "   <pwg:Version>2.63</pwg:Version>\n"
                         "   <pwg:ScanRegions>\n"
                         "      <pwg:ScanRegion>\n"
                         "          <pwg:ContentRegionUnits>escl:ThreeHundredthsOfInches</pwg:ContentRegionUnits>\n"
                         "          <pwg:Height>3507</pwg:Height>\n"
                         "          <pwg:Width>2480</pwg:Width>\n"
                         "          <pwg:XOffset>12</pwg:XOffset>\n"
                         "          <pwg:YOffset>34</pwg:YOffset>\n"
                         "      </pwg:ScanRegion>\n"
                         "   </pwg:ScanRegions>\n"
                         "   <scan:DocumentFormatExt>image/jpeg</scan:DocumentFormatExt>\n"
                         "   <scan:ColorMode>Grayscale8</scan:ColorMode>\n"
                         "   <scan:XResolution>600</scan:XResolution>\n"
                         "   <scan:YResolution>600</scan:YResolution>\n"
                         "   <pwg:InputSource>Feeder</pwg:InputSource>\n"
                         "</scan:ScanSettings>");
    QCOMPARE(ESCLScanner::buildScanSettingsXml(settings), expected);
}

void TestEsclScanner::scanSettingsKeywords_data()
{
    QTest::addColumn<int>("colorMode");
    QTest::addColumn<int>("inputSource");
    QTest::addColumn<QString>("colorElement");
    QTest::addColumn<QString>("sourceElement");
    QTest::newRow("RGB platen") << 0 << 0 << "<scan:ColorMode>RGB24</scan:ColorMode>"
                                << "<pwg:InputSource>Platen</pwg:InputSource>";
    QTest::newRow("grey feeder") << 1 << 1 << "<scan:ColorMode>Grayscale8</scan:ColorMode>"
                                 << "<pwg:InputSource>Feeder</pwg:InputSource>";
    QTest::newRow("black and white, source 2") << 2 << 2 << "<scan:ColorMode>BlackAndWhite1</scan:ColorMode>"
                                               << "<pwg:InputSource>Feeder</pwg:InputSource>";
    QTest::newRow("unknown colour mode is empty") << 3 << 0 << "<scan:ColorMode></scan:ColorMode>"
                                                  << "<pwg:InputSource>Platen</pwg:InputSource>";
    QTest::newRow("negative values") << -1 << -1 << "<scan:ColorMode></scan:ColorMode>"
                                     << "<pwg:InputSource>Feeder</pwg:InputSource>";
}

void TestEsclScanner::scanSettingsKeywords()
{
    QFETCH(int, colorMode);
    QFETCH(int, inputSource);
    QFETCH(QString, colorElement);
    QFETCH(QString, sourceElement);
    const QString xml = ESCLScanner::buildScanSettingsXml(settingsFor(inputSource, colorMode));
    QVERIFY2(xml.contains(QStringLiteral("\n   ") + colorElement + QLatin1Char('\n')), qPrintable(xml));
    QVERIFY2(xml.contains(QStringLiteral("\n   ") + sourceElement + QLatin1Char('\n')), qPrintable(xml));
    QVERIFY(!xml.endsWith(QLatin1Char('\n')));
    // Height comes before width.
    QVERIFY(xml.indexOf(QLatin1String("<pwg:Height>3507")) < xml.indexOf(QLatin1String("<pwg:Width>2480")));
}

void TestEsclScanner::jobIdFromLocation_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("jobId");
    QTest::newRow("bare path") << "/eSCL/ScanJobs/42"
                               << "42";
    QTest::newRow("absolute URL") << "https://10.0.0.5:443/eSCL/ScanJobs/abc-123"
                                  << "abc-123";
    QTest::newRow("trailing slash") << "/eSCL/ScanJobs/42/"
                                    << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("no slash") << "77"
                              << "77";
    QTest::newRow("white space trimmed") << "/eSCL/ScanJobs/ 9 "
                                         << "9";
}

void TestEsclScanner::jobIdFromLocation()
{
    QFETCH(QString, location);
    QFETCH(QString, jobId);
    QCOMPARE(ESCLScanner::extractJobId(location), jobId);
}

void TestEsclScanner::enhancementPixels_data()
{
    QTest::addColumn<QRgb>("input");
    QTest::addColumn<QRgb>("expected");
    QTest::newRow("sum 740 turns white") << qRgb(250, 250, 240) << qRgb(255, 255, 255);
    QTest::newRow("black stays black") << qRgb(0, 0, 0) << qRgb(0, 0, 0);
    QTest::newRow("mid grey") << qRgb(100, 100, 100) << qRgb(107, 107, 107);
    QTest::newRow("sum 722 is not white") << qRgb(255, 255, 212) << qRgb(255, 255, 236);
    QTest::newRow("sum 723 is white") << qRgb(255, 255, 213) << qRgb(255, 255, 255);
    QTest::newRow("channels apart") << qRgb(200, 10, 128) << qRgb(222, 3, 139);
    QTest::newRow("transparent pixel becomes opaque") << qRgba(100, 100, 100, 0) << qRgb(107, 107, 107);
}

void TestEsclScanner::enhancementPixels()
{
    QFETCH(QRgb, input);
    QFETCH(QRgb, expected);
    // Seven columns: four pixels take the vector path, three the table.
    QImage image(7, 2, QImage::Format_ARGB32);
    image.fill(input);
    const QImage result = ESCLScanner::enhanceScannedPage(image);
    QCOMPARE(result.format(), QImage::Format_RGB32);
    QCOMPARE(result.size(), QSize(7, 2));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 7; ++x)
            QCOMPARE(result.pixel(x, y), expected);
    }
}

void TestEsclScanner::enhancementMatchesChannelFormula()
{
    // Every value in each channel alone, on black (the sum stays below the white
    // test), at every position of the four-pixel groups and in the row tails.
    const int width = 256 + 3;
    QImage image(width, 3, QImage::Format_RGB32);
    for (int x = 0; x < width; ++x) {
        const int c = x < 256 ? x : 255 - x % 256;
        image.setPixel(x, 0, qRgb(c, 0, 0));
        image.setPixel(x, 1, qRgb(0, c, 0));
        image.setPixel(x, 2, qRgb(0, 0, c));
    }
    const QImage result = ESCLScanner::enhanceScannedPage(image);
    const int black = qBound(0, static_cast<int>((10 - 128) * 1.15 + 128), 255);
    for (int x = 0; x < width; ++x) {
        const int c = x < 256 ? x : 255 - x % 256;
        const int expected = qBound(0, static_cast<int>((qMin(c + 10, 255) - 128) * 1.15 + 128), 255);
        QCOMPARE(result.pixel(x, 0), qRgb(expected, black, black));
        QCOMPARE(result.pixel(x, 1), qRgb(black, expected, black));
        QCOMPARE(result.pixel(x, 2), qRgb(black, black, expected));
    }
}

void TestEsclScanner::enhancementOfMixedRows()
{
    // Paper and ink side by side, so that each pixel of a group is judged on its own sum.
    auto channel = [](int c) {
        return qBound(0, static_cast<int>((qMin(c + 10, 255) - 128) * 1.15 + 128), 255);
    };
    QImage image(13, 5, QImage::Format_RGB32);
    quint32 seed = 7;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            seed = seed * 1103515245u + 12345u;
            const int base = (seed >> 16) % 2 ? 230 + int(seed >> 28) : int(seed >> 24);
            image.setPixel(x, y, qRgb(base, qMin(255, base + 7), qMax(0, base - 9)));
        }
    }
    const QImage result = ESCLScanner::enhanceScannedPage(image);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb in = image.pixel(x, y);
            const QRgb expected = qRed(in) + qGreen(in) + qBlue(in) > 722
                ? qRgb(255, 255, 255)
                : qRgb(channel(qRed(in)), channel(qGreen(in)), channel(qBlue(in)));
            QCOMPARE(result.pixel(x, y), expected);
        }
    }
}

void TestEsclScanner::enhancementLeavesInputAndNullAlone()
{
    QVERIFY(ESCLScanner::enhanceScannedPage(QImage()).isNull());

    QImage original(4, 4, QImage::Format_RGB32);
    original.fill(qRgb(100, 100, 100));
    const QImage result = ESCLScanner::enhanceScannedPage(original);
    QCOMPARE(original.pixel(1, 1), qRgb(100, 100, 100));
    QCOMPARE(result.pixel(1, 1), qRgb(107, 107, 107));

    QImage grey(2, 2, QImage::Format_Grayscale8);
    grey.fill(100);
    const QImage fromGrey = ESCLScanner::enhanceScannedPage(grey);
    QCOMPARE(fromGrey.format(), QImage::Format_RGB32);
    QCOMPARE(fromGrey.pixel(0, 0), qRgb(107, 107, 107));
}

void TestEsclScanner::capabilitiesAndStatus()
{
    EsclTestServer server;
    QVERIFY(server.start());
    const QByteArray capabilities = EsclTestServer::capabilitiesXml(QStringLiteral("Modèle 扫描仪 X1"));
    server.enqueue("GET", "/eSCL/ScannerCapabilities", Response::text(capabilities));
    server.enqueue("GET", "/eSCL/ScannerCapabilities", Response::text(QByteArray()));
    server.enqueue("GET", "/eSCL/ScannerStatus", Response::text("<scan:ScannerStatus/>"));
    server.enqueue("GET", "/eSCL/ScannerStatus", Response::withStatus(500));

    LogCapture log;
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    QCOMPARE(log.lines().value(0), QStringLiteral("ESCLScanner 创建，URL: \"%1\"").arg(server.baseUrl()));

    scanner->queryCapabilities();
    QTRY_COMPARE(recorder.events.size(), 1);
    QCOMPARE(recorder.events.at(0), QStringLiteral("capabilities ") + QString::fromUtf8(capabilities));
    // An empty body still counts as an answer; the callers judge it.
    scanner->queryCapabilities();
    QTRY_COMPARE(recorder.events.size(), 2);
    QCOMPARE(recorder.events.at(1), QStringLiteral("capabilities "));

    scanner->queryStatus();
    QTRY_COMPARE(recorder.events.size(), 3);
    QCOMPARE(recorder.events.at(2), QStringLiteral("status <scan:ScannerStatus/>"));
    // A failed status query is only logged.
    scanner->queryStatus();
    QTRY_COMPARE(log.linesStartingWith(QStringLiteral("扫描仪状态查询失败:")).size(), 1);
    QCOMPARE(recorder.events.size(), 3);
    QVERIFY(log.contains(QStringLiteral("查询扫描仪状态: \"%1/eSCL/ScannerStatus\"").arg(server.baseUrl())));
}

void TestEsclScanner::capabilitiesFailure()
{
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("GET", "/eSCL/ScannerCapabilities", Response::withStatus(500));
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->queryCapabilities();
    QTRY_COMPARE(recorder.events.size(), 1);
    QVERIFY2(recorder.events.at(0).startsWith(QStringLiteral("error 查询扫描仪能力失败: ")),
        qPrintable(recorder.events.at(0)));
}

void TestEsclScanner::setBaseUrlMovesRequests()
{
    EsclTestServer first;
    EsclTestServer second;
    QVERIFY(first.start());
    QVERIFY(second.start());
    second.enqueue("GET", "/eSCL/ScannerCapabilities", Response::text("<caps/>"));
    LogCapture log;
    auto scanner = makeScanner(first);
    SignalRecorder recorder(scanner.get());
    scanner->setBaseUrl(second.baseUrl());
    QCOMPARE(log.lines().last(), QStringLiteral("ESCLScanner URL 设置为: \"%1\"").arg(second.baseUrl()));
    scanner->queryCapabilities();
    QTRY_COMPARE(recorder.events, QStringList({ "capabilities <caps/>" }));
    QCOMPARE(first.requests().size(), 0);
}

void TestEsclScanner::jobRequestCarriesDocument()
{
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/5"));
    server.enqueue("GET", documentPath("5"), Response::document(smallJpeg));
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    const ESCLScanSettings settings = settingsFor(0, 3);
    scanner->startScan(settings);
    QTRY_VERIFY(recorder.ended());

    const EsclTestServer::Request post = server.requests().value(0);
    QCOMPARE(post.line(), QStringLiteral("POST /eSCL/ScanJobs"));
    QCOMPARE(post.body, ESCLScanner::buildScanSettingsXml(settings).toUtf8());
    QVERIFY(post.body.contains("<scan:ColorMode></scan:ColorMode>"));
    QCOMPARE(post.header("Content-Type"), QByteArray("text/xml"));
    // No headers of the client's own beyond what the network layer always sends.
    QVERIFY(!post.hasHeader("Accept"));
    QVERIFY(!post.hasHeader("Authorization"));
    QVERIFY(!server.requests().value(1).hasHeader("Accept"));
}

void TestEsclScanner::blackAndWhiteWhereListed_data()
{
    QTest::addColumn<QByteArray>("modes");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("listed") << QByteArray("<scan:ColorMode>Grayscale8</scan:ColorMode>"
                                          "<scan:ColorMode>BlackAndWhite1</scan:ColorMode>")
                            << QByteArray("BlackAndWhite1");
    QTest::newRow("not listed") << QByteArray("<scan:ColorMode>RGB24</scan:ColorMode>"
                                              "<scan:ColorMode>Grayscale8</scan:ColorMode>")
                                << QByteArray("Grayscale8");
}

// Black and white is asked for only from a scanner that lists it; another scans grey.
void TestEsclScanner::blackAndWhiteWhereListed()
{
    QFETCH(QByteArray, modes);
    QFETCH(QByteArray, sent);
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("GET", "/eSCL/ScannerCapabilities",
        Response::text("<scan:ScannerCapabilities><scan:Platen><scan:SettingProfiles><scan:SettingProfile>"
                       "<scan:ColorModes>"
            + modes
            + "</scan:ColorModes></scan:SettingProfile></scan:SettingProfiles></scan:Platen>"
              "</scan:ScannerCapabilities>"));
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/5"));
    server.enqueue("GET", documentPath("5"), Response::document(smallJpeg));
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(0, 2));
    QTRY_VERIFY(recorder.ended());
    const EsclTestServer::Request post = server.requests().value(1);
    QCOMPARE(post.line(), QStringLiteral("POST /eSCL/ScanJobs"));
    QVERIFY2(post.body.contains("<scan:ColorMode>" + sent + "</scan:ColorMode>"), post.body.constData());
}

void TestEsclScanner::feederPagesThen404()
{
    // With the production waits (2000 ms, then 500 ms between pages).
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/31"));
    for (int i = 0; i < 3; ++i)
        server.enqueue(
            "GET", documentPath("31"), Response::document(EsclTestServer::encodedPage(QSize(30 + i, 50), "jpeg")));
    server.enqueue("GET", documentPath("31"), Response::withStatus(404));
    server.setStanding("DELETE", jobPath("31"), Response::withStatus(200));

    LogCapture log;
    auto scanner = makeScanner(server, false);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(1));
    QTRY_VERIFY_WITH_TIMEOUT(recorder.ended(), 15000);
    QTRY_COMPARE(server.count("DELETE", jobPath("31")), 1);

    QCOMPARE(recorder.events, QStringList({ "page 1", "page 2", "page 3", "complete", "all 3" }));
    QCOMPARE(recorder.completeImages.value(0), recorder.pages.value(2));
    QCOMPARE(recorder.pages.value(2).size(), QSize(32, 50));
    QCOMPARE(recorder.pages.value(0).format(), QImage::Format_RGB32);
    QCOMPARE(server.requestLines(),
        QStringList({ "POST /eSCL/ScanJobs", "GET /eSCL/ScanJobs/31/NextDocument", "GET /eSCL/ScanJobs/31/NextDocument",
            "GET /eSCL/ScanJobs/31/NextDocument", "GET /eSCL/ScanJobs/31/NextDocument", "DELETE /eSCL/ScanJobs/31" }));
    QVERIFY(log.contains(QStringLiteral("多页模式: 是")));
    QVERIFY(log.contains(QStringLiteral("任务 ID: \"31\"")));
    QVERIFY(log.contains(QStringLiteral("没有更多文档，扫描完成。共扫描 3 页")));
    QCOMPARE(log.linesStartingWith(QStringLiteral("ADF 模式，尝试获取下一页...")).size(), 3);
    QVERIFY(log.contains(
        QStringLiteral("获取扫描文档: \"%1/eSCL/ScanJobs/31/NextDocument\" (尝试 1 次)").arg(server.baseUrl())));
    QVERIFY(scanner->currentJobId().isEmpty());
}

// A JPEG that names its density keeps it; one with none or a library's default (72 or
// 96 dpi) takes the job's.
void TestEsclScanner::pageCarriesItsResolution_data()
{
    QTest::addColumn<int>("ownDotsPerMetre");
    QTest::addColumn<int>("jobDpi");
    QTest::addColumn<int>("expectedDotsPerMetre");
    QTest::newRow("96 dpi of a library, 150 dpi job") << 3780 << 150 << 5906;
    QTest::newRow("72 dpi of a library, 600 dpi job") << 2835 << 600 << 23622;
    QTest::newRow("its own 200 dpi") << 7874 << 300 << 7874;
}

void TestEsclScanner::pageCarriesItsResolution()
{
    QFETCH(int, ownDotsPerMetre);
    QFETCH(int, jobDpi);
    QFETCH(int, expectedDotsPerMetre);
    QImage page(40, 60, QImage::Format_RGB32);
    page.fill(Qt::white);
    page.setDotsPerMeterX(ownDotsPerMetre);
    page.setDotsPerMeterY(ownDotsPerMetre);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(page.save(&buffer, "jpeg"));
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/8"));
    server.setStanding("GET", documentPath("8"), Response::document(jpeg));
    server.setStanding("DELETE", jobPath("8"), Response::withStatus(200));
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    ESCLScanSettings settings = settingsFor(0);
    settings.resolution = jobDpi;
    scanner->startScan(settings);
    QTRY_VERIFY(recorder.ended());
    QCOMPARE(recorder.pages.size(), 1);
    QCOMPARE(recorder.pages.first().dotsPerMeterX(), expectedDotsPerMetre);
    QCOMPARE(recorder.pages.first().dotsPerMeterY(), expectedDotsPerMetre);
}

void TestEsclScanner::platenSingleGet()
{
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/8"));
    server.setStanding("GET", documentPath("8"), Response::document(smallJpeg));
    server.setStanding("DELETE", jobPath("8"), Response::withStatus(200));
    LogCapture log;
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(0));
    QTRY_VERIFY(recorder.ended());
    QTRY_COMPARE(server.count("DELETE", jobPath("8")), 1);
    QTest::qWait(100);
    QCOMPARE(recorder.events, QStringList({ "page 1", "complete", "all 1" }));
    QCOMPARE(server.count("GET", documentPath("8")), 1);
    QCOMPARE(recorder.pages.value(0).size(), QSize(40, 60));
    QVERIFY(log.contains(QStringLiteral("  扫描源: 稿台")));
    QVERIFY(log.contains(QStringLiteral("多页模式: 否")));
}

void TestEsclScanner::otherSourceIsSinglePage()
{
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/2"));
    server.setStanding("GET", documentPath("2"), Response::document(smallJpeg));
    LogCapture log;
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(2));
    QTRY_VERIFY(recorder.ended());
    QTRY_COMPARE(server.count("DELETE", jobPath("2")), 1);
    QVERIFY(server.requests().value(0).body.contains("<pwg:InputSource>Feeder</pwg:InputSource>"));
    QCOMPARE(recorder.events, QStringList({ "page 1", "complete", "all 1" }));
    QCOMPARE(server.count("GET", documentPath("2")), 1);
    QVERIFY(log.contains(QStringLiteral("  扫描源: ADF")));
    QVERIFY(log.contains(QStringLiteral("多页模式: 否")));
}

void TestEsclScanner::noDocumentAtAll()
{
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/4"));
    server.enqueue("GET", documentPath("4"), Response::withStatus(404));
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(1));
    QTRY_VERIFY(recorder.ended());
    QTRY_COMPARE(server.count("DELETE", jobPath("4")), 1);
    QCOMPARE(recorder.events, QStringList({ "error 未扫描到任何文档" }));
}

void TestEsclScanner::busyRetries_data()
{
    QTest::addColumn<bool>("productionWaits");
    QTest::newRow("short waits") << false;
    QTest::newRow("production waits") << true;
}

void TestEsclScanner::busyRetries()
{
    // Sixteen 503 in a row: fifteen retries, then the failure and the DELETE.
    QFETCH(bool, productionWaits);
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/16"));
    for (int i = 0; i < 16; ++i)
        server.enqueue("GET", documentPath("16"), Response::withStatus(503));
    server.setStanding("GET", documentPath("16"), Response::document(smallJpeg));
    LogCapture log;
    auto scanner = makeScanner(server, !productionWaits);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(1));
    QTRY_VERIFY_WITH_TIMEOUT(recorder.ended(), 40000);
    QTRY_COMPARE(server.count("DELETE", jobPath("16")), 1);
    QTest::qWait(100);

    QCOMPARE(recorder.events.size(), 1);
    QVERIFY2(recorder.events.at(0).startsWith(QStringLiteral("error 获取扫描文档失败: ")),
        qPrintable(recorder.events.at(0)));
    QCOMPARE(server.count("GET", documentPath("16")), 16);
    const QStringList busyLines = log.linesStartingWith(QStringLiteral("扫描仪忙碌 (503)，"));
    QCOMPARE(busyLines.size(), 15);
    if (productionWaits)
        QCOMPARE(busyLines.at(0), QStringLiteral("扫描仪忙碌 (503)， 1500 ms 后重试..."));
    QCOMPARE(log.linesStartingWith(QStringLiteral("获取扫描文档:")).last(),
        QStringLiteral("获取扫描文档: \"%1/eSCL/ScanJobs/16/NextDocument\" (尝试 16 次)").arg(server.baseUrl()));
    QVERIFY(log.contains(QStringLiteral("HTTP 状态码: 503")));
}

void TestEsclScanner::busyCountResetsAfterPage()
{
    // A page between two runs of 503 starts the count again: 3 + 15 busy answers pass.
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/9"));
    for (int i = 0; i < 3; ++i)
        server.enqueue("GET", documentPath("9"), Response::withStatus(503));
    server.enqueue("GET", documentPath("9"), Response::document(smallJpeg));
    for (int i = 0; i < 15; ++i)
        server.enqueue("GET", documentPath("9"), Response::withStatus(503));
    server.enqueue("GET", documentPath("9"), Response::document(smallJpeg));
    server.enqueue("GET", documentPath("9"), Response::withStatus(404));
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(1));
    QTRY_VERIFY_WITH_TIMEOUT(recorder.ended(), 15000);
    QCOMPARE(recorder.events, QStringList({ "page 1", "page 2", "complete", "all 2" }));
    QCOMPARE(server.count("GET", documentPath("9")), 21);
}

void TestEsclScanner::locationForms_data()
{
    QTest::addColumn<QByteArray>("location");
    QTest::addColumn<QByteArray>("expectedId");
    QTest::newRow("relative path") << QByteArray("/eSCL/ScanJobs/42") << QByteArray("42");
    // Only the id is taken: the document comes from the base URL, never from this host.
    QTest::newRow("absolute, other host") << QByteArray("http://127.0.0.2:9/somewhere/ScanJobs/42") << QByteArray("42");
    QTest::newRow("trailing slash") << QByteArray("/eSCL/ScanJobs/42/") << QByteArray();
    QTest::newRow("missing") << QByteArray() << QByteArray();
}

void TestEsclScanner::locationForms()
{
    QFETCH(QByteArray, location);
    QFETCH(QByteArray, expectedId);
    EsclTestServer server;
    QVERIFY(server.start());
    Response created = Response::withStatus(201);
    if (!location.isNull())
        created = Response::created(location);
    server.enqueue("POST", jobsPath, created);
    server.setStanding("GET", documentPath("42"), Response::document(smallJpeg));
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(0));
    QTRY_VERIFY(recorder.ended());
    if (expectedId.isEmpty()) {
        QCOMPARE(recorder.events, QStringList({ "error 无法解析任务 ID" }));
        QTest::qWait(100);
        QCOMPARE(server.requestLines(), QStringList({ "POST /eSCL/ScanJobs" }));
    } else {
        QCOMPARE(recorder.events, QStringList({ "page 1", "complete", "all 1" }));
        QTRY_COMPARE(server.count("DELETE", jobPath(expectedId)), 1);
        QCOMPARE(server.count("GET", documentPath(expectedId)), 1);
    }
}

void TestEsclScanner::jobCreationFails()
{
    EsclTestServer server;
    QVERIFY(server.start());
    Response refused = Response::withStatus(409);
    refused.body = "busy with another job";
    server.enqueue("POST", jobsPath, refused);
    LogCapture log;
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(0));
    QTRY_VERIFY(recorder.ended());
    QCOMPARE(recorder.events.size(), 1);
    QVERIFY2(recorder.events.at(0).startsWith(QStringLiteral("error 创建扫描任务失败: ")),
        qPrintable(recorder.events.at(0)));
    QVERIFY(log.contains(QStringLiteral("HTTP 状态码: 409")));
    QVERIFY(log.contains(QStringLiteral("响应内容: \"busy with another job\"")));
    QTest::qWait(100);
    QCOMPARE(server.requestLines(), QStringList({ "POST /eSCL/ScanJobs" }));
}

void TestEsclScanner::connectionClosedMidBody_data()
{
    QTest::addColumn<int>("pagesBefore");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("first document") << 0 << QStringList();
    QTest::newRow("after two pages") << 2 << QStringList({ "page 1", "page 2", "complete", "all 2" });
}

void TestEsclScanner::connectionClosedMidBody()
{
    QFETCH(int, pagesBefore);
    QFETCH(QStringList, events);
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/3"));
    for (int i = 0; i < pagesBefore; ++i)
        server.enqueue("GET", documentPath("3"), Response::document(smallJpeg));
    Response broken = Response::document(EsclTestServer::encodedPage(QSize(200, 200), "jpeg"));
    broken.closeMidBody = true;
    server.enqueue("GET", documentPath("3"), broken);
    LogCapture log;
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(1));
    QTRY_VERIFY(recorder.ended());
    QTRY_COMPARE(server.count("DELETE", jobPath("3")), 1);
    if (pagesBefore == 0) {
        QCOMPARE(recorder.events.size(), 1);
        QVERIFY2(recorder.events.at(0).startsWith(QStringLiteral("error 获取扫描文档失败: ")),
            qPrintable(recorder.events.at(0)));
    } else {
        QCOMPARE(recorder.events, events);
        QVERIFY(log.contains(QStringLiteral("虽然出现错误，但已成功扫描 2 页")));
    }
}

void TestEsclScanner::undecodableBodyKeepsJob()
{
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/6"));
    server.enqueue("GET", documentPath("6"), Response::document("this is not an image"));
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(1));
    QTRY_VERIFY(recorder.ended());
    QCOMPARE(recorder.events.size(), 1);
    QVERIFY2(
        recorder.events.at(0).startsWith(QStringLiteral("error 图像解析失败: ")), qPrintable(recorder.events.at(0)));
    QTest::qWait(100);
    // No further fetch, and the job stays until a cancel removes it.
    QCOMPARE(server.count("GET", documentPath("6")), 1);
    QCOMPARE(server.count("DELETE", jobPath("6")), 0);
    QCOMPARE(scanner->currentJobId(), QStringLiteral("6"));
    scanner->cancelScan();
    QTRY_COMPARE(server.count("DELETE", jobPath("6")), 1);
    QCOMPARE(recorder.events.last(), QStringLiteral("error 扫描已取消"));
}

void TestEsclScanner::pixelLimit_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("refused");
    QTest::newRow("20000 x 20000 declared") << pngHeaderDeclaring(20000, 20000) << true;
    QTest::newRow("one column above A3 at 1200 dpi") << pngHeaderDeclaring(14101, 19900) << true;
    QTest::newRow("wide but small") << EsclTestServer::encodedPage(QSize(16000, 8), "png") << false;
}

void TestEsclScanner::pixelLimit()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, refused);
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/1"));
    server.enqueue("GET", documentPath("1"), Response::document(body, "image/png"));
    LogCapture log;
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(0));
    QTRY_VERIFY(recorder.ended());
    if (refused) {
        QCOMPARE(recorder.events.size(), 1);
        QVERIFY2(recorder.events.at(0).startsWith(QStringLiteral("error 图像解析失败: 图像尺寸过大")),
            qPrintable(recorder.events.at(0)));
        QCOMPARE(log.linesStartingWith(QStringLiteral("图像解析失败:")).size(), 1);
        QCOMPARE(scanner->currentJobId(), QStringLiteral("1"));
    } else {
        QCOMPARE(recorder.events, QStringList({ "page 1", "complete", "all 1" }));
        QCOMPARE(recorder.pages.value(0).size(), QSize(16000, 8));
    }
}

void TestEsclScanner::pngAccepted()
{
    // The format comes from the content, whatever was asked for.
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/1"));
    const QByteArray png = EsclTestServer::encodedPage(QSize(21, 13), "png", QColor(100, 100, 100));
    server.enqueue("GET", documentPath("1"), Response::document(png, "image/jpeg"));
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(0));
    QTRY_VERIFY(recorder.ended());
    QCOMPARE(recorder.events, QStringList({ "page 1", "complete", "all 1" }));
    QCOMPARE(recorder.pages.value(0).size(), QSize(21, 13));
    QCOMPARE(recorder.pages.value(0).pixel(0, 0), qRgb(107, 107, 107));
}

void TestEsclScanner::cancelDuringScannerWait()
{
    // With the production 2000 ms wait: cancelled inside it, the scan never fetches.
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/12"));
    server.setStanding("GET", documentPath("12"), Response::document(smallJpeg));
    LogCapture log;
    auto scanner = makeScanner(server, false);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(1));
    QTRY_COMPARE(scanner->currentJobId(), QStringLiteral("12"));
    QVERIFY(log.contains(QStringLiteral("等待扫描仪准备...")));
    scanner->cancelScan();
    QCOMPARE(recorder.events, QStringList({ "error 扫描已取消" }));
    QTRY_COMPARE(server.count("DELETE", jobPath("12")), 1);
    QTest::qWait(2500);
    QCOMPARE(server.count("GET", documentPath("12")), 0);
    QCOMPARE(recorder.events.size(), 1);
    QVERIFY(log.contains(QStringLiteral("取消扫描")));
}

void TestEsclScanner::cancelWhileDocumentInFlight()
{
    // The page that arrives after the cancel is dropped.
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/13"));
    Response slow = Response::document(smallJpeg);
    slow.delayMs = 300;
    server.enqueue("GET", documentPath("13"), slow);
    server.setStanding("GET", documentPath("13"), Response::document(smallJpeg));
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(1));
    QTRY_COMPARE(server.count("GET", documentPath("13")), 1);
    scanner->cancelScan();
    QTRY_COMPARE(server.count("DELETE", jobPath("13")), 1);
    QTest::qWait(600);
    QCOMPARE(recorder.events, QStringList({ "error 扫描已取消" }));
    QCOMPARE(server.count("GET", documentPath("13")), 1);
}

void TestEsclScanner::documentTimeoutDropsLateReply()
{
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/14"));
    Response late = Response::document(smallJpeg);
    late.delayMs = 500;
    server.enqueue("GET", documentPath("14"), late);
    LogCapture log;
    auto scanner = makeScanner(server);
    ESCLScanner::Intervals intervals = fastIntervals();
    intervals.documentTimeoutMs = 100;
    scanner->setIntervals(intervals);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(1));
    QTRY_VERIFY(recorder.ended());
    QCOMPARE(recorder.events, QStringList({ "error 扫描超时" }));
    QTRY_COMPARE(server.count("DELETE", jobPath("14")), 1);
    // The page comes after the time-out; it must not start a second ending.
    QTRY_VERIFY(log.indexOf(QStringLiteral("忽略已结束扫描的响应:")) >= 0);
    QTest::qWait(100);
    QCOMPARE(recorder.events, QStringList({ "error 扫描超时" }));
    QCOMPARE(server.count("GET", documentPath("14")), 1);
}

void TestEsclScanner::jobTimeoutDeletesLateJob()
{
    // A job the scanner creates after we gave up is removed again, and never fetched.
    EsclTestServer server;
    QVERIFY(server.start());
    Response late = Response::created("/eSCL/ScanJobs/77");
    late.delayMs = 400;
    server.enqueue("POST", jobsPath, late);
    auto scanner = makeScanner(server);
    ESCLScanner::Intervals intervals = fastIntervals();
    intervals.createJobTimeoutMs = 100;
    scanner->setIntervals(intervals);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(0));
    QTRY_VERIFY(recorder.ended());
    QCOMPARE(recorder.events, QStringList({ "error 扫描超时" }));
    QTRY_COMPARE(server.count("DELETE", jobPath("77")), 1);
    QTest::qWait(200);
    QCOMPARE(server.requestLines(), QStringList({ "POST /eSCL/ScanJobs", "DELETE /eSCL/ScanJobs/77" }));
    QCOMPARE(recorder.events.size(), 1);
}

void TestEsclScanner::restartAfterCancelKeepsOneFetchChain()
{
    // The wait of a cancelled scan must not fetch for the job of the next one.
    EsclTestServer server;
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/1"));
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/2"));
    server.enqueue("GET", documentPath("2"), Response::document(smallJpeg));
    server.enqueue("GET", documentPath("2"), Response::document(smallJpeg));
    auto scanner = makeScanner(server);
    ESCLScanner::Intervals intervals = fastIntervals();
    intervals.scannerReadyDelayMs = 400;
    scanner->setIntervals(intervals);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(1));
    QTRY_COMPARE(scanner->currentJobId(), QStringLiteral("1"));
    scanner->cancelScan();
    scanner->startScan(settingsFor(1));
    QTRY_VERIFY(recorder.events.contains(QStringLiteral("all 2")));
    QTest::qWait(300);
    QCOMPARE(recorder.events, QStringList({ "error 扫描已取消", "page 1", "page 2", "complete", "all 2" }));
    QCOMPARE(server.count("GET", documentPath("2")), 3);
    QCOMPARE(server.count("DELETE", jobPath("1")), 1);
    QCOMPARE(server.count("DELETE", jobPath("2")), 1);
}

void TestEsclScanner::destructorDeletesHeldJob_data()
{
    QTest::addColumn<bool>("https");
    QTest::addColumn<bool>("freshConnection");
    QTest::newRow("HTTP, kept-alive connection") << false << false;
    QTest::newRow("HTTP, new connection") << false << true;
    QTest::newRow("HTTPS, new connection") << true << true;
}

void TestEsclScanner::destructorDeletesHeldJob()
{
    QFETCH(bool, https);
    QFETCH(bool, freshConnection);
    EsclTestServer server(https ? EsclTestServer::Scheme::Https : EsclTestServer::Scheme::Http);
    QVERIFY(server.start());
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/21"));
    Response garbage = Response::document("garbage");
    garbage.closeAfterResponse = freshConnection;
    server.enqueue("GET", documentPath("21"), garbage);
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->startScan(settingsFor(0));
    QTRY_VERIFY(recorder.ended());
    QCOMPARE(scanner->currentJobId(), QStringLiteral("21"));
    if (freshConnection)
        QTRY_COMPARE(server.findChildren<QTcpSocket *>().size(), 0);
    scanner.reset();
    // The DELETE must reach the scanner although its client is gone.
    QTRY_COMPARE(server.count("DELETE", jobPath("21")), 1);
}

void TestEsclScanner::httpsSelfSigned()
{
    EsclTestServer server(EsclTestServer::Scheme::Https);
    QVERIFY(server.start());
    QVERIFY(server.baseUrl().startsWith(QLatin1String("https://")));
    server.enqueue("GET", "/eSCL/ScannerCapabilities", Response::text(EsclTestServer::capabilitiesXml("TLS One")));
    server.enqueue("POST", jobsPath, Response::created("/eSCL/ScanJobs/443"));
    server.enqueue("GET", documentPath("443"), Response::document(smallJpeg));
    auto scanner = makeScanner(server);
    SignalRecorder recorder(scanner.get());
    scanner->queryCapabilities();
    QTRY_COMPARE(recorder.events.size(), 1);
    QVERIFY(recorder.events.at(0).contains(QLatin1String("<pwg:MakeAndModel>TLS One</pwg:MakeAndModel>")));
    scanner->startScan(settingsFor(0));
    QTRY_VERIFY(recorder.ended());
    QCOMPARE(recorder.events.mid(1), QStringList({ "page 1", "complete", "all 1" }));
    QTRY_COMPARE(server.count("DELETE", jobPath("443")), 1);
}

QTEST_GUILESS_MAIN(TestEsclScanner)
#include "tst_esclscanner.moc"
