#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "settings/scanprofilestore.h"
#include "tests/support/tempsettings.h"

// Scan profiles as values, in the settings store and in their JSON files.
class ScanProfileTest : public QObject
{
    Q_OBJECT

private slots:
    void roundTripsThroughStoreAndFile_data();
    void roundTripsThroughStoreAndFile();
    void refusedFilesChangeNothing_data();
    void refusedFilesChangeNothing();
    void renameDuplicateDeleteKeepTheOthers();

private:
    TempSettings settings;
};

namespace {

ScanProfile invoices()
{
    ScanProfile profile;
    profile.device = QStringLiteral("test:0");
    profile.source = ScanSource::Duplex;
    profile.resolution = 200;
    profile.colorMode = ScanColorMode::BlackWhite;
    profile.pageSize = QStringLiteral("A5");
    profile.area = QRectF(5, 10, 100.5, 140);
    profile.autoDeskew = true;
    profile.autoOrient = true;
    profile.textRecognition = true;
    profile.textLanguages = QStringLiteral("eng");
    profile.removeBlankPages = true;
    profile.blankPageRatio = 95;
    profile.format = QStringLiteral("tiff");
    profile.compact = true;
    profile.maxFileBytes = 2 * 1024 * 1024;
    profile.saveResolution = 150;
    profile.folder = QStringLiteral("/srv/扫描/发票");
    profile.fileNamePattern = QStringLiteral("发票_{条码}_{日期}");
    profile.splitRule = SplitRule::Barcode;
    profile.splitEvery = 4;
    profile.keepSeparator = true;
    return profile;
}

} // namespace

void ScanProfileTest::roundTripsThroughStoreAndFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<ScanProfile>("profile");
    QTest::newRow("defaults") << QStringLiteral("默认副本") << ScanProfile();
    QTest::newRow("every field changed") << QStringLiteral("发票") << invoices();
    QTest::newRow("a slash in the name") << QStringLiteral("合同/彩色 100%") << invoices();
}

// What is saved comes back equal, from the store and through an exported file
// imported into another store.
void ScanProfileTest::roundTripsThroughStoreAndFile()
{
    QFETCH(QString, name);
    QFETCH(ScanProfile, profile);
    settings.clear();
    ScanProfileStore store(settings.store());
    QVERIFY(store.save(name, profile));
    QCOMPARE(store.names(), QStringList { name });
    QVERIFY(store.profile(name) == profile);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("profile.json"));
    QString errorText;
    QVERIFY2(store.exportTo(name, path, &errorText), qPrintable(errorText));
    QVERIFY(store.remove(name));
    QCOMPARE(store.importFrom(path, &errorText), name);
    QVERIFY(store.profile(name) == profile);
    // A second import does not replace the first.
    QCOMPARE(store.importFrom(path, &errorText), name + QStringLiteral(" (2)"));
}

void ScanProfileTest::refusedFilesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QByteArray good = ScanProfileStore::encode(QStringLiteral("发票"), invoices());
    QByteArray newer = good;
    newer.replace("\"version\": 1", "\"version\": 2");
    QByteArray badWord = good;
    badWord.replace("\"barcode\"", "\"sometimes\"");
    QByteArray badType = good;
    badType.replace("\"resolution\": 200", "\"resolution\": \"200\"");
    QTest::newRow("not JSON") << good.left(good.size() / 2) << QStringLiteral("已损坏");
    QTest::newRow("another JSON file") << QByteArray("{\"name\": \"x\"}") << QStringLiteral("已损坏");
    QTest::newRow("newer version") << newer << QStringLiteral("较新版本");
    QTest::newRow("unknown split rule") << badWord << QStringLiteral("splitRule");
    QTest::newRow("number as text") << badType << QStringLiteral("resolution");
}

// A damaged file or one from a newer version is refused with its reason; the
// stored profiles stay as they were.
void ScanProfileTest::refusedFilesChangeNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    settings.clear();
    ScanProfileStore store(settings.store());
    QVERIFY(store.save(QStringLiteral("发票"), ScanProfile()));
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("in.json")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QString errorText;
    QVERIFY(store.importFrom(file.fileName(), &errorText).isEmpty());
    QVERIFY2(errorText.contains(reason), qPrintable(errorText));
    QCOMPARE(store.names(), QStringList { QStringLiteral("发票") });
    QVERIFY(store.profile(QStringLiteral("发票")) == ScanProfile());
}

void ScanProfileTest::renameDuplicateDeleteKeepTheOthers()
{
    settings.clear();
    ScanProfileStore store(settings.store());
    QVERIFY(store.save(QStringLiteral("发票"), invoices()));
    QVERIFY(store.save(QStringLiteral("合同"), ScanProfile()));
    QString errorText;
    QVERIFY(!store.rename(QStringLiteral("发票"), QStringLiteral("合同"), &errorText));
    QVERIFY(!errorText.isEmpty());
    QVERIFY(store.rename(QStringLiteral("发票"), QStringLiteral("收据"), &errorText));
    QCOMPARE(store.duplicate(QStringLiteral("收据")), QStringLiteral("收据 副本"));
    QCOMPARE(store.duplicate(QStringLiteral("收据")), QStringLiteral("收据 副本 2"));
    QVERIFY(store.remove(QStringLiteral("合同")));
    QCOMPARE(store.names().size(), 3);
    QVERIFY(!store.contains(QStringLiteral("发票")));
    QVERIFY(store.profile(QStringLiteral("收据 副本 2")) == invoices());
    QVERIFY(store.profile(QStringLiteral("收据")) == invoices());
}

QTEST_GUILESS_MAIN(ScanProfileTest)
#include "tst_scanprofile.moc"
