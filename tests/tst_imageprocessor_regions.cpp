// Content regions of ImageProcessor: bounds, auto-crop, two-block detection, split and merge.
#include <QSignalSpy>
#include <QtTest>

#include "imaging/imageprocessor.h"
#include "tests/support/logcapture.h"

class ImageProcessorRegionsTest : public QObject
{
    Q_OBJECT

private slots:
    void nullInput_data();
    void nullInput();
    void whitePageHasNoContent();
    void contentBounds_data();
    void contentBounds();
    void autoCropCopiesTheBounds();
    void regions_data();
    void regions();
    void splitKeepsEveryInkPixel_data();
    void splitKeepsEveryInkPixel();
    void splitWithContentInOneHalf();
    void mergeSideBySide();
    void mergeStacked();
    void mergeEdgeTrim();
};

namespace {

QImage whitePage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

QImage solid(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

int inkPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    return count;
}

} // namespace

void ImageProcessorRegionsTest::nullInput_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("log");
    QTest::newRow("detectContentBounds") << "detectContentBounds"
                                         << "无法检测空图像的内容边界";
    QTest::newRow("autoCropBlankMargins") << "autoCropBlankMargins"
                                          << "无法裁剪空图像";
    QTest::newRow("detectContentRegions") << "detectContentRegions"
                                          << "无法检测空图像的内容边界";
    QTest::newRow("splitLeftRight") << "splitLeftRight"
                                    << "无法拆分空图像";
    QTest::newRow("splitTopBottom") << "splitTopBottom"
                                    << "无法拆分空图像";
    QTest::newRow("mergeSideBySide, first null") << "mergeSideBySide"
                                                 << "无法合并空图像";
    QTest::newRow("mergeStacked, second null") << "mergeStacked"
                                               << "无法合并空图像";
}

void ImageProcessorRegionsTest::nullInput()
{
    QFETCH(QString, operation);
    QFETCH(QString, log);
    ImageProcessor processor;
    const QImage null;
    const QImage page = whitePage(10, 10);
    LogCapture capture;
    bool empty = false;
    if (operation == "detectContentBounds")
        empty = processor.detectContentBounds(null, 240).isNull();
    else if (operation == "autoCropBlankMargins")
        empty = processor.autoCropBlankMargins(null, 240).isNull();
    else if (operation == "detectContentRegions")
        empty = processor.detectContentRegions(null, true, 240).isEmpty();
    else if (operation == "splitLeftRight")
        empty = processor.splitLeftRight(null, 240).isEmpty();
    else if (operation == "splitTopBottom")
        empty = processor.splitTopBottom(null, 240).isEmpty();
    else if (operation == "mergeSideBySide")
        empty = processor.mergeSideBySide(null, page, 10, 0).isNull();
    else if (operation == "mergeStacked")
        empty = processor.mergeStacked(page, null, 10, 0).isNull();
    QVERIFY(empty);
    QCOMPARE(capture.lines(), QStringList { log });
}

void ImageProcessorRegionsTest::whitePageHasNoContent()
{
    ImageProcessor processor;
    const QImage page = whitePage(40, 30);
    LogCapture capture;
    QCOMPARE(processor.detectContentBounds(page, 240), QRect(0, 0, 40, 30));
    QCOMPARE(capture.lines(), QStringList({ "开始检测内容边界，阈值: 240", "未检测到内容，返回整个图像区域" }));
    capture.clear();
    QSignalSpy progress(&processor, &ImageProcessor::processingProgress);
    QCOMPARE(processor.autoCropBlankMargins(page, 240), page);
    QCOMPARE(capture.lines().last(), QStringLiteral("无需裁剪"));
    QCOMPARE(progress.count(), 3);
    QVERIFY(processor.detectContentRegions(page, true, 240).isEmpty());
    QVERIFY(processor.splitTopBottom(page, 240).isEmpty());
}

void ImageProcessorRegionsTest::contentBounds_data()
{
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<int>("grey");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("one black pixel") << QPoint(100, 50) << 0 << QRect(95, 45, 11, 11);
    QTest::newRow("touching the left edge") << QPoint(0, 50) << 0 << QRect(0, 45, 6, 11);
    QTest::newRow("in the bottom-right corner") << QPoint(399, 299) << 0 << QRect(394, 294, 6, 6);
    QTest::newRow("grey 239 is content") << QPoint(100, 50) << 239 << QRect(95, 45, 11, 11);
    QTest::newRow("grey equal to the threshold is not") << QPoint(100, 50) << 240 << QRect(0, 0, 400, 300);
}

void ImageProcessorRegionsTest::contentBounds()
{
    QFETCH(QPoint, pixel);
    QFETCH(int, grey);
    QFETCH(QRect, expected);
    ImageProcessor processor;
    QImage page = whitePage(400, 300);
    page.setPixel(pixel, qRgb(grey, grey, grey));
    LogCapture capture;
    QCOMPARE(processor.detectContentBounds(page, 240), expected);
    if (pixel == QPoint(100, 50) && grey == 0)
        QCOMPARE(capture.lines().last(),
            QStringLiteral("检测到内容边界: QRect(95,45 11x11) 原始尺寸: 400 x 300 内容占比: 0.100833 %"));
}

