#include "ocr/orientationdetector.h"

#include <QDebug>

#include <cmath>

#include <tesseract/baseapi.h>

namespace {

// Tesseract's orientation detection reads print of ordinary sizes at scanner
// resolutions; larger pages only cost time.
constexpr int detectionDpi = 300;
constexpr int longestSide = 3600;

int resolutionOf(const QImage &page)
{
    const double dpi = page.dotsPerMeterX() * 0.0254;
    // 0, nonsense values and Qt's default of 3780 dots per metre say nothing.
    if (dpi <= 0 || dpi > 10000 || page.dotsPerMeterX() == 3780)
        return 0;
    return int(std::lround(dpi));
}

} // namespace

OrientationDetector::OrientationDetector(const QString &dataPath)
    : dataPath(dataPath)
{
}

OrientationDetector::~OrientationDetector()
{
    if (api)
        api->End();
}

bool OrientationDetector::isAvailable()
{
    return load();
}

bool OrientationDetector::load()
{
    if (tried)
        return loaded;
    tried = true;
    api = std::make_unique<tesseract::TessBaseAPI>();
    const QByteArray path = dataPath.toLocal8Bit();
    // Orientation detection needs only the "osd" model, and only the legacy engine reads it.
    if (api->Init(path.isEmpty() ? nullptr : path.constData(), "osd", tesseract::OEM_TESSERACT_ONLY) != 0) {
        qDebug() << "无法加载方向检测数据 (osd)";
        api.reset();
        return false;
    }
    api->SetPageSegMode(tesseract::PSM_OSD_ONLY);
    // Tesseract's own messages would go to standard error.
    api->SetVariable("debug_file", "/dev/null");
    loaded = true;
    return true;
}

OrientationDetector::Result OrientationDetector::detect(const QImage &page)
{
    Result result;
    if (page.isNull() || page.width() <= 20 || page.height() <= 20 || !load())
        return result;
    int dpi = resolutionOf(page);
    QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    if (dpi > detectionDpi || qMax(grey.width(), grey.height()) > longestSide) {
        const double scale = qMin(dpi > detectionDpi ? double(detectionDpi) / dpi : 1.0,
            double(longestSide) / qMax(grey.width(), grey.height()));
        grey = grey.scaled(qMax(1, int(grey.width() * scale)), qMax(1, int(grey.height() * scale)),
            Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        dpi = dpi > 0 ? int(dpi * scale) : 0;
    }
    api->SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    api->SetSourceResolution(dpi > 0 ? dpi : detectionDpi);
    int degrees = 0;
    float confidence = 0;
    const char *script = nullptr;
    float scriptConfidence = 0;
    const bool detected = api->DetectOrientationScript(&degrees, &confidence, &script, &scriptConfidence);
    api->Clear();
    if (!detected)
        return result;
    result.confidence = confidence;
    result.script = QString::fromLatin1(script ? script : "");
    // Tesseract names how far the page is turned clockwise; turning it back is the rest of the circle.
    const int turn = (360 - ((degrees % 360) + 360) % 360) % 360;
    if (std::isfinite(confidence) && confidence >= minimumConfidence && turn % 90 == 0) {
        result.turn = turn;
        result.certain = true;
    }
    return result;
}
