#include "ui/previewcoalescer.h"

#include <QTimer>

PreviewCoalescer::PreviewCoalescer(Operation operation, QObject *parent)
    : QObject(parent)
    , operation(std::move(operation))
{
}

void PreviewCoalescer::request(int first, int second)
{
    pendingFirst = first;
    pendingSecond = second;
    hasPending = true;
    // Slider moves arrive in bursts; starting from the event loop lets a whole
    // burst collapse into its last value.
    if (!running && !scheduled) {
        scheduled = true;
        QTimer::singleShot(0, this, &PreviewCoalescer::run);
    }
}

void PreviewCoalescer::discard()
{
    hasPending = false;
}

void PreviewCoalescer::run()
{
    scheduled = false;
    if (running)
        return;
    running = true;
    while (hasPending) {
        const int first = pendingFirst;
        const int second = pendingSecond;
        hasPending = false;
        const QImage image = operation(first, second);
        ++computed;
        emit previewReady(image, first, second);
    }
    running = false;
}
