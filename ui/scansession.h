#pragma once

#include <QImage>
#include <QList>
#include <QObject>

#include <functional>

#include "document/pageid.h"
#include "settings/appsettings.h"

class DocumentManager;
class ImageProcessor;

// The scan under way and the order of the page pipeline, without widgets: which
// kind of scan runs (a single SANE page, a SANE feeder run, an eSCL job), the
// pages a run has added to the document, the delay-scan cycle, and the results
// that wait while the window shows one of the pipeline's message boxes.
//
// A run records the ids of its pages, never the images: the document owns
// them and knows where each one is now, whatever was moved, removed or put
// back while the run went on.
//
// GUI thread only.
class ScanSession : public QObject
{
    Q_OBJECT

public:
    enum class Kind {
        Idle,
        SinglePage, // a SANE page, preview or forced feeder start until the feeder run announces itself
        FeederRun, // a SANE feeder run, from multiPageScanStarted to multiPageScanFinished
        EsclPlaten, // an eSCL platen job until allPagesComplete
        EsclFeeder, // an eSCL feeder job until allPagesComplete
    };

    // What the window does with a page after the pipeline has taken it.
    enum class Next {
        Nothing, // a null image
        SkippedBlank, // not added; the single-page scan (or delay cycle) ends
        SkippedBlankInRun, // not added; the run goes on
        DelayCycleEnd, // added; the delay countdown starts again
        Collected, // added to the run, saved with it at its end
        SaveSingle, // added; the scan ends and the page is saved on its own
        AddedOnly, // added after the user broke the scan off: kept, not saved
    };

    struct BlankTest
    {
        bool enabled = false;
        int threshold = AppSettings::blankPageThreshold.defaultValue();
        int ratioPercent = AppSettings::blankPageRatio.defaultValue();
    };

    struct PageResult
    {
        Next next = Next::Nothing;
        int index = -1; // document index of an added page
        bool endsScan = false; // the scan state ends with this page
    };

    ScanSession(ImageProcessor *imageProcessor, DocumentManager *documentManager, QObject *parent = nullptr);

    // Every start begins with a clean run state: whatever an earlier run left
    // behind (a feeder run that failed on its first sheet) is forgotten.
    // twoLevel: the user asked for black and white; every page is added as a
    // Format_Mono page (index 0 black, 1 white).
    void begin(Kind kind, bool twoLevel = false);
    // The SANE worker announced a feeder run: pages are collected from here on.
    void beginFeederRun();
    // The scan ended (error, cancel, last page); a run's record is kept for a
    // finished signal that may still follow.
    void stopScanning();
    // The document indices of the run's pages still there, in document order,
    // and a clean state.
    QList<int> finishRun();
    // The user broke the scan off: the state ends at once and what the
    // scanner still reports about this scan stays quiet until the next start.
    void cancel();
    bool isCancelled() const { return m_cancelled; }

    // Changes with every start and end of a scan; a result that carries an
    // older value belongs to a scan that is over.
    quint64 generation() const { return m_generation; }
    Kind kind() const { return m_kind; }
    bool isScanning() const { return m_scanning; }
    bool isCollecting() const { return m_kind == Kind::FeederRun || m_kind == Kind::EsclFeeder; }
    int collectedCount() const { return finishedRunIndices().size(); }

    // The page pipeline: blank test, addPage, then the decision what follows.
    // The image is handed to the document as it is (no copy is made).
    PageResult takePage(const QImage &image, const BlankTest &blank);
    // The same in two steps, so that the event loop may run in between.
    bool isBlank(const QImage &image, const BlankTest &blank) const;
    PageResult takeTestedPage(const QImage &image, bool blank);

    // Delay cycle.
    void startDelay(int intervalSeconds, bool autoSaveWasChecked);
    // Ends the mode; returns the automatic-save state it found at the start.
    bool stopDelay();
    bool delayActive() const { return m_delayActive; }
    int delayInterval() const { return m_delayInterval; }
    int delayCountdown() const { return m_delayCountdown; }
    int delayCount() const { return m_delayCount; }
    // One second passed; returns the seconds left.
    int tick();
    void restartCountdown() { m_delayCountdown = m_delayInterval; }

    // While the window handles a result that may open a box, later results
    // wait and run in order once it is done. hold() returns the guard.
    class Hold
    {
    public:
        explicit Hold(ScanSession *session);
        ~Hold();
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        ScanSession *session;
    };
    // Lets the event loop run (paint, timers, input) before the next result:
    // a feeder delivers sheets faster than a page is shown, and without a turn
    // in between the window would stall for the whole batch.
    void yieldTurn();
    // Runs the handler at the next turn of the event loop, ahead of the
    // results already waiting (it is the rest of the one being handled).
    void continueAtNextTurn(std::function<void()> handler);
    // True when the handler was queued because a result is being handled.
    bool deferIfBusy(std::function<void()> handler);
    bool isBusy() const { return holds > 0; }
    int deferredCount() const { return deferred.size(); }

private:
    void release();
    void drain();
    QList<int> finishedRunIndices() const;

    ImageProcessor *imageProcessor;
    DocumentManager *documentManager;
    Kind m_kind = Kind::Idle;
    bool m_scanning = false;
    bool m_cancelled = false;
    bool m_twoLevel = false;
    quint64 m_generation = 0;
    QList<PageId> runPages;

    bool m_delayActive = false;
    int m_delayInterval = 0;
    int m_delayCountdown = 0;
    int m_delayCount = 0;
    bool autoSaveBeforeDelay = false;

    int holds = 0;
    bool draining = false;
    QList<std::function<void()>> deferred;
};
