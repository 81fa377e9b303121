// The I/O-free rules of the SANE side: frame bytes into images, device
// records into names, Quirra's vocabulary into backend option values.

#include <QtTest>

#include "scanner/devicenaming.h"
#include "scanner/frameassembler.h"
#include "scanner/optionvocabulary.h"
#include "tests/support/logcapture.h"

class ScannerParsingTest : public QObject
{
    Q_OBJECT

private slots:
    void imageFormatFollowsFrame_data();
    void imageFormatFollowsFrame();
    void rgbLinesSplitAcrossChunks();
    void sixteenBitSamplesKeepTheirHighByte_data();
    void sixteenBitSamplesKeepTheirHighByte();
    void lineartOnesAreBlack();
    void openLengthGrowsInHundredRowStepsAndIsCropped();
    void knownLengthNeverGrows();
    void noCompleteLineIsNoImage();
    void shortLinesLeaveNoGarbage();
    void expectedBytes_data();
    void expectedBytes();

    void classification_data();
    void classification();
    void friendlyName_data();
    void friendlyName();
    void displayName_data();
    void displayName();
    void uniqueDisplayName();
    void deviceNameFromSelection_data();
    void deviceNameFromSelection();

    void colorModeFromList_data();
    void colorModeFromList();
    void colorModeWithoutList_data();
    void colorModeWithoutList();
    void sourceFromList_data();
    void sourceFromList();
    void duplexFromList_data();
    void duplexFromList();
    void duplexSwitch_data();
    void duplexSwitch();
    void feederRequests_data();
    void feederRequests();
};

namespace {

FrameParameters frame(int format, int depth, int pixels, int lines, int bytesPerLine)
{
    FrameParameters parameters;
    parameters.format = format;
    parameters.depth = depth;
    parameters.pixelsPerLine = pixels;
    parameters.lines = lines;
    parameters.bytesPerLine = bytesPerLine;
    return parameters;
}

void feed(FrameAssembler &assembler, const QByteArray &bytes)
{
    assembler.append(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
}

QByteArray samples16(std::initializer_list<quint16> values)
{
    QByteArray bytes;
    for (quint16 value : values) {
        // Machine byte order, as SANE sends them.
        bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
    }
    return bytes;
}

} // namespace

void ScannerParsingTest::imageFormatFollowsFrame_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("expected");
    QTest::newRow("gray 1") << int(FrameParameters::Gray) << 1 << int(QImage::Format_Mono);
    QTest::newRow("gray 8") << int(FrameParameters::Gray) << 8 << int(QImage::Format_Grayscale8);
    QTest::newRow("gray 16") << int(FrameParameters::Gray) << 16 << int(QImage::Format_Grayscale8);
    QTest::newRow("rgb 8") << int(FrameParameters::Rgb) << 8 << int(QImage::Format_RGB888);
    QTest::newRow("rgb 16") << int(FrameParameters::Rgb) << 16 << int(QImage::Format_RGB888);
    QTest::newRow("red") << int(FrameParameters::Red) << 8 << int(QImage::Format_Invalid);
    QTest::newRow("blue") << int(FrameParameters::Blue) << 8 << int(QImage::Format_Invalid);
}

void ScannerParsingTest::imageFormatFollowsFrame()
{
    QFETCH(int, format);
    QFETCH(int, depth);
    QFETCH(int, expected);
    const FrameParameters parameters = frame(format, depth, 4, 2, 12);
    QCOMPARE(int(FrameAssembler::imageFormat(parameters)), expected);
    QCOMPARE(FrameAssembler::isSupported(parameters), expected != int(QImage::Format_Invalid));
    QCOMPARE(FrameAssembler(parameters).isValid(), expected != int(QImage::Format_Invalid));
}

// A line may arrive in pieces and a chunk may end inside a pixel.
void ScannerParsingTest::rgbLinesSplitAcrossChunks()
{
    FrameAssembler assembler(frame(FrameParameters::Rgb, 8, 2, 2, 6));
    const QByteArray bytes = QByteArray::fromHex("ff0000"
                                                 "00ff00"
                                                 "0000ff"
                                                 "102030");
    feed(assembler, bytes.left(4));
    QCOMPARE(assembler.rowsDone(), 0);
    QCOMPARE(assembler.pendingBytes(), 4);
    feed(assembler, bytes.mid(4, 7));
    QCOMPARE(assembler.rowsDone(), 1);
    QCOMPARE(assembler.pendingBytes(), 5);
    feed(assembler, bytes.mid(11));
    QCOMPARE(assembler.rowsDone(), 2);
    const QImage image = assembler.takeImage();
    QCOMPARE(image.size(), QSize(2, 2));
    QCOMPARE(image.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(1, 0), qRgb(0, 255, 0));
    QCOMPARE(image.pixel(0, 1), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(1, 1), qRgb(0x10, 0x20, 0x30));
}

