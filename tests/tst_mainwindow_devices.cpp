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
#include "tests/support/windowparts.h"
#include "ui/deviceoptionlabels.h"
#include "ui/escldevicesearch.h"
#include "ui/mainwindow.h"
#include "ui/settingskeys.h"

namespace {

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

// A loopback port nobody listens on: connections to it are refused at once.
quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

QStringList stored(const QString &key)
{
    return SettingsKeys::openSettings().value(key).toStringList();
}

void storeRegistry(const QStringList &urls, const QStringList &info)
{
    QSettings store = SettingsKeys::openSettings();
    store.setValue(EsclRegistry::devicesKey, urls);
    store.setValue(EsclRegistry::deviceInfoKey, info);
}

// The message boxes among the modal widgets answered: dialogs have no box text.
QStringList messageBoxes(const ModalAnswerer &answerer)
{
    QStringList boxes;
    for (const QString &seen : answerer.seen()) {
        if (!seen.endsWith(QLatin1Char('|')))
            boxes << seen;
    }
    return boxes;
}

QStringList boxTitles(const ModalAnswerer &answerer)
{
    QStringList titles;
    for (const QString &box : messageBoxes(answerer))
        titles << box.section(QLatin1Char('|'), 0, 0);
    return titles;
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
    void optionLabels_data();
    void optionLabels();

    void scanSettingsStoresTheMode_data();
    void scanSettingsStoresTheMode();
    void addDeviceByAddress_data();
    void addDeviceByAddress();
    void removeDevice_data();
    void removeDevice();
    void esclOnlySearchMergesDiscoveredAndRegistered();
    void esclOnlySearchWithoutDiscovery_data();
    void esclOnlySearchWithoutDiscovery();

private:
    // Opens "扫描设置" and lets the handler work in it; the dialog is cancelled
    // afterwards unless the handler closed it.
    void inScanSettings(MainWindow &window, ModalAnswerer &answerer, const std::function<void(QWidget *)> &work);
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
    QVERIFY(progress->isVisible());
    QCOMPARE(progress->maximum(), 0);
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

void MainWindowDevicesTest::optionLabels_data()
{
    QTest::addColumn<bool>("source");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("label");
    QTest::newRow("flatbed, any case") << true << "FLATBED"
                                       << "平板";
    QTest::newRow("feeder") << true << "Automatic Document Feeder"
                            << "自动进纸器";
    QTest::newRow("feeder, both sides") << true << "ADF Duplex"
                                        << "双面自动进纸器";
    QTest::newRow("unknown source as it is") << true << "Transparency Unit"
                                             << "Transparency Unit";
    QTest::newRow("boolean off") << false << "False"
                                 << "单面";
    QTest::newRow("boolean on") << false << "True"
                                << "双面";
    QTest::newRow("zero") << false << "0"
                          << "单面";
    QTest::newRow("one") << false << "1"
                         << "双面";
    QTest::newRow("both sides") << false << "Both"
                                << "双面";
    QTest::newRow("unknown mode as it is") << false << "Booklet"
                                           << "Booklet";
}

void MainWindowDevicesTest::optionLabels()
{
    QFETCH(bool, source);
    QFETCH(QString, value);
    QFETCH(QString, label);
    QCOMPARE(source ? DeviceOptionLabels::sourceLabel(value) : DeviceOptionLabels::duplexLabel(value), label);
}

void MainWindowDevicesTest::inScanSettings(
    MainWindow &window, ModalAnswerer &answerer, const std::function<void(QWidget *)> &work)
{
    bool opened = false;
    answerer.handle([&opened, work](QWidget *dialog) {
        opened = true;
        work(dialog);
    });
    toolAction(window, QStringLiteral("扫描设置"))->trigger();
    QVERIFY(opened);
}

void MainWindowDevicesTest::scanSettingsStoresTheMode_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QVariant>("storedMode");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("switch to eSCL") << "esclOnlyButton" << true << QVariant(2) << QStringList { "设置已更新" };
    QTest::newRow("switch to network") << "usbAndNetworkButton" << true << QVariant(1) << QStringList { "设置已更新" };
    // Confirming the same mode stores it at once but announces no switch.
    QTest::newRow("same mode") << "usbOnlyButton" << true << QVariant(0) << QStringList();
    QTest::newRow("cancelled") << "esclOnlyButton" << false << QVariant() << QStringList();
}

void MainWindowDevicesTest::scanSettingsStoresTheMode()
{
    QFETCH(QString, button);
    QFETCH(bool, accept);
    QFETCH(QVariant, storedMode);
    QFETCH(QStringList, boxes);
    MainWindow window;
    startWindow(window);
    ModalAnswerer answerer;
    inScanSettings(window, answerer, [&](QWidget *dialog) {
        for (int i = 0; i < boxes.size(); ++i)
            answerer.answer(QDialogButtonBox::Ok);
        dialog->findChild<QRadioButton *>(button)->click();
        dialog->findChild<QDialogButtonBox *>()
            ->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)
            ->click();
    });
    QTRY_COMPARE(answerer.pending(), 0);

