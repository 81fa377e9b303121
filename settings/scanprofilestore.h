#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <optional>

#include "settings/scanprofile.h"

// The named scan profiles, one group of the settings store each
// ("scanProfiles/<name>"), written at once; and their JSON files for export
// and import. The store is handed in, as the application's one store or a
// test's own.
//
// GUI thread only, like the store.
class ScanProfileStore
{
    Q_DECLARE_TR_FUNCTIONS(ScanProfileStore)

public:
    explicit ScanProfileStore(QSettings &store);

    // In the collation order of the user's language.
    QStringList names() const;
    bool contains(const QString &name) const;
    // Nothing for a name that is not stored.
    std::optional<ScanProfile> profile(const QString &name) const;

    // Creates or replaces. False (and *errorText) for an empty name.
    bool save(const QString &name, const ScanProfile &profile, QString *errorText = nullptr);
    // False when from is missing or to is empty or taken; nothing changes then.
    bool rename(const QString &from, const QString &to, QString *errorText = nullptr);
    // The copy's name ("发票 副本", "发票 副本 2", ...); empty when name is missing.
    QString duplicate(const QString &name);
    bool remove(const QString &name);

    // The profile as a JSON file, written whole or not at all.
    bool exportTo(const QString &name, const QString &path, QString *errorText) const;
    // Stores the file's profile under its name, or the first free "<name> (n)";
    // returns the name used. A damaged file or one of a newer format version is
    // refused: empty result, *errorText says why, the store unchanged.
    QString importFrom(const QString &path, QString *errorText);

    // The file's contents, without touching any store.
    static QByteArray encode(const QString &name, const ScanProfile &profile);
    static bool decode(const QByteArray &bytes, QString *name, ScanProfile *profile, QString *errorText);

    // Profile files are a few kilobytes; anything far bigger is not one.
    static constexpr qint64 maxFileBytes = 1 << 20;

private:
    QString freeName(const QString &wanted, const QString &pattern) const;
    void write(const QString &name, const ScanProfile &profile);

    QSettings &store;
};
