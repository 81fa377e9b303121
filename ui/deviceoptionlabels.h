#pragma once

#include <QCoreApplication>
#include <QString>

// The words the paper-source and duplex lists show for the values a device
// reports. Backends name the same things in many ways ("ADF Duplex",
// "Automatic Document Feeder", a boolean duplex switch); the user sees one
// Chinese word for each, while the item keeps the device's own value.
class DeviceOptionLabels
{
    Q_DECLARE_TR_FUNCTIONS(DeviceOptionLabels)

public:
    static QString sourceLabel(const QString &source);
    static QString duplexLabel(const QString &value);

    // The texts the scanner list shows while it holds no device, and the test for
    // them in either interface language.
    static QString notSearchedPlaceholder();
    static QString searchingPlaceholder(const QString &modeName);
    static bool isPlaceholder(const QString &text);
};
