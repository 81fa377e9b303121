#include "ui/previewcoalescer.h"

#include <QTimer>

PreviewCoalescer::PreviewCoalescer(Operation operation, QObject *parent, int minimumIntervalMs)
    : QObject(parent)
    , operation(std::move(operation))
    , minimumInterval(qMax(0, minimumIntervalMs))
{
}

void PreviewCoalescer::request(int first, int second)
{
    pendingFirst = first;
    pendingSecond = second;
    hasPending = true;
    schedule();
}

void PreviewCoalescer::schedule()
{
    if (running || scheduled)
        return;
    // Slider moves arrive in bursts; starting from the event loop lets a whole
    // burst collapse into its last value.
    scheduled = true;
    const qint64 wait = sinceLastStart.isValid() ? minimumInterval - sinceLastStart.elapsed() : 0;
    QTimer::singleShot(static_cast<int>(qMax<qint64>(0, wait)), this, &PreviewCoalescer::run);
}

void PreviewCoalescer::discard()
{
    hasPending = false;
}

void PreviewCoalescer::run()
{
    scheduled = false;
    if (running || !hasPending)
        return;
    running = true;
    const int first = pendingFirst;
    const int second = pendingSecond;
    hasPending = false;
    sinceLastStart.start();
    const QImage image = operation(first, second);
    ++computed;
    running = false;
    emit previewReady(image, first, second);
    // Values that came in while this one was computed.
    if (hasPending)
        schedule();
}
