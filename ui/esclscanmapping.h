#pragma once

#include <QString>

// The eSCL values behind the texts of the colour-mode and paper-source lists,
// compared as case-sensitive substrings so that the device's own source names
// map as well as the window's.
struct EsclScanMapping
{
    EsclScanMapping(const QString &colorModeText, const QString &paperSourceText);

    int colorMode = 0; // 0 colour, 1 grey, 2 black and white
    int inputSource = 0; // 0 platen, 1 feeder
};
