#pragma once

#include <QLatin1String>
#include <QSettings>

// The window's keys in the one settings store, named once so that the frame
// and the commands that write a single key at once agree on the spelling.
// The eSCL registry's keys belong to the registry (escl/esclregistry.h).
namespace SettingsKeys {
constexpr QLatin1String geometry("geometry");
constexpr QLatin1String windowState("windowState");
constexpr QLatin1String lastScanner("lastScanner");
constexpr QLatin1String resolution("resolution");
constexpr QLatin1String colorMode("colorMode");
constexpr QLatin1String saveFormat("save/format");
constexpr QLatin1String savePath("save/path");
constexpr QLatin1String autoSave("save/autoSave");
constexpr QLatin1String saveCounter("save/counter");
constexpr QLatin1String removeBlankPages("removeBlankPages");
constexpr QLatin1String blankPageThreshold("blankPageThreshold");
constexpr QLatin1String blankPageRatio("blankPageRatio");
constexpr QLatin1String scanMode("scanMode");

inline QSettings openSettings()
{
    return QSettings(QStringLiteral("Tovenko"), QStringLiteral("Quirra"));
}
} // namespace SettingsKeys
