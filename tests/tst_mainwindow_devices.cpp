// Finding and choosing a scanner through the window's own controls: SANE's
// "test" backend behind the device search, a loopback eSCL scanner behind the
// add dialog and a stand-in mDNS browser behind the eSCL-only search. No case
// lets discovery reach beyond loopback: every search runs with an empty
// interface list and a connector and clients that only know 127.0.0.1.

#include <QComboBox>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTcpServer>
#include <QToolBar>
#include <QtTest>

#include "escl/escldiscovery.h"
#include "escl/esclregistry.h"
#include "escl/esclscanner.h"
#include "scanner/scannercontroller.h"
#include "tests/support/escltestserver.h"
#include "tests/support/fakeavahibrowse.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/sanetestconfig.h"
#include "tests/support/tempsettings.h"
#include "ui/escldevicesearch.h"
#include "ui/mainwindow.h"
#include "ui/settingskeys.h"

namespace {

template<typename T> T *part(QObject &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

QStringList itemTexts(QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

QStringList itemData(QComboBox *combo)
{
    QStringList data;
    for (int i = 0; i < combo->count(); ++i)
        data << combo->itemData(i).toString();
    return data;
}

QAction *toolAction(MainWindow &window, const QString &text)
{
    for (QAction *action : part<QToolBar>(window, "mainToolBar")->actions()) {
        if (action->text() == text)
            return action;
    }
    qFatal("no tool bar action %s", qPrintable(text));
    return nullptr;
}

QPushButton *buttonWithText(QWidget *dialog, const QString &text)
{
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (button->text() == text)
            return button;
    }
    qFatal("no button %s", qPrintable(text));
    return nullptr;
}

// A loopback port nobody listens on: connections to it are refused at once.
quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

const QString testDevice = QStringLiteral("Noname frontend-tester");
const QString secondTestDevice = QStringLiteral("Noname frontend-tester (2)");

} // namespace

class MainWindowDevicesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void firstSearchListsTheTestDevicesAndChoosesTheFirst();
    void secondSearchUsesTheChosenMode_data();
    void secondSearchUsesTheChosenMode();
    void chosenSourceSurvivesAnotherDevice();
    void brokenDevicesHandOverOnlyOnce();

private:
    // A shown window whose start-up placeholder is in place.
    void startWindow(MainWindow &window);
    void searchAndWait(MainWindow &window, int expectedCount);

    TempSettings settings;
    std::unique_ptr<SaneTestConfig> sane;
};

void MainWindowDevicesTest::initTestCase()
{
    sane = std::make_unique<SaneTestConfig>();
    QVERIFY(sane->isValid());
    EsclDeviceSearch::setDiscoverySetup([](EsclDiscovery &discovery) {
        discovery.setAddressProvider([] { return QList<QHostAddress>(); });
        discovery.setConnector([](const QString &host, quint16, int) {
            if (host != QLatin1String("127.0.0.1"))
                qFatal("discovery tried to reach %s", qPrintable(host));
            return false;
        });
        discovery.setClientFactory([](const QString &url, QObject *parent) {
            if (!url.startsWith(QLatin1String("http://127.0.0.1:")))
                qFatal("discovery tried to probe %s", qPrintable(url));
            return new ESCLScanner(url, parent);
        });
    });
}

void MainWindowDevicesTest::init()
{
    settings.clear();
}

void MainWindowDevicesTest::startWindow(MainWindow &window)
{
    window.show();
    QTRY_COMPARE(part<QComboBox>(window, "scannerCombo")->count(), 1);
}

