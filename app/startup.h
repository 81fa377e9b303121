#pragma once

#include <QStringList>
#include <QtGlobal>

class MainWindow;

// The runs without a window (--scan, --convert, ...): a QGuiApplication on the
// offscreen platform, so no display is needed; returns the exit code.
int runCommandLine(int &argc, char **argv);

// Sets the application identity; must run before the QApplication exists.
void setApplicationIdentity();

// The interface speaks the language of the "界面语言" setting, or of --language for
// one run; Qt's own texts (standard dialog buttons, context menus of line edits)
// follow with Qt's catalogue for that language when it is installed.
void installQtTranslations();

// Titles, places, shows and activates the main window, then logs where it ended
// up. startTime is the process start in system-clock nanoseconds.
void showMainWindow(MainWindow &window, qint64 startTime);

// A file named as the first argument (beside --language) is only logged; nothing is opened from it.
void logCommandLineFile(const QStringList &arguments);

// After the window is up (the start-up time is not held up by it), asks about the
// pages a crashed session left behind.
void offerRecoveredPages(MainWindow &window);
