// Finding and choosing a scanner in the window: SANE's "test" backend, a loopback eSCL scanner, a stand-in
// mDNS browser. Discovery stays on loopback: no interfaces; connector and clients only know 127.0.0.1.

#include <QComboBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBar>
#include <QPointer>
#include <QStatusBar>
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
#include "settings/appsettings.h"

namespace {

const QStringList testDevices { "Noname frontend-tester", "Noname frontend-tester (2)" };

QStringList items(QComboBox *combo, int role = Qt::DisplayRole)
{
    QStringList values;
    for (int i = 0; i < combo->count(); ++i)
        values << combo->itemData(i, role).toString();
    return values;
}

// The titles ("title|text" when full) of the message boxes answered; dialogs have no box text.
QStringList boxes(const ModalAnswerer &answerer, bool full = false)
{
    QStringList boxes;
    for (const QString &seen : answerer.seen()) {
        if (!seen.endsWith(QLatin1Char('|')))
            boxes << (full ? seen : seen.section(QLatin1Char('|'), 0, 0));
    }
    return boxes;
}

// Answers the next modal widget, an input dialog, with this text.
void answerInput(ModalAnswerer &answerer, const QString &text)
{
    answerer.handle([text](QWidget *modal) {
        auto *input = qobject_cast<QInputDialog *>(modal);
        input->setTextValue(text);
        input->accept();
    });
}

} // namespace

class MainWindowDevicesTest : public QObject
{
    Q_OBJECT

    TempSettings settings;
    std::unique_ptr<SaneTestConfig> sane;
    std::unique_ptr<MainWindow> window;

    // A shown window whose start-up placeholder is in place.
    void startWindow()
    {
        window = std::make_unique<MainWindow>();
        window->show();
        QTRY_COMPARE(part<QComboBox>(*window, "scannerCombo")->count(), 1);
    }

    // Opens "扫描设置", lets work queue answers in it, then clicks the named button of the dialog,
    // queued: the answerer does not see a box opened from inside one of its answers.
    void inScanSettings(ModalAnswerer &answerer, const char *button, const std::function<void(QWidget *)> &work)
    {
        answerer.handle([work, button](QWidget *dialog) {
            work(dialog);
            if (button)
                QMetaObject::invokeMethod(dialog->findChild<QAbstractButton *>(button), "click", Qt::QueuedConnection);
        });
        for (QAction *action : part<QToolBar>(*window, "mainToolBar")->actions()) {
            if (action->text() == QStringLiteral("扫描设置"))
                action->trigger();
        }
    }

private slots:
    void initTestCase()
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

    void init() { settings.clear(); }
    void cleanup() { window.reset(); }

