#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>
#include <QVector>

#include <memory>

#include "document/storedencoding.h"

class QLockFile;
class RecoverableFolder;

// Where the pages of one document live: one file per page in a folder of its own
// under the user's data location, with an index naming them in order. Memory
// holds a small record per page, the pages not yet written and a few decoded
// pages within a byte budget; image() reads a page back on a miss.
//
// GUI thread only, except Source::load(). Files are written, the index replaced
// and pages deleted by one worker thread, in the order the changes were made, so
// the folder on disk is a consistent document at every moment. The folder is
// created with the first page, locked while this object lives and removed with it.
class PageStore : public QObject
{
    Q_OBJECT

public:
    // A page in a form any thread can turn back into the image: the image itself
    // while it is in memory, its file otherwise (the file is named whenever the
    // page has been written, as it may carry the page's original stream).
    struct Source
    {
        QImage image;
        QString path;
        // reuse: see PageCodec::readFile.
        QImage load(QImage *reuse = nullptr) const;
        // The stream an imported page came in while it is unedited; null otherwise.
        StoredEncoding original() const;
    };

    explicit PageStore(QObject *parent = nullptr);
    ~PageStore() override;

    // <user data location>/pages: one folder per running document.
    static QString rootFolder();

    QString folder() const;
    int count() const;
    void insert(int index, const QImage &image);
    // The folder an importer writes finished page files into before they become
    // pages; empty when it cannot be had. Files there that no page names are
    // dropped when the folder is recovered after a crash.
    QString stagingFolder();
    // A complete page file written by PageCodec into stagingFolder() becomes the
    // page at index; imageBytes is the decoded size. thumbnail is kept for the
    // views; decoded, when given, is the page itself and goes to the cache. False
    // when the file could not be taken over (it is removed then).
    bool insertFile(
        int index, const QString &file, qint64 imageBytes, const QImage &thumbnail, const QImage &decoded = QImage());
    // The small picture insertFile was given; null for other pages.
    QImage thumbnail(int index) const;
    void remove(int index);
    // Takes the page at index out of the list but keeps it, on disk once written
    // and not in the cache, under the returned key (0 for a bad index): an undo
    // step can bring it back without holding the image in memory. Parked pages
    // are named by no index, so a crash drops them with the undo history.
    quint64 park(int index);
    // Puts a parked page back at index; false for an unknown key.
    bool unpark(int index, quint64 key);
    // Forgets a parked page and deletes its file.
    void discardParked(quint64 key);
    // Decoded bytes of the pages parked (what the undo history keeps).
    qint64 parkedBytes() const;
    void swap(int first, int second);
    void clear();
    // Null when the page's file cannot be read back.
    QImage image(int index);
    Source source(int index);
    qint64 imageBytes(int index) const;
    // Where the text recognised on the page is kept beside its file
    // ("page-<n>.ocr.json"); it goes with the page and comes back with a recovered
    // folder. Empty while the store has no folder.
    QString textPath(int index) const;
    // The current page is kept decoded whatever the budget says; its neighbours
    // are read ahead on a thread of their own when the budget has room for them.
    void setCurrent(int index);
    // Whether the page can be had without reading its file.
    bool isInMemory(int index) const;
    void setTitle(const QString &title);
    // Takes over a folder left behind by a process that died: its pages become
    // this store's pages and the folder becomes this store's folder. Only an empty
    // store adopts.
    bool adopt(const RecoverableFolder &recovered);

    // Blocks until every queued write has finished and its result is in.
    void waitForWrites();
    // Blocks until the pages being read ahead are in.
    void waitForReads();
    // Bytes of page images held in memory (not yet written, failed, or cached).
    qint64 residentBytes() const;
    qint64 diskBytes() const;

    // Byte budgets; tests and benchmarks may change them.
    void setCacheBudget(qint64 bytes);
    void setPendingLimit(qint64 bytes);

signals:
    // A page could not be written (full disk, unwritable folder) and stays in
    // memory only. Emitted once, and again only after writing worked in between.
    void writeFailed();

private:
    struct Record
    {
        quint64 id = 0;
        qint64 bytes = 0;
        QImage memory;
        QImage thumbnail;
        bool written = false;
        bool writing = false;
    };
    class Worker;
    class Reader;
    struct Done;

    bool ensureFolder();
    QString pagePath(quint64 id) const;
    void queueWrite(Record &record);
    void queueIndex();
    void collect();
    void applyDone(const Done &done);
    void applyParkedDone(const Done &done, Record &record);
    void reportFailure();
    void cacheImage(quint64 id, const QImage &image);
    void uncache(quint64 id);
    void deleteFiles(const Record &record);
    void trimCache();
    void removeFolder();
    void readAhead();
    void collectRead();

    QVector<Record> m_pages;
    QHash<quint64, Record> m_parked;
    QHash<quint64, QImage> m_cache;
    QImage m_spare;
    QVector<quint64> m_recent;
    quint64 m_currentId = 0;
    quint64 m_nextId = 1;
    qint64 m_pendingBytes = 0;
    qint64 m_cacheBytes = 0;
    qint64 m_cacheBudget;
    qint64 m_pendingLimit;
    QString m_title;
    QString m_folder;
    bool m_failureReported = false;
    std::shared_ptr<QLockFile> m_lock;
    std::unique_ptr<Worker> m_worker;
    std::unique_ptr<Reader> m_reader;
};
