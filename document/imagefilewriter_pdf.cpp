// PDFs through qpdf: every page is compressed on its own terms (PageEncoder) and
// embedded as it is, which QPdfWriter cannot do (it re-encodes every page as RGB
// JPEG at a fixed quality). The compressed pages wait in a spool file and qpdf
// reads each back only while writing it, so neither the pages nor their bytes pile
// up in memory.
#include "document/imagefilewriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryFile>

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <deque>
#include <future>
#include <stdexcept>

#include "document/filereplacement.h"
#include "document/pageencoder.h"
#include "document/pageresolution.h"
#include "document/pdfpagecanvas.h"

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("ImageFileWriter", text);
}

// A helper thread when one can be had, otherwise the work runs on the calling thread
// when its result is asked for.
constexpr std::launch helperThread = std::launch::async | std::launch::deferred;

// Where a page and its image lie, in points.
struct Placement
{
    QSizeF page;
    QRectF image;
};

Placement placementOf(const QImage &page, const ImageFileWriter::PdfLayout &layout)
{
    const QSizeF physical = PageResolution::sizeInPoints(page);
    if (!physical.isEmpty())
        return { physical, QRectF(QPointF(), physical) };
    if (!layout.unknownResolutionPage.isValid()) {
        const QSizeF pixels(page.size());
        return { pixels, QRectF(QPointF(), pixels) };
    }
    // QPageSize's sizes in points are rounded to whole points.
    const QSizeF paper = layout.unknownResolutionPage.size(QPageSize::Millimeter) * (72 / 25.4);
    if (layout.placement == ImageFileWriter::Placement::Stretch)
        return { paper, QRectF(QPointF(), paper) };
    const QSizeF fitted = QSizeF(page.size()).scaled(paper, Qt::KeepAspectRatio);
    return { paper,
        QRectF(QPointF((paper.width() - fitted.width()) / 2, (paper.height() - fitted.height()) / 2), fitted) };
}

// One page as it comes back from its helper thread.
struct PreparedPage
{
    bool fetched = false;
    QImage page; // kept only for the page decorator
    Placement placement;
    PageEncoder::Encoded encoded;
};

// The compressed pages between their encoding and the moment qpdf writes them.
class PageSpool
{
public:
    bool open(QString *errorText)
    {
        if (m_file.open())
            return true;
        *errorText = m_file.errorString();
        return false;
    }

    bool append(const QByteArray &bytes, qint64 *offset, QString *errorText)
    {
        *offset = m_file.size();
        if (!m_file.seek(*offset) || m_file.write(bytes) != bytes.size() || !m_file.flush()) {
            *errorText = m_file.errorString();
            return false;
        }
        return true;
    }

    // Called by qpdf while it writes; qpdf turns the exception into a failed write.
    void copyTo(qint64 offset, qint64 length, Pipeline *pipeline)
    {
        if (!m_file.seek(offset))
            throw std::runtime_error(m_file.errorString().toStdString());
        QByteArray chunk;
        for (qint64 left = length; left > 0;) {
            chunk = m_file.read(qMin<qint64>(left, 1 << 20));
            if (chunk.isEmpty())
                throw std::runtime_error(m_file.errorString().toStdString());
            pipeline->write(reinterpret_cast<const unsigned char *>(chunk.constData()), size_t(chunk.size()));
            left -= chunk.size();
        }
    }

private:
    QTemporaryFile m_file;
};

// qpdf's output into the temporary target file, gathered into large writes: the
// file is unbuffered and qpdf writes token by token.
class FilePipeline : public Pipeline
{
public:
    explicit FilePipeline(QFile *file)
        : Pipeline("target file", nullptr)
        , m_file(file)
    {
    }

    void write(unsigned char const *data, size_t length) override
    {
        m_buffer.append(reinterpret_cast<const char *>(data), int(length));
        if (m_buffer.size() >= (1 << 20))
            flush();
    }

