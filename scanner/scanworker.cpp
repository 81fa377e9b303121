#include "scanner/scanworker.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QDebug>
#include <QMetaObject>
#include <QMutexLocker>

#include "scanner/frameassembler.h"
#include "scanner/libsaneapi.h"
#include "scanner/optionvocabulary.h"
#include "scanner/saneapi.h"
#include "scanner/saneoptions.h"

#include <cmath>
#include <vector>

namespace {

constexpr int readChunkBytes = 32768;
constexpr int noDocsRetries = 5;
constexpr int busyRetries = 10;
constexpr int busyRetryMilliseconds = 2000;
constexpr int progressStep = 10;
constexpr int progressIntervalMs = 40;

} // namespace

ScanWorker::ScanWorker(QObject *parent)
    : ScanWorker(LibSaneApi::shared(), parent)
{
}

ScanWorker::ScanWorker(std::shared_ptr<SaneApi> sane, QObject *parent)
    : QObject(parent)
    , sane(std::move(sane))
{
}

ScanWorker::~ScanWorker()
{
    closeDevice();
}

bool ScanWorker::openDevice(const QString &name)
{
    closeDevice();
    SANE_Handle handle = nullptr;
    const SANE_Status status = sane->open(name.toUtf8().constData(), &handle);
    if (status != SANE_STATUS_GOOD || !handle) {
        qDebug() << "打开设备失败: " << statusText(status);
        device = nullptr;
        return false;
    }
    device = handle;
    qDebug() << "成功打开设备: " << name;
    return true;
}

void ScanWorker::closeDevice()
{
    if (!device)
        return;
    if (acquisitionStarted) {
        sane->cancel(device);
        acquisitionStarted = false;
    }
    sane->close(device);
    device = nullptr;
    qDebug() << "设备已关闭";
}

void ScanWorker::setSleeper(Sleeper newSleeper)
{
    QMutexLocker lock(&mutex);
    sleeper = std::move(newSleeper);
}

void ScanWorker::requestStop()
{
    QMutexLocker lock(&mutex);
    stopRequested = true;
    cancelRequested = true;
    stopCondition.wakeAll();
}

qint64 ScanWorker::peakReadOverhead() const
{
    QMutexLocker lock(&mutex);
    return readOverhead;
}

void ScanWorker::cancelScan()
{
    QMutexLocker lock(&mutex);
    if (scanning)
        cancelRequested = true;
}

bool ScanWorker::isCancelRequested() const
{
    QMutexLocker lock(&mutex);
    return cancelRequested;
}

void ScanWorker::sleepFor(int milliseconds)
{
    QMutexLocker lock(&mutex);
    if (sleeper) {
        const Sleeper injected = sleeper;
        lock.unlock();
        injected(milliseconds);
        return;
    }
    // A plain wait on the stop condition: production sleeps for real, and the
    // controller's shutdown does not have to sit out a 5 s retry step.
    QDeadlineTimer deadline(milliseconds);
    while (!stopRequested && !deadline.hasExpired())
        stopCondition.wait(&mutex, deadline);
}

QString ScanWorker::statusText(int status) const
{
    return QString::fromUtf8(sane->strstatus(static_cast<SANE_Status>(status)));
}

void ScanWorker::doScan(QString deviceName, QString colorMode, int resolution, bool isPreview, QString paperSource,
    QString duplexMode, double width, double height, ScanArea area)
{
    {
        QMutexLocker lock(&mutex);
        if (stopRequested)
            return;
        // The read loop processes this thread's events so that a cancel gets
        // through; a request queued behind the running one would be delivered
        // there too. Re-queue it so requests stay one after another.
        if (scanning || device) {
            lock.unlock();
            QMetaObject::invokeMethod(
                this,
                [=]() {
                    doScan(deviceName, colorMode, resolution, isPreview, paperSource, duplexMode, width, height, area);
                },
                Qt::QueuedConnection);
            return;
        }
        cancelRequested = false;
    }

    if (!openDevice(deviceName)) {
        emit scanError(tr("无法打开扫描仪设备: %1").arg(deviceName));
        return;
    }
    requestArea = area;
    if (!setScanOptions(colorMode, resolution, isPreview, paperSource, duplexMode, width, height)) {
        emit scanError(tr("无法设置扫描参数"));
        closeDevice();
        return;
    }

    const bool feederRequest = OptionVocabulary::isFeederRequest(paperSource);
    {
        QMutexLocker lock(&mutex);
        scanning = true;
    }
    if (!isPreview && feederRequest) {
        runMultiPageScan();
    } else {
        const QImage image = performScan();
        if (!isCancelRequested()) {
            if (!image.isNull() && isPreview)
                emit previewComplete(image);
            else if (!image.isNull())
                emit scanComplete(image);
            else
                emit scanError(tr("扫描失败或被取消"));
        }
    }
    {
        QMutexLocker lock(&mutex);
        scanning = false;
    }
    closeDevice();
}

