#pragma once

#include <QMetaType>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

// The part of the glass a scan covers, as the user chose it: the device's own
// default, the whole bed, one of the listed page sizes laid in the bed's top
// left corner, or a rectangle of the user's own. Millimetres throughout; the
// backend's unit is applied at the last moment (SaneGeometry, the eSCL region).
// A plain value; safe on any thread.
struct ScanArea
{
    enum class Kind {
        DeviceDefault, // leave the backend's area as it is
        WholeBed,
        PageSize,
        Custom,
    };

    Kind kind = Kind::DeviceDefault;
    QString pageSize; // the listed name, for Kind::PageSize
    QRectF millimetres; // PageSize: (0, 0, width, height); Custom: the rectangle

    static ScanArea wholeBed();
    // A listed page size; an unknown name gives the device default.
    static ScanArea named(const QString &name);
    static ScanArea custom(const QRectF &millimetres);

    bool isDeviceDefault() const { return kind == Kind::DeviceDefault; }
    bool operator==(const ScanArea &other) const;
    bool operator!=(const ScanArea &other) const { return !(*this == other); }

    // The names the page-size list offers, in its order: the sizes, then the
    // whole bed. Texts the user sees; they are also the stored values.
    static QStringList pageSizeNames();
    static QString wholeBedName();
    static QString customName();
    // Width and height of a listed size (portrait), or an empty size.
    static QSizeF pageSizeOf(const QString &name);
    // The listed size whose width and height (either way round) lie within
    // tolerance millimetres of size; empty when none does.
    static QString pageSizeNear(const QSizeF &size, double tolerance);

    // "x,y,w,h" in millimetres and back, for the settings store.
    QString toText() const;
    static ScanArea fromText(const QString &text);
};

Q_DECLARE_METATYPE(ScanArea)
