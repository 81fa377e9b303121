#pragma once

#include <QSettings>
#include <QTemporaryDir>
#include <memory>

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
    // The application's store in the temporary folder, as the window opens it.
    QSettings &store() { return *appStore; }
    // Removes every key of the application's store.
    void clear();

private:
    QTemporaryDir dir;
    std::unique_ptr<QSettings> appStore;
};
