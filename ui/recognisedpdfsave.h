#pragma once

#include <QObject>
#include <QString>
#include <QVector>

#include "document/pageid.h"
#include "document/saveoptions.h"

class DocumentManager;
class RecognitionQueue;

// One automatic PDF save of scanned pages that waits for their text: it asks the
// recognition queue for these pages first, waits for them without blocking
// anything (the scan goes on meanwhile), then writes the PDF with the text the
// pages have. A page whose recognition failed is written without text and counted.
// The pages are followed by id: what is written is the page as it is by then.
//
// GUI thread. Deletes itself once it has reported.
class RecognisedPdfSave : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString path;
        QString title;
        SaveOptions save;
    };

    RecognisedPdfSave(DocumentManager *document, RecognitionQueue *queue, const QVector<PageId> &pages,
        const Options &options, QObject *parent = nullptr);

    // Writes at the next turn of the event loop when no page waits for recognition,
    // otherwise once the last one is done.
    void start();

signals:
    // pagesWithoutText: written pages that have no text (their recognition failed
    // or was off). written is false when the file could not be written or no page
    // was left to write.
    void finished(bool written, const QString &path, int pageCount, int pagesWithoutText);

private:
    void writeWhenReady();

    DocumentManager *document;
    RecognitionQueue *queue;
    QVector<PageId> pages;
    Options options;
    bool done = false;
};
