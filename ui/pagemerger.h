#pragma once

#include <QImage>
#include <QObject>
#include <QString>

class ImageProcessor;

// What the user chose in the merge dialog.
struct MergeOptions
{
    bool sideBySide = true; // false: stacked
    int spacing = 30; // pixels between the two images
    bool smartSplit = true; // keep only the first block of a page holding two
    bool autoCrop = true; // crop each image to its content first
    int edgeTrim = 10; // pixels trimmed from every edge; 0 when trimming is off
    bool deleteSources = false;
};

// Merges two page images the way the merge command does it, in its order: edge
// trim, smart split, automatic crop, merge. It knows nothing of the document or the window; it
// announces each step as a status text. GUI thread: the image operations process
// events from their progress points.
class PageMerger : public QObject
{
    Q_OBJECT

public:
    struct Result
    {
        QImage merged; // null when the merge failed
        bool splitUsed = false; // either image held more than one content block
    };

    // Grey values above this count as background in every content test.
    static constexpr int contentThreshold = 240;

    explicit PageMerger(ImageProcessor *processor, QObject *parent = nullptr);

    // Whether no content lies on the middle line (the vertical one when leftRight)
    // the split cuts at. Only then are the two halves' blocks two separate blocks: a
    // block across the line (one centred card, the middle one of three) would
    // otherwise come out halved.
    static bool separatedAtMiddle(const QImage &image, bool leftRight);

    Result merge(QImage first, QImage second, const MergeOptions &options);

signals:
    void stepStarted(const QString &text);

private:
    // The page without edgeTrim pixels on each side; whole when it is not larger.
    static QImage trimmedEdges(const QImage &image, int edgeTrim);
    // Content blocks as the regions show them; halves joined across the middle are one.
    int blockCount(const QImage &image, bool sideBySide);
    QImage firstPartOf(const QImage &image, bool sideBySide, int number);
    QImage cropped(const QImage &image, int number);

    ImageProcessor *processor;
};
