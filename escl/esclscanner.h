#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

#include "escl/esclscansettings.h"

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QTimer;

// The client for one eSCL scanner, named by its base URL (scheme, host and
// optional port, no trailing slash). It queries capabilities and status and
// runs one scan job at a time, from the platen or every page of the feeder.
// Every request is asynchronous; results arrive as signals. Lives on the thread
// that created it (the GUI thread) and uses no locks.
class ESCLScanner : public QObject
{
    Q_OBJECT

public:
    // The waits and time-outs of a scan job. The defaults are the production
    // values; tests shorten them.
    struct Intervals
    {
        int scannerReadyDelayMs = 2000; // after the job is created, before the first fetch
        int busyRetryDelayMs = 1500; // after a 503 to NextDocument
        int nextPageDelayMs = 500; // between feeder pages
        int createJobTimeoutMs = 30000;
        int documentTimeoutMs = 60000;
    };

    // Scanners answer a NextDocument 503 while they warm up or feed; after this
    // many retries in a row the scan fails.
    static constexpr int maxBusyRetries = 15;
    // Larger than an A3 page at 1200 dpi: a page declaring more pixels than this
    // is refused before decoding, so a broken device cannot exhaust memory.
    static constexpr int maxPageWidth = 14100;
    static constexpr int maxPageHeight = 19900;

    explicit ESCLScanner(const QString &baseUrl, QObject *parent = nullptr);
    ~ESCLScanner() override;

    void setBaseUrl(const QString &baseUrl);
    QString url() const { return baseUrl; }

    void setIntervals(const Intervals &intervals);
    Intervals currentIntervals() const { return intervals; }

    // GET capabilities / status. No time-out of their own: callers wait under theirs.
    void queryCapabilities();
    void queryStatus();

    void startScan(const ESCLScanSettings &settings);
    void cancelScan();
    // Deletes this client once its requests under way are answered, at the
    // latest after graceMs: the job's DELETE follows the last signal, and
    // deleting the client at once would take the request down with it.
    void deleteWhenIdle(int graceMs = 10000);

    // Id of the job held on the scanner; empty when none is held.
    QString currentJobId() const { return jobId; }

    // The ScanSettings document the job POST carries.
    static QString buildScanSettingsXml(const ESCLScanSettings &settings);
    // Whether a ScannerCapabilities document offers the colour mode ("BlackAndWhite1").
    static bool listsColorMode(const QString &capabilities, const QString &mode);
    // Last "/"-separated part of a Location, trimmed; empty when the Location ends in "/".
    static QString extractJobId(const QString &location);
    // A NextDocument body as the page it holds, the job's resolution recorded
    // when the image names none of its own; null with errorText set when the
    // body is not an image or claims more pixels than a page may have.
    static QImage decodeDocument(QByteArray data, int resolution, QString *errorText);
    // Whitens near-white pixels and stretches the rest a little; returns an opaque
    // Format_RGB32 image (a null image stays null). Taking the image by value lets
    // a caller hand over its only copy, which is then rewritten in place.
    static QImage enhanceScannedPage(QImage image);

signals:
    void capabilitiesReceived(const QString &capabilities);
    void statusReceived(const QString &status);
    // Declared for listeners; the client has no progress to report.
    void scanProgress(int percentage);
    void pageScanned(const QImage &image, int pageNumber);
    void allPagesComplete(int totalPages);
    void scanComplete(const QImage &image);
    void scanError(const QString &error);

private slots:
    void onCapabilitiesReplyFinished();
    void onStatusReplyFinished();
    void onCreateJobReplyFinished();
    void onDocumentReplyFinished();
    void onScanTimeout();

private:
    QNetworkRequest makeRequest(const QString &url) const;
    void createScanJob();
    void fetchNextDocument();
    void scheduleFetch(int delayMs);
    QString takeJobId();
    void finishJob(const QString &endedJob);
    void deleteScanJob();
    QNetworkReply *deleteJob(const QString &id);
    // Ends the current scan for every reply and deferred fetch still on its way.
    void endScanGeneration();
    bool isCurrent(QNetworkReply *reply) const;
    void handleLateReply(QNetworkReply *reply, bool isJobReply);
    void handleDocument(QNetworkReply *reply);
    void completeWithPages();

    QNetworkAccessManager *networkManager = nullptr;
    QString baseUrl;
    QString jobId;
    QTimer *timeoutTimer = nullptr;
    ESCLScanSettings settings;
    int busyRetryCount = 0;
    QList<QImage> scannedPages;
    int pageCount = 0;
    bool multiPageMode = false;

    Intervals intervals;
    // Bumped when a scan starts, is cancelled or times out. Replies and deferred
    // fetches carry the value they were made under; a different value means they
    // belong to a scan that has already ended.
    quint64 scanGeneration = 0;
};
