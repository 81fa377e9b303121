#include "ui/esclscanmapping.h"

EsclScanMapping::EsclScanMapping(const QString &colorModeText, const QString &paperSourceText)
{
    if (colorModeText.contains(QStringLiteral("灰度")) || colorModeText.contains(QLatin1String("Gray")))
        colorMode = 1;
    else if (colorModeText.contains(QStringLiteral("黑白")) || colorModeText.contains(QLatin1String("Binary")))
        colorMode = 2;
    if (paperSourceText.contains(QLatin1String("ADF")) || paperSourceText.contains(QStringLiteral("进纸器"))
        || paperSourceText.contains(QLatin1String("Feeder")))
        inputSource = 1;
}
