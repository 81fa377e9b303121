#include "scanner/scanarea.h"

#include <QCoreApplication>

#include <cmath>

namespace {

struct PageSize
{
    const char *name;
    double width;
    double height;
};

// Paper and card sizes people lay on the glass. B5 is the ISO size; the two
// cards are the ISO/IEC 7810 ID-1 card and the common Chinese business card.
const PageSize pageSizes[] = {
    { "A4", 210.0, 297.0 },
    { "A5", 148.0, 210.0 },
    { "A6", 105.0, 148.0 },
    { "B5", 176.0, 250.0 },
    { "Letter", 215.9, 279.4 },
    { "Legal", 215.9, 355.6 },
    { QT_TRANSLATE_NOOP("ScanArea", "名片"), 90.0, 54.0 },
    { QT_TRANSLATE_NOOP("ScanArea", "身份证"), 85.6, 54.0 },
};

QString translated(const char *text)
{
    return QCoreApplication::translate("ScanArea", text);
}

} // namespace

ScanArea ScanArea::wholeBed()
{
    ScanArea area;
    area.kind = Kind::WholeBed;
    return area;
}

ScanArea ScanArea::named(const QString &name)
{
    if (name == wholeBedName())
        return wholeBed();
    const QSizeF size = pageSizeOf(name);
    if (size.isEmpty())
        return ScanArea();
    ScanArea area;
    area.kind = Kind::PageSize;
    area.pageSize = name;
    area.millimetres = QRectF(QPointF(0, 0), size);
    return area;
}

ScanArea ScanArea::custom(const QRectF &millimetres)
{
    ScanArea area;
    area.kind = Kind::Custom;
    area.millimetres = millimetres.normalized();
    return area;
}

bool ScanArea::operator==(const ScanArea &other) const
{
    return kind == other.kind && pageSize == other.pageSize && millimetres == other.millimetres;
}

QStringList ScanArea::pageSizeNames()
{
    QStringList names;
    for (const PageSize &size : pageSizes)
        names << translated(size.name);
    names << wholeBedName();
    return names;
}

QString ScanArea::wholeBedName()
{
    return translated(QT_TRANSLATE_NOOP("ScanArea", "整个扫描区域"));
}

QString ScanArea::customName()
{
    return translated(QT_TRANSLATE_NOOP("ScanArea", "自定义"));
}

QSizeF ScanArea::pageSizeOf(const QString &name)
{
    for (const PageSize &size : pageSizes) {
        if (name == translated(size.name) || name == QLatin1String(size.name))
            return QSizeF(size.width, size.height);
    }
    return QSizeF();
}

QString ScanArea::pageSizeNear(const QSizeF &size, double tolerance)
{
    for (const PageSize &page : pageSizes) {
        const bool upright
            = std::abs(size.width() - page.width) <= tolerance && std::abs(size.height() - page.height) <= tolerance;
        const bool across
            = std::abs(size.width() - page.height) <= tolerance && std::abs(size.height() - page.width) <= tolerance;
        if (upright || across)
            return translated(page.name);
    }
    return QString();
}

QString ScanArea::toText() const
{
    switch (kind) {
    case Kind::DeviceDefault:
        return QString();
    case Kind::WholeBed:
        return wholeBedName();
    case Kind::PageSize:
        return pageSize;
    case Kind::Custom:
        break;
    }
    return QStringLiteral("%1,%2,%3,%4")
        .arg(millimetres.x())
        .arg(millimetres.y())
        .arg(millimetres.width())
        .arg(millimetres.height());
}

ScanArea ScanArea::fromText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return named(text);
    double values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts.at(i).trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(values[i]) || values[i] < 0 || values[i] > 10000)
            return ScanArea();
    }
    if (values[2] <= 0 || values[3] <= 0)
        return ScanArea();
    return custom(QRectF(values[0], values[1], values[2], values[3]));
}
