#pragma once

#include <QRectF>
#include <QSettings>
#include <QString>

// The part of the glass the user selected on a preview, kept per device and
// paper source: the next scan on that device and source covers the same area,
// also after a restart, until the user changes or clears it. Millimetres of the
// glass from its top left corner.
class ScanAreaMemory
{
public:
    explicit ScanAreaMemory(QSettings &store);

    // Empty when nothing is kept for this device and source.
    QRectF recall(const QString &device, const QString &source) const;
    // An empty selection forgets the area.
    void remember(const QString &device, const QString &source, const QRectF &millimetres);

private:
    static QString keyOf(const QString &device, const QString &source);

    QSettings &store;
};
