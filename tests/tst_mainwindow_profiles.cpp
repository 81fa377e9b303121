#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

#include "document/documentmanager.h"
#include "document/pdfdocument.h"
#include "settings/scanprofilestore.h"
#include "tests/support/barcodepages.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/tempsettings.h"
#include "tests/support/windowparts.h"
#include "ui/dialogs/profilemanagerdialog.h"
#include "ui/mainwindow.h"
#include "ui/scansettingspanel.h"

// Scan profiles in the window: the tool bar's list, the dock following it, the
// changed mark, saving the dock's state as a profile.
class MainWindowProfilesTest : public QObject
{
    Q_OBJECT

private slots:
    void choosingAProfileFillsTheDockAndMarksChanges();
    void dockSavedAsProfileRoundTrips();
    void pageMenuSplitsTheDocumentByRule();
    void managerChangesTheStore_data();
    void managerChangesTheStore();

private:
    static int entry(QComboBox *combo, const QString &text);
    TempSettings settings;
};

int MainWindowProfilesTest::entry(QComboBox *combo, const QString &text)
{
    return combo->findText(text);
}

void MainWindowProfilesTest::choosingAProfileFillsTheDockAndMarksChanges()
{
    settings.clear();
    ScanProfile invoices;
    invoices.resolution = 200;
    invoices.colorMode = ScanColorMode::Gray;
    invoices.splitRule = SplitRule::Barcode;
    invoices.keepSeparator = true;
    invoices.fileNamePattern = QStringLiteral("发票_{条码}");
    invoices.compact = true;
    invoices.maxFileBytes = 2000000;
    invoices.saveResolution = 150;
    QVERIFY(ScanProfileStore(settings.store()).save(QStringLiteral("发票"), invoices));

    MainWindow window;
    auto *profiles = part<QComboBox>(window, "profileCombo");
    const int index = entry(profiles, QStringLiteral("发票"));
    QVERIFY(index > 0);
    profiles->setCurrentIndex(index);
    emit profiles->activated(index);
    QCOMPARE(part<QComboBox>(window, "resolutionCombo")->currentText(), QStringLiteral("200"));
    QCOMPARE(part<QComboBox>(window, "colorModeCombo")->currentIndex(), 1);
    QCOMPARE(part<QComboBox>(window, "splitCombo")->currentData().toInt(), int(SplitRule::Barcode));
    QVERIFY(part<QCheckBox>(window, "keepSeparatorCheck")->isChecked());
    QCOMPARE(part<QLineEdit>(window, "fileNamePatternEdit")->text(), QStringLiteral("发票_{条码}"));
    QCOMPARE(part<QComboBox>(window, "compressionCombo")->currentText(), QStringLiteral("紧凑"));
    QCOMPARE(part<QComboBox>(window, "sizeLimitCombo")->currentText(), QStringLiteral("2 MB"));
    QCOMPARE(part<QComboBox>(window, "saveResolutionCombo")->currentText(), QStringLiteral("150 dpi"));
    QCOMPARE(profiles->currentText(), QStringLiteral("发票"));

    // A size limit is a change of the profile like any other.
    part<ScanSettingsPanel>(window, "scanSettingsPanel")->setSizeLimit(5000000);
    QCOMPARE(profiles->currentText(), QStringLiteral("发票 *"));
    part<ScanSettingsPanel>(window, "scanSettingsPanel")->setSizeLimit(2000000);

    part<QComboBox>(window, "resolutionCombo")->setCurrentText(QStringLiteral("300"));
    QCOMPARE(profiles->currentText(), QStringLiteral("发票 *"));
    part<QComboBox>(window, "resolutionCombo")->setCurrentText(QStringLiteral("200"));
    QCOMPARE(profiles->currentText(), QStringLiteral("发票"));
}

// "保存为方案…" names the dock's state; the store then holds what the dock shows.
void MainWindowProfilesTest::dockSavedAsProfileRoundTrips()
{
    settings.clear();
    MainWindow window;
    part<QComboBox>(window, "splitCombo")->setCurrentIndex(2);
    part<QSpinBox>(window, "splitEverySpin")->setValue(3);
    part<QLineEdit>(window, "fileNamePatternEdit")->setText(QStringLiteral("合同_{序号}"));
    auto *profiles = part<QComboBox>(window, "profileCombo");
    ModalAnswerer answerer;
    answerer.handle([](QWidget *modal) {
        auto *dialog = qobject_cast<QInputDialog *>(modal);
        QVERIFY(dialog);
        dialog->setTextValue(QStringLiteral("合同"));
        dialog->accept();
    });
    const int saveAs = entry(profiles, QStringLiteral("保存为方案…"));
    emit profiles->activated(saveAs);
    QTRY_COMPARE(answerer.pending(), 0);
    QCOMPARE(profiles->currentText(), QStringLiteral("合同"));
    settings.store().sync();
    const std::optional<ScanProfile> stored = ScanProfileStore(settings.store()).profile(QStringLiteral("合同"));
    QVERIFY(stored);
    QCOMPARE(stored->splitRule, SplitRule::EveryNPages);
    QCOMPARE(stored->splitEvery, 3);
    QCOMPARE(stored->fileNamePattern, QStringLiteral("合同_{序号}"));
}

