#include "document/pagestore.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "document/pagecodec.h"
#include "document/pageindex.h"
#include "document/pagerecovery.h"

namespace {

// A few A4 colour pages at 300 dpi (26 MB each): the current page and the ones
// the user just looked at or scanned.
constexpr qint64 defaultCacheBudget = 160 * 1024 * 1024;
// Pages handed over faster than the disk takes them wait in memory up to this
// much; beyond it the caller waits. A scanner delivers an A4 colour page in a
// second or more, the writer needs about a tenth of that.
constexpr qint64 defaultPendingLimit = 256 * 1024 * 1024;

QAtomicInt folderCounter;

} // namespace

struct PageStore::Done
{
    enum Kind { Page, Index } kind = Page;
    quint64 id = 0;
    bool ok = false;
    QString errorText;
};

// One thread that performs the store's disk work in the order it was asked for.
class PageStore::Worker
{
public:
    struct Job
    {
        enum Kind { Write, Index, Delete } kind = Write;
        quint64 id = 0;
        QImage image;
        QString path;
    };

    explicit Worker(PageStore *owner)
        : owner(owner)
        , thread([this] { run(); })
    {
    }

    ~Worker()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            jobs.clear();
            stopping = true;
        }
        wake.notify_all();
        thread.join();
    }

    void push(Job job)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            jobs.push_back(std::move(job));
        }
        wake.notify_all();
    }

    // The newest index wins: an index job writes whatever is newest when it runs,
    // and is skipped when that was written already. Every index names only pages
    // whose files were complete when it was made, so a newer one is never wrong.
    void setIndex(const QString &folder, const QByteArray &json)
    {
        std::lock_guard<std::mutex> lock(mutex);
        indexFolder = folder;
        indexJson = json;
        ++indexGeneration;
    }

    std::vector<Done> take()
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<Done> taken;
        taken.swap(done);
        collectPosted = false;
        return taken;
    }

    bool isIdle()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return jobs.empty() && !busy && done.empty();
    }

    // Until a result is in or nothing is left to do.
    void waitForProgress()
    {
        std::unique_lock<std::mutex> lock(mutex);
        progress.wait(lock, [this] { return !done.empty() || (jobs.empty() && !busy); });
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return stopping || !jobs.empty(); });
            if (stopping)
                return;
            Job job = std::move(jobs.front());
            jobs.pop_front();
            busy = true;
            lock.unlock();
            Done result = perform(job);
            job = Job();
            lock.lock();
            busy = false;
            if (result.id != 0 || result.kind == Done::Index) {
                done.push_back(std::move(result));
                if (!collectPosted) {
                    collectPosted = true;
                    QMetaObject::invokeMethod(
                        owner, [store = owner] { store->collect(); }, Qt::QueuedConnection);
                }
            }
            progress.notify_all();
        }
    }

    Done perform(const Job &job)
    {
        Done result;
        switch (job.kind) {
        case Job::Write:
            result.kind = Done::Page;
            result.id = job.id;
            result.ok = PageCodec::writeFile(job.path, job.image, &result.errorText);
            break;
        case Job::Index: {
            QString folder;
            QByteArray json;
            quint64 generation = 0;
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (indexGeneration == writtenGeneration)
                    return Done { Done::Page, 0, true, QString() };
                folder = indexFolder;
                json = indexJson;
                generation = indexGeneration;
            }
            result.kind = Done::Index;
            result.ok = PageIndex::write(folder, json, &result.errorText);
            if (result.ok) {
                std::lock_guard<std::mutex> lock(mutex);
                writtenGeneration = generation;
            }
            break;
        }
        case Job::Delete:
            QFile::remove(job.path + QStringLiteral(".part"));
            QFile::remove(job.path);
            QFile::remove(job.path.chopped(6) + QStringLiteral(".ocr.json"));
            break;
        }
        return result;
    }

    PageStore *owner;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable progress;
    std::deque<Job> jobs;
    std::vector<Done> done;
    QString indexFolder;
    QByteArray indexJson;
    quint64 indexGeneration = 0;
    quint64 writtenGeneration = 0;
    bool busy = false;
    bool stopping = false;
    bool collectPosted = false;
    std::thread thread;
};

// Reads pages ahead of the user: the neighbours of the current page. Only the
// newest request counts; a page removed meanwhile simply fails to read.
class PageStore::Reader
{
public:
    explicit Reader(PageStore *owner)
        : owner(owner)
        , thread([this] { run(); })
    {
    }