bool ScanWorker::startWithRetries()
{
    SANE_Status status = sane->start(device);
    bool busyRetry = false;
    if (status == SANE_STATUS_GOOD) {
        acquisitionStarted = true;
        return true;
    }

    if (status == SANE_STATUS_NO_DOCS) {
        // Some network (eSCL) devices report an empty feeder for a flatbed
        // scan while they wake up; waiting longer each time usually helps.
        qDebug() << "收到 SANE_STATUS_NO_DOCS 错误";
        qDebug() << "检测到稿台扫描模式，这可能是 eSCL 设备的误报错误";
        qDebug() << "等待扫描仪准备就绪...";
        for (int attempt = 1; attempt <= noDocsRetries; ++attempt) {
            const int wait = 1000 * attempt;
            qDebug() << "第" << attempt << "次重试，等待" << wait << "ms...";
            sleepFor(wait);
            if (stopRequestedNow())
                break;
            status = sane->start(device);
            if (status == SANE_STATUS_GOOD) {
                acquisitionStarted = true;
                qDebug() << "重试成功！扫描仪已就绪";
                return true;
            }
            if (status == SANE_STATUS_DEVICE_BUSY) {
                qDebug() << "扫描仪忙碌中，继续等待...";
            } else if (status == SANE_STATUS_NO_DOCS) {
                qDebug() << "仍然收到 NO_DOCS 错误";
            } else {
                qDebug() << "收到其他错误:" << statusText(status) << "，停止重试";
                break;
            }
        }
        qDebug() << "多次重试后仍然失败";
        qDebug() << "提示：请确认稿台上已放置文档，或尝试使用 ADF 模式";
        busyRetry = status == SANE_STATUS_DEVICE_BUSY;
    } else if (status == SANE_STATUS_DEVICE_BUSY) {
        qDebug() << "扫描仪忙碌，等待设备就绪...";
        busyRetry = true;
    }

    if (busyRetry && !stopRequestedNow()) {
        for (int attempt = 1; attempt <= busyRetries; ++attempt) {
            qDebug() << "等待 2 秒后重试...";
            sleepFor(busyRetryMilliseconds);
            if (stopRequestedNow())
                break;
            status = sane->start(device);
            if (status == SANE_STATUS_GOOD) {
                acquisitionStarted = true;
                qDebug() << "设备已就绪，扫描开始";
                return true;
            }
            if (status != SANE_STATUS_DEVICE_BUSY) {
                qDebug() << "设备状态变化:" << statusText(status);
                break;
            }
        }
    }

    qDebug() << "开始扫描失败: " << statusText(status);
    if (status == SANE_STATUS_NO_DOCS) {
        qDebug() << "错误原因：扫描仪报告无文档（可能是设备兼容性问题）";
        qDebug() << "解决方法：";
        qDebug() << "  1. 确认稿台上已放置文档";
        qDebug() << "  2. 检查文档是否正确放置";
        qDebug() << "  3. 尝试重新启动扫描仪";
        qDebug() << "  4. 如果使用网络扫描仪，检查网络连接";
    }
    return false;
}

bool ScanWorker::stopRequestedNow() const
{
    QMutexLocker lock(&mutex);
    return stopRequested;
}

QImage ScanWorker::performScan()
{
    if (!device) {
        qDebug() << "设备未打开，无法扫描";
        return QImage();
    }
    qDebug() << "调用 sane_start...";
    if (!startWithRetries())
        return QImage();

    qDebug() << "sane_start 成功";
    qDebug() << "调用 sane_get_parameters...";
    SANE_Parameters saneParameters;
    const SANE_Status status = sane->getParameters(device, &saneParameters);
    if (status != SANE_STATUS_GOOD) {
        qDebug() << "获取扫描参数失败: " << statusText(status);
        return QImage();
    }
    const FrameParameters parameters = SaneOptions::frameParameters(saneParameters);
    qDebug() << "扫描参数:";
    qDebug() << "  格式: " << parameters.format;
    qDebug() << "  最后一帧: " << parameters.lastFrame;
    qDebug() << "  字节数/行: " << parameters.bytesPerLine;
    qDebug() << "  像素数/行: " << parameters.pixelsPerLine;
    qDebug() << "  行数: " << parameters.lines;
    qDebug() << "  深度: " << parameters.depth;
    return readFrame(parameters, false);
}

