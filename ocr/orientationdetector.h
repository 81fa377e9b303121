#pragma once

#include <QImage>
#include <QString>

#include <memory>

namespace tesseract {
class TessBaseAPI;
}

// Which way up a page of text is, from Tesseract's orientation and script
// detection. Loads Tesseract's "osd" data on first use and keeps it.
//
// Threading: one detector per thread; a detector is used by one thread at a time.
class OrientationDetector
{
public:
    struct Result
    {
        // Clockwise turn in degrees (0, 90, 180 or 270) that puts the page upright;
        // 0 unless Tesseract is confident.
        int turn = 0;
        double confidence = 0.0;
        QString script;
        bool certain = false;
    };

    // Below this confidence Tesseract's answer is a guess (its own scale: 15 is
    // reasonably sure; text pages turned by 90 or 180 degrees score well above 5).
    static constexpr double minimumConfidence = 5.0;

    // dataPath: the folder holding osd.traineddata; empty for Tesseract's own
    // (TESSDATA_PREFIX or the path it was built with).
    explicit OrientationDetector(const QString &dataPath = QString());
    ~OrientationDetector();
    OrientationDetector(const OrientationDetector &) = delete;
    OrientationDetector &operator=(const OrientationDetector &) = delete;

    // False when Tesseract or its "osd" data cannot be loaded.
    bool isAvailable();
    // Null, tiny, blank and photo-only pages, and pages without enough text,
    // give turn 0 and certain false.
    Result detect(const QImage &page);

private:
    bool load();

    QString dataPath;
    std::unique_ptr<tesseract::TessBaseAPI> api;
    bool tried = false;
    bool loaded = false;
};
