#include "imaging/imageprocessor.h"

#include <QDebug>
#include <QPainter>

namespace {

// Extent of the content pixels (grey value below threshold) inside a window of a grey page.
struct ContentExtent
{
    int minX;
    int maxX = -1;
    int minY;
    int maxY = -1;
    bool found() const { return maxX >= 0; }
};

ContentExtent findContent(const QImage &gray, int x0, int x1, int y0, int y1, int threshold)
{
    ContentExtent extent;
    extent.minX = x1;
    extent.minY = y1;
    // Per row only the first and the last content pixel can move the extent.
    for (int y = y0; y < y1; ++y) {
        const uchar *line = gray.constScanLine(y);
        int left = x0;
        while (left < x1 && line[left] >= threshold)
            ++left;
        if (left == x1)
            continue;
        int right = x1 - 1;
        while (line[right] >= threshold)
            --right;
        extent.minX = qMin(extent.minX, left);
        extent.maxX = qMax(extent.maxX, right);
        extent.minY = qMin(extent.minY, y);
        extent.maxY = qMax(extent.maxY, y);
    }
    return extent;
}

} // namespace

QRect ImageProcessor::detectContentBounds(const QImage &image, int threshold)
{
    if (image.isNull()) {
        qDebug() << "无法检测空图像的内容边界";
        return QRect();
    }
    qDebug() << "开始检测内容边界，阈值:" << threshold;
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    const int width = gray.width();
    const int height = gray.height();
    const ContentExtent extent = findContent(gray, 0, width, 0, height, threshold);
    if (!extent.found()) {
        qDebug() << "未检测到内容，返回整个图像区域";
        return image.rect();
    }
    const QRect bounds(QPoint(qMax(0, extent.minX - 5), qMax(0, extent.minY - 5)),
        QPoint(qMin(width - 1, extent.maxX + 5), qMin(height - 1, extent.maxY + 5)));
    qDebug() << "检测到内容边界:" << bounds << "原始尺寸:" << width << "x" << height
             << "内容占比:" << bounds.width() * double(bounds.height()) * 100.0 / (double(width) * height) << "%";
    return bounds;
}

QImage ImageProcessor::autoCropBlankMargins(const QImage &image, int threshold)
{
    if (image.isNull()) {
        qDebug() << "无法裁剪空图像";
        return QImage();
    }
    emit processingProgress(0);
    const QRect bounds = detectContentBounds(image, threshold);
    emit processingProgress(50);
    if (bounds.right() >= bounds.left() && bounds.bottom() >= bounds.top() && bounds != image.rect()) {
        QImage result = image.copy(bounds);
        emit processingProgress(100);
        qDebug() << "自动裁剪完成，从" << image.size() << "裁剪到" << result.size();
        return result;
    }
    qDebug() << "无需裁剪";
    emit processingProgress(100);
    return image.copy();
}

QList<QRect> ImageProcessor::detectContentRegions(const QImage &image, bool horizontal, int threshold)
{
    QList<QRect> regions;
    if (image.isNull()) {
        qDebug() << "无法检测空图像的内容边界";
        return regions;
    }
    qDebug() << "开始检测多个内容区域，方向:" << (horizontal ? "左右" : "上下");
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    const int width = gray.width();
    const int height = gray.height();
    // Rectangles are clipped to the page: a part copied from beyond its edge would
    // otherwise carry a strip of fill that was never on the sheet.
    const QRect page = gray.rect();

    if (horizontal) {
        const int half = width / 2;
        if (width > 1) {
            const ContentExtent e = findContent(gray, 0, half, 0, height, threshold);
            if (e.found()) {
                // The block stops at the split line; measured from its padded left edge,
                // so content reaching the line keeps its last columns.
                const int x = qMax(0, e.minX - 5);
                const QRect r
                    = QRect(x, qMax(0, e.minY - 5), qMin(e.maxX - e.minX + 10, half - x), e.maxY - e.minY + 10)
                          .intersected(page);
                regions.append(r);
                qDebug() << "检测到左侧内容:" << r;
            }
        }
        const ContentExtent e = findContent(gray, half, width, 0, height, threshold);
        if (e.found()) {
            const QRect r
                = QRect(qMax(half, e.minX - 5), qMax(0, e.minY - 5), e.maxX - e.minX + 10, e.maxY - e.minY + 10)
                      .intersected(page);
            regions.append(r);
            qDebug() << "检测到右侧内容:" << r;
        }
    } else {
        const int half = height / 2;
        if (height > 1) {
            const ContentExtent e = findContent(gray, 0, width, 0, half, threshold);
            if (e.found()) {
                const int y = qMax(0, e.minY - 5);
                const QRect r
                    = QRect(qMax(0, e.minX - 5), y, e.maxX - e.minX + 10, qMin(e.maxY - e.minY + 10, half - y))
                          .intersected(page);
                regions.append(r);
                qDebug() << "检测到上部内容:" << r;
            }
        }
        const ContentExtent e = findContent(gray, 0, width, half, height, threshold);
        if (e.found()) {
            const QRect r
                = QRect(qMax(0, e.minX - 5), qMax(half, e.minY - 5), e.maxX - e.minX + 10, e.maxY - e.minY + 10)
                      .intersected(page);
            regions.append(r);
            qDebug() << "检测到下部内容:" << r;
        }
    }
    qDebug() << "共检测到" << regions.size() << "个内容区域";
    return regions;
}

QList<QImage> ImageProcessor::splitLeftRight(const QImage &image, int threshold)
{
    return splitImage(image, true, threshold);
}

