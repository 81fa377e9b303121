// PDFs through qpdf: every page is compressed on its own terms (PageEncoder) and
// embedded as it is, which QPdfWriter cannot do (it re-encodes every page as RGB
// JPEG at a fixed quality). The compressed pages wait in a spool file and qpdf
// reads each back only while writing it, so neither the pages nor their bytes pile
// up in memory.
#include "document/imagefilewriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QVector>

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <deque>
#include <future>
#include <stdexcept>

#include "document/filereplacement.h"
#include "document/mrcencoder.h"
#include "document/pageencoder.h"
#include "document/pageresolution.h"
#include "document/pdfpagecanvas.h"

namespace {

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
    QSize pixels; // of the page as the document has it, before any downsampling
    Placement placement;
    PageEncoder::Encoded encoded;
};

// Where a page's compressed parts lie in the spool.
struct SpooledPage
{
    qint64 mask = 0; // or the page's only image
    qint64 background = 0;
    qint64 foreground = 0;
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
            throw std::runtime_error((m_file->error() != QFileDevice::NoError
                    ? m_file->errorString()
                    : QCoreApplication::translate("ImageFileWriter", "PDF文件未能完整写入"))
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

QPDFObjectHandle imageStream(QPDF &pdf, PageSpool &spool, qint64 offset, qint64 length, int width, int height)
{
    QPDFObjectHandle image = pdf.newStream();
    QPDFObjectHandle dictionary = image.getDict();
    dictionary.replaceKey("/Type", name("/XObject"));
    dictionary.replaceKey("/Subtype", name("/Image"));
    dictionary.replaceKey("/Width", QPDFObjectHandle::newInteger(width));
    dictionary.replaceKey("/Height", QPDFObjectHandle::newInteger(height));
    image.replaceStreamData([&spool, offset, length](Pipeline *pipeline) { spool.copyTo(offset, length, pipeline); },
        QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
    return image;
}

// G4 data as a PDF filter takes it: black coded as 1, decoded as 0 (unless the
// data was copied from a stream that said otherwise).
void setG4(QPDFObjectHandle &image, int width, int height, bool blackIs1 = false)
{
    image.getDict().replaceKey("/Filter", name("/CCITTFaxDecode"));
    image.getDict().replaceKey("/DecodeParms",
        QPDFObjectHandle::newDictionary({
            { "/K", QPDFObjectHandle::newInteger(-1) },
            { "/Columns", QPDFObjectHandle::newInteger(width) },
            { "/Rows", QPDFObjectHandle::newInteger(height) },
            { "/BlackIs1", QPDFObjectHandle::newBool(blackIs1) },
        }));
}

void setJpeg(QPDFObjectHandle &image, bool grey)
{
    QPDFObjectHandle dictionary = image.getDict();
    dictionary.replaceKey("/Filter", name("/DCTDecode"));
    dictionary.replaceKey("/ColorSpace", name(grey ? "/DeviceGray" : "/DeviceRGB"));
    dictionary.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
}

// A layer at a fraction of the page's resolution is drawn smoothed: a viewer that
// magnifies it pixel by pixel (Chromium's does without this) shows the JPEG's
// blocks on the paper at 300 %.
void setSmoothed(QPDFObjectHandle &image)
{
    image.getDict().replaceKey("/Interpolate", QPDFObjectHandle::newBool(true));
}

QPDFObjectHandle imageObject(QPDF &pdf, PageSpool &spool, const PageEncoder::Encoded &encoded, qint64 offset)
{
    QPDFObjectHandle image = imageStream(pdf, spool, offset, encoded.bytes.size(), encoded.width, encoded.height);
    if (encoded.kind == PageEncoder::Kind::TwoLevel) {
        image.getDict().replaceKey("/ColorSpace", name("/DeviceGray"));
        image.getDict().replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(1));
        setG4(image, encoded.width, encoded.height, encoded.blackIs1);
    } else {
        setJpeg(image, encoded.kind == PageEncoder::Kind::Grey);
    }
    return image;
}

QByteArray placed(const QRectF &rect, const char *image)
{
    return "q\n" + number(rect.width()) + " 0 0 " + number(rect.height()) + ' ' + number(rect.x()) + ' '
        + number(rect.y()) + " cm\n" + image + " Do\nQ\n";
}

// A layered page: the paper drawn over the whole page, then the ink through the
// mask, as the ink layer's image masked by it or, when all ink has one colour, as
// the mask itself filled with that colour. Every viewer draws stencil masks and
// explicit image masks of another resolution than their image.
QByteArray addLayers(QPDF &pdf, PageSpool &spool, const PageEncoder::Encoded &encoded, const SpooledPage &at,
    const QRectF &rect, QPDFObjectHandle &xobjects)
{
    QPDFObjectHandle mask = imageStream(pdf, spool, at.mask, encoded.bytes.size(), encoded.width, encoded.height);
    mask.getDict().replaceKey("/ImageMask", QPDFObjectHandle::newBool(true));
    setG4(mask, encoded.width, encoded.height);
    const PageEncoder::Layer &paper = encoded.background;
    QPDFObjectHandle background = imageStream(pdf, spool, at.background, paper.bytes.size(), paper.width, paper.height);
    setJpeg(background, paper.grey);
    setSmoothed(background);
    xobjects.replaceKey("/Im0", background);
    QByteArray content = placed(rect, "/Im0");
    const PageEncoder::Layer &ink = encoded.foreground;
    if (ink.bytes.isEmpty()) {
        xobjects.replaceKey("/Im1", mask);
        const QColor &colour = encoded.inkColour;
        return content + "q\n" + number(colour.redF()) + ' ' + number(colour.greenF()) + ' ' + number(colour.blueF())
            + " rg\n" + placed(rect, "/Im1") + "Q\n";
    }
    QPDFObjectHandle foreground = imageStream(pdf, spool, at.foreground, ink.bytes.size(), ink.width, ink.height);
    setJpeg(foreground, ink.grey);
    setSmoothed(foreground);
    foreground.getDict().replaceKey("/Mask", mask);
    xobjects.replaceKey("/Im1", foreground);
    return content + placed(rect, "/Im1");
}

void addPage(QPDF &pdf, PageSpool &spool, int index, const PreparedPage &prepared, const SpooledPage &at,
    const ImageFileWriter::PdfLayout &layout)
{
    const Placement &placement = prepared.placement;
    QPDFObjectHandle xobjects = QPDFObjectHandle::newDictionary();
    QPDFObjectHandle resources = QPDFObjectHandle::newDictionary({ { "/XObject", xobjects } });
    QByteArray content;
    if (prepared.encoded.kind == PageEncoder::Kind::Layered) {
        content = addLayers(pdf, spool, prepared.encoded, at, placement.image, xobjects);
    } else {
        xobjects.replaceKey("/Im0", imageObject(pdf, spool, prepared.encoded, at.mask));
        content = placed(placement.image, "/Im0");
    }
    if (layout.decoratePage) {
        PdfPageCanvas canvas(pdf, resources, placement.page, placement.image, QSizeF(prepared.pixels));
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

// What one pass over the pages gave.
struct PassResult
{
    QVector<qint64> pageBytes; // compressed bytes of each page
    int layeredPages = 0;
    bool cancelled = false; // layout.progress asked to stop
};

// Fetches, encodes and spools the pages in order and builds their PDF objects;
// false with errorText set at the first page that fails.
bool assemblePages(QPDF &pdf, PageSpool &spool, int pageCount, const ImageFileWriter::PageProvider &pageAt,
    const ImageFileWriter::PdfLayout &layout, const PageEncoder::Settings &settings, PassResult *result,
    QString *errorText)
{
    // Two pages are fetched and encoded ahead on helper threads while this thread
    // spools the one before: fetching a page from disk costs about as much as
    // encoding it. The slots' images are handed back to the provider to decode into.
    constexpr int ahead = 2;
    QImage reused[ahead];
    const bool keepPage = bool(layout.decoratePage);
    const auto prepare = [&pageAt, &layout, &settings, keepPage](int index, QImage *reuse) {
        PreparedPage prepared;
        const ImageFileWriter::ProvidedPage provided = pageAt(index, reuse);
        const QImage &page = provided.image;
        if (page.isNull())
            return prepared;
        prepared.fetched = true;
        prepared.pixels = page.size();
        prepared.placement = placementOf(page, layout);
        prepared.encoded = PageEncoder::encode(page, settings, provided.original);
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
        const PageEncoder::Encoded &encoded = prepared.encoded;
        SpooledPage at;
        if (!prepared.fetched) {
            // A page that cannot be read would otherwise become a blank page of a
            // file reported as written.
            *errorText = QCoreApplication::translate("ImageFileWriter", "第%1页无法读取").arg(i + 1);
            complete = false;
        } else if (!encoded.errorText.isEmpty()) {
            *errorText = QCoreApplication::translate("ImageFileWriter", "第%1页无法编码: %2")
                             .arg(i + 1)
                             .arg(encoded.errorText);
            complete = false;
        } else if (!spool.append(encoded.bytes, &at.mask, errorText)
            || !spool.append(encoded.background.bytes, &at.background, errorText)
            || !spool.append(encoded.foreground.bytes, &at.foreground, errorText)) {
            complete = false;
        } else {
            addPage(pdf, spool, i, prepared, at, layout);
            result->pageBytes.append(encoded.size());
            if (encoded.kind == PageEncoder::Kind::Layered)
                ++result->layeredPages;
            if (layout.progress && !layout.progress(i + 1, pageCount)) {
                *errorText = QCoreApplication::translate("ImageFileWriter", "已取消保存");
                result->cancelled = true;
                complete = false;
            }
        }
    }
    for (std::future<PreparedPage> &pending : next)
        pending.wait();
    return complete;
}

// Writes the whole PDF into file (a temporary file of FileReplacement) with the
// given settings; the caller commits or discards it.
bool writePass(QFile &file, int pageCount, const ImageFileWriter::PageProvider &pageAt,
    const ImageFileWriter::PdfLayout &layout, const PageEncoder::Settings &settings, PassResult *result,
    QString *errorText)
{
    PageSpool spool;
    if (!spool.open(errorText))
        return false;
    bool written = false;
    try {
        QPDF pdf;
        pdf.emptyPDF();
        if (assemblePages(pdf, spool, pageCount, pageAt, layout, settings, result, errorText)) {
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
        *errorText = file.error() != QFileDevice::NoError
            ? file.errorString()
            : QCoreApplication::translate("ImageFileWriter", "PDF文件未能完整写入");
        written = false;
    }
    return written;
}

// The settings a size limit tries in turn: the chosen ones, then compact from its
// default down to its smallest rung.
QVector<PageEncoder::Settings> ladderFor(const SaveOptions &options)
{
    PageEncoder::Settings chosen;
    chosen.compression = options.compression;
    chosen.jpegQuality = options.jpegQuality;
    chosen.saveDpi = options.saveDpi;
    QVector<PageEncoder::Settings> ladder { chosen };
    if (options.sizeLimit <= 0)
        return ladder;
    for (int step = 0; step < MrcEncoder::levelCount(); ++step) {
        PageEncoder::Settings smaller = chosen;
        smaller.compression = SaveOptions::Compression::Compact;
        smaller.step = step;
        if (step > 0 || chosen.compression != SaveOptions::Compression::Compact)
            ladder.append(smaller);
    }
    return ladder;
}

QString megabytes(qint64 bytes)
{
    return QStringLiteral("%1 MB").arg(bytes / 1e6, 0, 'f', 1);
}

// <folder>/<name>_<part>.pdf
QString partPath(const QString &path, int part)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    return info.dir().filePath(QStringLiteral("%1_%2%3").arg(info.completeBaseName()).arg(part).arg(suffix));
}

bool writeOne(int pageCount, const ImageFileWriter::PageProvider &pageAt, const QString &path,
    const ImageFileWriter::PdfLayout &layout, const PageEncoder::Settings &settings, PassResult *result, qint64 *bytes,
    QString *errorText)
{
    QFile file;
    if (!FileReplacement::open(path, &file, errorText))
        return false;
    if (!writePass(file, pageCount, pageAt, layout, settings, result, errorText)) {
        FileReplacement::discard(&file);
        return false;
    }
    *bytes = file.size();
    return FileReplacement::commit(&file, path, errorText);
}

// The pages in consecutive parts whose pages add up to no more than budget each;
// empty when one page alone is over it.
QVector<QPair<int, int>> partsOf(const QVector<qint64> &pageBytes, qint64 budget)
{
    QVector<QPair<int, int>> parts;
    int first = 0;
    qint64 sum = 0;
    for (int i = 0; i < pageBytes.size(); ++i) {
        if (pageBytes.at(i) > budget)
            return {};
        if (sum + pageBytes.at(i) > budget) {
            parts.append({ first, i - first });
            first = i;
            sum = 0;
        }
        sum += pageBytes.at(i);
    }
    parts.append({ first, pageBytes.size() - first });
    return parts;
}

// Each part written with the smallest settings; a part that still comes out over
// the limit (its text layer, the file's own structure) is split further.
bool writeParts(const ImageFileWriter::PageProvider &pageAt, const QString &path,
    const ImageFileWriter::PdfLayout &layout, const PageEncoder::Settings &settings, const QVector<qint64> &pageBytes,
    ImageFileWriter::PdfReport *report, QString *errorText)
{
    const qint64 limit = layout.options.sizeLimit;
    for (double share = 0.95; share > 0.3; share -= 0.15) {
        const QVector<QPair<int, int>> parts = partsOf(pageBytes, qint64(limit * share) - 4096);
        if (parts.isEmpty())
            break;
        QStringList written;
        qint64 total = 0;
        bool fits = true;
        for (int p = 0; p < parts.size() && fits; ++p) {
            const int first = parts.at(p).first;
            const int count = parts.at(p).second;
            ImageFileWriter::PdfLayout partLayout = layout;
            if (layout.decoratePage) {
                partLayout.decoratePage = [&layout, first](int index, const QImage &page, PdfPageCanvas &canvas) {
                    layout.decoratePage(first + index, page, canvas);
                };
            }
            const auto partPages = [&pageAt, first](int index, QImage *reuse) {
                return pageAt(first + index, reuse);
            };
            const QString target = partPath(path, p + 1);
            PassResult result;
            qint64 bytes = 0;
            if (!writeOne(count, partPages, target, partLayout, settings, &result, &bytes, errorText)) {
                for (const QString &file : qAsConst(written))
                    QFile::remove(file);
                report->cancelled = result.cancelled;
                return false;
            }
            written.append(target);
            total += bytes;
            report->layeredPages += result.layeredPages;
            fits = bytes <= limit;
        }
        if (fits) {
            report->paths = written;
            report->bytes = total;
            return true;
        }
        for (const QString &file : qAsConst(written))
            QFile::remove(file);
        report->layeredPages = 0;
    }
    *errorText = QCoreApplication::translate("ImageFileWriter", "单独一页已超过大小上限 %1").arg(megabytes(limit));
    return false;
}

} // namespace

bool ImageFileWriter::writePdf(int pageCount, const PageProvider &pageAt, const QString &path, const PdfLayout &layout,
    QString *errorText, PdfReport *report)
{
    QString ignored;
    if (!errorText)
        errorText = &ignored;
    PdfReport unused;
    if (!report)
        report = &unused;
    *report = PdfReport();
    if (pageCount <= 0) {
        *errorText = QCoreApplication::translate("ImageFileWriter", "没有要保存的页面");
        return false;
    }
    const qint64 limit = layout.options.sizeLimit;
    const QVector<PageEncoder::Settings> ladder = ladderFor(layout.options);
    PassResult result;
    for (int attempt = 0; attempt < ladder.size(); ++attempt) {
        const bool last = attempt + 1 == ladder.size();
        QFile file;
        if (!FileReplacement::open(path, &file, errorText))
            return false;
        result = PassResult();
        if (!writePass(file, pageCount, pageAt, layout, ladder.at(attempt), &result, errorText)) {
            FileReplacement::discard(&file);
            report->cancelled = result.cancelled;
            return false;
        }
        const qint64 bytes = file.size();
        const bool fits = limit <= 0 || bytes <= limit;
        if (fits || (last && layout.options.overLimit == SaveOptions::OverLimit::SaveAnyway)) {
            if (!FileReplacement::commit(&file, path, errorText))
                return false;
            report->paths = QStringList { path };
            report->bytes = bytes;
            report->layeredPages = result.layeredPages;
            return true;
        }
        FileReplacement::discard(&file);
        if (last)
            report->smallestBytes = bytes;
    }
    if (layout.options.overLimit == SaveOptions::OverLimit::Split && pageCount > 1)
        return writeParts(pageAt, path, layout, ladder.constLast(), result.pageBytes, report, errorText);
    report->overLimit = true;
    *errorText = QCoreApplication::translate("ImageFileWriter", "即使压缩到最小，文件仍有 %1，超过了大小上限 %2")
                     .arg(megabytes(report->smallestBytes), megabytes(limit));
    return false;
}

bool ImageFileWriter::writePdf(
    const QList<QImage> &pages, const QString &path, const PdfLayout &layout, QString *errorText, PdfReport *report)
{
    return writePdf(
        pages.size(), [&pages](int index, QImage *) { return pages.at(index); }, path, layout, errorText, report);
}
