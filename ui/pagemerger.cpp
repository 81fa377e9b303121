#include "ui/pagemerger.h"

#include <QDebug>

#include "imaging/imageprocessor.h"

PageMerger::PageMerger(ImageProcessor *processor, QObject *parent)
    : QObject(parent)
    , processor(processor)
{
}

bool PageMerger::separatedAtMiddle(const QImage &image, bool leftRight)
{
    const QRect line = leftRight ? QRect(image.width() / 2 - 1, 0, 2, image.height())
                                 : QRect(0, image.height() / 2 - 1, image.width(), 2);
    const QImage grey = image.copy(line.intersected(image.rect())).convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *row = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            if (row[x] < contentThreshold)
                return false;
        }
    }
    return true;
}

PageMerger::Result PageMerger::merge(QImage first, QImage second, const MergeOptions &options)
{
    Result result;
    // The trim takes the scanner's shadow off the pages' own edges. Applied after the
    // crop it would cut into the content, whose found region keeps a narrow margin.
    first = trimmedEdges(first, options.edgeTrim);
    second = trimmedEdges(second, options.edgeTrim);
    if (options.smartSplit) {
        const int firstCount = blockCount(first, options.sideBySide);
        const int secondCount = blockCount(second, options.sideBySide);
        if (firstCount > 1 || secondCount > 1) {
            result.splitUsed = true;
            qDebug() << "检测到包含多个内容区域的图片，启动智能拆分模式";
            qDebug() << "图片1内容区域数:" << firstCount << "图片2内容区域数:" << secondCount;
            emit stepStarted(tr("检测到多个内容区域，正在智能拆分..."));
            if (firstCount > 1) {
                emit stepStarted(tr("正在拆分第一张图片..."));
                first = firstPartOf(first, options.sideBySide, 1);
            }
            if (secondCount > 1) {
                emit stepStarted(tr("正在拆分第二张图片..."));
                second = firstPartOf(second, options.sideBySide, 2);
            }
        }
    }
    if (options.autoCrop) {
        emit stepStarted(tr("正在裁剪第一张图片..."));
        first = cropped(first, 1);
        emit stepStarted(tr("正在裁剪第二张图片..."));
        second = cropped(second, 2);
    }
    emit stepStarted(tr("正在合并图片..."));
    result.merged = options.sideBySide ? processor->mergeSideBySide(first, second, options.spacing, 0)
                                       : processor->mergeStacked(first, second, options.spacing, 0);
    return result;
}

QImage PageMerger::trimmedEdges(const QImage &image, int edgeTrim)
{
    if (edgeTrim <= 0 || image.width() <= 2 * edgeTrim || image.height() <= 2 * edgeTrim)
        return image;
    qDebug() << "裁剪图片边缘:" << edgeTrim << "像素";
    return image.copy(edgeTrim, edgeTrim, image.width() - 2 * edgeTrim, image.height() - 2 * edgeTrim);
}

int PageMerger::blockCount(const QImage &image, bool sideBySide)
{
    const int count = processor->detectContentRegions(image, sideBySide, contentThreshold).size();
    return count > 1 && !separatedAtMiddle(image, sideBySide) ? 1 : count;
}

QImage PageMerger::firstPartOf(const QImage &image, bool sideBySide, int number)
{
    const QList<QImage> parts = sideBySide ? processor->splitLeftRight(image, contentThreshold)
                                           : processor->splitTopBottom(image, contentThreshold);
    if (parts.size() < 2) {
        qDebug().noquote() << QStringLiteral("图片%1拆分失败，使用原图").arg(number);
        return image;
    }
    qDebug().noquote() << QStringLiteral("图片%1拆分成功，保留第一部分:").arg(number) << parts.first().size();
    return parts.first();
}

QImage PageMerger::cropped(const QImage &image, int number)
{
    const QImage result = processor->autoCropBlankMargins(image, contentThreshold);
    qDebug().noquote() << QStringLiteral("图片%1裁剪: 原始").arg(number) << image.size() << "→ 裁剪后" << result.size();
    return result;
}
