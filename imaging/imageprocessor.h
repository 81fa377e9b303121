#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>
#include <QVector>

#include <functional>

// Every page algorithm of the application: rotation, crop, colour adjustments,
// two-level conversion, blank-page test, deskew, document clean-up and content
// regions. Operations never modify their input; they return a new image (a null
// image for a null input) and log their steps to the Qt debug logger.
//
// Threading: meant for the GUI thread. Long loops emit processingProgress and call
// QCoreApplication::processEvents() so the window stays responsive; the class keeps
// no state, so re-entry from those events is harmless. Pixel loops spread their rows
// over helper threads internally, but signals, event processing and logging happen
// on the calling thread only, and every result is the same
// as a single-threaded run.
class PaperBackground;

class ImageProcessor : public QObject
{
    Q_OBJECT

public:
    explicit ImageProcessor(QObject *parent = nullptr);

    // Basic adjustments
    QImage rotateLeft(const QImage &image);
    QImage rotateRight(const QImage &image);
    // Positive angles turn clockwise; beyond 0.5 degrees the result is cropped to
    // the area fully covered by the page.
    QImage rotateByAngle(const QImage &image, double angle);
    QImage cropToRotatedContent(const QImage &image, double angle);
    QImage cropImage(const QImage &image, const QRect &rect);
    QImage adjustBrightnessContrast(const QImage &image, int brightness, int contrast);
    QImage adjustHueSaturation(const QImage &image, int hue, int saturation);
    QImage autoLevel(const QImage &image);
    QImage toGrayscale(const QImage &image);
    QImage toBinary(const QImage &image, int threshold);
    int computeAutoThreshold(const QImage &image);
    // threshold -1 picks it automatically (Otsu).
    QImage binarize(const QImage &image, int threshold = -1);
    QImage applyGamma(const QImage &image, double gamma);
    // kernel holds size x size weights in row order, applied as given (not mirrored).
    QImage applyKernel(const QImage &image, const QVector<double> &kernel, int size);

    // Blank-page detection
    bool isBlankPage(const QImage &image, int whiteThreshold = 240, double blankRatio = 0.98);

    // Deskew: the skew estimator's angle, when it is certain and at least 0.1
    // degree, is turned back and the page cropped to the rotated content; the
    // corners the turn uncovers are paper white and the page keeps its format.
    QImage deskew(const QImage &image);
    double detectSkewByLines(const QImage &gray);
    double detectSkewByText(const QImage &image);
    QImage detectEdges(const QImage &image);

    // The sheet of a flatbed scan (PaperDetector) with a margin of 0; a copy of
    // the page when no edge is certain.
    QImage cropToPaper(const QImage &image);

    // Document clean-up
    QImage enhanceDocument(const QImage &image);
    QImage enhanceColorDocument(const QImage &image);
    QImage removeBackground(const QImage &image);
    // A two-level page (Format_Mono, index 0 black, 1 white) judged against the
    // paper under each pixel (PaperBackground), so shading neither swallows thin
    // strokes nor turns into black areas.
    QImage toTwoLevelOnPaper(const QImage &image);
    QImage bleach(const QImage &image, int threshold = 240, int strength = 80);
    QImage removeBorder(const QImage &image, int border);
    QImage sharpen(const QImage &image, int strength);
    QImage denoise(const QImage &image, int strength);

    // Content regions, split and merge
    QRect detectContentBounds(const QImage &image, int threshold = 240);
    QImage autoCropBlankMargins(const QImage &image, int threshold = 240);
    // Left then right block (horizontal), or top then bottom block; 0, 1 or 2 rectangles.
    QList<QRect> detectContentRegions(const QImage &image, bool horizontal, int threshold = 240);
    QList<QImage> splitLeftRight(const QImage &image, int threshold = 240);
    QList<QImage> splitTopBottom(const QImage &image, int threshold = 240);
    // Where to cut a two-up page: the middle of the widest blank gap between content
    // that reaches into the page's middle half (a vertical line when horizontal),
    // otherwise the middle.
    int findSplitLine(const QImage &image, bool horizontal, int threshold = 240);
    // The two parts on either side of the line, nothing of the page left out; an
    // empty list for a line outside the page.
    QList<QImage> splitAt(const QImage &image, bool horizontal, int line);
    QImage mergeSideBySide(const QImage &first, const QImage &second, int spacing = 0, int edgeTrim = 0);
    QImage mergeStacked(const QImage &first, const QImage &second, int spacing = 0, int edgeTrim = 0);

signals:
    void processingProgress(int percentage);
    // Declared for callers that listen for them; no operation emits them.
    void processingComplete(const QImage &processedImage);
    void processingError(const QString &errorMessage);

private:
    // Emits progress and lets the event loop run, as every long loop does at its
    // progress points.
    void reportProgress(int percentage);
    // Runs work(firstRow, endRow) over the rows of a width x height image, in chunks
    // shared between the calling thread and helpers on the other cores (small images
    // stay on the calling thread). The calling thread reports progressAt(row) for every
    // row that is a multiple of interval (none when interval is 0), in row order,
    // before the chunk holding that row is worked on, so the progress values and the
    // event processing are those of a plain row loop. Each row is written by exactly
    // one thread, so the result does not depend on the split.
    void runRows(int width, int height, int interval, const std::function<int(int)> &progressAt,
        const std::function<void(int, int)> &work);
    // Samples the paper level of every block of source (on all cores) into paper
    // and returns the sheet's overall level (PaperBackground::finish).
    int samplePaper(const QImage &source, PaperBackground *paper);
    // A new black-and-white image (0 black, 1 white) of this size carrying the
    // resolution of like; null when it cannot be allocated.
    static QImage monoLike(const QImage &like, int width, int height);
    // The input as ARGB32, shared rather than copied when it already is.
    static QImage argb32Source(const QImage &image);
    // A new uninitialised ARGB32 image of the source's size that carries its resolution,
    // offset, texts and colour space, as a converted copy would.
    static QImage argb32Like(const QImage &source);
    // Grey values of one row as the Grayscale8 conversion gives them; rows of ARGB32,
    // RGB32 and Grayscale8 sources are read directly, others through buffer.
    static const uchar *grayRow(const QImage &source, int y, uchar *buffer);
    // The page turned by angle degrees (clockwise) with QImage::transformed, the
    // uncovered corners white unless the page has transparent pixels.
    static QImage turnOntoPaper(const QImage &image, double angle);
    // result in original's format (two-level pages thresholded) and resolution.
    static QImage keepFormatOf(const QImage &original, const QImage &result);
    QList<QImage> splitImage(const QImage &image, bool horizontal, int threshold);
    QImage mergeImages(const QImage &first, const QImage &second, int spacing, int edgeTrim, bool sideBySide);
};
