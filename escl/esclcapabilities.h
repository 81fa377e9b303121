#pragma once

#include <QList>
#include <QRect>
#include <QRectF>
#include <QString>

#include "escl/esclscansettings.h"

// What an eSCL scanner's capabilities say about its inputs: the platen's and
// the feeder's largest region and their resolutions, and whether the feeder
// scans both sides. Parsed from the ScannerCapabilities document; anything
// missing or unreadable leaves its field empty. Plain value; safe on any thread.
struct EsclCapabilities
{
    struct Input
    {
        bool present = false;
        // The largest region, in three-hundredths of an inch (0: not said).
        int maxWidth = 0;
        int maxHeight = 0;
        // Discrete resolutions in dpi, ascending, without repeats.
        QList<int> resolutions;

        int lowestResolution() const { return resolutions.isEmpty() ? 0 : resolutions.first(); }
    };

    Input platen;
    Input adfSimplex;
    Input adfDuplex;

    bool hasDuplexFeeder() const { return adfDuplex.present; }

    static EsclCapabilities parse(const QByteArray &xml);

    // A region in millimetres (from the glass's top left corner) as the
    // scanner's region in three-hundredths of an inch, clipped to what the
    // input allows; clipped tells whether anything had to go. An empty
    // millimetre rectangle is the whole input.
    static QRect region(const QRectF &millimetres, const Input &input, bool *clipped = nullptr);

    // The input a request's source names: the platen, or the feeder (its
    // duplex caps when both sides are asked for and the device has them).
    const Input &inputFor(const ESCLScanSettings &settings) const;
    // Sets the region of settings to the millimetres on its input; returns
    // whether the region had to be clipped to fit.
    bool applyRegion(ESCLScanSettings *settings, const QRectF &millimetres) const;
    // A preview: the whole platen at its lowest resolution.
    ESCLScanSettings previewSettings(int colorMode) const;
};
