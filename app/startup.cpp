#include "app/startup.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QThread>
#include <QTimer>
#include <QTranslator>

#include "app/recoveryoffer.h"
#include "document/documentmanager.h"
#include "document/pagestore.h"
#include "settings/version.h"
#include "ui/mainwindow.h"

void setApplicationIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Quirra"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("quirra"));
    QCoreApplication::setApplicationName(QStringLiteral("Quirra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUIRRA_VERSION));
}

void installQtTranslations()
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
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

void logCommandLineFile(const QStringList &arguments)
{
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