QImage ScanWorker::readScanData(const FrameParameters &parameters)
{
    return readFrame(parameters, true);
}

// One frame from sane_read into an image. The single-page reader and the
// feeder's readScanData differ only in their log texts, where they look at the
// cancel flag, and in who reports 100 %.
QImage ScanWorker::readFrame(const FrameParameters &parameters, bool feederFrame)
{
    if (!FrameAssembler::isSupported(parameters)) {
        qDebug() << "不支持的图像格式: " << parameters.format;
        return QImage();
    }
    FrameAssembler assembler(parameters);
    if (!assembler.isValid()) {
        qDebug() << "创建图像缓冲区失败";
        return QImage();
    }
    if (feederFrame)
        assembler.setGrowthObserver([] { qDebug() << "警告: 当前行超出图像高度，调整图像大小"; });

    const qint64 expected = FrameAssembler::expectedBytes(parameters);
    if (feederFrame)
        qDebug() << "readScanData: 开始读取，预期字节数:" << expected;
    else
        qDebug() << "开始读取扫描数据，预期字节数:" << expected << "缓冲区大小:" << readChunkBytes
                 << "每行字节数:" << parameters.bytesPerLine;

    std::vector<SANE_Byte> buffer(readChunkBytes);
    qint64 total = 0;
    int lastProgress = -1;
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    for (;;) {
        if (!feederFrame && isCancelRequested()) {
            qDebug() << "扫描被取消";
            return QImage();
        }
        SANE_Int length = 0;
        const SANE_Status status = sane->read(device, buffer.data(), readChunkBytes, &length);
        const int row = assembler.rowsDone();
        if (row < 5 || row % 100 == 0) {
            if (feederFrame)
                qDebug() << "readScanData 行" << row << ": status=" << status << "readBytes=" << length;
            else
                qDebug() << "行" << row << ": sane_read 返回 status=" << status << " readBytes=" << length;
        }

        if (status == SANE_STATUS_GOOD) {
            if (length <= 0) {
                if (row < 5)
                    qDebug() << (feederFrame ? "readScanData: 读取0字节，继续..." : "读取0字节，继续...");
                // A backend that keeps answering "nothing yet" must not starve the cancel.
                QCoreApplication::processEvents();
            } else {
                total += length;
                assembler.append(buffer.data(), length);
                const int progress = expected < 1
                    ? 50
                    : static_cast<int>(std::min<qint64>(99, std::max<qint64>(0, total * 100 / expected)));
                // Every chunk would be hundreds of queued events per page, each
                // waking the GUI thread. A progress bar needs a new value about
                // 25 times a second, or when it moved by a tenth.
                if (progress != lastProgress
                    && (lastProgress < 0 || progress - lastProgress >= progressStep
                        || sinceProgress.elapsed() >= progressIntervalMs)) {
                    lastProgress = progress;
                    sinceProgress.restart();
                    emit scanProgress(progress);
                }
                QCoreApplication::processEvents();
            }
            if (feederFrame && isCancelRequested())
                return noteOverheadAndTake(assembler, buffer.size());
            continue;
        }

        if (status == SANE_STATUS_EOF) {
            qDebug() << (feederFrame ? "readScanData: 收到 EOF，当前已读取" : "收到 EOF，当前已读取") << total
                     << "字节，" << assembler.rowsDone() << "行";
            if (assembler.pendingBytes() > 0)
                qDebug() << (feederFrame ? "readScanData: 处理剩余的" : "处理剩余的") << assembler.pendingBytes()
                         << "字节";
            const QImage image = noteOverheadAndTake(assembler, buffer.size());
            if (image.isNull()) {
                // Not one complete line: an empty page is no scan.
                qDebug() << "扫描数据不足一行，视为扫描失败";
                return QImage();
            }
            if (!feederFrame)
                emit scanProgress(100);
            qDebug() << (feederFrame ? "页面扫描完成，总字节数: " : "扫描完成，总字节数: ") << total;
            return image;
        }

        qDebug() << "读取扫描数据失败: " << statusText(status);
        return QImage();
    }
}

QImage ScanWorker::noteOverheadAndTake(FrameAssembler &assembler, size_t readBufferBytes)
{
    {
        QMutexLocker lock(&mutex);
        readOverhead = qint64(readBufferBytes) + assembler.overheadBytes();
    }
    QImage image = assembler.takeImage();
    if (scanDpi > 0 && !image.isNull()) {
        const int dotsPerMetre = int(std::lround(scanDpi / 0.0254));
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
    }
    return image;
}
