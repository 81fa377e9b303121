#pragma once

#include <QStringList>
#include <QtGlobal>

class MainWindow;

// Sets the application identity; must run before the QApplication exists.
void setApplicationIdentity();

// Titles, places, shows and activates the main window, then logs where it ended
// up. startTime is the process start in system-clock nanoseconds.
void showMainWindow(MainWindow &window, qint64 startTime);

// A file named as the first argument is only logged; nothing is opened from it.
void logCommandLineFile(const QStringList &arguments);
