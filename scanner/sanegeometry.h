#pragma once

#include <QList>
#include <QRectF>
#include <QString>

#include "scanner/saneapi.h"
#include "scanner/scanarea.h"

// Turns a scan area in millimetres into the values of a backend's geometry
// options (tl-x, tl-y, br-x, br-y and, for sheet feeders, page-width and
// page-height), in the unit, type and range each option declares. Planning is
// a plain function over the options' descriptions, so it is tested with
// made-up backends; the worker applies the plan on its open device.
namespace SaneGeometry {

// One option as the backend declares it, its numbers in the option's own
// unit (millimetres or pixels), already taken out of SANE's fixed point.
struct Axis
{
    int index = -1; // -1: the backend has no such option (or it cannot be set now)
    bool fixed = true; // SANE_TYPE_FIXED, else SANE_TYPE_INT
    bool pixels = false; // SANE_UNIT_PIXEL, else SANE_UNIT_MM
    bool ranged = false;
    double minimum = 0;
    double maximum = 0;
    double quant = 0;

    bool present() const { return index >= 0; }
    // Millimetres to this option's unit at dpi, and back.
    double fromMillimetres(double mm, double dpi) const;
    double toMillimetres(double value, double dpi) const;
    // The nearest value the range allows (quantised and inside it).
    double allowed(double value) const;
    SANE_Word word(double value) const;
};

struct Options
{
    Axis tlX, tlY, brX, brY;
    Axis pageWidth, pageHeight;

    bool hasArea() const { return tlX.present() && tlY.present() && brX.present() && brY.present(); }
    // Remembers the option at index when name is one of the geometry names
    // and it is a settable number in millimetres or pixels; returns whether it was.
    bool take(const QString &name, const SANE_Option_Descriptor *descriptor, int index);
};

struct Setting
{
    QString name;
    int index = -1;
    SANE_Word word = 0;
    double value = 0; // in the option's unit, for the log
};

struct Plan
{
    QList<Setting> settings; // in the order to set them
    QRectF area; // the millimetres that will be scanned, after clipping
    bool clipped = false; // the area asked for did not fit the bed
    bool unsupported = false; // the backend has no area options: it scans its default area
};

// The bed in millimetres from the options' ranges; empty when they give none.
QRectF bed(const Options &options, double dpi);

// The settings for area at dpi, clipped to the bed the ranges describe. A
// feeder area also sets the sheet size where the backend takes one. The
// device default plans nothing.
Plan plan(const Options &options, const ScanArea &area, double dpi, bool feeder);

} // namespace SaneGeometry
