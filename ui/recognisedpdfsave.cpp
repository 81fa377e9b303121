#include "ui/recognisedpdfsave.h"

#include <QDebug>
#include <QTimer>

#include "document/documentmanager.h"
#include "document/pdftextlayer.h"
#include "ui/autosaver.h"
#include "ui/recognitionqueue.h"

RecognisedPdfSave::RecognisedPdfSave(DocumentManager *document, RecognitionQueue *queue, const QVector<PageId> &pages,
    const Options &options, QObject *parent)
    : QObject(parent)
    , document(document)
    , queue(queue)
    , pages(pages)
    , options(options)
{
}

void RecognisedPdfSave::start()
{
    if (queue && queue->waitingAmong(pages) > 0) {
        queue->prioritise(pages);
        connect(queue, &RecognitionQueue::textReady, this, &RecognisedPdfSave::writeWhenReady);
        connect(queue, &RecognitionQueue::recognitionFailed, this, &RecognisedPdfSave::writeWhenReady);
        connect(queue, &RecognitionQueue::engineUnavailable, this, &RecognisedPdfSave::writeWhenReady);
        qDebug() << "自动保存等待文字识别:" << options.path;
    }
    // Never inside the caller: it may be the scan pipeline handling a page.
    QTimer::singleShot(0, this, &RecognisedPdfSave::writeWhenReady);
}

void RecognisedPdfSave::writeWhenReady()
{
    if (done || (queue && queue->isEnabled() && queue->waitingAmong(pages) > 0))
        return;
    done = true;
    QVector<int> indices;
    for (PageId id : pages) {
        const int index = document->indexOf(id);
        if (index >= 0)
            indices.append(index);
    }
    int withoutText = 0;
    for (int index : indices)
        withoutText += queue && queue->hasText(document->pageId(index)) ? 0 : 1;
    const bool written = !indices.isEmpty()
        && AutoSaver::writePdf(indices.size(), document->pageProvider(indices), options.path, options.title,
            options.save, queue ? PdfTextLayer::decorator(queue->textsFor(indices)) : ImageFileWriter::PageDecorator());
    emit finished(written, options.path, indices.size(), withoutText);
    deleteLater();
}
