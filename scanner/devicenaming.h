#pragma once

#include <QMap>
#include <QString>

// The rules that turn SANE device records into the names the user sees. Plain
// functions over strings: no SANE calls, no logging, so they are tested with
// made-up records.
namespace DeviceNaming {

struct DeviceRecord
{
    QString name;
    QString vendor;
    QString model;
    QString type;
};

struct Classification
{
    bool network = false;
    QString reason; // the log text naming the rule that matched
};

// Network or local, by the backend prefixes in the SANE name; first rule wins.
Classification classify(const QString &saneName);

// Names of SANE's eSCL backends ("airscan:escl:", "airscan:e0:", "escl:").
bool isEsclBackendName(const QString &saneName);
// An eSCL backend name that points at this machine (an ipp-usb device).
bool isLocalEsclName(const QString &saneName);

QString friendlyName(const QString &vendor, const QString &model, const QString &saneName);

// The display name of a record that passed the filters; network is the
// classification result. The same in every search mode and in the first search,
// so a device keeps its name from one search to the next.
QString displayName(const DeviceRecord &record, bool network);

// The dotted IPv4 address in a SANE name, or an empty string.
QString ipv4Address(const QString &saneName);

// The name cut before its first "(" (when that is not the first character)
// and trimmed; the fallback when nothing is left.
QString cutBeforeParenthesis(const QString &name, const QString &fallback);

// The display name itself when it is not yet taken, otherwise
// "<name> (2)", "<name> (3)" ... whichever is free first.
QString uniqueDisplayName(const QString &name, const QMap<QString, QString> &taken);

// The SANE name behind a selection text: the text between the last "(" and
// the last ")" when "(" comes first, otherwise the text itself.
QString deviceNameFromSelection(const QString &selection);

} // namespace DeviceNaming
