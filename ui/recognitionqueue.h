#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QVector>

#include <memory>

#include "document/imagefilewriter.h"
#include "document/pageid.h"
#include "document/pagetext.h"

class DocumentManager;

// Recognises the text of the document's pages in the background and keeps it by
// page id, so the text follows its page through moves, put-backs and undo and
// leaves with it. While on, every page that enters the document is queued, newest
// last; a put-back (an edit, an undo) queues that page again. Each page's text is
// also written beside its file in the page store, so a recovered document has it
// back without recognising anything.
//
// Lives on the GUI thread and never waits there: the engine runs on a pool of at
// most as many threads as the machine has cores, each loading its models once, at
// a lower priority than the scan pipeline; results come back as queued calls.
class RecognitionQueue : public QObject
{
    Q_OBJECT

public:
    explicit RecognitionQueue(DocumentManager *document, QObject *parent = nullptr);
    ~RecognitionQueue() override;

    // "chi_sim+eng", "chi_sim" or "eng"; the next page recognised uses them.
    void setLanguages(const QString &languages);
    QString languages() const;
    // Where the language data is looked for (tests point it at an empty folder).
    void setDataPath(const QString &path);
    // Before the first page is queued; at most the number of cores.
    void setThreadCount(int threads);
    // Empty when the languages' data is installed; otherwise what the user is told.
    QString missingData() const;

    // Turning it on queues the pages that have no text yet; turning it off drops
    // the pages still waiting (a page being recognised finishes).
    void setEnabled(bool enabled);
    bool isEnabled() const;

    bool hasText(PageId id) const;
    PageText text(PageId id) const;
    // Whether the page is queued or being recognised.
    bool isWaiting(PageId id) const;
    int waitingAmong(const QVector<PageId> &ids) const;
    // Queues the page first in line, on or off; no-op when it has text.
    void recognizeNow(PageId id);
    // Moves these pages, when waiting, to the front of the queue.
    void prioritise(const QVector<PageId> &ids);
    // The texts of the pages at these indices, for a PDF's text layer.
    QVector<PageText> textsFor(const QVector<int> &indices) const;

signals:
    void textReady(PageId id);
    // The engine could not start (language data missing): recognition is off.
    void engineUnavailable(const QString &message);
    // The page's recognition ended without text (its image could not be read).
    void recognitionFailed(PageId id);

private:
    struct Job;
    struct Result;
    class Pool;

    void onPageAdded(int index);
    void prune();
    void enqueue(PageId id, bool front, bool loadOnly);
    void dispatch();
    void onResult(const Result &result);

    DocumentManager *m_document;
    QString m_languages;
    QString m_dataPath;
    int m_threads;
    bool m_enabled = false;
    bool m_unavailableReported = false;
    QHash<PageId, PageText> m_texts;
    // The newest job of each page: older results are stale.
    QHash<PageId, quint64> m_serials;
    QList<std::shared_ptr<Job>> m_pending;
    QHash<quint64, std::shared_ptr<Job>> m_running; // by serial
    quint64 m_nextSerial = 0;
    std::unique_ptr<Pool> m_pool;
};
