#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

#include "document/importedpage.h"
#include "document/imagefilewriter.h"
#include "document/pageid.h"

class PageImporter;
class PageStore;
class RecoverableFolder;

// The document model: one ordered list of page images with a current-page cursor,
// a modified flag, a title and the path it was last loaded from or saved to, plus
// the operations that write it as PDF, multi-page TIFF or image files and read one
// image file back. Views follow it through its signals.
//
// GUI thread only; no locking. Every page change goes through addPage, insertPage,
// removePage, the two moves and putBackPage. Each page has a PageId; whatever is kept
// per page elsewhere (undo entries, a feeder run's record) holds the id and asks
// indexOf() where the page is now. The pages live in a PageStore: files on disk,
// with only the pages not yet written and a few recent ones decoded in memory.
class DocumentManager : public QObject
{
    Q_OBJECT

public:
    explicit DocumentManager(QObject *parent = nullptr);
    ~DocumentManager() override;

    // Page list
    void newDocument();
    void addPage(const QImage &image);
    void insertPage(int index, const QImage &image);
    void removePage(int index);
    void movePageUp(int index);
    void movePageDown(int index);
    void setCurrentPage(int index);
    // Writes an edited page back in place: removePage followed by insertPage at its
    // index, with their signals, keeping the page's id. False when the page is gone
    // or the image is null.
    bool putBackPage(PageId id, const QImage &image);

    // A page taken out of the document but kept for an undo step: its id and its
    // content, parked in the page store (on disk, not in memory). Whoever holds one
    // hands it back with restorePage or gives it up with releaseParked.
    struct ParkedPage
    {
        PageId id = 0;
        quint64 content = 0;
        bool isValid() const { return id != 0 && content != 0; }
    };
    // removePage, keeping the page; invalid for a bad index.
    ParkedPage takePage(int index);
    // insertPage of a page taken before, under its own id; false when its content is gone.
    bool restorePage(int index, const ParkedPage &page);
    // putBackPage that keeps what the page showed before, parked; 0 when the page
    // is gone or the image is null.
    quint64 replacePage(PageId id, const QImage &image);
    // Puts parked content into the page in place (its id stays) and parks what it
    // showed; 0 when the page or the content is gone.
    quint64 exchangeContent(PageId id, quint64 content);
    void releaseParked(quint64 content);
    // Brings the pages into this order (the same ids, permuted) with the
    // neighbour moves and their signals; false when the ids are not the pages'.
    bool arrange(const QVector<PageId> &order);
    // Moves one page from one place to another with neighbour moves.
    void movePage(int from, int to);
    QVector<PageId> pageIds() const { return m_ids; }
    // 0 for an index out of range.
    PageId pageId(int index) const;
    // -1 once the page has left the document.
    int indexOf(PageId id) const;

    QImage page(int index) const;
    QImage currentPage() const;
    int currentPageIndex() const;
    int pageCount() const;
    bool isModified() const;
    // The undo history decides: back at the saved state the document is unmodified.
    void setModified(bool modified);
    QString filePath() const;
    QString title() const;

    // The pages of a folder a crashed process left behind become this document,
    // modified, with that document's title; the folder becomes this document's.
    bool recoverPages(const RecoverableFolder &folder);
    // Pages a PageImporter wrote into stagingFolder(): inserted before index, or
    // made the document of path (title from the file, unmodified). first, when
    // given, is the first page decoded.
    void insertImported(int index, const QVector<ImportedPage> &pages, const QImage &first = QImage());
    void openImported(const QString &path, const QVector<ImportedPage> &pages, const QImage &first = QImage());
    QString stagingFolder();
    // The list's small picture of a page when one was made with it; null otherwise.
    QImage thumbnail(int index) const;
    // Reads files into this document off the GUI thread; made on first use.
    PageImporter *importer();

    // The store behind the pages, for its failure signal and for tests.
    PageStore *pageStore() const;
    // The pages at these indices, in this order, for the file writers that fetch
    // pages on helper threads: pages on disk are read when asked for, so a long
    // run is never held in memory at once. Taken on the GUI thread; the provider
    // itself may be called from any thread and does not follow later changes.
    // Pixels only leaves out the imported pages' original streams, which only
    // the PDF writer copies (printing would read them for nothing).
    enum class Content { WithStreams, PixelsOnly };
    ImageFileWriter::PageProvider pageProvider(
        const QVector<int> &indices, Content content = Content::WithStreams) const;

    // Persistence; the format follows the file name's suffix. Failures return false
    // and are reported through documentError; a failed save or load leaves the
    // document as it was. loadDocument reads every page of the file, on the
    // calling thread and without asking for a password; the window reads
    // through importer() instead.
    bool saveDocument(const QString &path);
    bool saveDocumentAs(const QString &path, const QString &format);
    bool saveAsPdf(const QString &path);
    bool saveAsMultiPageTiff(const QString &path);
    bool saveAsImages(const QString &path);
    bool loadDocument(const QString &path);
    // The JPEG quality (0..100) of the grey and colour pages of the PDFs this
    // document writes.
    void setJpegQuality(int quality);
    int jpegQuality() const;
    // How the PDFs this document writes are compressed, at what resolution and
    // under what size limit (the JPEG quality above is part of it); the multi-page
    // TIFF takes the save resolution. What the last PDF save wrote is in
    // lastPdfReport(). A save refused for the size limit (OverLimit::Refuse) fails
    // without documentError: lastPdfReport().overLimit and smallestBytes tell.
    void setSaveOptions(const SaveOptions &options);
    SaveOptions saveOptions() const;
    ImageFileWriter::PdfReport lastPdfReport() const;
    // Told on the calling thread after each page of a PDF or multi-page TIFF
    // save; false stops the save, which then writes nothing, emits no
    // documentError and leaves lastSaveCancelled() true.
    using SaveProgress = std::function<bool(int pagesDone, int pageCount)>;
    void setSaveProgress(SaveProgress progress);
    bool lastSaveCancelled() const;
    // Asked, on the GUI thread, for the decorator of every PDF this document
    // writes, with the indices of the pages going into it (an invisible text layer).
    using PdfDecoratorSource = std::function<ImageFileWriter::PageDecorator(const QVector<int> &indices)>;
    void setPdfDecoratorSource(PdfDecoratorSource source);

signals:
    void documentChanged();
    // newDocument: every page went at once, without pageRemoved.
    void documentCleared();
    void pageAdded(int index);
    void pageRemoved(int index);
    void pageMoved(int oldIndex, int newIndex);
    void currentPageChanged(int index);
    void documentSaved(const QString &filePath);
    void documentLoaded(const QString &filePath);
    void documentError(const QString &errorMessage);

private:
    bool writeImages(const QString &path, int *failures);
    // The cursor and the signals of a page just inserted at index.
    void announceInsertedPage(int index);
    // The cursor and the signals of a page just taken out at index.
    void announceRemovedPage(int index);
    void insertWithId(int index, const QImage &image, PageId id);

    QVector<PageId> m_ids;

    PageImporter *m_importer = nullptr;

    PageStore *m_store = nullptr;
    int m_currentIndex = -1;
    QString m_filePath;
    QString m_title;
    bool m_modified = false;
    SaveOptions m_saveOptions;
    SaveProgress m_saveProgress;
    bool m_lastSaveCancelled = false;
    ImageFileWriter::PdfReport m_lastPdfReport;
    PdfDecoratorSource m_pdfDecorator;
    QStringList m_supportedFormats;
};