void ScannerParsingTest::sixteenBitSamplesKeepTheirHighByte_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QRgb>>("pixels");
    QTest::newRow("gray") << int(FrameParameters::Gray) << samples16({ 0xffff, 0x80ff, 0x00ff })
                          << QList<QRgb> { qRgb(255, 255, 255), qRgb(0x80, 0x80, 0x80), qRgb(0, 0, 0) };
    QTest::newRow("rgb") << int(FrameParameters::Rgb)
                         << samples16({ 0x1234, 0xab00, 0x0fff, 0xffff, 0x0000, 0x7f7f, 0x0001, 0x0100, 0xfe00 })
                         << QList<QRgb> { qRgb(0x12, 0xab, 0x0f), qRgb(0xff, 0x00, 0x7f), qRgb(0x00, 0x01, 0xfe) };
}

void ScannerParsingTest::sixteenBitSamplesKeepTheirHighByte()
{
    QFETCH(int, format);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QRgb>, pixels);
    FrameAssembler assembler(frame(format, 16, pixels.size(), 1, bytes.size()));
    feed(assembler, bytes);
    const QImage image = assembler.takeImage();
    QCOMPARE(image.width(), pixels.size());
    for (int i = 0; i < pixels.size(); ++i)
        QCOMPARE(image.pixel(i, 0), pixels.at(i));
}

// SANE's lineart marks black with 1 bits; the image keeps index 0 black.
void ScannerParsingTest::lineartOnesAreBlack()
{
    FrameAssembler assembler(frame(FrameParameters::Gray, 1, 10, 1, 2));
    feed(assembler, QByteArray::fromHex("a0c0"));
    const QImage image = assembler.takeImage();
    QCOMPARE(image.format(), QImage::Format_Mono);
    QCOMPARE(image.color(0), qRgb(0, 0, 0));
    QCOMPARE(image.color(1), qRgb(255, 255, 255));
    const QList<bool> black { true, false, true, false, false, false, false, false, true, true };
    for (int i = 0; i < black.size(); ++i)
        QCOMPARE(image.pixel(i, 0) == qRgb(0, 0, 0), black.at(i));
}

void ScannerParsingTest::openLengthGrowsInHundredRowStepsAndIsCropped()
{
    FrameAssembler assembler(frame(FrameParameters::Gray, 8, 3, -1, 3));
    int growths = 0;
    assembler.setGrowthObserver([&] { ++growths; });
    QCOMPARE(assembler.imageHeight(), 1);
    QByteArray bytes;
    for (int row = 0; row < 250; ++row)
        bytes.append(QByteArray(3, char(row)));
    feed(assembler, bytes);
    QCOMPARE(assembler.rowsDone(), 250);
    QCOMPARE(assembler.imageHeight(), 301);
    QCOMPARE(growths, 3);
    const QImage image = assembler.takeImage();
    QCOMPARE(image.size(), QSize(3, 250));
    QCOMPARE(qGray(image.pixel(2, 0)), 0);
    QCOMPARE(qGray(image.pixel(1, 120)), 120);
    QCOMPARE(qGray(image.pixel(0, 249)), 249);
}

void ScannerParsingTest::knownLengthNeverGrows()
{
    FrameAssembler assembler(frame(FrameParameters::Rgb, 8, 5, 40, 15));
    int growths = 0;
    assembler.setGrowthObserver([&] { ++growths; });
    const QByteArray line(15, char(0x33));
    for (int row = 0; row < 40; ++row)
        feed(assembler, line);
    QCOMPARE(growths, 0);
    const QImage image = assembler.takeImage();
    QCOMPARE(image.size(), QSize(5, 40));
    QCOMPARE(image.pixel(4, 39), qRgb(0x33, 0x33, 0x33));
}

// EOF before the first complete line: no page, not a blank one.
void ScannerParsingTest::noCompleteLineIsNoImage()
{
    FrameAssembler assembler(frame(FrameParameters::Gray, 8, 8, 10, 8));
    feed(assembler, QByteArray(5, 'x'));
    QCOMPARE(assembler.rowsDone(), 0);
    QVERIFY(assembler.takeImage().isNull());
}