    void finish() override { flush(); }

private:
    void flush()
    {
        if (m_buffer.isEmpty())
            return;
        if (m_file->write(m_buffer) != m_buffer.size()) {
            // A write cut short by a full disk may leave no error on the file.
            throw std::runtime_error(
                (m_file->error() != QFileDevice::NoError ? m_file->errorString() : translated("PDF文件未能完整写入"))
                    .toStdString());
        }
        m_buffer.clear();
    }

    QFile *m_file;
    QByteArray m_buffer;
};

QByteArray number(double value)
{
    return QByteArray::number(value, 'f', 4);
}

QPDFObjectHandle name(const char *text)
{
    return QPDFObjectHandle::newName(text);
}

QPDFObjectHandle imageObject(QPDF &pdf, PageSpool &spool, const PageEncoder::Encoded &encoded, qint64 offset)
{
    QPDFObjectHandle image = pdf.newStream();
    QPDFObjectHandle dictionary = image.getDict();
    dictionary.replaceKey("/Type", name("/XObject"));
    dictionary.replaceKey("/Subtype", name("/Image"));
    dictionary.replaceKey("/Width", QPDFObjectHandle::newInteger(encoded.width));
    dictionary.replaceKey("/Height", QPDFObjectHandle::newInteger(encoded.height));
    const bool twoLevel = encoded.kind == PageEncoder::Kind::TwoLevel;
    dictionary.replaceKey(
        "/ColorSpace", name(encoded.kind == PageEncoder::Kind::Colour ? "/DeviceRGB" : "/DeviceGray"));
    dictionary.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(twoLevel ? 1 : 8));
    QPDFObjectHandle parameters = QPDFObjectHandle::newNull();
    if (twoLevel) {
        parameters = QPDFObjectHandle::newDictionary({
            { "/K", QPDFObjectHandle::newInteger(-1) },
            { "/Columns", QPDFObjectHandle::newInteger(encoded.width) },
            { "/Rows", QPDFObjectHandle::newInteger(encoded.height) },
            { "/BlackIs1", QPDFObjectHandle::newBool(false) },
        });
    }
    const qint64 length = encoded.bytes.size();
    image.replaceStreamData([&spool, offset, length](Pipeline *pipeline) { spool.copyTo(offset, length, pipeline); },
        name(twoLevel ? "/CCITTFaxDecode" : "/DCTDecode"), parameters);
    return image;
}

void addPage(QPDF &pdf, PageSpool &spool, int index, const PreparedPage &prepared, qint64 offset,
    const ImageFileWriter::PdfLayout &layout)
{
    const Placement &placement = prepared.placement;
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary({ { "/XObject",
        QPDFObjectHandle::newDictionary({ { "/Im0", imageObject(pdf, spool, prepared.encoded, offset) } }) } });
    QByteArray content = "q\n" + number(placement.image.width()) + " 0 0 " + number(placement.image.height()) + ' '
        + number(placement.image.x()) + ' ' + number(placement.image.y()) + " cm\n/Im0 Do\nQ\n";
    if (layout.decoratePage) {
        PdfPageCanvas canvas(
            pdf, resources, placement.page, placement.image, QSizeF(prepared.encoded.width, prepared.encoded.height));
        layout.decoratePage(index, prepared.page, canvas);
        content += canvas.appendedContent();
    }
    QPDFObjectHandle page = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary({
        { "/Type", name("/Page") },
        { "/MediaBox",
            QPDFObjectHandle::newArray(
                QPDFObjectHandle::Rectangle(0, 0, placement.page.width(), placement.page.height())) },
        { "/Resources", resources },
        { "/Contents", pdf.newStream(content.toStdString()) },
    }));
    pdf.addPage(page, false);
}

void setInformation(QPDF &pdf, const ImageFileWriter::PdfLayout &layout)
{
    QPDFObjectHandle information = QPDFObjectHandle::newDictionary();
    if (!layout.title.isEmpty())
        information.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(layout.title.toStdString()));
    if (!layout.creator.isEmpty())
        information.replaceKey("/Creator", QPDFObjectHandle::newUnicodeString(layout.creator.toStdString()));
    pdf.getTrailer().replaceKey("/Info", pdf.makeIndirectObject(information));
}