    ~Reader()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
            wanted.clear();
        }
        wake.notify_all();
        thread.join();
    }

    void request(std::vector<std::pair<quint64, QString>> pages)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            wanted = std::move(pages);
        }
        wake.notify_all();
    }

    std::vector<std::pair<quint64, QImage>> take()
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<std::pair<quint64, QImage>> taken;
        taken.swap(read);
        collectPosted = false;
        return taken;
    }

    void waitUntilIdle()
    {
        std::unique_lock<std::mutex> lock(mutex);
        idle.wait(lock, [this] { return wanted.empty() && !busy; });
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return stopping || !wanted.empty(); });
            if (stopping)
                return;
            const std::pair<quint64, QString> page = wanted.front();
            wanted.erase(wanted.begin());
            busy = true;
            lock.unlock();
            QString errorText;
            const QImage image = PageCodec::readFile(page.second, &errorText);
            lock.lock();
            busy = false;
            if (!image.isNull()) {
                read.emplace_back(page.first, image);
                if (!collectPosted) {
                    collectPosted = true;
                    QMetaObject::invokeMethod(
                        owner, [store = owner] { store->collectRead(); }, Qt::QueuedConnection);
                }
            }
            idle.notify_all();
        }
    }

    PageStore *owner;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::vector<std::pair<quint64, QString>> wanted;
    std::vector<std::pair<quint64, QImage>> read;
    bool busy = false;
    bool stopping = false;
    bool collectPosted = false;
    std::thread thread;
};

QImage PageStore::Source::load(QImage *reuse) const
{
    if (!image.isNull() || path.isEmpty())
        return image;
    QString errorText;
    const QImage loaded = PageCodec::readFile(path, &errorText, reuse);
    if (loaded.isNull())
        qDebug() << "无法读取页面缓存文件: " << path << errorText;
    return loaded;
}

StoredEncoding PageStore::Source::original() const
{
    return path.isEmpty() ? StoredEncoding() : PageCodec::readOriginal(path);
}

PageStore::PageStore(QObject *parent)
    : QObject(parent)
    , m_cacheBudget(defaultCacheBudget)
    , m_pendingLimit(defaultPendingLimit)
    , m_worker(std::make_unique<Worker>(this))
    , m_reader(std::make_unique<Reader>(this))
{
}

PageStore::~PageStore()
{
    // The worker stops before the folder goes, so no write lands in a folder that
    // is being removed.
    m_reader.reset();
    m_worker.reset();
    removeFolder();
}

QString PageStore::rootFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/pages");
}

QString PageStore::folder() const
{
    return m_folder;
}

int PageStore::count() const
{
    return m_pages.size();
}

bool PageStore::ensureFolder()
{
    if (!m_folder.isEmpty())
        return true;
    const QString name = QStringLiteral("%1-%2-%3")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")))
                             .arg(QCoreApplication::applicationPid())
                             .arg(folderCounter.fetchAndAddRelaxed(1) + 1);
    const QString folder = rootFolder() + QLatin1Char('/') + name;
    if (!QDir().mkpath(folder)) {
        qDebug() << "无法创建页面缓存目录: " << folder;
        return false;
    }
    // Scans are often of papers nobody else should read (statements, identity
    // documents); the pages are the user's alone, whatever the umask says.
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    auto lock = std::make_shared<QLockFile>(folder + QStringLiteral("/lock"));
    // Age says nothing about a window that is open for days; only a dead owner
    // frees a folder.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        qDebug() << "无法锁定页面缓存目录: " << folder;
        QDir(folder).removeRecursively();
        return false;
    }
    m_folder = folder;
    m_lock = std::move(lock);
    return true;
}

QString PageStore::pagePath(quint64 id) const
{
    return m_folder + QStringLiteral("/page-%1.qpage").arg(id);
}

QString PageStore::textPath(int index) const
{
    if (m_folder.isEmpty() || index < 0 || index >= m_pages.size())
        return QString();
    return m_folder + QStringLiteral("/page-%1.ocr.json").arg(m_pages.at(index).id);
}

void PageStore::insert(int index, const QImage &image)
{
    Record record;
    record.id = m_nextId++;
    record.bytes = image.sizeInBytes();
    record.memory = image;
    const int at = qBound(0, index, m_pages.size());
    m_pages.insert(at, record);
    queueWrite(m_pages[at]);
    // Pages handed over faster than they can be written would pile up in memory.
    while (m_pendingBytes > m_pendingLimit) {
        m_worker->waitForProgress();
        collect();
    }
}

