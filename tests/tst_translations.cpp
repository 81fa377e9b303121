#include <QComboBox>
#include <QDomDocument>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include "app/commandline.h"
#include "app/interfacelanguage.h"
#include "tests/support/tempsettings.h"
#include "tests/support/windowparts.h"
#include "ui/mainwindow.h"
#include "ui/savesummary.h"

namespace {

// Removes every translator a test installed, so the next one starts from the source texts.
void uninstallTranslators()
{
    qDeleteAll(QCoreApplication::instance()->findChildren<QTranslator *>());
}

} // namespace

class TranslationsTest : public QObject
{
    Q_OBJECT

    TempSettings settings;

private slots:
    void cleanup() { uninstallTranslators(); }

    void languageFollowsSettingAndOption_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("english");
        const QStringList none { QStringLiteral("quirra") };
        QTest::newRow("default Chinese under an English locale") << QStringLiteral("zh") << none << "en_US" << false;
        QTest::newRow("English chosen") << QStringLiteral("en") << none << "zh_CN" << true;
        QTest::newRow("system, English locale") << QStringLiteral("system") << none << "en_GB" << true;
        QTest::newRow("system, German locale") << QStringLiteral("system") << none << "de_DE" << false;
        QTest::newRow("system, Chinese locale") << QStringLiteral("system") << none << "zh_CN" << false;
        QTest::newRow("--language en beats the setting")
            << QStringLiteral("zh") << QStringList { "quirra", "--language", "en" } << "zh_CN" << true;
        QTest::newRow("--language=zh beats the setting")
            << QStringLiteral("en") << QStringList { "quirra", "--language=zh", "scan.pdf" } << "en_US" << false;
        QTest::newRow("unknown --language value leaves the setting")
            << QStringLiteral("en") << QStringList { "quirra", "--language", "fr" } << "fr_FR" << true;
    }

    void languageFollowsSettingAndOption()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, arguments);
        QFETCH(QString, locale);
        QFETCH(bool, english);
        const auto language
            = InterfaceLanguage::decide(stored, InterfaceLanguage::commandLineChoice(arguments), QLocale(locale));
        QCOMPARE(language == InterfaceLanguage::Language::English, english);
    }

    // The file named on the command line stays the first argument beside --language.
    void languageOptionLeavesTheFileArgument_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("rest");
        QTest::newRow("option before the file")
            << QStringList { "quirra", "--language", "en", "a.pdf" } << QStringList { "quirra", "a.pdf" };
        QTest::newRow("joined option after the file")
            << QStringList { "quirra", "a.pdf", "--language=zh" } << QStringList { "quirra", "a.pdf" };
        QTest::newRow("option without value") << QStringList { "quirra", "--language" } << QStringList { "quirra" };
    }

    void languageOptionLeavesTheFileArgument()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, rest);
        QCOMPARE(InterfaceLanguage::withoutLanguageOption(arguments), rest);
    }

    // --language with a language is the window's as much as the command line's;
    // anything else after "--" is a run without a window.
    void languageOptionKeepsTheWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("commandLine");
        QTest::newRow("language alone") << QStringList { "quirra", "--language", "en" } << false;
        QTest::newRow("language and a file") << QStringList { "quirra", "--language=zh", "a.pdf" } << false;
        QTest::newRow("unknown language") << QStringList { "quirra", "--language", "fr" } << true;
        QTest::newRow("language without value") << QStringList { "quirra", "--language" } << true;
        QTest::newRow("language and help") << QStringList { "quirra", "--language", "en", "--help" } << true;
    }

    void languageOptionKeepsTheWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, commandLine);
        QCOMPARE(CommandLine::wantsCommandLineRun(arguments), commandLine);
    }

    // A missing or damaged catalogue keeps the Chinese source texts, never empty ones.
    void badCatalogueKeepsChinese_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("damaged") << QByteArray("\x3c\xb8\x64\x18\xca\xef\x9c\x95 not a catalogue");
    }

    void badCatalogueKeepsChinese()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quirra_en.qm"));
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QVERIFY(!InterfaceLanguage::install(InterfaceLanguage::Language::English, path));
        MainWindow window;
        QCOMPARE(part<QPushButton>(window, "scanButton")->text(), QStringLiteral("扫描"));
    }

    // With English chosen the real controls speak English: menus, the scan button, a dock label.
    void windowSpeaksEnglish()
    {
        QVERIFY(InterfaceLanguage::install(InterfaceLanguage::Language::English));
        MainWindow window;
        QStringList menus;
        for (QAction *menu : window.menuBar()->actions())
            menus << menu->text();
        QCOMPARE(menus, (QStringList { "&File", "&Edit", "&View", "&Scan", "&Help" }));
        QCOMPARE(part<QPushButton>(window, "scanButton")->text(), QStringLiteral("Scan"));
        QComboBox *resolution = part<QComboBox>(window, "resolutionCombo");
        auto *form = qobject_cast<QFormLayout *>(resolution->parentWidget()->layout());
        QVERIFY(form);
        auto *label = qobject_cast<QLabel *>(form->labelForField(resolution));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Resolution:"));
        // Qt's own texts follow, not its Chinese catalogue.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    }

    // Counts read naturally in English: one page, several pages.
    void savedSummaryCountsPages_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("summary");
        QTest::newRow("one page") << true << 1 << QStringLiteral("Saved 1 page, 2 KB");
        QTest::newRow("three pages") << true << 3 << QStringLiteral("Saved 3 pages, 2 KB");
        QTest::newRow("Chinese") << false << 1 << QStringLiteral("已保存 1 页，2 KB");
    }

    void savedSummaryCountsPages()
    {
        QFETCH(bool, english);
        QFETCH(int, pages);
        QFETCH(QString, summary);
        if (english)
            QVERIFY(InterfaceLanguage::install(InterfaceLanguage::Language::English));
        QCOMPARE(SaveSummary::text(pages, 2000), summary);
    }

    // Every text lupdate finds in the sources has a finished English translation
    // with the source's arguments and menu keys.
    void everyTextHasEnglish()
    {
        QTemporaryDir dir;
        const QString ts = dir.filePath(QStringLiteral("quirra_en.ts"));
        QVERIFY(QFile::copy(QStringLiteral(QUIRRA_SOURCE_DIR "/translations/quirra_en.ts"), ts));
        // The same folders the script brings in step, so the two cannot drift apart.
        QFile script(QStringLiteral(QUIRRA_SOURCE_DIR "/scripts/update-translations"));
        QVERIFY(script.open(QIODevice::ReadOnly));
        const QRegularExpressionMatch folders
            = QRegularExpression(QStringLiteral("^sources=\\(([^)]*)\\)$"), QRegularExpression::MultilineOption)
                  .match(QString::fromUtf8(script.readAll()));
        QVERIFY(folders.hasMatch());
        QStringList arguments { "-silent", "-no-obsolete", "-locations", "none", "-extensions", "cpp,h", "-I", "." };
        arguments << folders.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts) << QStringLiteral("-ts") << ts;
        QProcess lupdate;
        lupdate.setWorkingDirectory(QStringLiteral(QUIRRA_SOURCE_DIR));
        lupdate.start(QStringLiteral(QUIRRA_LUPDATE), arguments);
        QVERIFY(lupdate.waitForFinished(120000));
        QCOMPARE(lupdate.exitCode(), 0);

        QFile file(ts);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QDomDocument document;
        QVERIFY(document.setContent(&file));
        // A translation that loses an argument or the menu key shows "%2" or loses Alt+key.
        const auto placeholders = [](const QString &text) {
            QStringList found;
            auto matches = QRegularExpression(QStringLiteral("%(\\d+|n)")).globalMatch(text);
            while (matches.hasNext())
                found << matches.next().captured(0);
            found.sort();
            found.removeDuplicates();
            return found;
        };
        const auto accelerators = [](QString text) {
            return text.remove(QStringLiteral("&&")).count(QRegularExpression(QStringLiteral("&[^\\s;&]")));
        };
        QStringList untranslated;
        QStringList broken;
        const QDomNodeList messages = document.elementsByTagName(QStringLiteral("message"));
        for (int i = 0; i < messages.size(); ++i) {
            const QDomElement message = messages.at(i).toElement();
            const QDomElement translation = message.firstChildElement(QStringLiteral("translation"));
            const QString source = message.firstChildElement(QStringLiteral("source")).text();
            if (translation.attribute(QStringLiteral("type")) == QLatin1String("unfinished")
                || translation.text().trimmed().isEmpty())
                untranslated << source;
            else if (placeholders(source) != placeholders(translation.text())
                || accelerators(source) != accelerators(translation.text()))
                broken << source + QStringLiteral(" => ") + translation.text();
        }
        if (!untranslated.isEmpty())
            qWarning().noquote() << "no English (run scripts/update-translations):\n" << untranslated.join('\n');
        if (!broken.isEmpty())
            qWarning().noquote() << "English with other arguments or menu keys:\n" << broken.join('\n');
        QVERIFY(untranslated.isEmpty());
        QVERIFY(broken.isEmpty());
    }
};

QTEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
