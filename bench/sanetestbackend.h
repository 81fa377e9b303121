#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

// SANE's test backend alone, with the backend's largest area (200 x 200 mm), a
// colour picture and 300 dpi as defaults: the configuration every scanning
// benchmark runs against, so their figures compare. The configuration lives in
// folder, which must stay alive while SANE is used; false when it cannot be
// written.
inline bool useSaneTestBackend(const QTemporaryDir &folder)
{
    if (!folder.isValid())
        return false;
    QFile dll(folder.filePath(QStringLiteral("dll.conf")));
    QFile test(folder.filePath(QStringLiteral("test.conf")));
    if (!dll.open(QIODevice::WriteOnly) || !test.open(QIODevice::WriteOnly))
        return false;
    dll.write("test\n");
    test.write("number_of_devices 2\n"
               "mode Color\n"
               "depth 8\n"
               "resolution 300\n"
               "test-picture \"Color pattern\"\n"
               "tl_x 0.0\n"
               "tl_y 0.0\n"
               "br_x 200.0\n"
               "br_y 200.0\n");
    qputenv("SANE_CONFIG_DIR", folder.path().toLocal8Bit());
    return true;
}