QList<QImage> ImageProcessor::splitTopBottom(const QImage &image, int threshold)
{
    return splitImage(image, false, threshold);
}

QList<QImage> ImageProcessor::splitImage(const QImage &image, bool horizontal, int threshold)
{
    QList<QImage> parts;
    if (image.isNull()) {
        qDebug() << "无法拆分空图像";
        return parts;
    }
    emit processingProgress(0);
    qDebug() << (horizontal ? "开始左右拆分图片" : "开始上下拆分图片");
    const QList<QRect> regions = detectContentRegions(image, horizontal, threshold);
    emit processingProgress(50);
    for (const QRect &region : regions) {
        if (region.right() < region.left() || region.bottom() < region.top())
            continue;
        parts.append(autoCropBlankMargins(image.copy(region), threshold));
    }
    emit processingProgress(100);
    qDebug() << (horizontal ? "左右拆分完成，得到" : "上下拆分完成，得到") << parts.size() << "个部分";
    return parts;
}

QImage ImageProcessor::mergeSideBySide(const QImage &first, const QImage &second, int spacing, int edgeTrim)
{
    return mergeImages(first, second, spacing, edgeTrim, true);
}

QImage ImageProcessor::mergeStacked(const QImage &first, const QImage &second, int spacing, int edgeTrim)
{
    return mergeImages(first, second, spacing, edgeTrim, false);
}

QImage ImageProcessor::mergeImages(
    const QImage &first, const QImage &second, int spacing, int edgeTrim, bool sideBySide)
{
    if (first.isNull() || second.isNull()) {
        qDebug() << "无法合并空图像";
        return QImage();
    }
    emit processingProgress(0);
    QImage a = first.copy();
    QImage b = second.copy();
    if (edgeTrim > 0) {
        qDebug() << "裁剪图片边缘:" << edgeTrim << "像素";
        for (QImage *part : { &a, &b }) {
            if (part->width() > 2 * edgeTrim && part->height() > 2 * edgeTrim)
                *part = part->copy(edgeTrim, edgeTrim, part->width() - 2 * edgeTrim, part->height() - 2 * edgeTrim);
        }
    }
    const int wa = a.width(), ha = a.height(), wb = b.width(), hb = b.height();
    const int width = sideBySide ? wa + wb + spacing : qMax(wa, wb);
    const int height = sideBySide ? qMax(ha, hb) : ha + hb + spacing;
    qDebug() << (sideBySide ? "开始左右合并图片，尺寸:" : "开始上下合并图片，尺寸:") << wa << "x" << ha << "+" << wb
             << "x" << hb;
    if (edgeTrim > 0)
        qDebug() << "已裁剪边缘:" << edgeTrim << "像素";

    QImage canvas(width, height, QImage::Format_RGB32);
    if (canvas.isNull()) {
        // A negative spacing larger than both pages, or a canvas too big to allocate.
        qDebug() << "无法合并空图像";
        return QImage();
    }
    canvas.fill(Qt::white);
    // The pages are drawn pixel for pixel, so the sheet keeps the first page's scale.
    canvas.setDotsPerMeterX(first.dotsPerMeterX());
    canvas.setDotsPerMeterY(first.dotsPerMeterY());
    emit processingProgress(20);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (sideBySide) {
        painter.drawImage(QPoint(0, (height - ha) / 2), a);
        emit processingProgress(60);
        painter.drawImage(QPoint(wa + spacing, (height - hb) / 2), b);
    } else {
        painter.drawImage(QPoint((width - wa) / 2, 0), a);
        emit processingProgress(60);
        painter.drawImage(QPoint((width - wb) / 2, ha + spacing), b);
    }
    emit processingProgress(90);
    painter.end();
    emit processingProgress(100);
    qDebug() << (sideBySide ? "左右合并完成，结果尺寸:" : "上下合并完成，结果尺寸:") << width << "x" << height;
    return canvas;
}

int ImageProcessor::findSplitLine(const QImage &image, bool horizontal, int threshold)
{
    if (image.isNull())
        return 0;
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    const int length = horizontal ? gray.width() : gray.height();
    // Whether each column (left/right) or row (top/bottom) holds content.
    QVector<bool> inked(length, false);
    for (int y = 0; y < gray.height(); ++y) {
        const uchar *line = gray.constScanLine(y);
        for (int x = 0; x < gray.width(); ++x) {
            if (line[x] < threshold)
                inked[horizontal ? x : y] = true;
        }
    }
    // The widest blank run between content that reaches into the middle half: the
    // gutter of a two-up scan. Blank margins at the page's edges are no gap.
    const int middle = length / 2;
    int best = middle;
    int bestWidth = 0;
    int start = -1;
    for (int i = 0; i < length; ++i) {
        if (!inked[i]) {
            if (start < 0)
                start = i;
            continue;
        }
        if (start > 0 && i > length / 4 && start < length * 3 / 4 && i - start > bestWidth) {
            bestWidth = i - start;
            best = (start + i) / 2;
        }
        start = -1;
    }
    qDebug() << (horizontal ? "左右拆分建议位置:" : "上下拆分建议位置:") << best << "空白宽度:" << bestWidth;
    return best;
}

QList<QImage> ImageProcessor::splitAt(const QImage &image, bool horizontal, int line)
{
    const int length = horizontal ? image.width() : image.height();
    if (image.isNull() || line <= 0 || line >= length) {
        qDebug() << "无法拆分空图像";
        return {};
    }
    if (horizontal)
        return { image.copy(0, 0, line, image.height()), image.copy(line, 0, image.width() - line, image.height()) };
    return { image.copy(0, 0, image.width(), line), image.copy(0, line, image.width(), image.height() - line) };
}
