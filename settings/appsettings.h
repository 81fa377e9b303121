#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include "settings/scanprofile.h"
#include "settings/searchmode.h"
#include "settings/setting.h"

// Every key of the application's one settings store, with its type and its
// default. A new setting is one line here; whoever reads it gets the default.
namespace AppSettings {
inline QSettings openStore()
{
    return QSettings(QStringLiteral("Tovenko"), QStringLiteral("Quirra"));
}

inline QString documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

// The interface language: "zh", "en" or "system" (English for an English locale,
// Chinese for any other). Chinese is the language the interface is described in.
inline const Setting<QString> interfaceLanguage { "interfaceLanguage", QStringLiteral("zh") };

// Window frame and scan dock
inline const Setting<QByteArray> geometry { "geometry", QByteArray() };
inline const Setting<QByteArray> windowState { "windowState", QByteArray() };
inline const Setting<QString> lastScanner { "lastScanner", QString() };
inline const Setting<QString> resolution { "resolution", QStringLiteral("300") };
inline const Setting<int> colorMode { "colorMode", 0 };
inline const Setting<QString> pageSize { "pageSize", QStringLiteral("A4") };
// The paper source's label as the list shows it.
inline const Setting<QString> paperSource { "paperSource", QString() };
inline const Setting<SearchMode> searchMode { "scanMode", SearchMode::UsbOnly };

// Saving
inline const Setting<QString> saveFormat { "save/format", QStringLiteral("PDF") };
inline const Setting<QString> savePath { "save/path", &documentsFolder };
inline const Setting<bool> autoSave { "save/autoSave", true };
inline const Setting<int> saveCounter { "save/counter", 0 };
inline const Setting<int> jpegQuality { "save/jpegQuality", 90 };
// The PDF writer's choices: compact layers, a limit on the file's bytes (0: none)
// and the resolution pages are written at (0: as scanned)
inline const Setting<bool> pdfCompact { "save/pdfCompact", false };
inline const Setting<qint64> maxFileBytes { "save/maxFileBytes", qint64(0) };
inline const Setting<int> saveResolution { "save/saveResolution", 0 };
// How a stack becomes documents, and the names of their files
inline const Setting<SplitRule> splitRule { "save/splitRule", SplitRule::None };
inline const Setting<int> splitEvery { "save/splitEvery", 2 };
inline const Setting<bool> keepSeparator { "save/keepSeparator", false };
// FileNamePattern's default, in the interface's language.
inline const Setting<QString> fileNamePattern { "save/fileNamePattern", [] {
                                                   return QCoreApplication::translate(
                                                       "FileNamePattern", "扫描_{日期}_{序号}");
                                               } };
// Text recognition of every page, and its languages as the engine names them
inline const Setting<bool> textRecognition { "save/textRecognition", false };
inline const Setting<QString> textLanguages { "save/textLanguages", QStringLiteral("chi_sim+eng") };
// Corrections applied to every scanned page before it is shown
inline const Setting<bool> autoDeskew { "save/autoDeskew", false };
inline const Setting<bool> autoCropPaper { "save/autoCropPaper", false };
inline const Setting<bool> autoOrient { "save/autoOrient", false };
// Every flatbed page with several originals on it becomes one page per original.
inline const Setting<bool> splitOriginals { "save/splitOriginals", false };

// Blank-page test of the scan pipeline
inline const Setting<bool> removeBlankPages { "removeBlankPages", false };
inline const Setting<int> blankPageThreshold { "blankPageThreshold", 240 };
inline const Setting<int> blankPageRatio { "blankPageRatio", 98 };

// eSCL device registry
inline const Setting<QStringList> esclDevices { "esclDevices", QStringList() };
inline const Setting<QStringList> esclDeviceInfo { "esclDeviceInfo", QStringList() };
} // namespace AppSettings
