#include "ui/recognitionqueue.h"

#include <QDebug>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QThread>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "document/documentmanager.h"
#include "document/pagestore.h"
#include "ocr/textrecognizer.h"

namespace {

// Recognition takes only what the scan pipeline, the window and everything else
// on the machine leave: at nice 10 the GUI thread's longest stall while four A4
// pages were read was 63 ms on the shared two-core machine, at nice 19 48-51 ms
// (ocr_bench), with the pages read no slower when the cores are free.
constexpr int workerNiceness = 19;

} // namespace

struct RecognitionQueue::Job
{
    PageId id = 0;
    quint64 serial = 0;
    bool loadOnly = false; // the stored text or nothing: recognition is off
    PageStore::Source source;
    QString textPath;
    QString languages;
    QString dataPath;
    std::atomic_bool cancel { false };
};

struct RecognitionQueue::Result
{
    PageId id = 0;
    quint64 serial = 0;
    bool found = false;
    bool wroteFile = false;
    QString textPath;
    QString engineError;
    PageText text;
};

// The worker threads; each owns its engine, loaded on its first page.
class RecognitionQueue::Pool
{
public:
    Pool(RecognitionQueue *owner, int threads)
        : m_owner(owner)
    {
        for (int i = 0; i < threads; ++i)
            m_threads.emplace_back([this] { run(); });
    }

    ~Pool()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
            m_jobs.clear();
        }
        m_wake.notify_all();
        for (std::thread &thread : m_threads)
            thread.join();
    }

    void push(std::shared_ptr<Job> job)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_jobs.push_back(std::move(job));
        }
        m_wake.notify_one();
    }

private:
    void run()
    {
        setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), workerNiceness);
        TextRecognizer recognizer;
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping)
                return;
            std::shared_ptr<Job> job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            const Result result = perform(*job, recognizer);
            job.reset();
            QMetaObject::invokeMethod(
                m_owner, [owner = m_owner, result] { owner->onResult(result); }, Qt::QueuedConnection);
            lock.lock();
        }
    }

    static Result perform(Job &job, TextRecognizer &recognizer)
    {
        Result result;
        result.id = job.id;
        result.serial = job.serial;
        result.textPath = job.textPath;
        QFile stored(job.textPath);
        if (!job.textPath.isEmpty() && stored.open(QIODevice::ReadOnly)) {
            // A damaged file is recognised anew and replaced.
            result.found = PageText::fromJson(stored.read(16 << 20), &result.text);
            if (result.found || job.loadOnly)
                return result;
        }
        if (job.loadOnly || job.cancel)
            return result;
        QString errorText;
        if (!recognizer.load(job.languages, job.dataPath, &errorText)) {
            result.engineError = errorText;
            return result;
        }
        const QImage page = job.source.load();
        if (page.isNull())
            return result;
        bool cancelled = false;
        result.text = recognizer.recognize(page, &job.cancel, &cancelled);
        if (cancelled)
            return result;
        result.found = true;
        if (!job.textPath.isEmpty()) {
            QSaveFile file(job.textPath);
            result.wroteFile
                = file.open(QIODevice::WriteOnly) && file.write(result.text.toJson()) >= 0 && file.commit();
            if (!result.wroteFile)
                qDebug() << "无法写入识别文字: " << job.textPath << file.errorString();
        }
        return result;
    }

    RecognitionQueue *m_owner;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Job>> m_jobs;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

RecognitionQueue::RecognitionQueue(DocumentManager *document, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_languages(QStringLiteral("chi_sim+eng"))
    , m_dataPath(TextRecognizer::defaultDataPath())
    , m_threads(qMax(1, QThread::idealThreadCount()))
{
    qRegisterMetaType<PageId>("PageId");
    connect(document, &DocumentManager::pageAdded, this, &RecognitionQueue::onPageAdded);
    connect(document, &DocumentManager::pageRemoved, this, &RecognitionQueue::prune);
    connect(document, &DocumentManager::documentChanged, this, [this] {
        // A new document clears the pages without a signal for each.
        if (m_document->pageCount() < m_serials.size())
            prune();
    });
}

RecognitionQueue::~RecognitionQueue()
{
    for (const std::shared_ptr<Job> &job : qAsConst(m_running))
        job->cancel = true;
    m_pool.reset();
}

void RecognitionQueue::setLanguages(const QString &languages)
{
    m_languages = languages;
    m_unavailableReported = false;
}

QString RecognitionQueue::languages() const
{
    return m_languages;
}

void RecognitionQueue::setDataPath(const QString &path)
{
    m_dataPath = path;
    m_unavailableReported = false;
}

void RecognitionQueue::setThreadCount(int threads)
{
    if (!m_pool)
        m_threads = qBound(1, threads, qMax(1, QThread::idealThreadCount()));
}

QString RecognitionQueue::missingData() const
{
    return TextRecognizer::missingDataMessage(m_languages, m_dataPath);
}

void RecognitionQueue::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (!enabled) {
        for (const std::shared_ptr<Job> &job : qAsConst(m_pending))
            m_serials.remove(job->id);
        m_pending.clear();
        return;
    }
    m_unavailableReported = false;
    for (int i = 0; i < m_document->pageCount(); ++i) {
        const PageId id = m_document->pageId(i);
        if (!m_texts.contains(id) && !isWaiting(id))
            enqueue(id, false, false);
    }
    dispatch();
}

