#include "ui/pagecorrector.h"

#include <QDebug>

#include <cmath>

#include "imaging/imageprocessor.h"
#include "imaging/paperdetector.h"
#include "imaging/skewestimator.h"
#include "ocr/orientationdetector.h"

PageCorrector::PageCorrector(QObject *parent)
    : QObject(parent)
{
}

PageCorrector::~PageCorrector()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        jobs.clear();
    }
    wake.notify_all();
    if (worker.joinable())
        worker.join();
}

QImage PageCorrector::correct(
    const QImage &page, const Options &options, ImageProcessor &processor, OrientationDetector &detector)
{
    if (page.isNull())
        return page;
    // The measurements decide first, so a page that needs nothing is never copied:
    // a feeder run has no time for copies of every page.
    QImage result = page;
    bool cropped = false;
    if (options.cropToPaper && !PaperDetector::findSheet(result).isNull()) {
        result = processor.cropToPaper(result);
        cropped = true;
    }
    if (options.deskew) {
        const SkewEstimate skew = SkewEstimator::estimate(result);
        if (skew.certain && std::fabs(skew.angle) >= 0.1) {
            result = processor.deskew(result);
            // A sheet lying askew shows straight edges only now.
            if (options.cropToPaper && !cropped && !PaperDetector::findSheet(result).isNull())
                result = processor.cropToPaper(result);
        }
    }
    if (options.orient) {
        const OrientationDetector::Result upright = detector.detect(result);
        if (upright.certain && upright.turn != 0) {
            qDebug() << "检测到页面方向，旋转" << upright.turn << "度";
            result = turn(result, upright.turn, processor);
        }
    }
    return result;
}

QImage PageCorrector::turn(const QImage &page, int degrees, ImageProcessor &processor)
{
    switch (((degrees % 360) + 360) % 360) {
    case 90:
        return processor.rotateRight(page);
    case 180:
        return processor.rotateRight(processor.rotateRight(page));
    case 270:
        return processor.rotateLeft(page);
    default:
        return page;
    }
}

void PageCorrector::submit(const QImage &page, const Options &options, std::function<void(const QImage &)> done)
{
    Entry entry;
    entry.ticket = nextTicket++;
    entry.done = std::move(done);
    entries.push_back(std::move(entry));
    {
        std::lock_guard<std::mutex> lock(mutex);
        jobs.push_back({ entries.back().ticket, page, options });
        if (!worker.joinable())
            worker = std::thread([this]() { work(); });
    }
    wake.notify_one();
}

bool PageCorrector::deferIfBusy(std::function<void()> handler)
{
    if (letThrough) {
        letThrough = false;
        return false;
    }
    if (entries.empty())
        return false;
    Entry entry;
    entry.ready = true;
    entry.handler = std::move(handler);
    entries.push_back(std::move(entry));
    return true;
}

int PageCorrector::pagesUnderWay() const
{
    int count = 0;
    for (const Entry &entry : entries)
        count += entry.ticket != 0;
    return count;
}

OrientationDetector &PageCorrector::orientationDetector()
{
    if (!guiDetector)
        guiDetector = std::make_unique<OrientationDetector>();
    return *guiDetector;
}

void PageCorrector::work()
{
    // Made on this thread: the processor's progress stays here, and Tesseract
    // is loaded once and used by this thread only.
    ImageProcessor processor;
    OrientationDetector detector;
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [this]() { return stopping || !jobs.empty(); });
            if (stopping)
                return;
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        const QImage result = correct(job.page, job.options, processor, detector);
        const quint64 ticket = job.ticket;
        QMetaObject::invokeMethod(
            this, [this, ticket, result]() { finished(ticket, result); }, Qt::QueuedConnection);
    }
}

void PageCorrector::finished(quint64 ticket, const QImage &result)
{
    for (Entry &entry : entries) {
        if (entry.ticket == ticket) {
            entry.ready = true;
            entry.result = result;
            break;
        }
    }
    deliver();
}

void PageCorrector::deliver()
{
    // A result may open a box (automatic save) whose event loop brings the
    // next result; that one waits for the outer loop here, in order.
    if (delivering)
        return;
    delivering = true;
    while (!entries.empty() && entries.front().ready) {
        Entry entry = std::move(entries.front());
        entries.pop_front();
        letThrough = true;
        if (entry.ticket != 0)
            entry.done(entry.result);
        else
            entry.handler();
        letThrough = false;
    }
    delivering = false;
}