QString PageStore::stagingFolder()
{
    return ensureFolder() ? m_folder : QString();
}

bool PageStore::insertFile(
    int index, const QString &file, qint64 imageBytes, const QImage &thumbnail, const QImage &decoded)
{
    Record record;
    record.id = m_nextId++;
    record.bytes = imageBytes;
    record.thumbnail = thumbnail;
    record.written = true;
    // Renamed within the one folder: the page is complete on disk before the
    // index names it, as with pages the worker writes.
    if (m_folder.isEmpty() || !QFile::rename(file, pagePath(record.id))) {
        qDebug() << "无法接收导入的页面文件: " << file;
        QFile::remove(file);
        return false;
    }
    const int at = qBound(0, index, m_pages.size());
    m_pages.insert(at, record);
    if (!decoded.isNull())
        cacheImage(record.id, decoded);
    queueIndex();
    return true;
}

QImage PageStore::thumbnail(int index) const
{
    return index >= 0 && index < m_pages.size() ? m_pages.at(index).thumbnail : QImage();
}

void PageStore::queueWrite(Record &record)
{
    if (!ensureFolder()) {
        reportFailure();
        return;
    }
    record.writing = true;
    m_pendingBytes += record.bytes;
    Worker::Job job;
    job.kind = Worker::Job::Write;
    job.id = record.id;
    job.image = record.memory;
    job.path = pagePath(record.id);
    m_worker->push(std::move(job));
}

void PageStore::remove(int index)
{
    if (index < 0 || index >= m_pages.size())
        return;
    const Record record = m_pages.takeAt(index);
    uncache(record.id);
    if (record.writing)
        m_pendingBytes -= record.bytes;
    if (record.written)
        queueIndex();
    deleteFiles(record);
}

void PageStore::uncache(quint64 id)
{
    if (m_cache.contains(id)) {
        m_cacheBytes -= m_cache.take(id).sizeInBytes();
        m_recent.removeAll(id);
    }
}

void PageStore::deleteFiles(const Record &record)
{
    // Queued behind the index that no longer names it, and behind its own write
    // if that is still under way.
    if (record.written || record.writing) {
        Worker::Job job;
        job.kind = Worker::Job::Delete;
        job.path = pagePath(record.id);
        m_worker->push(std::move(job));
    }
}

quint64 PageStore::park(int index)
{
    if (index < 0 || index >= m_pages.size())
        return 0;
    const Record record = m_pages.takeAt(index);
    // The history must not hold page images in memory: a written page leaves the
    // cache, one still being written drops its memory when the write is in.
    uncache(record.id);
    m_parked.insert(record.id, record);
    if (record.written)
        queueIndex();
    return record.id;
}

bool PageStore::unpark(int index, quint64 key)
{
    const auto parked = m_parked.find(key);
    if (parked == m_parked.end())
        return false;
    const Record record = parked.value();
    m_parked.erase(parked);
    m_pages.insert(qBound(0, index, m_pages.size()), record);
    if (record.written)
        queueIndex();
    return true;
}

void PageStore::discardParked(quint64 key)
{
    const auto parked = m_parked.find(key);
    if (parked == m_parked.end())
        return;
    const Record record = parked.value();
    m_parked.erase(parked);
    if (record.writing)
        m_pendingBytes -= record.bytes;
    deleteFiles(record);
}

qint64 PageStore::parkedBytes() const
{
    qint64 bytes = 0;
    for (const Record &record : m_parked)
        bytes += record.bytes;
    return bytes;
}

void PageStore::swap(int first, int second)
{
    if (first < 0 || second < 0 || first >= m_pages.size() || second >= m_pages.size())
        return;
    std::swap(m_pages[first], m_pages[second]);
    if (m_pages.at(first).written || m_pages.at(second).written)
        queueIndex();
}

void PageStore::clear()
{
    while (!m_pages.isEmpty())
        remove(m_pages.size() - 1);
}

QImage PageStore::image(int index)
{
    if (index < 0 || index >= m_pages.size())
        return QImage();
    const Record &record = m_pages.at(index);
    if (!record.memory.isNull())
        return record.memory;
    const auto cached = m_cache.constFind(record.id);
    if (cached != m_cache.constEnd()) {
        m_recent.removeOne(record.id);
        m_recent.append(record.id);
        return *cached;
    }
    const quint64 id = record.id;
    const QImage loaded = Source { QImage(), pagePath(id) }.load(&m_spare);
    // The page now lives in the cache; the spare memory is found again on eviction.
    m_spare = QImage();
    if (!loaded.isNull())
        cacheImage(id, loaded);
    return loaded;
}