// Fetches, encodes and spools the pages in order and builds their PDF objects;
// false with errorText set at the first page that fails.
bool assemblePages(QPDF &pdf, PageSpool &spool, int pageCount, const ImageFileWriter::PageProvider &pageAt,
    const ImageFileWriter::PdfLayout &layout, QString *errorText)
{
    // Two pages are fetched and encoded ahead on helper threads while this thread
    // spools the one before: fetching a page from disk costs about as much as
    // encoding it. The slots' images are handed back to the provider to decode into.
    constexpr int ahead = 2;
    QImage reused[ahead];
    const bool keepPage = bool(layout.decoratePage);
    const auto prepare = [&pageAt, &layout, keepPage](int index, QImage *reuse) {
        PreparedPage prepared;
        const QImage page = pageAt(index, reuse);
        if (page.isNull())
            return prepared;
        prepared.fetched = true;
        prepared.placement = placementOf(page, layout);
        prepared.encoded = PageEncoder::encode(page, layout.jpegQuality);
        if (keepPage)
            prepared.page = page;
        return prepared;
    };
    std::deque<std::future<PreparedPage>> next;
    for (int i = 0; i < qMin(ahead, pageCount); ++i)
        next.push_back(std::async(helperThread, prepare, i, &reused[i]));
    bool complete = true;
    for (int i = 0; i < pageCount && complete; ++i) {
        const PreparedPage prepared = next.front().get();
        next.pop_front();
        if (i + ahead < pageCount)
            next.push_back(std::async(helperThread, prepare, i + ahead, &reused[i % ahead]));
        qint64 offset = 0;
        if (!prepared.fetched) {
            // A page that cannot be read would otherwise become a blank page of a
            // file reported as written.
            *errorText = translated("第%1页无法读取").arg(i + 1);
            complete = false;
        } else if (!prepared.encoded.errorText.isEmpty()) {
            *errorText = translated("第%1页无法编码: %2").arg(i + 1).arg(prepared.encoded.errorText);
            complete = false;
        } else if (!spool.append(prepared.encoded.bytes, &offset, errorText)) {
            complete = false;
        } else {
            addPage(pdf, spool, i, prepared, offset, layout);
        }
    }
    for (std::future<PreparedPage> &pending : next)
        pending.wait();
    return complete;
}

} // namespace

bool ImageFileWriter::writePdf(
    int pageCount, const PageProvider &pageAt, const QString &path, const PdfLayout &layout, QString *errorText)
{
    QString ignored;
    if (!errorText)
        errorText = &ignored;
    if (pageCount <= 0) {
        *errorText = translated("没有要保存的页面");
        return false;
    }
    PageSpool spool;
    if (!spool.open(errorText))
        return false;
    QFile file;
    if (!FileReplacement::open(path, &file, errorText))
        return false;
    bool written = false;
    try {
        QPDF pdf;
        pdf.emptyPDF();
        if (assemblePages(pdf, spool, pageCount, pageAt, layout, errorText)) {
            setInformation(pdf, layout);
            FilePipeline pipeline(&file);
            QPDFWriter writer(pdf);
            writer.setOutputPipeline(&pipeline);
            writer.setMinimumPDFVersion("1.4");
            writer.write();
            written = true;
        }
    } catch (const std::exception &failure) {
        *errorText = file.error() != QFileDevice::NoError ? file.errorString() : QString::fromLocal8Bit(failure.what());
    }
    if (written && !FileReplacement::isCompletePdf(&file)) {
        *errorText = file.error() != QFileDevice::NoError ? file.errorString() : translated("PDF文件未能完整写入");
        written = false;
    }
    if (!written) {
        FileReplacement::discard(&file);
        return false;
    }
    return FileReplacement::commit(&file, path, errorText);
}

bool ImageFileWriter::writePdf(
    const QList<QImage> &pages, const QString &path, const PdfLayout &layout, QString *errorText)
{
    return writePdf(
        pages.size(), [&pages](int index, QImage *) { return pages.at(index); }, path, layout, errorText);
}
