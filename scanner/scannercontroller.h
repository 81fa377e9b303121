#pragma once

#include <QFuture>
#include <QImage>
#include <QMap>
#include <QObject>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QThread>

#include "scanner/scanarea.h"

#include <atomic>
#include <memory>

class SaneApi;
class ScanWorker;

// The GUI-thread face of SANE scanning: library lifecycle, device list and
// naming, selection, capability detection, current scan settings, and the
// worker thread that acquires pages.
//
// Threading: every public method runs on the GUI thread. The first
// initialisation runs on the global thread pool and touches no member: it
// hands its device lists to the GUI thread in a queued call, so nothing the
// GUI reads is written concurrently. Scan requests and cancels cross to the
// worker only through the queued startScanWorker/cancelScanWorker signals, and
// the worker's results come back queued. The GUI thread never waits for a scan.
class ScannerController : public QObject
{
    Q_OBJECT

public:
    explicit ScannerController(QObject *parent = nullptr);
    // For tests and benchmarks: the SANE calls go through the given seam.
    explicit ScannerController(std::shared_ptr<SaneApi> sane, QObject *parent = nullptr);
    ~ScannerController() override;

    void initializeAsync();
    void initializeSync();
    bool isSaneInitialized() const;
    int initState() const;
    bool supportsADF() const { return m_supportsADF; }
    bool supportsDuplex() const { return m_supportsDuplex; }

    QStringList getAvailableScanners(bool includeNetwork);
    QStringList getCachedScanners();
    // A display name of the list, or the SANE name of a listed device.
    bool selectScanner(const QString &selection);

    // Results of the last selection (capability detection).
    QString currentScanner() const { return m_currentScanner; }
    QStringList supportedSources() const { return m_supportedSources; }
    QStringList duplexModes() const { return m_duplexModes; }
    // SANE device name behind a display name of the last enumeration, or the
    // name itself when it is not one.
    QString deviceNameFor(const QString &displayName) const;

    void setResolution(int dpi);
    void setColorMode(const QString &mode);
    void setScanArea(double x, double y, double width, double height);
    void setPageSize(const QString &name);
    void setPaperSource(const QString &source);
    void setDuplexMode(const QString &mode);
    // What a scan covers from now on (the page-size list, a preview's
    // selection). The device default leaves the backend's own area.
    void setScanRegion(const ScanArea &area);
    ScanArea scanRegion() const { return region; }
    QSizeF scanAreaSize() const { return QSizeF(scanAreaWidth, scanAreaHeight); }
    QString currentPageSize() const { return pageSize; }

    void detectCapabilities();
    void updateScanParameters();
    bool checkADFPaper();
    void debugScannerOptions();

    bool startScan(const QString &scannerName, const QString &colorMode, int resolution, const QString &paperSource,
        const QString &duplexMode);
    bool startPreview(const QString &scannerName);
    void cancelScan();
    void closeSane();

    // The worker, for tests and benchmarks that inject a sleeper or read its
    // figures. It lives on the worker thread.
    ScanWorker *scanWorker() const { return worker.get(); }

signals:
    void scanProgress(int percentage);
    void scanComplete(QImage scannedImage);
    void scanError(QString errorMessage);
    void initializationStarted();
    void initializationProgress(QString message);
    void initializationCompleted();
    void initializationFailed(QString error);
    void previewComplete(QImage previewImage);
    void adfStatusChanged(bool hasDocument);
    void adfEmptyWarning();
    void multiPageScanStarted();
    void multiPageScanFinished(int totalPages);
    void currentPageScanning(int pageNumber);
    void scanNotice(QString message);
    void startScanWorker(QString deviceName, QString colorMode, int resolution, bool isPreview,
        QString paperSource = QString(), QString duplexMode = QString(), double width = 215.9, double height = 279.4,
        ScanArea area = ScanArea());
    void cancelScanWorker();

private:
    void runBackgroundInitialization(bool reinitialize);
    void finishBackgroundInitialization(const QStringList &names, const QMap<QString, QString> &nameMap);
    void failBackgroundInitialization();
    QString derivedDeviceName() const;
    // Selects the named scanner, or falls back to the first listed one; emits
    // scanError and returns false when there is none.
    bool chooseScanner(const QString &scannerName);
    QString statusText(int status) const;
    bool initializeLibrary(int *status, int *versionCode);
    void exitLibrary();

    QStringList scannerCache;
    QStringList availableScanners;
    QString m_currentScanner;
    QMap<QString, QString> deviceNameMap;
    int resolution = 300;
    QString colorMode = QStringLiteral("Color");
    double scanAreaX = 0.0;
    double scanAreaY = 0.0;
    double scanAreaWidth = 215.9;
    double scanAreaHeight = 279.4;
    QString pageSize = QStringLiteral("A4");
    QString paperSource;
    QThread workerThread;
    std::unique_ptr<ScanWorker> worker;
    bool saneInitialized = false;
    int m_initState = 0;
    QFuture<void> initFuture;
    bool m_supportsADF = false;
    QStringList m_supportedSources;
    bool m_supportsDuplex = false;
    QStringList m_duplexModes;
    QString duplexMode = QStringLiteral("Simplex");
    ScanArea region;

    std::shared_ptr<SaneApi> sane;
    // sane_init calls of this controller not yet matched by sane_exit.
    int libraryHolds = 0;
    // Set by the background task once its sane_init succeeded; read after the
    // task has finished, when its queued hand-over may never be delivered.
    std::atomic_bool taskHoldsLibrary { false };

    static bool lastIncludeNetwork;
};