void ImageProcessorRegionsTest::autoCropCopiesTheBounds()
{
    ImageProcessor processor;
    QImage page = whitePage(400, 300);
    page.setPixel(100, 50, qRgb(0, 0, 0));
    page.setPixel(200, 80, qRgb(10, 10, 10));
    QSignalSpy progress(&processor, &ImageProcessor::processingProgress);
    LogCapture capture;
    const QImage result = processor.autoCropBlankMargins(page, 240);
    QCOMPARE(result, page.copy(QRect(QPoint(95, 45), QPoint(205, 85))));
    QCOMPARE(capture.lines().last(), QStringLiteral("自动裁剪完成，从 QSize(400, 300) 裁剪到 QSize(111, 41)"));
    QCOMPARE(progress.count(), 3);
}

void ImageProcessorRegionsTest::regions_data()
{
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<QRect>("ink");
    QTest::addColumn<QList<QRect>>("expected");
    QTest::newRow("left block") << true << QRect(50, 40, 20, 10) << QList<QRect> { QRect(45, 35, 29, 19) };
    QTest::newRow("right block") << true << QRect(250, 40, 20, 10) << QList<QRect> { QRect(245, 35, 29, 19) };
    // Content reaching the split line keeps its last columns but stops at the line.
    QTest::newRow("left block up to the split line")
        << true << QRect(150, 40, 50, 10) << QList<QRect> { QRect(145, 35, 55, 19) };
    // Clipped to the page instead of reaching 4 pixels past the right and bottom edges.
    QTest::newRow("right block in the corner")
        << true << QRect(390, 290, 10, 10) << QList<QRect> { QRect(385, 285, 15, 15) };
    QTest::newRow("across the split line")
        << true << QRect(190, 40, 20, 10) << QList<QRect>({ QRect(185, 35, 15, 19), QRect(200, 35, 19, 19) });
    QTest::newRow("top block") << false << QRect(50, 40, 20, 10) << QList<QRect> { QRect(45, 35, 29, 19) };
    QTest::newRow("top block up to the split line")
        << false << QRect(50, 100, 20, 50) << QList<QRect> { QRect(45, 95, 29, 55) };
    QTest::newRow("bottom block in the corner")
        << false << QRect(390, 290, 10, 10) << QList<QRect> { QRect(385, 285, 15, 15) };
}

void ImageProcessorRegionsTest::regions()
{
    QFETCH(bool, horizontal);
    QFETCH(QRect, ink);
    QFETCH(QList<QRect>, expected);
    ImageProcessor processor;
    QImage page = whitePage(400, 300);
    page.fill(Qt::white);
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x)
            page.setPixel(x, y, qRgb(0, 0, 0));
    LogCapture capture;
    QCOMPARE(processor.detectContentRegions(page, horizontal, 240), expected);
    QCOMPARE(
        capture.lines().first(), QStringLiteral("开始检测多个内容区域，方向: %1").arg(horizontal ? "左右" : "上下"));
    QCOMPARE(capture.lines().last(), QStringLiteral("共检测到 %1 个内容区域").arg(expected.size()));
}

void ImageProcessorRegionsTest::splitKeepsEveryInkPixel_data()
{
    QTest::addColumn<bool>("horizontal");
    QTest::newRow("left/right") << true;
    QTest::newRow("top/bottom") << false;
}

void ImageProcessorRegionsTest::splitKeepsEveryInkPixel()
{
    // Two pages side by side (or stacked), each inked right up to the split line and
    // to the outer edges: the parts together hold every ink pixel and no fill.
    QFETCH(bool, horizontal);
    ImageProcessor processor;
    QImage page = whitePage(400, 400);
    const QRect first = horizontal ? QRect(150, 100, 50, 300) : QRect(100, 150, 300, 50);
    const QRect second = horizontal ? QRect(200, 0, 200, 80) : QRect(0, 200, 80, 200);
    for (const QRect &ink : { first, second })
        for (int y = ink.top(); y <= ink.bottom(); ++y)
            for (int x = ink.left(); x <= ink.right(); ++x)
                page.setPixel(x, y, qRgb(0, 0, 0));
    const QList<QImage> parts = horizontal ? processor.splitLeftRight(page, 240) : processor.splitTopBottom(page, 240);
    QCOMPARE(parts.size(), 2);
    QCOMPARE(inkPixels(parts.at(0)) + inkPixels(parts.at(1)), inkPixels(page));
    QCOMPARE(inkPixels(parts.at(1)), second.width() * second.height());
    for (const QImage &part : parts)
        QCOMPARE(part.format(), page.format());
}