    QCOMPARE(boxTitles(answerer), boxes);
    QCOMPARE(SettingsKeys::openSettings().value(SettingsKeys::scanMode), storedMode);
    // The list is not searched again by itself.
    QCOMPARE(itemTexts(part<QComboBox>(window, "scannerCombo")),
        QStringList { QStringLiteral("点击'查找设备'初始化扫描仪") });
}

void MainWindowDevicesTest::addDeviceByAddress_data()
{
    // In "typed", %1 stands for the loopback scanner's base URL and %2 for a
    // loopback address nobody answers on.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("alreadyRegistered");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("listed");

    QTest::newRow("verified with a model name") << "%1"
                                                << "Acme Scan 3000" << false << "设备已添加"
                                                << "eSCL-Acme Scan 3000";
    QTest::newRow("verified without a model name") << "%1" << QString() << false << "设备已添加"
                                                   << "eSCL-%1";
    QTest::newRow("blanks around the address") << "  %1 "
                                               << "Acme Scan 3000" << false << "设备已添加"
                                               << "eSCL-Acme Scan 3000";
    QTest::newRow("already registered") << "%1"
                                        << "Acme Scan 3000" << true << "设备已存在" << QString();
    QTest::newRow("no answer") << "%2"
                               << "Acme Scan 3000" << false << "无法连接" << QString();
    QTest::newRow("no scheme") << "127.0.0.1:443"
                               << "Acme Scan 3000" << false << "无效的 URL" << QString();
}