// A backend that sends fewer bytes per line than the width needs.
void ScannerParsingTest::shortLinesLeaveNoGarbage()
{
    FrameAssembler assembler(frame(FrameParameters::Rgb, 8, 4, 1, 7));
    feed(assembler,
        QByteArray::fromHex("ffffff"
                            "ffffff"
                            "ff"));
    const QImage image = assembler.takeImage();
    QCOMPARE(image.pixel(1, 0), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(2, 0), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(3, 0), qRgb(0, 0, 0));
}

void ScannerParsingTest::expectedBytes_data()
{
    QTest::addColumn<int>("bytesPerLine");
    QTest::addColumn<int>("lines");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("known") << 2832 << 1181 << qint64(2832) * 1181;
    QTest::newRow("open length") << 100 << -1 << qint64(300000);
    QTest::newRow("zero lines") << 100 << 0 << qint64(300000);
}

void ScannerParsingTest::expectedBytes()
{
    QFETCH(int, bytesPerLine);
    QFETCH(int, lines);
    QFETCH(qint64, expected);
    QCOMPARE(
        FrameAssembler::expectedBytes(frame(FrameParameters::Gray, 8, bytesPerLine, lines, bytesPerLine)), expected);
}

void ScannerParsingTest::classification_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("network");
    QTest::addColumn<QString>("reason");
    QTest::newRow("net") << "net:10.0.0.2:test:0" << true << "判断为网络设备（TCP/net）";
    QTest::newRow("tcp") << "epson2:tcp:host" << true << "判断为网络设备（TCP/net）";
    QTest::newRow("http localhost") << "escl:http://localhost:60000" << false << "判断为本地设备（localhost）";
    QTest::newRow("https loopback") << "escl:https://127.0.0.1:443" << false << "判断为本地设备（localhost）";
    QTest::newRow("http remote") << "escl:http://printer.lan:80" << true << "判断为网络设备（HTTP/HTTPS，非localhost）";
    QTest::newRow("airscan localhost") << "airscan:w0:localhost" << false << "判断为本地设备（AirScan localhost）";
    QTest::newRow("airscan remote") << "airscan:w1:Office" << true << "判断为网络设备（AirScan，非localhost）";
    QTest::newRow("airscan escl kept") << "airscan:escl:localhost" << false << "判断为本地设备（USB/其他）";
    QTest::newRow("pixma") << "pixma:MG5300_1234" << true << "判断为网络设备（Canon PIXMA）";
    QTest::newRow("bjnp") << "pixma:bjnp://x" << true << "判断为网络设备（Canon PIXMA）";
    QTest::newRow("usb") << "genesys:libusb:001:004" << false << "判断为本地设备（USB/其他）";
    QTest::newRow("test") << "test:0" << false << "判断为本地设备（USB/其他）";
    QTest::newRow("case matters") << "NET:x" << false << "判断为本地设备（USB/其他）";
}

void ScannerParsingTest::classification()
{
    QFETCH(QString, name);
    QFETCH(bool, network);
    QFETCH(QString, reason);
    const DeviceNaming::Classification result = DeviceNaming::classify(name);
    QCOMPARE(result.network, network);
    QCOMPARE(result.reason, reason);
}

void ScannerParsingTest::friendlyName_data()
{
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("expected");
    QTest::newRow("both") << "Acme"
                          << "Scan 100"
                          << "Acme Scan 100";
    QTest::newRow("model starts with vendor") << "Acme"
                                              << "Acme Scan 100"
                                              << "Acme Scan 100";
    QTest::newRow("prefix is case-sensitive") << "Acme"
                                              << "ACME Scan"
                                              << "Acme ACME Scan";
    QTest::newRow("model only") << ""
                                << "Scan 100"
                                << "Scan 100";
    QTest::newRow("vendor only") << "Acme"
                                 << ""
                                 << "sane:dev";
    QTest::newRow("neither") << ""
                             << ""
                             << "sane:dev";
}

void ScannerParsingTest::friendlyName()
{
    QFETCH(QString, vendor);
    QFETCH(QString, model);
    QFETCH(QString, expected);
    QCOMPARE(DeviceNaming::friendlyName(vendor, model, QStringLiteral("sane:dev")), expected);
}

