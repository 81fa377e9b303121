#include "document/pageimporter.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "document/documentmanager.h"
#include "document/pagecodec.h"
#include "document/pagefilereader.h"

struct PageImporter::FileResult
{
    QVector<ImportedPage> pages;
    QString failure;
    QStringList refusals;
};

struct PageImporter::Job
{
    QStringList paths;
    bool replace = false;
    int index = -1;
    QString folder;
    QString prefix;
    Thumbnailer thumbnailer;
    bool interactive = false;
    PageImporter *owner = nullptr;

    std::atomic<bool> cancelled { false };
    std::mutex mutex;
    std::condition_variable answered;
    bool hasAnswer = false;
    QString password;

    // Written by the reading thread, read once it has ended.
    QVector<FileResult> results;
    // The first page read, decoded: it is the page shown once the import is in.
    QImage first;
    std::thread thread;
};

PageImporter::PageImporter(DocumentManager *document, QObject *parent)
    : QObject(parent)
    , m_document(document)
{
    qRegisterMetaType<PageImporter::Report>();
}

PageImporter::~PageImporter()
{
    if (!m_job)
        return;
    cancel();
    if (m_job->thread.joinable())
        m_job->thread.join();
    for (const FileResult &result : qAsConst(m_job->results))
        discard(result.pages);
}

void PageImporter::setThumbnailer(Thumbnailer thumbnailer)
{
    m_thumbnailer = std::move(thumbnailer);
}

bool PageImporter::open(const QString &path)
{
    return start({ path }, true, -1);
}

bool PageImporter::add(const QStringList &paths, int index)
{
    return start(paths, false, index);
}

bool PageImporter::isRunning() const
{
    return m_job != nullptr;
}

void PageImporter::cancel()
{
    if (!m_job)
        return;
    m_job->cancelled = true;
    {
        std::lock_guard<std::mutex> lock(m_job->mutex);
        m_job->hasAnswer = true;
        m_job->password.clear();
    }
    m_job->answered.notify_all();
}

void PageImporter::answerPassword(const QString &password)
{
    if (!m_job)
        return;
    {
        std::lock_guard<std::mutex> lock(m_job->mutex);
        m_job->hasAnswer = true;
        m_job->password = password;
    }
    m_job->answered.notify_all();
}

namespace {

QString stagingPrefix(quint64 serial)
{
    // Unique among this process's imports; the folder is this process's own.
    return QStringLiteral("import-%1-").arg(serial);
}

} // namespace

bool PageImporter::start(const QStringList &paths, bool replace, int index)
{
    if (m_job)
        return false;
    auto job = std::make_shared<Job>();
    job->paths = paths;
    job->replace = replace;
    job->index = index;
    job->folder = m_document->stagingFolder();
    job->prefix = stagingPrefix(++m_serial);
    job->thumbnailer = m_thumbnailer;
    job->interactive = true;
    job->owner = this;
    m_job = job;
    QPointer<PageImporter> self(this);
    job->thread = std::thread([job, self]() {
        run(job);
        QMetaObject::invokeMethod(
            job->owner,
            [self, job]() {
                if (!self || self->m_job != job)
                    return;
                job->thread.join();
                const Report report = self->apply(*job);
                self->m_job.reset();
                emit self->finished(report);
            },
            Qt::QueuedConnection);
    });
    return true;
}

PageImporter::Report PageImporter::openNow(const QString &path)
{
    Job job;
    job.paths = QStringList { path };
    job.replace = true;
    job.folder = m_document->stagingFolder();
    job.prefix = stagingPrefix(++m_serial);
    job.thumbnailer = m_thumbnailer;
    job.owner = this;
    // run() takes a shared job for the thread's sake; this one lives on the stack.
    const std::shared_ptr<Job> shared(&job, [](Job *) {});
    run(shared);
    return apply(job);
}

PageImporter::Report PageImporter::addNow(const QStringList &paths, int index)
{
    Job job;
    job.paths = paths;
    job.index = index;
    job.folder = m_document->stagingFolder();
    job.prefix = stagingPrefix(++m_serial);
    job.thumbnailer = m_thumbnailer;
    job.owner = this;
    const std::shared_ptr<Job> shared(&job, [](Job *) {});
    run(shared);
    return apply(job);
}

