#pragma once

#include <QTemporaryDir>

// Points the user-scope QSettings store at a temporary folder for the lifetime
// of the object, so tests never read or write the user's real settings.
class TempSettings
{
public:
    TempSettings();
    ~TempSettings();
    TempSettings(const TempSettings &) = delete;
    TempSettings &operator=(const TempSettings &) = delete;

    QString path() const { return dir.path(); }
    // Removes every key of the application's store.
    void clear();

private:
    QTemporaryDir dir;
};