void ScannerParsingTest::displayName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("network");
    QTest::addColumn<QString>("expected");
    QTest::newRow("local friendly") << "test:0"
                                    << "Noname"
                                    << "frontend-tester" << false << "Noname frontend-tester";
    QTest::newRow("network with address") << "net:192.168.7.20:test:0"
                                          << "Acme"
                                          << "S1" << true << "[网络] Acme S1 (192.168.7.20)";
    QTest::newRow("network without address") << "airscan:w1:Office"
                                             << "Acme"
                                             << "S1" << true << "[网络] Acme S1";
    QTest::newRow("libusb suffix cut") << "x:libusb:001:002"
                                       << ""
                                       << "Acme S1 (libusb:001:002)" << false << "Acme S1";
    QTest::newRow("USB suffix cut") << "x:1"
                                    << ""
                                    << "Acme S1 (USB)" << false << "Acme S1";
    QTest::newRow("other parenthesis kept") << "x:1"
                                            << ""
                                            << "Acme S1 (A4)" << false << "Acme S1 (A4)";
    QTest::newRow("nothing before parenthesis") << "x:1"
                                                << ""
                                                << "(USB)" << false << "(USB)";
}

void ScannerParsingTest::displayName()
{
    QFETCH(QString, name);
    QFETCH(QString, vendor);
    QFETCH(QString, model);
    QFETCH(bool, network);
    QFETCH(QString, expected);
    const DeviceNaming::DeviceRecord record { name, vendor, model, QStringLiteral("flatbed") };
    QCOMPARE(DeviceNaming::displayName(record, network), expected);
}

void ScannerParsingTest::uniqueDisplayName()
{
    QMap<QString, QString> taken;
    QCOMPARE(DeviceNaming::uniqueDisplayName(QStringLiteral("X"), taken), QStringLiteral("X"));
    taken.insert(QStringLiteral("X"), QStringLiteral("a"));
    QCOMPARE(DeviceNaming::uniqueDisplayName(QStringLiteral("X"), taken), QStringLiteral("X (2)"));
    taken.insert(QStringLiteral("X (2)"), QStringLiteral("b"));
    QCOMPARE(DeviceNaming::uniqueDisplayName(QStringLiteral("X"), taken), QStringLiteral("X (3)"));
}

void ScannerParsingTest::deviceNameFromSelection_data()
{
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "test:0"
                           << "test:0";
    QTest::newRow("parenthesised") << "Scanner (test:1)"
                                   << "test:1";
    QTest::newRow("last pair") << "A (x) B (y:2)"
                               << "y:2";
    QTest::newRow("unclosed") << "A (x"
                              << "A (x";
}

void ScannerParsingTest::deviceNameFromSelection()
{
    QFETCH(QString, selection);
    QFETCH(QString, expected);
    QCOMPARE(DeviceNaming::deviceNameFromSelection(selection), expected);
}

void ScannerParsingTest::colorModeFromList_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("expected");
    const QStringList plain { "Lineart", "Gray", "Color" };
    QTest::newRow("彩色") << "彩色" << plain << "Color";
    QTest::newRow("Color") << "Color" << plain << "Color";
    QTest::newRow("灰度") << "灰度" << plain << "Gray";
    QTest::newRow("黑白") << "黑白" << plain << "Lineart";
    QTest::newRow("Lineart") << "Lineart" << plain << "Lineart";
    QTest::newRow("other request takes first") << "Halftone" << plain << "Lineart";
    QTest::newRow("24bit") << "彩色" << QStringList { "8bit Gray", "24bit Color" } << "24bit Color";
    QTest::newRow("grey spelling") << "Gray" << QStringList { "Binary", "True Grey" } << "True Grey";
    QTest::newRow("black and white") << "黑白" << QStringList { "Color", "Black & White" } << "Black & White";
    QTest::newRow("binary is two-level") << "黑白" << QStringList { "Color", "Binary", "Gray" } << "Binary";
    QTest::newRow("no two-level mode scans grey") << "黑白" << QStringList { "Color", "Gray" } << "Gray";
    QTest::newRow("case-insensitive") << "彩色" << QStringList { "gray", "color" } << "color";
    QTest::newRow("no match takes first") << "彩色" << QStringList { "Gray", "Lineart" } << "Gray";
    QTest::newRow("empty list") << "彩色" << QStringList() << "";
}

void ScannerParsingTest::colorModeFromList()
{
    QFETCH(QString, request);
    QFETCH(QStringList, entries);
    QFETCH(QString, expected);
    QCOMPARE(OptionVocabulary::pickColorMode(request, entries), expected);
}

void ScannerParsingTest::colorModeWithoutList_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("expected");
    QTest::newRow("彩色") << "彩色"
                          << "Color";
    QTest::newRow("灰度") << "灰度"
                          << "Gray";
    QTest::newRow("Gray") << "Gray"
                          << "Gray";
    QTest::newRow("黑白") << "黑白"
                          << "Lineart";
    QTest::newRow("unknown") << "Halftone"
                             << "Color";
}

