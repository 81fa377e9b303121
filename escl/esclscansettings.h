#pragma once

#include <QMetaType>
#include <QtGlobal>

// One eSCL scan request as the scan settings panel describes it. The region is
// always in three-hundredths of an inch, whatever the resolution (a length in
// millimetres converts as value * 300 / 25.4).
struct ESCLScanSettings
{
    // 0 "RGB24", 1 "Grayscale8", 2 "BlackAndWhite1"; any other value sends an empty colour mode.
    qint32 colorMode = 0;
    // Dots per inch, used for both axes.
    qint32 resolution = 300;
    // 0 platen; anything else the feeder. Only 1 fetches every page of the feeder.
    qint32 inputSource = 0;
    qint32 width = 2550;
    qint32 height = 3508;
    qint32 xOffset = 0;
    qint32 yOffset = 0;
    // Both sides of every sheet (a feeder with AdfDuplexInputCaps); 0 one side.
    qint32 duplex = 0;
};

Q_DECLARE_METATYPE(ESCLScanSettings)
