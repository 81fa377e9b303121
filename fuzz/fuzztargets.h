#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Every parser of bytes from outside the program, one entry point each: page
// files and the recovery folder, documents opened by the user, eSCL answers and
// discovery output from the local network, SANE frames, annotation JSON. The
// libFuzzer programs (fuzz/fuzzmain.cpp), the seed writer and the regression
// replay of the test suite all call them, so a found input replays through the
// very code it was found with.
namespace FuzzTargets {

struct Outcome
{
    // The input was turned away with a message rather than taken.
    bool refused = false;
    QString message;
};

using Target = Outcome (*)(const QByteArray &data);

QStringList names();
// Null for an unknown name.
Target find(const QString &name);

// Once per process, before any target runs: an offscreen QGuiApplication, the
// data, config, cache and runtime folders in a temporary folder of this process
// (a page store never touches the user's), the log silenced unless
// QUIRRA_FUZZ_VERBOSE is set.
void setUp(int *argc, char **argv);
// The process's temporary folder.
QString scratchFolder();

// The recovery folder target's input: the index, then one page file per part,
// named page-1.qpage, page-2.qpage, ...
QByteArray joinFolderParts(const QList<QByteArray> &parts);
QList<QByteArray> splitFolderParts(const QByteArray &data);

// The SANE frame target's input: the parameters as five little-endian 32-bit
// integers (format, depth, pixels per line, lines, bytes per line), then the
// frame's bytes in chunks of a one-byte length each.
QByteArray frameInput(
    int format, int depth, int pixelsPerLine, int lines, int bytesPerLine, const QByteArray &bytes, int chunkBytes);

} // namespace FuzzTargets
