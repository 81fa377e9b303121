#include "tests/support/tempsettings.h"

#include <QSettings>
#include <QStandardPaths>

TempSettings::TempSettings()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

TempSettings::~TempSettings()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config);
}

void TempSettings::clear()
{
    QSettings settings(QStringLiteral("Tovenko"), QStringLiteral("Quirra"));
    settings.clear();
    settings.sync();
}
