#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <memory>

#include "document/pagelimits.h"
#include "document/pdfdocument.h"
#include "document/pdfpagesurvey.h"
#include "document/storedencoding.h"

// Reads the pages of one file, one page at a time: a PDF's pages rendered, or
// every image of an image file (all pages of a multi-page TIFF). Refuses what
// would not fit a page of the document before decoding it: a page above
// maxPagePixels, a file that claims more than maxPages pages.
//
// One thread at a time; a thread that reads opens a reader of its own.
class PageFileReader
{
    Q_DECLARE_TR_FUNCTIONS(PageFileReader)

public:
    static constexpr qint64 maxPagePixels = PageLimits::maxPixels;
    static constexpr int maxPages = 2000;
    // The resolution of PDF pages that are not scanned sheets.
    static constexpr int defaultPdfResolution = 300;

    enum class Status { Opened, Failed, PasswordNeeded, WrongPassword };

    // The suffixes read (lower case, without the dot).
    static QStringList suffixes();
    static bool isPdf(const QString &path);

    // Failed comes with errorText(); the password is for PDFs only.
    Status open(const QString &path, const QString &password = QString());
    int pageCount() const;
    // The page, or a null image with errorText() set. A refused page (over
    // the limit) leaves the file readable; refused() tells which it was.
    // An image file's page is decoded into reuse when that holds an image of
    // the page's size that is shared with no one; reuse then holds the page.
    // original, when given, receives the stream the page was decoded from when
    // a writer could embed it again as it is (a scanned sheet's JPEG or G4, a
    // JPEG file), and is null otherwise.
    QImage read(int index, QImage *reuse = nullptr, StoredEncoding *original = nullptr);
    bool refused() const { return m_refused; }
    QString errorText() const { return m_errorText; }

private:
    QImage readPdfPage(int index, StoredEncoding *original);
    // A scanned sheet's own JPEG, decoded instead of rendered: the same pixels,
    // a fraction of the time. Null when the page is not such a sheet.
    QImage decodeScan(int index, int dpi, StoredEncoding *original);
    QImage readImage(int index, QImage *reuse, StoredEncoding *original);
    // Whether original is the stream image was decoded from, pixel for pixel.
    static bool matches(const StoredEncoding &original, const QImage &image);
    // Index 0 black, 1 white, as every 1-bit page of the document.
    static QImage twoLevel(const QImage &rendered);
    QImage refuse(const QString &text);
    QImage fail(const QString &text);

    QString m_path;
    bool m_pdf = false;
    int m_pageCount = 0;
    PdfDocument m_document;
    PdfPageSurvey m_survey;
    bool m_surveyed = false;
    std::unique_ptr<QImageReader> m_reader;
    bool m_refused = false;
    QString m_errorText;
};
