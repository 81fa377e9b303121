#include "app/startup.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>

#include <cstdio>

#include "app/batchrunner.h"
#include "app/commandline.h"
#include "app/interfacelanguage.h"
#include "app/recoveryoffer.h"
#include "document/documentmanager.h"
#include "document/pagestore.h"
#include "settings/appsettings.h"
#include "settings/version.h"
#include "ui/mainwindow.h"

void setApplicationIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Quirra"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("quirra"));
    QCoreApplication::setApplicationName(QStringLiteral("Quirra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUIRRA_VERSION));
}

int runCommandLine(int &argc, char **argv)
{
    setApplicationIdentity();
    // Nothing is shown, so no display is needed, whatever the session offers.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The debug log would bury the run's own progress lines on standard error;
    // QUIRRA_VERBOSE=1 keeps it.
    static QtMessageHandler previousHandler = nullptr;
    if (!qEnvironmentVariableIsSet("QUIRRA_VERBOSE")) {
        previousHandler
            = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
                  if (type == QtDebugMsg || type == QtInfoMsg)
                      return;
                  if (previousHandler)
                      previousHandler(type, context, message);
                  else
                      fprintf(stderr, "%s\n", qPrintable(message));
              });
    }
    QGuiApplication app(argc, argv);
    installQtTranslations();
    QSettings store = AppSettings::openStore();
    QTextStream out(stdout);
    QTextStream err(stderr);
    BatchRunner runner(store, out, err);
    const int result = runner.run(CommandLine::parse(QCoreApplication::arguments()));
    out.flush();
    err.flush();
    return result;
}

void installQtTranslations()
{
    const QString stored = AppSettings::interfaceLanguage.read(AppSettings::openStore());
    const QString override = InterfaceLanguage::commandLineChoice(QCoreApplication::arguments());
    InterfaceLanguage::install(InterfaceLanguage::decide(stored, override, QLocale::system()));
}

void showMainWindow(MainWindow &window, qint64 startTime)
{
    window.startTime = startTime;
    window.setWindowTitle(QStringLiteral("Quirra"));
    window.placeOnScreen();

    window.show();
    window.raise();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QThread::msleep(1);
    window.activateWindow();
    // Some window managers refuse focus to a window that asks for it too early;
    // clearing and setting the state again is the accepted way to insist.
    if (!window.isActiveWindow()) {
        window.setWindowState(Qt::WindowNoState);
        window.setWindowState(Qt::WindowActive);
    }

    qDebug() << "MainWindow created at position:" << window.pos() << "with size:" << window.size()
             << "isVisible:" << window.isVisible() << "isActiveWindow:" << window.isActiveWindow();
}

void logCommandLineFile(const QStringList &commandLine)
{
    const QStringList arguments = InterfaceLanguage::withoutLanguageOption(commandLine);
    if (arguments.size() <= 1)
        return;
    const QString path = arguments.at(1);
    const QFileInfo info(path);
    if (info.exists() && info.isFile())
        qDebug() << "打开文件: " << path;
}

void offerRecoveredPages(MainWindow &window)
{
    QTimer::singleShot(0, &window, [&window]() {
        auto *document = window.findChild<DocumentManager *>(QStringLiteral("documentManager"));
        if (document)
            RecoveryOffer::run(&window, document, PageStore::rootFolder());
    });
}