void MainWindowDevicesTest::addDeviceByAddress()
{
    QFETCH(QString, typed);
    QFETCH(QString, model);
    QFETCH(bool, alreadyRegistered);
    QFETCH(QString, box);
    QFETCH(QString, listed);

    EsclTestServer server;
    QVERIFY(server.start());
    server.setStanding(
        "GET", "/eSCL/ScannerCapabilities", EsclTestServer::Response::text(EsclTestServer::capabilitiesXml(model)));
    const QString url = server.baseUrl();
    const QString silent = QStringLiteral("http://127.0.0.1:%1").arg(closedPort());
    const auto fill = [&](const QString &text) {
        return QString(text).replace("%1", url).replace("%2", silent);
    };
    if (alreadyRegistered)
        storeRegistry({ url }, { url + QStringLiteral("|Acme Scan 3000") });
    const QStringList devicesBefore = stored(EsclRegistry::devicesKey);
    const QStringList infoBefore = stored(EsclRegistry::deviceInfoKey);

    MainWindow window;
    startWindow(window);
    auto *combo = part<QComboBox>(window, "scannerCombo");
    ModalAnswerer answerer;
    // While the address is verified in a nested event loop, the settings
    // dialog is the active modal widget again: it is passed over until the
    // box appears, and cancelled after it.
    std::function<void(QWidget *)> answerBox = [&](QWidget *modal) {
        auto *messageBox = qobject_cast<QMessageBox *>(modal);
        if (!messageBox) {
            answerer.handle(answerBox);
            return;
        }
        messageBox->button(QMessageBox::Ok)->click();
        answerer.answer(QDialogButtonBox::Cancel);
    };
    inScanSettings(window, answerer, [&](QWidget *dialog) {
        answerer.handle([&](QWidget *input) {
            auto *edit = input->findChild<QLineEdit *>();
            QVERIFY(edit);
            edit->setText(fill(typed));
            qobject_cast<QDialog *>(input)->accept();
        });
        answerer.handle(answerBox);
        // Queued: the answerer does not see a box opened from inside one of its answers.
        QMetaObject::invokeMethod(
            dialog->findChild<QPushButton *>(QStringLiteral("addEsclDeviceButton")), "click", Qt::QueuedConnection);
    });
    QTRY_COMPARE(answerer.pending(), 0);

    QCOMPARE(boxTitles(answerer), QStringList { box });
    QCOMPARE(part<QProgressBar>(window, "progressBar")->maximum(), 100);
    if (listed.isEmpty()) {
        QCOMPARE(combo->count(), 1);
        QCOMPARE(stored(EsclRegistry::devicesKey), devicesBefore);
        QCOMPARE(stored(EsclRegistry::deviceInfoKey), infoBefore);
        return;
    }
    QCOMPARE(combo->itemText(combo->count() - 1), fill(listed));
    QCOMPARE(stored(EsclRegistry::devicesKey), QStringList { url });
    QCOMPARE(
        stored(EsclRegistry::deviceInfoKey), QStringList { url + QLatin1Char('|') + (model.isEmpty() ? url : model) });
    // The confirmation names the model, or says it is unknown.
    QVERIFY(messageBoxes(answerer).at(0).contains(model.isEmpty() ? QStringLiteral("设备: 未知") : model));
}

void MainWindowDevicesTest::removeDevice_data()
{
    QTest::addColumn<QStringList>("registered");
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("remaining");

    const QStringList two { "https://127.0.0.1:1", "https://127.0.0.1:2" };
    QTest::newRow("confirmed") << two << 1 << true << QStringList { "确认删除", "删除成功" }
                               << QStringList { two.at(0) };
    QTest::newRow("declined") << two << 0 << false << QStringList { "确认删除" } << two;
    QTest::newRow("nothing registered") << QStringList() << -1 << false << QStringList { "没有设备" } << QStringList();
}

void MainWindowDevicesTest::removeDevice()
{
    QFETCH(QStringList, registered);
    QFETCH(int, choice);
    QFETCH(bool, confirm);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, remaining);
    const QStringList names { "Desk Scanner", "Hall Scanner" };
    if (!registered.isEmpty())
        storeRegistry(registered, { registered.at(0) + "|" + names.at(0), registered.at(1) + "|" + names.at(1) });

    MainWindow window;
    startWindow(window);
    ModalAnswerer answerer;
    QStringList offered;
    inScanSettings(window, answerer, [&](QWidget *dialog) {
        if (choice >= 0) {
            answerer.handle([&](QWidget *modal) {
                auto *picker = qobject_cast<QInputDialog *>(modal);
                QVERIFY(picker);
                offered = picker->comboBoxItems();
                picker->setTextValue(offered.value(choice));
                picker->accept();
            });
        }
        answerer.answer(confirm ? QDialogButtonBox::Yes : QDialogButtonBox::No);
        if (confirm)
            answerer.answer(QDialogButtonBox::Ok);
        answerer.answer(QDialogButtonBox::Cancel);
        // Queued: the answerer does not see a box opened from inside one of its answers.
        QMetaObject::invokeMethod(
            dialog->findChild<QPushButton *>(QStringLiteral("removeEsclDeviceButton")), "click", Qt::QueuedConnection);
    });
    QTRY_COMPARE(answerer.pending(), 0);

    QCOMPARE(boxTitles(answerer), boxes);
    if (choice >= 0) {
        // Named devices are offered as name and address; the question names the chosen one.
        QCOMPARE(offered.size(), 2);
        QVERIFY(offered.at(choice).startsWith(names.at(choice)));
        QVERIFY(offered.at(choice).contains(registered.at(choice)));
        QVERIFY(messageBoxes(answerer).at(0).contains(names.at(choice)));
        QVERIFY(messageBoxes(answerer).at(0).contains(registered.at(choice)));
    }
    QCOMPARE(stored(EsclRegistry::devicesKey), remaining);
    QCOMPARE(EsclRegistry().deviceInfo().keys(), remaining);
}

