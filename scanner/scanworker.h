#pragma once

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QWaitCondition>

#include "scanner/scanarea.h"

#include <functional>
#include <memory>

class SaneApi;
class FrameAssembler;
struct FrameParameters;
namespace SaneGeometry {
struct Options;
}

// Carries out one scan request on the controller's worker thread: opens the
// device, applies the options, starts with the retry policies, reads the
// frames and reports through queued signals. A feeder request runs the
// multi-page loop instead of a single read.
//
// Threading: lives on ScannerController's worker thread; doScan() and
// cancelScan() arrive there through queued connections. requestStop() is the
// one member that may be called from another thread (the controller's
// destructor), and it never touches SANE.
class ScanWorker : public QObject
{
    Q_OBJECT

public:
    // Retry sleeps go through this; tests record the requested milliseconds
    // instead of waiting. The default waits on the worker's own condition so a
    // shutdown can cut it short.
    using Sleeper = std::function<void(int milliseconds)>;

    explicit ScanWorker(QObject *parent = nullptr);
    explicit ScanWorker(std::shared_ptr<SaneApi> sane, QObject *parent = nullptr);
    ~ScanWorker() override;

    bool openDevice(const QString &name);
    void closeDevice();
    bool isDeviceOpen() const { return device != nullptr; }

    bool setScanOptions(const QString &colorMode, int resolution, bool isPreview, const QString &paperSource,
        const QString &duplexMode, double width, double height);

    void setSleeper(Sleeper sleeper);

    // Thread-safe: asks a running scan to end at its next check and wakes a
    // retry sleep, so the owning thread can be joined promptly.
    void requestStop();

    // Largest number of bytes the last single-page read or feeder frame held
    // besides its image (read buffer plus line buffer). For the benchmark.
    qint64 peakReadOverhead() const;

signals:
    void scanProgress(int percentage);
    void scanComplete(QImage scannedImage);
    void scanError(QString errorMessage);
    void multiPageScanStarted();
    void multiPageScanFinished(int totalPages);
    void currentPageScanning(int pageNumber);
    // A preview's image: the whole glass at low resolution, never a page.
    void previewComplete(QImage previewImage);
    // News for the user about the scan under way (an area the backend could
    // not take as it was asked); the scan goes on.
    void scanNotice(QString message);

public slots:
    // area is what the scan covers; the device default leaves the backend's
    // area alone except for a preview, which then covers width x height mm.
    void doScan(QString deviceName, QString colorMode, int resolution, bool isPreview, QString paperSource = QString(),
        QString duplexMode = QString(), double width = 215.9, double height = 279.4, ScanArea area = ScanArea());
    void cancelScan();

private:
    QImage performScan();
    bool startWithRetries();
    void runMultiPageScan();
    QImage readScanData(const FrameParameters &parameters);
    QImage readFrame(const FrameParameters &parameters, bool feederFrame);
    bool isCancelRequested() const;
    bool stopRequestedNow() const;
    QImage noteOverheadAndTake(FrameAssembler &assembler, size_t readBufferBytes);
    void sleepFor(int milliseconds);
    QString statusText(int status) const;
    void applyArea(const SaneGeometry::Options &geometry, const ScanArea &area, double dpi, bool feeder);

    void *device = nullptr;
    bool scanning = false;
    bool cancelRequested = false;
    mutable QMutex mutex;

    std::shared_ptr<SaneApi> sane;
    Sleeper sleeper;
    QWaitCondition stopCondition;
    bool stopRequested = false;
    qint64 readOverhead = 0;
    // The resolution the device settled on for this scan (0: it named none); every
    // page it delivers carries it.
    double scanDpi = 0;
    // A sane_start succeeded on the open device and awaits its sane_cancel.
    bool acquisitionStarted = false;
    // The area of the request being set up.
    ScanArea requestArea;
};