PageStore::Source PageStore::source(int index)
{
    if (index < 0 || index >= m_pages.size())
        return Source();
    const Record &record = m_pages.at(index);
    const QString path = record.written ? pagePath(record.id) : QString();
    if (!record.memory.isNull())
        return Source { record.memory, path };
    const auto cached = m_cache.constFind(record.id);
    if (cached != m_cache.constEnd())
        return Source { *cached, path };
    return Source { QImage(), pagePath(record.id) };
}

qint64 PageStore::imageBytes(int index) const
{
    return index >= 0 && index < m_pages.size() ? m_pages.at(index).bytes : 0;
}

void PageStore::setCurrent(int index)
{
    m_currentId = index >= 0 && index < m_pages.size() ? m_pages.at(index).id : 0;
    readAhead();
}

bool PageStore::isInMemory(int index) const
{
    if (index < 0 || index >= m_pages.size())
        return false;
    return !m_pages.at(index).memory.isNull() || m_cache.contains(m_pages.at(index).id);
}

void PageStore::readAhead()
{
    std::vector<std::pair<quint64, QString>> wanted;
    const auto current = std::find_if(
        m_pages.cbegin(), m_pages.cend(), [this](const Record &record) { return record.id == m_currentId; });
    if (current != m_pages.cend()) {
        const int index = int(current - m_pages.cbegin());
        for (const int neighbour : { index + 1, index - 1 }) {
            if (neighbour < 0 || neighbour >= m_pages.size() || isInMemory(neighbour))
                continue;
            const Record &record = m_pages.at(neighbour);
            // Room for the current page and both neighbours, or reading ahead would
            // only push out what the user looked at last.
            if (record.written && m_cacheBudget >= 3 * record.bytes)
                wanted.emplace_back(record.id, pagePath(record.id));
        }
    }
    m_reader->request(std::move(wanted));
}

void PageStore::collectRead()
{
    for (const auto &page : m_reader->take()) {
        const bool stillHere = std::any_of(
            m_pages.cbegin(), m_pages.cend(), [&](const Record &record) { return record.id == page.first; });
        if (stillHere)
            cacheImage(page.first, page.second);
    }
}

void PageStore::waitForReads()
{
    m_reader->waitUntilIdle();
    collectRead();
}

void PageStore::setTitle(const QString &title)
{
    if (title == m_title)
        return;
    m_title = title;
    queueIndex();
}

void PageStore::queueIndex()
{
    if (m_folder.isEmpty())
        return;
    PageIndex index;
    index.title = m_title;
    index.time = QDateTime::currentDateTime();
    for (const Record &record : qAsConst(m_pages)) {
        if (record.written)
            index.pages.append(QStringLiteral("page-%1.qpage").arg(record.id));
    }
    m_worker->setIndex(m_folder, index.toJson());
    Worker::Job job;
    job.kind = Worker::Job::Index;
    m_worker->push(std::move(job));
}

void PageStore::collect()
{
    for (const Done &done : m_worker->take())
        applyDone(done);
}

void PageStore::applyDone(const Done &done)
{
    if (done.kind == Done::Index) {
        if (!done.ok) {
            qDebug() << "无法写入页面缓存索引: " << m_folder << done.errorText;
            reportFailure();
        }
        return;
    }
    auto record = std::find_if(m_pages.begin(), m_pages.end(), [&](const Record &r) { return r.id == done.id; });
    if (record == m_pages.end()) {
        const auto parked = m_parked.find(done.id);
        if (parked != m_parked.end() && parked->writing)
            return applyParkedDone(done, *parked);
    }
    // A page removed while its write was under way: its file is deleted by the job
    // queued behind the write.
    if (record == m_pages.end() || !record->writing)
        return;
    record->writing = false;
    m_pendingBytes -= record->bytes;
    if (!done.ok) {
        qDebug() << "页面缓存写入失败: " << pagePath(done.id) << done.errorText;
        reportFailure();
        return;
    }
    record->written = true;
    const QImage image = record->memory;
    record->memory = QImage();
    cacheImage(done.id, image);
    queueIndex();
    if (m_failureReported) {
        // Writing works again: the pages that stayed in memory get their turn.
        m_failureReported = false;
        for (Record &other : m_pages) {
            if (!other.written && !other.writing)
                queueWrite(other);
        }
    }
}

