#include <QCheckBox>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

#include "settings/scanprofilestore.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/tempsettings.h"
#include "tests/support/windowparts.h"
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

QTEST_MAIN(MainWindowProfilesTest)
#include "tst_mainwindow_profiles.moc"