void MainWindowDevicesTest::esclOnlySearchMergesDiscoveredAndRegistered()
{
    // The registered device and a discovered one carry the same name: the
    // list shows it once. Discovered names come from mDNS, so nothing is probed.
    const QString registered = QStringLiteral("https://127.0.0.1:9");
    storeRegistry({ registered }, { registered + QStringLiteral("|Desk Scanner") });
    SettingsKeys::openSettings().setValue(SettingsKeys::scanMode, 2);
    FakeAvahiBrowse browser(FakeAvahiBrowse::Behaviour::Print,
        FakeAvahiBrowse::resolvedLine("Acme\\032Office\\032Scanner\\032\\091A1B2C3\\093", "192.0.2.7")
            + FakeAvahiBrowse::resolvedLine("Desk\\032Scanner", "192.0.2.8"));
    QVERIFY(browser.isValid());

    MainWindow window;
    startWindow(window);
    auto *combo = part<QComboBox>(window, "scannerCombo");
    QTest::mouseClick(part<QPushButton>(window, "findDeviceButton"), Qt::LeftButton);

    QCOMPARE(itemTexts(combo), (QStringList { "eSCL-Desk Scanner", "eSCL-Acme Office Scanner" }));
    QCOMPARE(stored(EsclRegistry::devicesKey),
        (QStringList { registered, "https://192.0.2.7:443", "https://192.0.2.8:443" }));
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("✓ 找到 2 个扫描仪，已选择第一个，可手动切换"));
    // eSCL entries are chosen without SANE: no controller comes into being.
    combo->setCurrentIndex(1);
    QCOMPARE(
        window.statusBar()->currentMessage(), QStringLiteral("✅ 已选择: eSCL-Acme Office Scanner (原生 eSCL 模式)"));
    QVERIFY(!window.findChild<ScannerController *>());
    QCOMPARE(part<QProgressBar>(window, "progressBar")->maximum(), 100);
}

void MainWindowDevicesTest::esclOnlySearchWithoutDiscovery_data()
{
    QTest::addColumn<QStringList>("registered");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("status");
    QTest::newRow("registered devices only")
        << QStringList { "https://127.0.0.1:9" } << QStringList { "eSCL-https://127.0.0.1:9" }
        << "✓ 找到 1 个扫描仪，已自动选择";
    QTest::newRow("nothing at all") << QStringList() << QStringList() << "✗ 未找到扫描仪设备，请检查连接或切换搜索模式";
}

void MainWindowDevicesTest::esclOnlySearchWithoutDiscovery()
{
    QFETCH(QStringList, registered);
    QFETCH(QStringList, listed);
    QFETCH(QString, status);
    // No browser and no 192.168.x.y interface: discovery finds nothing, and
    // the registry is left as it was.
    storeRegistry(registered, {});
    SettingsKeys::openSettings().setValue(SettingsKeys::scanMode, 2);
    FakeAvahiBrowse browser(FakeAvahiBrowse::Behaviour::Absent);
    QVERIFY(browser.isValid());

    MainWindow window;
    startWindow(window);
    QTest::mouseClick(part<QPushButton>(window, "findDeviceButton"), Qt::LeftButton);

    QCOMPARE(itemTexts(part<QComboBox>(window, "scannerCombo")), listed);
    QCOMPARE(stored(EsclRegistry::devicesKey), registered);
    QCOMPARE(window.statusBar()->currentMessage(), status);
    QVERIFY(!part<QProgressBar>(window, "progressBar")->isVisible());
}

QTEST_MAIN(MainWindowDevicesTest)
#include "tst_mainwindow_devices.moc"
