#include <QApplication>
#include <QIcon>

#include <chrono>

#include "app/commandline.h"
#include "app/environmentreport.h"
#include "app/startup.h"
#include "resources/resources.h"
#include "settings/version.h"
#include "ui/mainwindow.h"

int main(int argc, char *argv[])
{
    // Taken before anything else so the show-time line covers the whole start-up.
    const qint64 startTime
        = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
              .count();

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (CommandLine::wantsCommandLineRun(arguments))
        return runCommandLine(argc, argv);

    setApplicationIdentity();
    QApplication app(argc, argv);
    reportSystemEnvironment();
    QApplication::setStyle(QStringLiteral("Fusion"));
    installQtTranslations();

    initQuirraResources();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quirra-128.png")));
    // Desktops match the window to its installed desktop entry (and so to its icon) by this id.
    QApplication::setDesktopFileName(QStringLiteral(QUIRRA_APP_ID));

    // The window is scoped so it is destroyed before the application object.
    int result = 0;
    {
        MainWindow window;
        showMainWindow(window, startTime);
        logCommandLineFile(QCoreApplication::arguments());
        offerRecoveredPages(window);
        result = QApplication::exec();
    }
    return result;
}
