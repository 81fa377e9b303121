#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include "escl/escldeviceprobe.h"

class QSettings;

// The registered eSCL devices, kept in the settings store under "esclDevices"
// (URLs in registration order) and "esclDeviceInfo" ("URL|name" entries). Every
// operation reads the keys afresh and writes them back at once; nothing is
// cached. The add and remove dialogs of the main window only call this class.
// The store is the caller's and must outlive the registry.
class EsclRegistry
{
public:
    static constexpr int verifyTimeoutMs = 5000;

    struct Device
    {
        QString url;
        QString name; // may be empty
    };

    explicit EsclRegistry(QSettings &store);

    QStringList devices() const;
    void setDevices(const QStringList &urls);
    // URL -> name; entries that do not split into exactly two parts at "|" are skipped.
    QMap<QString, QString> deviceInfo() const;
    // Replaces the whole key by one entry per map entry, in ascending URL order.
    void setDeviceInfo(const QMap<QString, QString> &info);

    static QMap<QString, QString> parseDeviceInfo(const QStringList &entries);
    static QStringList formatDeviceInfo(const QMap<QString, QString> &info);
    // "eSCL-%1" with the name when it is not empty, else with the URL.
    static QString displayName(const QString &url, const QString &name);
    // The add dialog accepts only these schemes (case-sensitive); nothing else is checked.
    static bool isAcceptableUrl(const QString &text);

    // Display names in "esclDevices" order, for the device selector.
    QStringList registeredEsclDeviceNames() const;
    // The first registered URL whose display name is the text; empty when unknown.
    QString esclUrlForDisplayName(const QString &displayName) const;
    bool contains(const QString &url) const;

    // Checks a typed URL before it is registered (5 s limit, nested event loop).
    EsclDeviceProbe::Result verify(const QString &url, QObject *clientParent) const;
    void setClientFactory(EsclDeviceProbe::ClientFactory factory);

    // Appends the URL and records its name (the model name, or the URL itself when
    // there is none). Returns the display name for the selector.
    QString addDevice(const QString &url, const QString &modelName);

    // The removal list in "esclDevices" order: "%1\n  (%2)" with name and URL when
    // the device has a name, else the bare URL.
    QStringList removalChoices() const;
    // The device behind a text of removalChoices(); an empty url when there is none.
    Device deviceForChoice(const QString &choice) const;
    // Removes the position of the choice from "esclDevices" and every name entry
    // of its URL. Returns false when the choice is not (or no longer) listed.
    bool removeDevice(const QString &choice);

private:
    QSettings &store;
    EsclDeviceProbe::ClientFactory clientFactory;
};
