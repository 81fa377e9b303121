#pragma once

#include <QImage>
#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class ImageProcessor;
class OrientationDetector;

// Straightens, crops and turns scanned pages upright on a thread of its own,
// so that a feeder run keeps its pace, and hands them back in the order they
// came. Other scan results that must not overtake a page (the end of a run, an
// error) wait behind the pages under way.
//
// Lives on the GUI thread; the work runs on its one worker thread, which has
// its own ImageProcessor and orientation detector.
class PageCorrector : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        bool deskew = false;
        bool cropToPaper = false;
        bool orient = false;
        bool any() const { return deskew || cropToPaper || orient; }
    };

    explicit PageCorrector(QObject *parent = nullptr);
    ~PageCorrector() override;

    // The corrections in the order the pipeline applies them: crop to the
    // sheet, straighten (and crop again when only the straightened sheet shows
    // its edges), turn upright. Any thread; the page itself is never changed.
    static QImage correct(
        const QImage &page, const Options &options, ImageProcessor &processor, OrientationDetector &detector);
    // The clockwise quarter turn (0, 90, 180, 270) by rotateLeft/rotateRight.
    static QImage turn(const QImage &page, int degrees, ImageProcessor &processor);

    // done receives the corrected page on the GUI thread, after everything
    // submitted before it.
    void submit(const QImage &page, const Options &options, std::function<void(const QImage &)> done);
    // Queues handler behind the pages under way (true), or leaves it to the
    // caller (false) when none are, or when it is the result being handed back.
    bool deferIfBusy(std::function<void()> handler);
    bool isBusy() const { return !entries.empty(); }
    int pagesUnderWay() const;

    // The window's own detector for the orientation command (GUI thread).
    OrientationDetector &orientationDetector();

private:
    struct Entry
    {
        quint64 ticket = 0; // 0: a waiting handler, not a page
        bool ready = false;
        QImage result;
        std::function<void(const QImage &)> done;
        std::function<void()> handler;
    };
    struct Job
    {
        quint64 ticket;
        QImage page;
        Options options;
    };

    void work();
    void finished(quint64 ticket, const QImage &result);
    void deliver();

    std::deque<Entry> entries;
    quint64 nextTicket = 1;
    bool delivering = false;
    // Set just before a handed-back result runs: its own first step asks
    // deferIfBusy again, and that one question must go through.
    bool letThrough = false;
    std::unique_ptr<OrientationDetector> guiDetector;

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> jobs;
    bool stopping = false;
    std::thread worker;
};