void ImageProcessorRegionsTest::splitWithContentInOneHalf()
{
    ImageProcessor processor;
    QImage page = whitePage(400, 300);
    page.setPixel(300, 100, qRgb(0, 0, 0));
    QSignalSpy progress(&processor, &ImageProcessor::processingProgress);
    LogCapture capture;
    const QList<QImage> parts = processor.splitLeftRight(page, 240);
    QCOMPARE(parts.size(), 1);
    // The region (295, 95, 10, 10) is cropped again to its own content bounds.
    QCOMPARE(parts.first(), page.copy(QRect(295, 95, 10, 10)));
    QCOMPARE(capture.lines().first(), QStringLiteral("开始左右拆分图片"));
    QCOMPARE(capture.lines().last(), QStringLiteral("左右拆分完成，得到 1 个部分"));
    QCOMPARE(progress.first().at(0).toInt(), 0);
    QCOMPARE(progress.last().at(0).toInt(), 100);
}

void ImageProcessorRegionsTest::mergeSideBySide()
{
    ImageProcessor processor;
    const QImage a = solid(100, 200, qRgb(255, 0, 0));
    const QImage b = solid(100, 100, qRgb(0, 0, 255));
    QSignalSpy progress(&processor, &ImageProcessor::processingProgress);
    LogCapture capture;
    const QImage merged = processor.mergeSideBySide(a, b, 10, 0);
    QCOMPARE(merged.size(), QSize(210, 200));
    QCOMPARE(merged.format(), QImage::Format_RGB32);
    QCOMPARE(merged.pixel(99, 0), qRgb(255, 0, 0));
    QCOMPARE(merged.pixel(105, 100), qRgb(255, 255, 255));
    QCOMPARE(merged.pixel(110, 49), qRgb(255, 255, 255));
    QCOMPARE(merged.pixel(110, 50), qRgb(0, 0, 255));
    QCOMPARE(merged.pixel(209, 149), qRgb(0, 0, 255));
    QCOMPARE(merged.pixel(209, 150), qRgb(255, 255, 255));
    QCOMPARE(capture.lines(),
        QStringList({ "开始左右合并图片，尺寸: 100 x 200 + 100 x 100", "左右合并完成，结果尺寸: 210 x 200" }));
    QList<int> values;
    for (const QList<QVariant> &arguments : progress)
        values << arguments.at(0).toInt();
    QCOMPARE(values, QList<int>({ 0, 20, 60, 90, 100 }));
}

void ImageProcessorRegionsTest::mergeStacked()
{
    ImageProcessor processor;
    const QImage a = solid(50, 40, qRgb(255, 0, 0));
    const QImage b = solid(31, 20, qRgb(0, 0, 255));
    LogCapture capture;
    const QImage merged = processor.mergeStacked(a, b, 5, 0);
    QCOMPARE(merged.size(), QSize(50, 65));
    QCOMPARE(merged.pixel(0, 39), qRgb(255, 0, 0));
    QCOMPARE(merged.pixel(25, 42), qRgb(255, 255, 255));
    // (50 − 31) / 2 = 9
    QCOMPARE(merged.pixel(8, 45), qRgb(255, 255, 255));
    QCOMPARE(merged.pixel(9, 45), qRgb(0, 0, 255));
    QCOMPARE(merged.pixel(39, 64), qRgb(0, 0, 255));
    QCOMPARE(merged.pixel(40, 64), qRgb(255, 255, 255));
    QCOMPARE(capture.lines(),
        QStringList({ "开始上下合并图片，尺寸: 50 x 40 + 31 x 20", "上下合并完成，结果尺寸: 50 x 65" }));
}

void ImageProcessorRegionsTest::mergeEdgeTrim()
{
    ImageProcessor processor;
    // 100 is not more than 2 × 60: that page stays whole; 200 × 200 loses 60 on every side.
    QImage a = solid(100, 300, qRgb(255, 0, 0));
    QImage b = solid(200, 200, qRgb(0, 255, 0));
    b.setPixel(60, 60, qRgb(0, 0, 0));
    LogCapture capture;
    const QImage merged = processor.mergeSideBySide(a, b, 0, 60);
    QCOMPARE(merged.size(), QSize(180, 300));
    // The trimmed page is centred: (300 − 80) / 2 = 110.
    QCOMPARE(merged.pixel(100, 110), qRgb(0, 0, 0));
    QCOMPARE(merged.pixel(100, 109), qRgb(255, 255, 255));
    QCOMPARE(capture.lines(),
        QStringList({ "裁剪图片边缘: 60 像素", "开始左右合并图片，尺寸: 100 x 300 + 80 x 80", "已裁剪边缘: 60 像素",
            "左右合并完成，结果尺寸: 180 x 300" }));
    QCOMPARE(a.size(), QSize(100, 300));
    QCOMPARE(b.size(), QSize(200, 200));
}

QTEST_MAIN(ImageProcessorRegionsTest)
#include "tst_imageprocessor_regions.moc"
