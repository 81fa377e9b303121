#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

// Points the user's data and configuration folders at a temporary folder for
// the whole run, so a benchmark neither reads nor leaves behind page folders or
// settings of the user's own. Call first in main, before the application object.
inline void keepUserFoldersApart()
{
    static QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
}

// Every save and page change logs a line; the benchmarks' tables are easier to read
// without them.
inline void silenceLog()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}
