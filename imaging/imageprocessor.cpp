#include "imaging/imageprocessor.h"

#include <QColorSpace>
#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

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

// Rows per band: large enough that starting the helper threads costs nothing
// noticeable, small enough that progress still moves smoothly on a 300-dpi page.
constexpr int bandRows = 240;

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
    for (int first = 0; first < height; first += bandRows) {
        const int end = qMin(height, first + bandRows);
        if (interval > 0) {
            for (int row = (first + interval - 1) / interval * interval; row < end; row += interval)
                reportProgress(progressAt(row));
        }
        // Below about 64 K pixels per band a helper thread costs more than it saves.
        const int threads = qint64(width) * (end - first) < 65536 ? 1 : qMin(cores, end - first);
        if (threads <= 1) {
            work(first, end);
            continue;
        }
        // The band is handed out in chunks, so a helper that the system keeps waiting
        // (the cores are shared) delays the band by one chunk at most.
        const int chunk = qMax(8, (end - first) / (4 * threads));
        std::atomic<int> next(first);
        auto drain = [&]() {
            for (int row = next.fetch_add(chunk); row < end; row = next.fetch_add(chunk))
                work(row, qMin(end, row + chunk));
        };
        std::vector<std::thread> helpers;
        helpers.reserve(size_t(threads - 1));
        try {
            for (int t = 1; t < threads; ++t)
                helpers.emplace_back(drain);
        } catch (const std::system_error &) {
            // No thread to be had: the calling thread drains the band alone.
        }
        drain();
        for (std::thread &helper : helpers)
            helper.join();
    }
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
