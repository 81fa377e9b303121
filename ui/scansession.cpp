#include "ui/scansession.h"

#include <QTimer>

#include <algorithm>

#include "document/documentmanager.h"
#include "imaging/imageprocessor.h"

ScanSession::ScanSession(ImageProcessor *imageProcessor, DocumentManager *documentManager, QObject *parent)
    : QObject(parent)
    , imageProcessor(imageProcessor)
    , documentManager(documentManager)
{
}

void ScanSession::begin(Kind kind, bool twoLevel)
{
    ++m_generation;
    m_kind = kind;
    m_twoLevel = twoLevel;
    m_scanning = kind != Kind::Idle;
    m_cancelled = false;
    runPages.clear();
}

void ScanSession::beginFeederRun()
{
    m_kind = Kind::FeederRun;
    m_scanning = true;
    runPages.clear();
}

void ScanSession::stopScanning()
{
    m_scanning = false;
}

void ScanSession::cancel()
{
    begin(Kind::Idle);
    m_cancelled = true;
}

QList<int> ScanSession::finishRun()
{
    const QList<int> pages = finishedRunIndices();
    begin(Kind::Idle);
    return pages;
}

QList<int> ScanSession::finishedRunIndices() const
{
    QList<int> indices;
    for (PageId page : runPages) {
        const int index = documentManager->indexOf(page);
        if (index >= 0)
            indices.append(index);
    }
    std::sort(indices.begin(), indices.end());
    return indices;
}

ScanSession::PageResult ScanSession::takePage(const QImage &image, const BlankTest &blank)
{
    return takeTestedPage(image, isBlank(image, blank));
}

bool ScanSession::isBlank(const QImage &image, const BlankTest &blank) const
{
    return blank.enabled && !image.isNull()
        && imageProcessor->isBlankPage(image, blank.threshold, blank.ratioPercent / 100.0);
}

ScanSession::PageResult ScanSession::takeTestedPage(const QImage &image, bool blank)
{
    PageResult result;
    if (image.isNull())
        return result;
    const bool inRun = isCollecting() || m_kind == Kind::EsclPlaten;
    if (blank) {
        // Inside a run more sheets follow; only a page scanned on its own (or
        // one turn of the delay cycle) is over with a blank page.
        const bool ends = m_delayActive || !inRun;
        result.next = ends ? Next::SkippedBlank : Next::SkippedBlankInRun;
        result.endsScan = ends;
        if (ends)
            m_scanning = false;
        return result;
    }
    // A device without a two-level mode scanned in grey (or gave a picture of
    // another kind): the page is made two-level here, against its own paper.
    const bool asScanned = !m_twoLevel
        || (image.format() == QImage::Format_Mono
            && image.colorTable() == QVector<QRgb>({ qRgb(0, 0, 0), qRgb(255, 255, 255) }));
    documentManager->addPage(asScanned ? image : imageProcessor->toTwoLevelOnPaper(image));
    result.index = documentManager->pageCount() - 1;
    if (m_cancelled) {
        result.next = Next::AddedOnly;
    } else if (m_delayActive) {
        ++m_delayCount;
        result.next = Next::DelayCycleEnd;
        result.endsScan = true;
    } else if (isCollecting()) {
        runPages.append(documentManager->pageId(result.index));
        result.next = Next::Collected;
    } else {
        result.next = Next::SaveSingle;
        // An eSCL job stays one scan until the client reports its end.
        result.endsScan = m_kind != Kind::EsclPlaten;
    }
    if (result.endsScan)
        m_scanning = false;
    return result;
}

void ScanSession::startDelay(int intervalSeconds, bool autoSaveWasChecked)
{
    m_delayActive = true;
    m_delayInterval = intervalSeconds;
    m_delayCountdown = intervalSeconds;
    m_delayCount = 0;
    autoSaveBeforeDelay = autoSaveWasChecked;
}

bool ScanSession::stopDelay()
{
    m_delayActive = false;
    m_delayCount = 0;
    m_delayCountdown = 0;
    return autoSaveBeforeDelay;
}

int ScanSession::tick()
{
    return --m_delayCountdown;
}

ScanSession::Hold::Hold(ScanSession *session)
    : session(session)
{
    ++session->holds;
}

ScanSession::Hold::~Hold()
{
    session->release();
}

void ScanSession::yieldTurn()
{
    ++holds;
    QTimer::singleShot(0, this, &ScanSession::release);
}

void ScanSession::continueAtNextTurn(std::function<void()> handler)
{
    yieldTurn();
    deferred.prepend(std::move(handler));
}

bool ScanSession::deferIfBusy(std::function<void()> handler)
{
    if (holds == 0)
        return false;
    deferred.append(std::move(handler));
    return true;
}

void ScanSession::release()
{
    if (--holds == 0)
        drain();
}

void ScanSession::drain()
{
    // A handler run from here takes its own hold; results arriving while it
    // shows a box queue up behind the ones already waiting.
    if (draining)
        return;
    draining = true;
    while (holds == 0 && !deferred.isEmpty())
        deferred.takeFirst()();
    draining = false;
}
