#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

// Decides the language of the interface and installs its translators. The source
// texts are Chinese; English comes from the compiled-in quirra_en catalogue. Qt's
// own texts (standard buttons, line-edit menus) follow in the same language.
class InterfaceLanguage
{
public:
    enum class Language { Chinese, English };

    // stored is the "界面语言" setting ("zh", "en", "system"); override is the value of
    // --language for this run (empty when not given) and wins when it names a language.
    static Language decide(const QString &stored, const QString &override, const QLocale &locale);

    // Whether value names a language --language accepts: "en" or "zh".
    static bool isChoice(const QString &value);

    // The value of "--language X" or "--language=X" in argv, empty when absent. Kept
    // apart from any other command-line handling so it can run before the window exists.
    static QString commandLineChoice(const QStringList &arguments);
    // The arguments without the --language option and its value, so the first
    // remaining argument is still the file named on the command line.
    static QStringList withoutLanguageOption(const QStringList &arguments);

    // Installs the translators for language. A missing or damaged catalogue installs
    // nothing, so the interface keeps its Chinese source texts; returns false only then.
    static bool install(Language language, const QString &catalogue = QStringLiteral(":/translations/quirra_en.qm"));
};
