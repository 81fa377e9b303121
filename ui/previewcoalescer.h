#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <functional>

// Runs a preview operation for the newest of many quickly changing values.
// A request only records the values; the computation starts from the event
// loop, and while it runs (image operations let events through) further
// requests just replace the pending values. So at most one preview is being
// computed and at most one waits behind it, never a queue of stale ones.
// Previews start at most once per minimum interval (a display frame by
// default): computing faster than the screen shows them is wasted work.
// GUI thread only.
class PreviewCoalescer : public QObject
{
    Q_OBJECT

public:
    using Operation = std::function<QImage(int first, int second)>;

    static constexpr int defaultIntervalMs = 16;

    explicit PreviewCoalescer(
        Operation operation, QObject *parent = nullptr, int minimumIntervalMs = defaultIntervalMs);

    void request(int first, int second);
    // Forgets a pending request (the dialog closed); a running one finishes.
    void discard();
    bool isIdle() const { return !running && !hasPending; }
    int computedCount() const { return computed; }

signals:
    void previewReady(const QImage &image, int first, int second);

private:
    void schedule();
    void run();

    Operation operation;
    int pendingFirst = 0;
    int pendingSecond = 0;
    bool hasPending = false;
    bool scheduled = false;
    bool running = false;
    int computed = 0;
    int minimumInterval;
    QElapsedTimer sinceLastStart;
};
