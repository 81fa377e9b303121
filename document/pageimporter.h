#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

#include "document/importedpage.h"

class DocumentManager;

// Brings files into the document as pages: PDFs rendered, every image of an
// image file. Each page is read, written to the page store's folder and let go
// before the next one is read, so a long file never sits in memory; the
// document changes only once every file is in, so a failure or a cancel
// leaves it as it was.
//
// Lives on the GUI thread; the reading runs on a thread of its own, which
// reports progress and password requests through queued signals. Whoever
// deletes the importer stops that thread first (the destructor does).
class PageImporter : public QObject
{
    Q_OBJECT

public:
    using Thumbnailer = std::function<QImage(const QImage &)>;

    struct Report
    {
        bool cancelled = false;
        // Whether the document changed.
        bool applied = false;
        int pagesAdded = 0;
        // Where the first added page went; -1 when none did.
        int firstIndex = -1;
        // Files left out, one reason each.
        QStringList failures;
        // Pages left out of files that were added (over the limits).
        QStringList refusals;
    };

    explicit PageImporter(DocumentManager *document, QObject *parent = nullptr);
    ~PageImporter() override;

    // Makes the list's small pictures on the reading thread, so adding many
    // pages costs the GUI thread no decoding.
    void setThumbnailer(Thumbnailer thumbnailer);

    // The file's pages become the document (title from the file). False when
    // an import is already running.
    bool open(const QString &path);
    // The pages of the files, in order, are inserted before index (index < 0 or
    // beyond the end: appended). Files that fail are left out and reported.
    bool add(const QStringList &paths, int index = -1);
    // The same, on the calling thread, without asking for passwords; returns
    // once the document has changed or not.
    Report openNow(const QString &path);
    Report addNow(const QStringList &paths, int index = -1);

    bool isRunning() const;
    // Ends the running import; nothing of it reaches the document.
    void cancel();
    // The answer to passwordRequired; an empty password declines and leaves
    // the file out.
    void answerPassword(const QString &password);

signals:
    void progress(int page, int pageCount, const QString &path);
    void passwordRequired(const QString &path, bool wrongPassword);
    // Right before the document takes the pages, all in one go.
    void aboutToChangeDocument();
    void finished(const PageImporter::Report &report);

private:
    struct Job;
    struct FileResult;

    bool start(const QStringList &paths, bool replace, int index);
    static void run(const std::shared_ptr<Job> &job);
    static FileResult readFile(const std::shared_ptr<Job> &job, const QString &path);
    Report apply(Job &job);
    static void discard(const QVector<ImportedPage> &pages);

    DocumentManager *m_document;
    Thumbnailer m_thumbnailer;
    std::shared_ptr<Job> m_job;
    quint64 m_serial = 0;
};

Q_DECLARE_METATYPE(PageImporter::Report)