void PageImporter::run(const std::shared_ptr<Job> &job)
{
    for (const QString &path : qAsConst(job->paths)) {
        if (job->cancelled)
            return;
        job->results.append(readFile(job, path));
        // Opening is all or nothing: after a failure the rest would be wasted.
        if (job->replace && !job->results.constLast().failure.isEmpty())
            return;
    }
}

PageImporter::FileResult PageImporter::readFile(const std::shared_ptr<Job> &job, const QString &path)
{
    FileResult result;
    PageFileReader reader;
    QString password;
    for (;;) {
        const PageFileReader::Status status = reader.open(path, password);
        if (status == PageFileReader::Status::Opened)
            break;
        if (status == PageFileReader::Status::Failed) {
            result.failure = reader.errorText();
            return result;
        }
        const bool wrong = status == PageFileReader::Status::WrongPassword;
        if (!job->interactive) {
            result.failure = tr("此PDF文件需要密码: %1").arg(path);
            return result;
        }
        {
            std::unique_lock<std::mutex> lock(job->mutex);
            job->hasAnswer = false;
        }
        emit job->owner->passwordRequired(path, wrong);
        std::unique_lock<std::mutex> lock(job->mutex);
        job->answered.wait(lock, [&job] { return job->hasAnswer; });
        password = job->password;
        if (job->cancelled)
            return result;
        if (password.isEmpty()) {
            result.failure = tr("未输入密码，未导入: %1").arg(path);
            return result;
        }
    }

    if (job->folder.isEmpty()) {
        result.failure = tr("无法保存导入的页面: %1").arg(path);
        return result;
    }
    const int count = reader.pageCount();
    for (int i = 0; i < count; ++i) {
        if (job->cancelled)
            break;
        emit job->owner->progress(i + 1, count, path);
        StoredEncoding original;
        const QImage image = reader.read(i, nullptr, &original);
        if (image.isNull()) {
            if (reader.refused()) {
                result.refusals.append(reader.errorText());
                continue;
            }
            result.failure = reader.errorText();
            break;
        }
        ImportedPage page;
        page.file = QStringLiteral("%1/%2%3-%4.qpage").arg(job->folder, job->prefix).arg(job->results.size()).arg(i);
        page.imageBytes = image.sizeInBytes();
        QString errorText;
        if (!PageCodec::writeFile(page.file, image, &errorText, original)) {
            qDebug() << "无法写入导入的页面: " << page.file << errorText;
            result.failure = tr("无法保存导入的页面: %1").arg(errorText);
            break;
        }
        if (job->thumbnailer)
            page.thumbnail = job->thumbnailer(image);
        if (job->first.isNull())
            job->first = image;
        result.pages.append(page);
    }
    if (!result.failure.isEmpty()) {
        // A file comes in whole or not at all: half a document passed off as
        // the file would lose its other pages at the next save.
        discard(result.pages);
        result.pages.clear();
    }
    return result;
}

void PageImporter::discard(const QVector<ImportedPage> &pages)
{
    for (const ImportedPage &page : pages)
        QFile::remove(page.file);
}

PageImporter::Report PageImporter::apply(Job &job)
{
    Report report;
    QVector<ImportedPage> pages;
    for (const FileResult &result : qAsConst(job.results)) {
        if (!result.failure.isEmpty())
            report.failures.append(result.failure);
        report.refusals.append(result.refusals);
        pages += result.pages;
    }
    job.results.clear();
    if (job.cancelled) {
        discard(pages);
        report.cancelled = true;
        report.failures.clear();
        qDebug() << "导入已取消";
        return report;
    }
    if (job.replace && (!report.failures.isEmpty() || pages.isEmpty())) {
        discard(pages);
        if (report.failures.isEmpty())
            report.failures.append(tr("文件中没有可导入的页面: %1").arg(job.paths.value(0)));
        return report;
    }
    if (pages.isEmpty())
        return report;
    emit aboutToChangeDocument();
    const int count = m_document->pageCount();
    if (job.replace) {
        m_document->openImported(job.paths.constFirst(), pages, job.first);
        report.firstIndex = 0;
    } else {
        m_document->insertImported(job.index, pages, job.first);
        report.firstIndex = job.index < 0 || job.index > count ? count : job.index;
    }
    report.applied = true;
    report.pagesAdded = pages.size();
    return report;
}