void ScannerParsingTest::colorModeWithoutList()
{
    QFETCH(QString, request);
    QFETCH(QString, expected);
    QCOMPARE(OptionVocabulary::colorModeWithoutList(request), expected);
}

void ScannerParsingTest::sourceFromList_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("forcedFlatbed");
    const QStringList duplexList { "Flatbed", "ADF Front", "ADF Duplex" };
    QTest::newRow("duplex feeder") << "双面自动进纸器" << duplexList << "ADF Duplex" << false;
    QTest::newRow("feeder front") << "自动进纸器" << duplexList << "ADF Front" << false;
    QTest::newRow("empty target is flatbed") << "Flatbed" << duplexList << "Flatbed" << false;
    QTest::newRow("test backend feeder") << "自动进纸器" << QStringList { "Flatbed", "Automatic Document Feeder" }
                                         << "Automatic Document Feeder" << false;
    QTest::newRow("no feeder forces flatbed")
        << "自动进纸器" << QStringList { "Transparency", "FlatBed" } << "FlatBed" << true;
    QTest::newRow("forced and no flatbed")
        << "ADF" << QStringList { "Transparency", "Negative" } << "Transparency" << true;
    QTest::newRow("flatbed missing takes first")
        << "平板" << QStringList { "Transparency", "ADF" } << "Transparency" << false;
}

void ScannerParsingTest::sourceFromList()
{
    QFETCH(QString, target);
    QFETCH(QStringList, entries);
    QFETCH(QString, expected);
    QFETCH(bool, forcedFlatbed);
    LogCapture log;
    QCOMPARE(OptionVocabulary::pickSource(target, entries), expected);
    QCOMPARE(log.contains(QStringLiteral("设备不支持ADF，强制使用平板模式")), forcedFlatbed);
}

void ScannerParsingTest::duplexFromList_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("expected");
    const QStringList modes { "Simplex", "Duplex" };
    QTest::newRow("duplex") << "Duplex" << modes << "Duplex";
    QTest::newRow("simplex") << "Simplex" << modes << "Simplex";
    QTest::newRow("true") << "True" << QStringList { "Single", "Both" } << "Both";
    QTest::newRow("false") << "False" << QStringList { "Both", "Single" } << "Single";
    QTest::newRow("no match first") << "Duplex" << QStringList { "Front", "Back" } << "Front";
    QTest::newRow("unknown request first") << "whatever" << modes << "Simplex";
}

void ScannerParsingTest::duplexFromList()
{
    QFETCH(QString, request);
    QFETCH(QStringList, entries);
    QFETCH(QString, expected);
    QCOMPARE(OptionVocabulary::pickDuplex(request, entries), expected);
}

void ScannerParsingTest::duplexSwitch_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<bool>("on");
    QTest::newRow("True") << "True" << true;
    QTest::newRow("Duplex") << "Duplex" << true;
    QTest::newRow("both lower case") << "both" << true;
    QTest::newRow("Simplex") << "Simplex" << false;
    QTest::newRow("False") << "False" << false;
}

void ScannerParsingTest::duplexSwitch()
{
    QFETCH(QString, request);
    QFETCH(bool, on);
    QCOMPARE(OptionVocabulary::duplexSwitchValue(request), on);
}

void ScannerParsingTest::feederRequests_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("target");
    QTest::addColumn<bool>("request");
    QTest::newRow("自动进纸器") << "自动进纸器" << true << true;
    QTest::newRow("双面自动进纸器") << "双面自动进纸器" << true << true;
    QTest::newRow("adf lower case") << "adf front" << true << true;
    QTest::newRow("Feeder") << "Document Feeder" << true << true;
    QTest::newRow("Automatic only in the worker") << "Automatic" << false << true;
    QTest::newRow("flatbed") << "Flatbed" << false << false;
    QTest::newRow("平板") << "平板" << false << false;
    QTest::newRow("empty") << "" << false << false;
}

void ScannerParsingTest::feederRequests()
{
    QFETCH(QString, source);
    QFETCH(bool, target);
    QFETCH(bool, request);
    QCOMPARE(OptionVocabulary::isFeederTarget(source), target);
    QCOMPARE(OptionVocabulary::isFeederRequest(source), request);
}

QTEST_GUILESS_MAIN(ScannerParsingTest)
#include "tst_scanner_parsing.moc"
