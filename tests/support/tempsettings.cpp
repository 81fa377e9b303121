#include "tests/support/tempsettings.h"

#include <QStandardPaths>

#include "settings/appsettings.h"

TempSettings::TempSettings()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    appStore = std::make_unique<QSettings>(AppSettings::openStore().fileName(), QSettings::NativeFormat);
}

TempSettings::~TempSettings()
{
    appStore.reset();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
}

void TempSettings::clear()
{
    appStore->clear();
    appStore->sync();
}