bool RecognitionQueue::isEnabled() const
{
    return m_enabled;
}

bool RecognitionQueue::hasText(PageId id) const
{
    return m_texts.contains(id);
}

PageText RecognitionQueue::text(PageId id) const
{
    return m_texts.value(id);
}

bool RecognitionQueue::isWaiting(PageId id) const
{
    // A page has a serial exactly while a job whose result will count is queued
    // or under way.
    return m_serials.contains(id);
}

int RecognitionQueue::waitingAmong(const QVector<PageId> &ids) const
{
    int waiting = 0;
    for (PageId id : ids) {
        if (!m_texts.contains(id) && isWaiting(id))
            ++waiting;
    }
    return waiting;
}

void RecognitionQueue::recognizeNow(PageId id)
{
    if (m_document->indexOf(id) < 0 || m_texts.contains(id))
        return;
    m_unavailableReported = false;
    prioritise({ id });
    if (!isWaiting(id))
        enqueue(id, true, false);
    dispatch();
}

void RecognitionQueue::prioritise(const QVector<PageId> &ids)
{
    QList<std::shared_ptr<Job>> first;
    for (auto job = m_pending.begin(); job != m_pending.end();) {
        if (ids.contains((*job)->id)) {
            first.append(*job);
            job = m_pending.erase(job);
        } else {
            ++job;
        }
    }
    m_pending = first + m_pending;
}

QVector<PageText> RecognitionQueue::textsFor(const QVector<int> &indices) const
{
    QVector<PageText> texts;
    texts.reserve(indices.size());
    for (int index : indices)
        texts.append(m_texts.value(m_document->pageId(index)));
    return texts;
}

void RecognitionQueue::onPageAdded(int index)
{
    const PageId id = m_document->pageId(index);
    // A put-back keeps the id but brings another image: whatever was known or
    // under way for the old one no longer counts.
    m_texts.remove(id);
    for (const std::shared_ptr<Job> &job : qAsConst(m_running)) {
        if (job->id == id)
            job->cancel = true;
    }
    m_serials.remove(id);
    const QString stored = m_document->pageStore()->textPath(index);
    // A recovered page has its text beside it already.
    const bool hasFile = !stored.isEmpty() && QFile::exists(stored);
    if (hasFile || m_enabled) {
        enqueue(id, hasFile, !m_enabled);
        dispatch();
    }
}

void RecognitionQueue::prune()
{
    QSet<PageId> live;
    for (int i = 0; i < m_document->pageCount(); ++i)
        live.insert(m_document->pageId(i));
    for (auto it = m_texts.begin(); it != m_texts.end();)
        it = live.contains(it.key()) ? std::next(it) : m_texts.erase(it);
    for (auto it = m_serials.begin(); it != m_serials.end();)
        it = live.contains(it.key()) ? std::next(it) : m_serials.erase(it);
    for (auto job = m_pending.begin(); job != m_pending.end();)
        job = live.contains((*job)->id) ? std::next(job) : m_pending.erase(job);
    for (const std::shared_ptr<Job> &job : qAsConst(m_running)) {
        if (!live.contains(job->id))
            job->cancel = true;
    }
}

void RecognitionQueue::enqueue(PageId id, bool front, bool loadOnly)
{
    auto job = std::make_shared<Job>();
    job->id = id;
    job->serial = ++m_nextSerial;
    job->loadOnly = loadOnly;
    m_serials.insert(id, job->serial);
    if (front)
        m_pending.prepend(job);
    else
        m_pending.append(job);
}

void RecognitionQueue::dispatch()
{
    // Only as many jobs leave the queue as there are threads, so the queue's
    // order can still change (a save, the text dialog) until a page starts.
    while (!m_pending.isEmpty() && m_running.size() < m_threads) {
        std::shared_ptr<Job> job = m_pending.takeFirst();
        const int index = m_document->indexOf(job->id);
        if (index < 0)
            continue;
        // Taken now, not when queued: a page waiting its turn stays on disk.
        job->source = m_document->pageStore()->source(index);
        job->textPath = m_document->pageStore()->textPath(index);
        job->languages = m_languages;
        job->dataPath = m_dataPath;
        m_running.insert(job->serial, job);
        if (!m_pool)
            m_pool = std::make_unique<Pool>(this, m_threads);
        m_pool->push(job);
    }
}

void RecognitionQueue::onResult(const Result &result)
{
    m_running.remove(result.serial);
    const bool current = m_serials.value(result.id) == result.serial;
    if (!current) {
        // The page left, or was put back with another image, while it was read:
        // its file would otherwise outlive it in the store's folder.
        const int index = m_document->indexOf(result.id);
        if (result.wroteFile && m_document->pageStore()->textPath(index) != result.textPath)
            QFile::remove(result.textPath);
    } else if (!result.engineError.isEmpty()) {
        m_serials.remove(result.id);
        setEnabled(false);
        if (!m_unavailableReported) {
            m_unavailableReported = true;
            qDebug() << "文字识别不可用: " << result.engineError;
            emit engineUnavailable(result.engineError);
        }
    } else if (result.found) {
        m_serials.remove(result.id);
        m_texts.insert(result.id, result.text);
        emit textReady(result.id);
    } else {
        m_serials.remove(result.id);
        emit recognitionFailed(result.id);
    }
    dispatch();
}