// "按规则分割文档" in the page list's menu writes the document as one file per
// part, named from the dock's pattern: a sheet with a QR code starts a part and
// is dropped.
void MainWindowProfilesTest::pageMenuSplitsTheDocumentByRule()
{
    settings.clear();
    QTemporaryDir folder;
    MainWindow window;
    auto *rules = part<QComboBox>(window, "splitCombo");
    rules->setCurrentIndex(rules->findData(int(SplitRule::Barcode)));
    part<QLineEdit>(window, "fileNamePatternEdit")->setText(QStringLiteral("部分_{序号}"));
    part<QLineEdit>(window, "savePathEdit")->setText(folder.path());
    QImage plain(827, 1169, QImage::Format_RGB32); // A4 at 100 dpi
    plain.fill(Qt::white);
    auto *document = part<DocumentManager>(window, "documentManager");
    for (const QImage &page : { plain, plain,
             BarcodePages::separatorSheet(BarcodePages::Symbology::QrCode, QStringLiteral("SEP"), 200), plain })
        document->addPage(page);
    auto *list = part<QListWidget>(window, "pageList");
    list->setCurrentRow(0);
    bool offered = false;
    QTimer::singleShot(50, this, [&offered]() {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        for (QAction *action : menu ? menu->actions() : QList<QAction *>()) {
            if (action->text() == QStringLiteral("按规则分割文档")) {
                offered = true;
                menu->close();
                action->trigger();
            }
        }
    });
    QMetaObject::invokeMethod(
        &window, "showPagesListContextMenu", Q_ARG(QPoint, list->visualItemRect(list->item(0)).center()));
    QVERIFY(offered);
    const QStringList files = QDir(folder.path()).entryList(QDir::Files, QDir::Name);
    QCOMPARE(files, (QStringList { QStringLiteral("部分_001.pdf"), QStringLiteral("部分_002.pdf") }));
    QList<int> pageCounts;
    for (const QString &file : files) {
        PdfDocument pdf;
        pageCounts << (pdf.open(folder.filePath(file)) == PdfDocument::Status::Opened ? pdf.pageCount() : -1);
    }
    QCOMPARE(pageCounts, (QList<int> { 2, 1 }));
    QCOMPARE(document->pageCount(), 4); // the document itself stays whole
}

void MainWindowProfilesTest::managerChangesTheStore_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("done");
    QTest::addColumn<QStringList>("names"); // in the store afterwards
    QTest::newRow("rename") << "rename:收据" << true << QStringList { "合同", "收据" };
    QTest::newRow("rename onto another") << "rename:合同" << false << QStringList { "发票", "合同" };
    QTest::newRow("duplicate") << "duplicate" << true << QStringList { "发票", "发票 副本", "合同" };
    QTest::newRow("delete") << "delete" << true << QStringList { "合同" };
    QTest::newRow("export, delete, import") << "export" << true << QStringList { "发票", "合同" };
    QTest::newRow("damaged file refused") << "import damaged" << false << QStringList { "发票", "合同" };
}

// "管理方案…" renames, duplicates, deletes, exports and imports the profile
// chosen in its list, each written to the store at once; what the store
// refuses changes nothing.
void MainWindowProfilesTest::managerChangesTheStore()
{
    QFETCH(QString, operation);
    QFETCH(bool, done);
    QFETCH(QStringList, names);
    settings.clear();
    ScanProfileStore store(settings.store());
    ScanProfile invoices;
    invoices.resolution = 200;
    invoices.compact = true;
    QVERIFY(store.save(QStringLiteral("发票"), invoices));
    QVERIFY(store.save(QStringLiteral("合同"), ScanProfile()));
    ProfileManagerDialog dialog(store);
    dialog.selectName(QStringLiteral("发票"));
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("发票.json"));
    QString errorText;
    bool result = false;
    if (operation.startsWith(QLatin1String("rename:"))) {
        result = dialog.renameCurrent(operation.section(QLatin1Char(':'), 1), &errorText);
    } else if (operation == QLatin1String("duplicate")) {
        result = !dialog.duplicateCurrent().isEmpty();
    } else if (operation == QLatin1String("delete")) {
        result = dialog.removeCurrent();
    } else if (operation == QLatin1String("export")) {
        result = dialog.exportCurrent(file, &errorText) && dialog.removeCurrent()
            && dialog.importFile(file, &errorText) == QStringLiteral("发票");
    } else {
        QFile damaged(file);
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("{\"resolution\": \"high\"") > 0);
        damaged.close();
        result = !dialog.importFile(file, &errorText).isEmpty();
    }
    QCOMPARE(result, done);
    QCOMPARE(errorText.isEmpty(), done);
    QStringList stored = store.names();
    stored.sort();
    names.sort();
    QCOMPARE(stored, names);
    // The profile's values travel with it.
    for (const QString &name : names) {
        if (name.startsWith(QStringLiteral("发票")) || name == QStringLiteral("收据"))
            QCOMPARE(store.profile(name)->resolution, 200);
    }
}

QTEST_MAIN(MainWindowProfilesTest)
#include "tst_mainwindow_profiles.moc"
