#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPageSize>
#include <QString>
#include <QStringList>

#include <functional>

#include "document/saveoptions.h"
#include "document/storedencoding.h"

class PdfPageCanvas;

// The one writer of page files: single images encoded by the image-format
// plug-ins and PDFs of one or more pages. Every file is written into a temporary
// file beside the target and replaces it only once it is complete, so a failed
// save leaves neither a truncated file nor a damaged earlier version behind.
// Plain functions of values; safe to call from any thread.
class ImageFileWriter
{
public:
    // How an image is placed on its PDF page.
    enum class Placement {
        Stretch, // over the whole page, aspect ratio not kept
        FitCentred, // as large as fits, aspect ratio kept, centred
    };

    // Called once per page while the PDF is assembled; see PdfPageCanvas.
    using PageDecorator = std::function<void(int index, const QImage &page, PdfPageCanvas &canvas)>;

    // A page whose resolution is known becomes a PDF page of its physical size
    // (PageResolution::sizeInPoints), whatever the layout says. The layout decides
    // for the pages without one.
    struct PdfLayout
    {
        // An invalid size gives such a page its pixels as points; a valid one puts it on
        // a page of that size, placed as placement says.
        QPageSize unknownResolutionPage;
        Placement placement = Placement::Stretch;
        SaveOptions options; // compression, save resolution, size limit
        QString title;
        QString creator;
        PageDecorator decoratePage; // optional, for an extra layer on each page
        // Told on the calling thread after each page is in (a size limit may write
        // the pages more than once); false stops the write: nothing is written and
        // the report says cancelled. Optional.
        std::function<bool(int pagesDone, int pageCount)> progress;
    };

    struct Encoded
    {
        QByteArray bytes;
        QString errorText; // empty when the image was encoded
    };

    // format is a name the image-format plug-ins know ("png", "jpg", "jpeg", "bmp",
    // "tiff", in any case); quality -1 keeps the plug-in's default.
    static Encoded encode(const QImage &image, const QByteArray &format, int quality);
    static bool writeEncoded(const Encoded &encoded, const QString &path, QString *errorText);
    static bool writeImage(
        const QImage &image, const QString &path, const QByteArray &format, int quality, QString *errorText);

    // A page as a provider hands it out: its pixels and, while an imported page
    // is unedited, the stream it came in, which the PDF writer copies when it
    // would choose that encoding anyway (PageEncoder::encode). Made from a bare
    // image implicitly, so providers without streams simply return images.
    struct ProvidedPage
    {
        ProvidedPage(QImage image = QImage(), StoredEncoding original = StoredEncoding())
            : image(std::move(image))
            , original(std::move(original))
        {
        }
        QImage image;
        StoredEncoding original;
    };

    // Hands out page index; reuse is an image of an earlier page that the provider
    // may decode into instead of allocating a new one (it can be ignored).
    using PageProvider = std::function<ProvidedPage(int index, QImage *reuse)>;

    // One page per image, without margins, each in its own encoding (PageEncoder).
    // pageAt is asked for each page once, on helper threads and up to two pages ahead
    // of the page being assembled, so a caller can hand out pages it does not keep in
    // memory; it must be safe to call from another thread. A page that comes back
    // null fails the write. The compressed pages wait in a spool file until the PDF
    // is written, so memory holds only the pages being encoded.
    //
    // With a size limit the pages are written again with smaller settings until the
    // file fits (compact layers first, then lower resolution and quality of the
    // colour layers, then the mask at 200 dpi). When even the smallest is over the
    // limit, options.overLimit decides: nothing written (false, report->overLimit),
    // the smallest written, or parts under the limit named <name>_1.pdf, <name>_2.pdf.
    struct PdfReport
    {
        QStringList paths; // the files written
        qint64 bytes = 0; // their size together
        bool overLimit = false; // refused: even the smallest file is over the limit
        qint64 smallestBytes = 0; // the smallest size reached when over the limit
        int layeredPages = 0; // pages written as mask and colour layers
        bool cancelled = false; // stopped through the layout's progress
    };
    static bool writePdf(int pageCount, const PageProvider &pageAt, const QString &path, const PdfLayout &layout,
        QString *errorText, PdfReport *report = nullptr);
    static bool writePdf(const QList<QImage> &pages, const QString &path, const PdfLayout &layout, QString *errorText,
        PdfReport *report = nullptr);
};