void PageStore::applyParkedDone(const Done &done, Record &record)
{
    record.writing = false;
    m_pendingBytes -= record.bytes;
    if (!done.ok) {
        // Stays in memory; an undo still finds it.
        qDebug() << "页面缓存写入失败: " << pagePath(done.id) << done.errorText;
        reportFailure();
        return;
    }
    record.written = true;
    record.memory = QImage();
}

void PageStore::reportFailure()
{
    if (m_failureReported)
        return;
    m_failureReported = true;
    emit writeFailed();
}

void PageStore::cacheImage(quint64 id, const QImage &image)
{
    if (m_cache.contains(id))
        return;
    m_cache.insert(id, image);
    m_cacheBytes += image.sizeInBytes();
    m_recent.append(id);
    trimCache();
}

void PageStore::trimCache()
{
    // The newest entry stays even alone over the budget: it is what was just asked for.
    int at = 0;
    while (m_cacheBytes > m_cacheBudget && at < m_recent.size() - 1) {
        const quint64 id = m_recent.at(at);
        if (id == m_currentId) {
            ++at;
            continue;
        }
        // Kept as the memory the next page read back is decoded into: a fresh image
        // of a page's size costs thousands of page faults. It is used only once
        // nobody else holds it.
        m_spare = m_cache.take(id);
        m_cacheBytes -= m_spare.sizeInBytes();
        m_recent.removeAt(at);
    }
}

bool PageStore::adopt(const RecoverableFolder &recovered)
{
    if (!m_pages.isEmpty() || !recovered.lock)
        return false;
    waitForWrites();
    removeFolder();
    m_folder = recovered.path;
    m_lock = recovered.lock;
    m_title = recovered.index.title;
    QSet<QString> named;
    for (int i = 0; i < recovered.index.pages.size(); ++i) {
        // A damaged page costs only itself: its file goes with the unnamed ones.
        const QString &name = recovered.index.pages.at(i);
        Record record;
        record.id = name.midRef(5, name.size() - 5 - 6).toULongLong();
        record.written = true;
        if (recovered.isDamaged(i) || !PageCodec::inspect(QDir(m_folder).filePath(name), &record.bytes))
            continue;
        m_nextId = qMax(m_nextId, record.id + 1);
        m_pages.append(record);
        named.insert(name);
    }
    // Files no index names (a page whose write was cut short, a page removed just
    // before the crash) have no place in the document.
    const QDir dir(m_folder);
    for (const QString &entry : dir.entryList(QDir::Files | QDir::Hidden)) {
        // A page's recognised text stays with the page.
        const QString textOf
            = entry.endsWith(QLatin1String(".ocr.json")) ? entry.chopped(9) + QStringLiteral(".qpage") : QString();
        if (entry != QLatin1String("lock") && entry != PageIndex::fileName() && !named.contains(entry)
            && !named.contains(textOf))
            QFile::remove(dir.filePath(entry));
    }
    queueIndex();
    return true;
}

void PageStore::waitForWrites()
{
    do {
        m_worker->waitForProgress();
        collect();
    } while (!m_worker->isIdle());
}

qint64 PageStore::residentBytes() const
{
    qint64 bytes = m_cacheBytes + m_spare.sizeInBytes();
    for (const Record &record : m_pages) {
        if (!record.memory.isNull())
            bytes += record.bytes;
    }
    return bytes;
}

qint64 PageStore::diskBytes() const
{
    qint64 bytes = 0;
    if (m_folder.isEmpty())
        return 0;
    for (const QFileInfo &info : QDir(m_folder).entryInfoList(QDir::Files | QDir::Hidden))
        bytes += info.size();
    return bytes;
}

void PageStore::setCacheBudget(qint64 bytes)
{
    m_cacheBudget = bytes;
    trimCache();
}

void PageStore::setPendingLimit(qint64 bytes)
{
    m_pendingLimit = bytes;
}

void PageStore::removeFolder()
{
    if (m_folder.isEmpty())
        return;
    // The index goes first: a folder caught half removed holds no document.
    QFile::remove(QDir(m_folder).filePath(PageIndex::fileName()));
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
    QDir(m_folder).removeRecursively();
    m_folder.clear();
}
