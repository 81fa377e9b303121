#include "settings/scanareamemory.h"

#include <QUrl>

ScanAreaMemory::ScanAreaMemory(QSettings &store)
    : store(store)
{
}

QString ScanAreaMemory::keyOf(const QString &device, const QString &source)
{
    // Device names hold ':' and '/', which the store reads as separators of groups.
    return QStringLiteral("scanAreas/")
        + QString::fromLatin1(QUrl::toPercentEncoding(device + QLatin1Char('|') + source).replace('%', '_'));
}

QRectF ScanAreaMemory::recall(const QString &device, const QString &source) const
{
    const QRectF kept = store.value(keyOf(device, source)).toRectF();
    // A damaged entry is no area.
    return kept.isValid() && kept.left() >= 0 && kept.top() >= 0 ? kept : QRectF();
}

void ScanAreaMemory::remember(const QString &device, const QString &source, const QRectF &millimetres)
{
    if (millimetres.isEmpty())
        store.remove(keyOf(device, source));
    else
        store.setValue(keyOf(device, source), millimetres);
}
