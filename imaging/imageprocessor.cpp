#include "imaging/imageprocessor.h"

#include <QCoreApplication>

ImageProcessor::ImageProcessor(QObject *parent)
    : QObject(parent)
{
}

void ImageProcessor::reportProgress(int percentage)
{
    emit processingProgress(percentage);
    QCoreApplication::processEvents();
}
