#include "app/interfacelanguage.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QTranslator>

#include "resources/resources.h"

namespace {

const QLatin1String languageOption("--language");

// The value of a --language option at index, with how many arguments it spans; 0 when
// the argument is not the option.
int languageOptionAt(const QStringList &arguments, int index, QString *value)
{
    const QString &argument = arguments.at(index);
    if (argument == languageOption) {
        if (index + 1 < arguments.size()) {
            *value = arguments.at(index + 1);
            return 2;
        }
        return 1;
    }
    if (argument.startsWith(languageOption + QLatin1Char('='))) {
        *value = argument.mid(languageOption.size() + 1);
        return 1;
    }
    return 0;
}

bool installCatalogue(const QString &name, const QString &folder)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(name, folder) && !translator->isEmpty()) {
        QCoreApplication::installTranslator(translator);
        return true;
    }
    delete translator;
    return false;
}

} // namespace

InterfaceLanguage::Language InterfaceLanguage::decide(
    const QString &stored, const QString &override, const QLocale &locale)
{
    const QString choice = isChoice(override) ? override : stored;
    if (choice == QLatin1String("en"))
        return Language::English;
    if (choice == QLatin1String("system") && locale.language() == QLocale::English)
        return Language::English;
    return Language::Chinese;
}

bool InterfaceLanguage::isChoice(const QString &value)
{
    return value == QLatin1String("en") || value == QLatin1String("zh");
}

QString InterfaceLanguage::commandLineChoice(const QStringList &arguments)
{
    QString value;
    for (int i = 1; i < arguments.size(); ++i) {
        if (languageOptionAt(arguments, i, &value) > 0)
            return value;
    }
    return value;
}

QStringList InterfaceLanguage::withoutLanguageOption(const QStringList &arguments)
{
    QStringList rest;
    for (int i = 0; i < arguments.size(); ++i) {
        QString value;
        const int span = i > 0 ? languageOptionAt(arguments, i, &value) : 0;
        if (span > 0)
            i += span - 1;
        else
            rest << arguments.at(i);
    }
    return rest;
}

bool InterfaceLanguage::install(Language language, const QString &catalogue)
{
    const QString qtFolder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    if (language == Language::Chinese) {
        installCatalogue(QStringLiteral("qtbase_zh_CN"), qtFolder);
        return true;
    }
    initQuirraResources();
    const bool loaded = installCatalogue(catalogue, QString());
    if (!loaded)
        qDebug() << "英文界面文件无法载入，保留中文界面:" << catalogue;
    // Qt's sources are English; its English catalogue only adds plural forms.
    installCatalogue(QStringLiteral("qtbase_en"), qtFolder);
    return loaded;
}
