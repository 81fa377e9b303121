#pragma once

#include <QCoreApplication>
#include <QJsonObject>
#include <QMetaType>
#include <QRectF>
#include <QString>

// Where the sheets come from.
enum class ScanSource { Flatbed = 0, Feeder = 1, Duplex = 2 };
enum class ScanColorMode { Color = 0, Gray = 1, BlackWhite = 2 };
// How a stack becomes documents.
enum class SplitRule {
    None = 0, // one document
    EveryPage = 1, // a file per page
    EveryNPages = 2, // a file per splitEvery pages
    BlankPage = 3, // a blank sheet starts a new document and is dropped
    Barcode = 4, // a sheet with a code starts a new document; dropped unless keepSeparator
};

bool isKnown(ScanSource source);
bool isKnown(ScanColorMode mode);
bool isKnown(SplitRule rule);

// The words the command line and the profile files use for these values
// ("flatbed", "adf", "duplex"; "color", "gray", "bw"; "none", "page", "every",
// "blank", "barcode"); false for a word that is not one of them.
QString sourceWord(ScanSource source);
bool sourceFromWord(const QString &word, ScanSource *source);
QString colorModeWord(ScanColorMode mode);
bool colorModeFromWord(const QString &word, ScanColorMode *mode);
QString splitRuleWord(SplitRule rule);
bool splitRuleFromWord(const QString &word, SplitRule *rule);

// Everything a scan of one kind of paper needs, from the device to the names of
// the files: what a named profile keeps and the scan dock edits. A value:
// copied, compared, written as JSON.
struct ScanProfile
{
    // The file format's version; a file of a later one is refused.
    static constexpr int formatVersion = 1;

    // Device
    QString device; // display name; empty: whichever is chosen in the window
    ScanSource source = ScanSource::Flatbed;
    int resolution = 300;
    ScanColorMode colorMode = ScanColorMode::Color;
    QString pageSize = QStringLiteral("A4");
    QRectF area; // in millimetres on the page; empty: the whole page

    // Corrections and recognition of every page
    bool autoDeskew = false;
    bool autoCropPaper = false;
    bool autoOrient = false;
    bool textRecognition = false;
    QString textLanguages = QStringLiteral("chi_sim+eng");
    bool removeBlankPages = false;
    int blankPageThreshold = 240;
    int blankPageRatio = 98;

    // Output
    bool autoSave = true;
    QString format = QStringLiteral("pdf"); // "pdf", "png", "jpg", "bmp", "tiff"
    int jpegQuality = 90;
    bool compact = false; // the smallest PDF that still reads well
    qint64 maxFileBytes = 0; // 0: no limit
    int saveResolution = 0; // dpi of the saved pages; 0: as scanned
    QString folder; // empty: the user's documents folder
    QString fileNamePattern = QCoreApplication::translate("FileNamePattern", "扫描_{日期}_{序号}");
    SplitRule splitRule = SplitRule::None;
    int splitEvery = 2;
    bool keepSeparator = false;

    bool operator==(const ScanProfile &other) const;
    bool operator!=(const ScanProfile &other) const { return !(*this == other); }

    QJsonObject toJson() const;
    // Fields the object lacks keep their defaults (a file of an older version); a
    // field of the wrong type or an unknown word makes the whole object refused:
    // false, *errorText says which, *profile untouched.
    static bool fromJson(const QJsonObject &object, ScanProfile *profile, QString *errorText);
};

Q_DECLARE_METATYPE(ScanProfile)
