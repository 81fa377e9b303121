#include "imaging/imageprocessor.h"

#include <QColorSpace>
#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "imaging/paperbackground.h"

#ifdef __linux__
#include <sched.h>
#endif

namespace {

// Cores this process may run on (taskset and cgroup limits included).
int usableCores()
{
#ifdef __linux__
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0)
        return qMax(1, CPU_COUNT(&set));
#endif
    return qMax(1, QThread::idealThreadCount());
}

} // namespace

ImageProcessor::ImageProcessor(QObject *parent)
    : QObject(parent)
{
}

void ImageProcessor::reportProgress(int percentage)
{
    emit processingProgress(percentage);
    QCoreApplication::processEvents();
}

void ImageProcessor::runRows(int width, int height, int interval, const std::function<int(int)> &progressAt,
    const std::function<void(int, int)> &work)
{
    static const int cores = usableCores();
    // Rows go out in chunks from one counter: the calling thread and the helpers take
    // the next chunk when they are free, so a helper the system keeps waiting (the
    // cores are shared) delays the operation by one chunk at most.
    constexpr int chunk = 32;
    std::atomic<int> next(0);
    auto drain = [&]() {
        for (int row = next.fetch_add(chunk); row < height; row = next.fetch_add(chunk))
            work(row, qMin(height, row + chunk));
    };
    // Below about 128 K pixels a helper thread costs more than it saves.
    const int helperCount = qint64(width) * height < 131072 ? 0 : qMin(cores, (height + chunk - 1) / chunk) - 1;
    std::vector<std::thread> helpers;
    helpers.reserve(size_t(qMax(0, helperCount)));
    try {
        for (int t = 0; t < helperCount; ++t)
            helpers.emplace_back(drain);
    } catch (const std::system_error &) {
        // No thread to be had: the calling thread does the rest alone.
    }

    // Progress for every row that is a multiple of interval, in row order, emitted
    // before the chunk holding that row is worked on.
    int reported = 0;
    auto reportBelow = [&](int row) {
        if (interval <= 0)
            return;
        for (int r = (reported + interval - 1) / interval * interval; r < row; r += interval)
            reportProgress(progressAt(r));
        reported = qMax(reported, row);
    };
    for (int row = next.fetch_add(chunk); row < height; row = next.fetch_add(chunk)) {
        const int end = qMin(height, row + chunk);
        reportBelow(end);
        work(row, end);
    }
    reportBelow(height);
    for (std::thread &helper : helpers)
        helper.join();
}

int ImageProcessor::samplePaper(const QImage &source, PaperBackground *paper)
{
    runRows(
        source.width() * paper->blockSize(), paper->blockRows(), 0, [](int) { return 0; },
        [&](int first, int end) { paper->sample(source, first, end); });
    return paper->finish();
}

QImage ImageProcessor::monoLike(const QImage &like, int width, int height)
{
    QImage result(width, height, QImage::Format_Mono);
    if (result.isNull())
        return result;
    result.setColorTable({ qRgb(0, 0, 0), qRgb(255, 255, 255) });
    result.setDotsPerMeterX(like.dotsPerMeterX());
    result.setDotsPerMeterY(like.dotsPerMeterY());
    return result;
}

QImage ImageProcessor::argb32Source(const QImage &image)
{
    return image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
}

QImage ImageProcessor::argb32Like(const QImage &source)
{
    QImage result(source.size(), QImage::Format_ARGB32);
    if (result.isNull())
        return result;
    result.setDotsPerMeterX(source.dotsPerMeterX());
    result.setDotsPerMeterY(source.dotsPerMeterY());
    result.setOffset(source.offset());
    result.setColorSpace(source.colorSpace());
    for (const QString &key : source.textKeys())
        result.setText(key, source.text(key));
    return result;
}

const uchar *ImageProcessor::grayRow(const QImage &source, int y, uchar *buffer)
{
    const int width = source.width();
    switch (source.format()) {
    case QImage::Format_Grayscale8:
        return source.constScanLine(y);
    case QImage::Format_ARGB32:
    case QImage::Format_RGB32: {
        // Qt converts both with qGray on the stored value, alpha ignored.
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        for (int x = 0; x < width; ++x)
            buffer[x] = uchar(qGray(in[x]));
        return buffer;
    }
    default: {
        const QImage row = source.copy(0, y, width, 1).convertToFormat(QImage::Format_Grayscale8);
        memcpy(buffer, row.constScanLine(0), size_t(width));
        return buffer;
    }
    }
}
