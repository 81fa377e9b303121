// What each page operation costs on a synthetic A4 page scanned at 300 dpi
// (2480 x 3508, ARGB32): off-white paper with a little sensor noise and lines of
// dark text-like strokes, tilted by 1.5 degrees so deskew has work to do. When
// OpenCV was found at configure time, its nearest counterparts run in the same
// program so every run prints both side by side (names starting with OpenCV_).
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#ifdef QUIRRA_HAVE_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

#include "imaging/imageprocessor.h"

namespace {

QImage makePage()
{
    QImage page(2480, 3508, QImage::Format_ARGB32);
    QRandomGenerator noise(4711);
    for (int y = 0; y < page.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(page.scanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            const int n = int(noise.bounded(7)) - 3;
            line[x] = qRgb(246 + n, 244 + n, 238 + n);
        }
    }
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(page.width() / 2.0, page.height() / 2.0);
    painter.rotate(1.5);
    painter.translate(-page.width() / 2.0, -page.height() / 2.0);
    QRandomGenerator words(42);
    for (int row = 0; row < 70; ++row) {
        const int baseline = 260 + row * 44;
        int x = 220;
        while (x < 2200) {
            const int wordLength = 40 + int(words.bounded(160));
            for (int stroke = x; stroke < qMin(x + wordLength, 2260); stroke += 9 + int(words.bounded(6))) {
                const int top = baseline - 18 - int(words.bounded(12));
                painter.setPen(QPen(QColor(20 + int(words.bounded(40)), 20, 30), 3.0));
                painter.drawLine(QPointF(stroke, top), QPointF(stroke + int(words.bounded(5)), baseline));
            }
            x += wordLength + 24;
        }
    }
    // A ruled frame, as forms and tables have.
    painter.setPen(QPen(QColor(40, 40, 60), 4.0));
    painter.drawRect(QRectF(180, 200, 2120, 3140));
    painter.end();
    return page;
}

const QImage &page()
{
    static const QImage image = makePage();
    return image;
}

const QImage &grayPage()
{
    static const QImage image = page().convertToFormat(QImage::Format_Grayscale8);
    return image;
}

template<typename Operation> void run(benchmark::State &state, Operation operation)
{
    ImageProcessor processor;
    const QImage &input = page();
    for (auto _ : state) {
        auto result = operation(processor, input);
        benchmark::DoNotOptimize(result);
    }
}

#define IMAGING_BENCHMARK(name, expression)                                                                            \
    void BM_##name(benchmark::State &state)                                                                            \
    {                                                                                                                  \
        run(state, [](ImageProcessor &p, const QImage &image) {                                                        \
            Q_UNUSED(p);                                                                                               \
            Q_UNUSED(image);                                                                                           \
            return expression;                                                                                         \
        });                                                                                                            \
    }                                                                                                                  \
    BENCHMARK(BM_##name)->Unit(benchmark::kMillisecond)->UseRealTime()

IMAGING_BENCHMARK(rotateLeft, p.rotateLeft(image));
IMAGING_BENCHMARK(rotateRight, p.rotateRight(image));
IMAGING_BENCHMARK(rotateByAngle_2, p.rotateByAngle(image, 2.0));
IMAGING_BENCHMARK(rotateByAngle_0_3, p.rotateByAngle(image, 0.3));
IMAGING_BENCHMARK(cropToRotatedContent, p.cropToRotatedContent(image, 2.0));
IMAGING_BENCHMARK(cropImage, p.cropImage(image, QRect(100, 100, 2280, 3308)));
IMAGING_BENCHMARK(adjustBrightnessContrast, p.adjustBrightnessContrast(image, 20, 30));
IMAGING_BENCHMARK(adjustHueSaturation, p.adjustHueSaturation(image, 30, 20));
IMAGING_BENCHMARK(autoLevel, p.autoLevel(image));
IMAGING_BENCHMARK(toGrayscale, p.toGrayscale(image));
IMAGING_BENCHMARK(toBinary_128, p.toBinary(image, 128));
IMAGING_BENCHMARK(computeAutoThreshold, p.computeAutoThreshold(image));
IMAGING_BENCHMARK(binarize_auto, p.binarize(image, -1));
IMAGING_BENCHMARK(applyGamma, p.applyGamma(image, 1.8));
IMAGING_BENCHMARK(
    applyKernel_3x3, p.applyKernel(image, QVector<double>({ 0.05, 0.1, 0.05, 0.1, 0.4, 0.1, 0.05, 0.1, 0.05 }), 3));
IMAGING_BENCHMARK(isBlankPage, p.isBlankPage(image, 240, 0.98));
IMAGING_BENCHMARK(detectEdges, p.detectEdges(grayPage()));
IMAGING_BENCHMARK(detectSkewByLines, p.detectSkewByLines(grayPage()));
IMAGING_BENCHMARK(detectSkewByText, p.detectSkewByText(grayPage()));
IMAGING_BENCHMARK(deskew, p.deskew(image));
IMAGING_BENCHMARK(enhanceDocument, p.enhanceDocument(image));
IMAGING_BENCHMARK(enhanceColorDocument, p.enhanceColorDocument(image));
IMAGING_BENCHMARK(removeBackground, p.removeBackground(image));
IMAGING_BENCHMARK(bleach_240_80, p.bleach(image, 240, 80));
IMAGING_BENCHMARK(removeBorder_50, p.removeBorder(image, 50));
IMAGING_BENCHMARK(sharpen_50, p.sharpen(image, 50));
IMAGING_BENCHMARK(sharpen_40, p.sharpen(image, 40));
IMAGING_BENCHMARK(denoise_45, p.denoise(image, 45));
IMAGING_BENCHMARK(denoise_100, p.denoise(image, 100));
IMAGING_BENCHMARK(detectContentBounds, p.detectContentBounds(image, 240));
IMAGING_BENCHMARK(autoCropBlankMargins, p.autoCropBlankMargins(image, 240));
IMAGING_BENCHMARK(detectContentRegions, p.detectContentRegions(image, true, 240));
IMAGING_BENCHMARK(splitLeftRight, p.splitLeftRight(image, 240));
IMAGING_BENCHMARK(splitTopBottom, p.splitTopBottom(image, 240));
IMAGING_BENCHMARK(mergeSideBySide, p.mergeSideBySide(image, image, 20, 10));
IMAGING_BENCHMARK(mergeStacked, p.mergeStacked(image, image, 20, 10));

// Qt's own building blocks, for scale.
IMAGING_BENCHMARK(Qt_transformed_2deg_smooth, image.transformed(QTransform().rotate(2.0), Qt::SmoothTransformation));

#ifdef QUIRRA_HAVE_OPENCV
// Each OpenCV call writes into a freshly allocated result, as the operations above do.
cv::Mat pageMat()
{
    const QImage &image = page();
    return cv::Mat(
        image.height(), image.width(), CV_8UC4, const_cast<uchar *>(image.constBits()), size_t(image.bytesPerLine()));
}

#define OPENCV_BENCHMARK(name, statement)                                                                              \
    void BM_OpenCV_##name(benchmark::State &state)                                                                     \
    {                                                                                                                  \
        const cv::Mat src = pageMat();                                                                                 \
        cv::Mat gray;                                                                                                  \
        cv::cvtColor(src, gray, cv::COLOR_BGRA2GRAY);                                                                  \
        for (auto _ : state) {                                                                                         \
            cv::Mat dst;                                                                                               \
            statement;                                                                                                 \
            benchmark::DoNotOptimize(dst.data);                                                                        \
        }                                                                                                              \
    }                                                                                                                  \
    BENCHMARK(BM_OpenCV_##name)->Unit(benchmark::kMillisecond)->UseRealTime()

const cv::Mat sharpenKernel = (cv::Mat_<double>(3, 3) << -0.5, -0.5, -0.5, -0.5, 5, -0.5, -0.5, -0.5, -0.5);
OPENCV_BENCHMARK(filter2D_3x3, cv::filter2D(src, dst, -1, sharpenKernel, cv::Point(-1, -1), 0, cv::BORDER_REPLICATE));
OPENCV_BENCHMARK(GaussianBlur_7x7, cv::GaussianBlur(src, dst, cv::Size(7, 7), 1.4, 1.4, cv::BORDER_REPLICATE));
OPENCV_BENCHMARK(GaussianBlur_13x13, cv::GaussianBlur(src, dst, cv::Size(13, 13), 2.3, 2.3, cv::BORDER_REPLICATE));
OPENCV_BENCHMARK(normalize_minmax, cv::normalize(src, dst, 0, 255, cv::NORM_MINMAX));
OPENCV_BENCHMARK(LUT, cv::LUT(src, cv::Mat(1, 256, CV_8U, cv::Scalar(7)), dst));
OPENCV_BENCHMARK(cvtColor_BGRA2GRAY, cv::cvtColor(src, dst, cv::COLOR_BGRA2GRAY));
OPENCV_BENCHMARK(threshold_otsu, cv::threshold(gray, dst, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU));
OPENCV_BENCHMARK(BGRA2GRAY_and_otsu, cv::Mat g; cv::cvtColor(src, g, cv::COLOR_BGRA2GRAY);
                 cv::threshold(g, dst, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU));
OPENCV_BENCHMARK(cvtColor_BGR2HSV_roundtrip, cv::Mat bgr; cv::Mat hsv; cv::cvtColor(src, bgr, cv::COLOR_BGRA2BGR);
                 cv::cvtColor(bgr, hsv, cv::COLOR_BGR2HSV_FULL); cv::cvtColor(hsv, dst, cv::COLOR_HSV2BGR_FULL));
OPENCV_BENCHMARK(Sobel_magnitude, cv::Mat gx; cv::Mat gy; cv::Sobel(gray, gx, CV_16S, 1, 0);
                 cv::Sobel(gray, gy, CV_16S, 0, 1); cv::Mat fx; cv::Mat fy; gx.convertTo(fx, CV_32F);
                 gy.convertTo(fy, CV_32F); cv::magnitude(fx, fy, dst));
OPENCV_BENCHMARK(warpAffine_2deg,
    cv::warpAffine(src, dst, cv::getRotationMatrix2D(cv::Point2f(src.cols / 2.0f, src.rows / 2.0f), 2.0, 1.0),
        src.size(), cv::INTER_LINEAR));
#endif

void silence(QtMsgType, const QMessageLogContext &, const QString &)
{
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Every operation logs its steps; the log would drown the table.
    qInstallMessageHandler(silence);
    page();
    grayPage();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
