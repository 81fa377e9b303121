#include "imaging/imageprocessor.h"

#include <QDebug>

#include "imaging/paperdetector.h"

QImage ImageProcessor::cropToPaper(const QImage &image)
{
    if (image.isNull()) {
        qDebug() << "无法裁切纸张边缘：空图像";
        return QImage();
    }
    emit processingProgress(0);
    qDebug() << "开始检测纸张边缘...";
    const QRect sheet = PaperDetector::findSheet(image);
    reportProgress(80);
    if (sheet.isNull()) {
        qDebug() << "未找到可靠的纸张边缘，保持原图";
        emit processingProgress(100);
        return image.copy();
    }
    QImage result = image.copy(sheet);
    emit processingProgress(100);
    qDebug() << "已裁切到纸张边缘:" << sheet;
    return result;
}
