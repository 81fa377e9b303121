#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <optional>

#include "settings/scanprofile.h"

// What the program was asked to do by its arguments: the window (no option,
// or one file), or one of the runs without a window. Parsing only; BatchRunner
// carries a request out.
class CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    // The process's exit codes.
    enum ExitCode { Done = 0, WrongUsage = 1, BadInputOrOutput = 2, ScannerFailed = 3 };

    enum class Mode { Window, Help, Version, ListDevices, Scan, Convert, Refused };

    struct Request
    {
        Mode mode = Mode::Window;
        QString error; // Refused: why, for standard error
        // --scan
        QString profile;
        QString device;
        std::optional<ScanSource> source;
        std::optional<int> resolution;
        std::optional<ScanColorMode> colorMode;
        QString pageSize;
        // --convert
        QStringList inputs;
        bool compact = false;
        qint64 maxFileBytes = 0;
        QString ocrLanguages;
        bool deskew = false;
        // both
        QString output;
        std::optional<SplitRule> split;
        int splitEvery = 0;
    };

    // Whether the arguments ask for a run without a window: any "--" option or
    // -h/-v. The window's own arguments (Qt's single-dash ones, a file, --language en|zh)
    // do not.
    static bool wantsCommandLineRun(const QStringList &arguments);
    // arguments include the program name, as QCoreApplication::arguments() has it.
    static Request parse(const QStringList &arguments);
    static QString helpText();

    // "2MB", "500KB", "1.5 MB", "800000" (bytes); nothing for anything else.
    static std::optional<qint64> parseSize(const QString &text);
    // "none", "page", "every:N", "blank", "barcode".
    static bool parseSplit(const QString &text, SplitRule *rule, int *every);
};