    // The first search lists the test devices, chooses the first, offers its sources (kept across
    // devices) and ends busy mode.
    void firstSearchListsTheTestDevicesAndChoosesTheFirst()
    {
        startWindow();
        auto *combo = part<QComboBox>(*window, "scannerCombo");
        auto *sources = part<QComboBox>(*window, "paperSourceCombo");
        auto *progress = part<QProgressBar>(*window, "progressBar");
        QTest::mouseClick(part<QPushButton>(*window, "findDeviceButton"), Qt::LeftButton);
        QCOMPARE(progress->maximum(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(items(combo), testDevices, 15000);

        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(combo->itemData(0).toString(), testDevices.at(0));
        QCOMPARE(items(sources), (QStringList { QStringLiteral("平板"), QStringLiteral("自动进纸器") }));
        QCOMPARE(items(sources, Qt::UserRole), (QStringList { "Flatbed", "Automatic Document Feeder" }));
        QVERIFY(!progress->isVisible());
        QCOMPARE(progress->maximum(), 100);
        sources->setCurrentIndex(1);
        combo->setCurrentIndex(1);
        QCOMPARE(sources->currentText(), QStringLiteral("自动进纸器"));
    }

    // A device that fails to open hands over to another one, but only once.
    void brokenDevicesHandOverOnlyOnce()
    {
        startWindow();
        auto *combo = part<QComboBox>(*window, "scannerCombo");
        QTest::mouseClick(part<QPushButton>(*window, "findDeviceButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(combo->count(), 2, 15000);
        combo->addItems({ "Gone A", "Gone B" });
        ModalAnswerer answerer;
        for (int i = 0; i < 3; ++i)
            answerer.answer(QDialogButtonBox::Ok);
        combo->setCurrentIndex(2);
        // Gone A fails and hands over to the first device, which opens.
        QCOMPARE(answerer.seen().size(), 1);
        QVERIFY(answerer.seen().at(0).startsWith(QStringLiteral("扫描仪连接失败|无法连接到扫描仪 'Gone A'")));
        QCOMPARE(combo->currentIndex(), 0);

        QSignalBlocker quiet(combo);
        combo->removeItem(1);
        combo->removeItem(0);
        quiet.unblock();
        combo->setCurrentIndex(1);
        // Gone B fails, hands over to Gone A once, which fails too: two boxes, no third.
        QCOMPARE(answerer.seen().size(), 3);
        QVERIFY(answerer.seen().at(2).contains(QStringLiteral("'Gone A'")));
        QCOMPARE(combo->currentIndex(), 0);
    }

    void optionLabels_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("source");
        QTest::addColumn<QString>("label");
        QTest::newRow("flatbed, any case") << "FLATBED" << true << "平板";
        QTest::newRow("feeder, both sides") << "ADF Duplex" << true << "双面进纸器";
        QTest::newRow("unknown source as it is") << "Transparency Unit" << true << "Transparency Unit";
        QTest::newRow("boolean off") << "False" << false << "单面";
        QTest::newRow("one") << "1" << false << "双面";
        QTest::newRow("both sides") << "Both" << false << "双面";
        QTest::newRow("unknown mode as it is") << "Booklet" << false << "Booklet";
    }

    // Device option values are shown in the user's words; unknown ones as they are.
    void optionLabels()
    {
        QFETCH(QString, value);
        QFETCH(bool, source);
        QFETCH(QString, label);
        QCOMPARE(source ? DeviceOptionLabels::sourceLabel(value) : DeviceOptionLabels::duplexLabel(value), label);
    }

    void chosenModeIsStoredAndSearchedNext_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QVariant>("storedMode");
        QTest::addColumn<bool>("announced");
        QTest::addColumn<QStringList>("found");
        // Every search names the devices as the first one did.
        QTest::newRow("same mode") << "usbOnlyButton" << true << QVariant(0) << false << testDevices;
        QTest::newRow("usb and network") << "usbAndNetworkButton" << true << QVariant(1) << true << testDevices;
        QTest::newRow("eSCL only, nothing found") << "esclOnlyButton" << true << QVariant(2) << true << QStringList();
        QTest::newRow("cancelled") << "usbAndNetworkButton" << false << QVariant() << false << testDevices;
    }

    // The settings store the mode at once and announce only a change; the next search follows it.
    void chosenModeIsStoredAndSearchedNext()
    {
        QFETCH(QString, mode);
        QFETCH(bool, accept);
        QFETCH(QVariant, storedMode);
        QFETCH(bool, announced);
        QFETCH(QStringList, found);
        FakeAvahiBrowse noBrowser(FakeAvahiBrowse::Behaviour::Absent);
        QVERIFY(noBrowser.isValid());
        startWindow();
        auto *combo = part<QComboBox>(*window, "scannerCombo");
        QTest::mouseClick(part<QPushButton>(*window, "findDeviceButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(items(combo), testDevices, 15000);
        ModalAnswerer answerer;
        inScanSettings(answerer, nullptr, [&](QWidget *dialog) {
            dialog->findChild<QAbstractButton *>(mode)->click();
            const auto button = accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel;
            dialog->findChild<QDialogButtonBox *>()->button(button)->click();
        });
        QTRY_COMPARE(answerer.pending(), 0);
        QCOMPARE(boxes(answerer), QStringList());
        QCOMPARE(window->statusBar()->currentMessage().contains(QStringLiteral("请点击 [查找设备]")), announced);
        QCOMPARE(settings.store().value(AppSettings::searchMode.key()), storedMode);
        QCOMPARE(items(combo), testDevices);

        QTest::mouseClick(part<QPushButton>(*window, "findDeviceButton"), Qt::LeftButton);
        QCOMPARE(items(combo), found);
        QCOMPARE(combo->currentIndex(), found.isEmpty() ? -1 : 0);
        QCOMPARE(part<QProgressBar>(*window, "progressBar")->maximum(), 100);
    }

    void addDeviceByAddress_data()
    {
        // In "typed", %1 is the loopback scanner's base URL, %2 a loopback address nobody answers on.
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("registered");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("box");
        const QString acme = QStringLiteral("Acme Scan 3000");
        QTest::newRow("verified with a model name") << "%1" << false << acme << "设备已添加";
        QTest::newRow("verified without a model name") << "%1" << false << QString() << "设备已添加";
        QTest::newRow("blanks around the address") << "  %1 " << false << acme << "设备已添加";
        QTest::newRow("already registered") << "%1" << true << acme << "设备已存在";
        QTest::newRow("no answer") << "%2" << false << acme << "无法连接";
        QTest::newRow("no scheme") << "127.0.0.1:443" << false << acme << "无效的 URL";
    }

    // An eSCL address is registered and listed only once verified; otherwise a box says why.
    void addDeviceByAddress()
    {
        QFETCH(QString, typed);
        QFETCH(bool, registered);
        QFETCH(QString, model);
        QFETCH(QString, box);
        EsclTestServer server, gone; // gone: a loopback port nobody answers on, refused at once
        QVERIFY(server.start() && gone.start());
        const QString url = server.baseUrl(), silent = gone.baseUrl();
        gone.close();
        server.setStanding(
            "GET", "/eSCL/ScannerCapabilities", EsclTestServer::Response::text(EsclTestServer::capabilitiesXml(model)));
        const QString name = model.isEmpty() ? url : model;
        if (registered)
            EsclRegistry(settings.store()).addDevice(url, model);
        startWindow();
        ModalAnswerer answerer;
        // While the address is verified in a nested event loop, the settings dialog is the active
        // modal widget again: it is passed over until the box appears.
        // News (added, already there) goes to the status bar: the dialog is closed once it is said.
        const bool news = box == QStringLiteral("设备已添加") || box == QStringLiteral("设备已存在");
        std::function<void()> closeOnNews;
        QPointer<QWidget> settingsDialog;
        closeOnNews = [&]() {
            const QString said = window->statusBar()->currentMessage();
            if (said.startsWith(QStringLiteral("已添加 eSCL 设备"))
                || said.startsWith(QStringLiteral("此 eSCL 设备已经添加过了")))
                settingsDialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
            else
                QTimer::singleShot(20, closeOnNews);
        };
        std::function<void(QWidget *)> answerBox = [&](QWidget *modal) {
            if (auto *messageBox = qobject_cast<QMessageBox *>(modal)) {
                messageBox->button(QMessageBox::Ok)->click();
                answerer.answer(QDialogButtonBox::Cancel);
            } else if (news) {
                settingsDialog = modal;
                closeOnNews();
            } else {
                answerer.handle(answerBox);
            }
        };
        inScanSettings(answerer, "addEsclDeviceButton", [&](QWidget *) {
            answerInput(answerer, typed.replace("%1", url).replace("%2", silent));
            answerer.handle(answerBox);
        });
        QTRY_COMPARE(answerer.pending(), 0);

        QCOMPARE(boxes(answerer), news ? QStringList() : QStringList { box });
        QCOMPARE(part<QProgressBar>(*window, "progressBar")->maximum(), 100);
        const bool added = box == QStringLiteral("设备已添加"), known = added || registered;
        QCOMPARE(items(part<QComboBox>(*window, "scannerCombo")).mid(1),
            added ? QStringList { "eSCL-" + name } : QStringList());
        QCOMPARE(AppSettings::esclDevices.read(settings.store()), known ? QStringList { url } : QStringList());
        QCOMPARE(AppSettings::esclDeviceInfo.read(settings.store()),
            known ? QStringList { url + '|' + name } : QStringList());
        if (added)
            QVERIFY(window->statusBar()->currentMessage().contains("eSCL-" + name));
    }

    void removeDevice_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("confirm");
        QTest::newRow("confirmed") << 1 << true;
        QTest::newRow("declined") << 0 << false;
    }

    // A registered device is removed from both keys only once the question naming it is confirmed.
    void removeDevice()
    {
        QFETCH(int, choice);
        QFETCH(bool, confirm);
        const QStringList urls { "https://127.0.0.1:1", "https://127.0.0.1:2" }, names { "Desk", "Hall" };
        for (int i = 0; i < 2; ++i)
            EsclRegistry(settings.store()).addDevice(urls.at(i), names.at(i));
        startWindow();
        ModalAnswerer answerer;
        inScanSettings(answerer, "removeEsclDeviceButton", [&](QWidget *) {
            answerInput(answerer, EsclRegistry(settings.store()).removalChoices().at(choice));
            answerer.answer(confirm ? QDialogButtonBox::Yes : QDialogButtonBox::No);
            answerer.answer(QDialogButtonBox::Cancel);
        });
        QTRY_COMPARE(answerer.pending(), 0);

        QCOMPARE(boxes(answerer), QStringList { "确认删除" });
        QVERIFY(boxes(answerer, true).at(0).contains(names.at(choice) + "\nURL: " + urls.at(choice)));
        const QStringList remaining = confirm ? QStringList { urls.at(1 - choice) } : urls;
        QCOMPARE(AppSettings::esclDevices.read(settings.store()), remaining);
        QCOMPARE(EsclRegistry(settings.store()).deviceInfo().keys(), remaining);
    }

    // The eSCL-only search merges discovered and registered devices and chooses them without SANE.
    void esclOnlySearchMergesDiscoveredAndRegistered()
    {
        const QString registered = QStringLiteral("https://127.0.0.1:9");
        EsclRegistry(settings.store()).addDevice(registered, QStringLiteral("Desk Scanner"));
        AppSettings::searchMode.write(settings.store(), SearchMode::EsclOnly);
        FakeAvahiBrowse browser(FakeAvahiBrowse::Behaviour::Print,
            FakeAvahiBrowse::resolvedLine("Acme\\032Office\\032Scanner\\032\\091A1B2C3\\093", "192.0.2.7")
                + FakeAvahiBrowse::resolvedLine("Desk\\032Scanner", "192.0.2.8"));
        QVERIFY(browser.isValid());
        startWindow();
        auto *combo = part<QComboBox>(*window, "scannerCombo");
        QTest::mouseClick(part<QPushButton>(*window, "findDeviceButton"), Qt::LeftButton);
        QCOMPARE(items(combo), (QStringList { "eSCL-Desk Scanner", "eSCL-Acme Office Scanner" }));
        QCOMPARE(AppSettings::esclDevices.read(settings.store()),
            (QStringList { registered, "https://192.0.2.7:443", "https://192.0.2.8:443" }));
        combo->setCurrentIndex(1);
        QVERIFY(!window->findChild<ScannerController *>());
        QCOMPARE(part<QProgressBar>(*window, "progressBar")->maximum(), 100);
    }
};

QTEST_MAIN(MainWindowDevicesTest)
#include "tst_mainwindow_devices.moc"