void MainWindowDevicesTest::searchAndWait(MainWindow &window, int expectedCount)
{
    auto *combo = part<QComboBox>(window, "scannerCombo");
    QTest::mouseClick(part<QPushButton>(window, "findDeviceButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(combo->count(), expectedCount, 15000);
    QTRY_VERIFY(!combo->itemText(0).contains(QStringLiteral("正在查找")));
}

void MainWindowDevicesTest::firstSearchListsTheTestDevicesAndChoosesTheFirst()
{
    MainWindow window;
    startWindow(window);
    auto *combo = part<QComboBox>(window, "scannerCombo");
    auto *sources = part<QComboBox>(window, "paperSourceCombo");
    auto *progress = part<QProgressBar>(window, "progressBar");

    QTest::mouseClick(part<QPushButton>(window, "findDeviceButton"), Qt::LeftButton);
    // The first search only starts the initialisation; the window goes on
    // painting with the search placeholder until the list arrives.
    QCOMPARE(itemTexts(combo), QStringList { QStringLiteral("正在查找扫描仪（仅USB模式）...") });
    QTRY_COMPARE_WITH_TIMEOUT(itemTexts(combo), (QStringList { testDevice, secondTestDevice }), 15000);

    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(combo->itemData(0).toString(), testDevice);
    QCOMPARE(itemTexts(sources), (QStringList { QStringLiteral("平板"), QStringLiteral("自动进纸器") }));
    QCOMPARE(
        itemData(sources), (QStringList { QStringLiteral("Flatbed"), QStringLiteral("Automatic Document Feeder") }));
    QVERIFY(window.statusBar()->currentMessage().contains(QStringLiteral("可手动切换")));
    // Busy mode ends with the search: later progress shows as progress again.
    QVERIFY(!progress->isVisible());
    QCOMPARE(progress->maximum(), 100);
}

void MainWindowDevicesTest::secondSearchUsesTheChosenMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("expected");
    // The USB-only enumeration names devices as SANE does; the wider one gives
    // the friendly names.
    QTest::newRow("usb only") << 0 << QStringList { "test:0", "test:1" };
    QTest::newRow("usb and network") << 1 << QStringList { testDevice, secondTestDevice };
}

void MainWindowDevicesTest::secondSearchUsesTheChosenMode()
{
    QFETCH(int, mode);
    QFETCH(QStringList, expected);
    SettingsKeys::openSettings().setValue(SettingsKeys::scanMode, mode);
    MainWindow window;
    startWindow(window);
    auto *combo = part<QComboBox>(window, "scannerCombo");
    searchAndWait(window, 2);
    // The first list comes from the initialisation, which lists local devices only.
    QCOMPARE(itemTexts(combo), (QStringList { testDevice, secondTestDevice }));

    QTest::mouseClick(part<QPushButton>(window, "findDeviceButton"), Qt::LeftButton);
    QCOMPARE(itemTexts(combo), expected);
    // Items of a later search carry no data; the first one is chosen and announced.
    QVERIFY(combo->itemData(0).isNull());
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("✓ 找到 2 个扫描仪，已选择第一个，可手动切换"));
    QCOMPARE(part<QProgressBar>(window, "progressBar")->maximum(), 100);
}

void MainWindowDevicesTest::chosenSourceSurvivesAnotherDevice()
{
    MainWindow window;
    startWindow(window);
    auto *combo = part<QComboBox>(window, "scannerCombo");
    auto *sources = part<QComboBox>(window, "paperSourceCombo");
    searchAndWait(window, 2);

    sources->setCurrentIndex(1);
    combo->setCurrentIndex(1);
    QCOMPARE(sources->currentText(), QStringLiteral("自动进纸器"));
    QVERIFY(
        window.statusBar()->currentMessage().startsWith(QStringLiteral("✅ 已选择: %1 (支持ADF").arg(secondTestDevice)));
}

void MainWindowDevicesTest::brokenDevicesHandOverOnlyOnce()
{
    MainWindow window;
    startWindow(window);
    auto *combo = part<QComboBox>(window, "scannerCombo");
    searchAndWait(window, 2);
    // Two devices that went away after the search.
    combo->addItem(QStringLiteral("Gone A"));
    combo->addItem(QStringLiteral("Gone B"));

    ModalAnswerer answerer;
    answerer.answer(QDialogButtonBox::Ok);
    answerer.answer(QDialogButtonBox::Ok);
    answerer.answer(QDialogButtonBox::Ok);
    combo->setCurrentIndex(2);
    // The failure hands over to the first other device, which opens.
    QCOMPARE(answerer.seen().size(), 1);
    QVERIFY(answerer.seen().at(0).startsWith(QStringLiteral("扫描仪连接失败|无法连接到扫描仪 'Gone A'")));
    QCOMPARE(combo->currentIndex(), 0);

    {
        const QSignalBlocker quiet(combo);
        combo->removeItem(1);
        combo->removeItem(0);
    }
    QCOMPARE(itemTexts(combo), (QStringList { QStringLiteral("Gone A"), QStringLiteral("Gone B") }));
    combo->setCurrentIndex(1);
    // Gone B fails, hands over to Gone A once, which fails too: two boxes, no third.
    QCOMPARE(answerer.seen().size(), 3);
    QVERIFY(answerer.seen().at(2).contains(QStringLiteral("'Gone A'")));
    QCOMPARE(combo->currentIndex(), 0);
}

QTEST_MAIN(MainWindowDevicesTest)
#include "tst_mainwindow_devices.moc"
