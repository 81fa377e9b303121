#include "document/imagefilewriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageWriter>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <cstring>
#include <deque>
#include <future>

#include "document/filereplacement.h"

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("ImageFileWriter", text);
}

// A helper thread when one can be had, otherwise the work runs on the calling thread
// when its result is asked for.
constexpr std::launch helperThread = std::launch::async | std::launch::deferred;

// Qt's PDF engine converts every page that is not 32-bit RGB into an ARGB32 copy and
// then scans that copy for transparency. An opaque page handed over as RGB32 skips the
// scan; the engine encodes it exactly as before. The copy is made band by band into a
// buffer that is reused from page to page: a fresh 35 MB image per A4 page costs more
// in page faults than the conversion itself.
QImage pdfReady(const QImage &page, QImage *buffer)
{
    switch (page.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return page;
    default:
        if (page.hasAlphaChannel())
            return page;
    }
    if (buffer->size() != page.size())
        *buffer = QImage(page.size(), QImage::Format_RGB32);
    if (buffer->isNull())
        return page.convertToFormat(QImage::Format_RGB32);
    constexpr int bandRows = 64;
    const size_t rowBytes = size_t(page.width()) * 4;
    for (int top = 0; top < page.height(); top += bandRows) {
        const int rows = qMin(bandRows, page.height() - top);
        QImage band(page.constScanLine(top), page.width(), rows, page.bytesPerLine(), page.format());
        if (page.colorCount() > 0)
            band.setColorTable(page.colorTable());
        const QImage converted = band.convertToFormat(QImage::Format_RGB32);
        for (int row = 0; row < rows; ++row)
            std::memcpy(buffer->scanLine(top + row), converted.constScanLine(row), rowBytes);
    }
    return *buffer;
}

QRect placed(const QImage &image, const QRect &page, ImageFileWriter::Placement placement)
{
    if (placement == ImageFileWriter::Placement::Stretch)
        return page;
    QSize fitted = image.size();
    fitted.scale(page.size(), Qt::KeepAspectRatio);
    return QRect(page.x() + (page.width() - fitted.width()) / 2, page.y() + (page.height() - fitted.height()) / 2,
        fitted.width(), fitted.height());
}

// Paints the pages; false when the painter could not start, a page could not be
// begun or a page could not be had.
bool paintPages(QPdfWriter &writer, int pageCount, const ImageFileWriter::PageProvider &pageAt,
    ImageFileWriter::Placement placement)
{
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    const QRect page(0, 0, writer.width(), writer.height());
    // The next pages are fetched and converted on helper threads while the engine
    // JPEG-encodes the current one: fetching a page that lives on disk costs about
    // as much as drawing it, hence two ahead. The engine keeps no reference to a page
    // once drawn, so the buffers of the page drawn before are free again by the time
    // their turn comes round.
    constexpr int ahead = 2;
    QImage buffers[ahead + 1];
    QImage reused[ahead + 1];
    const auto prepare = [&pageAt](int index, QImage *buffer, QImage *reuse) {
        return pdfReady(pageAt(index, reuse), buffer);
    };
    std::deque<std::future<QImage>> next;
    for (int i = 0; i < qMin(ahead, pageCount); ++i)
        next.push_back(std::async(helperThread, prepare, i, &buffers[i], &reused[i]));
    bool complete = true;
    for (int i = 0; i < pageCount; ++i) {
        const QImage image = next.front().get();
        next.pop_front();
        if (i + ahead < pageCount) {
            const int slot = (i + ahead) % (ahead + 1);
            next.push_back(std::async(helperThread, prepare, i + ahead, &buffers[slot], &reused[slot]));
        }
        // A page that cannot be read would otherwise become a blank page of a file
        // reported as written.
        if (image.isNull() || (i > 0 && !writer.newPage())) {
            complete = false;
            break;
        }
        painter.drawImage(placed(image, page, placement), image, image.rect());
    }
    for (std::future<QImage> &pending : next)
        pending.wait();
    return painter.end() && complete;
}

} // namespace

ImageFileWriter::Encoded ImageFileWriter::encode(const QImage &image, const QByteArray &format, int quality)
{
    Encoded encoded;
    if (image.isNull()) {
        encoded.errorText = translated("没有图像");
        return encoded;
    }
    QBuffer buffer(&encoded.bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format.toLower());
    writer.setQuality(quality);
    if (!writer.write(image)) {
        encoded.errorText = writer.errorString();
        encoded.bytes.clear();
    }
    return encoded;
}

// The image was encoded in memory and is written in one piece, so a short write (a
// full disk) is seen for what it is.
bool ImageFileWriter::writeEncoded(const Encoded &encoded, const QString &path, QString *errorText)
{
    if (!encoded.errorText.isEmpty()) {
        *errorText = encoded.errorText;
        return false;
    }
    QFile file;
    if (!FileReplacement::open(path, &file, errorText))
        return false;
    if (file.write(encoded.bytes) != encoded.bytes.size()) {
        *errorText = file.errorString();
        FileReplacement::discard(&file);
        return false;
    }
    return FileReplacement::commit(&file, path, errorText);
}

bool ImageFileWriter::writeImage(
    const QImage &image, const QString &path, const QByteArray &format, int quality, QString *errorText)
{
    return writeEncoded(encode(image, format, quality), path, errorText);
}

bool ImageFileWriter::writePdf(
    int pageCount, const PageProvider &pageAt, const QString &path, const PdfLayout &layout, QString *errorText)
{
    if (pageCount <= 0) {
        *errorText = translated("没有要保存的页面");
        return false;
    }
    // The PDF writer never reports a failed write; the file is checked before it
    // replaces the target.
    QFile file;
    if (!FileReplacement::open(path, &file, errorText))
        return false;
    bool painted = false;
    {
        QPdfWriter writer(&file);
        if (!layout.creator.isEmpty())
            writer.setCreator(layout.creator);
        writer.setTitle(layout.title);
        writer.setPageSize(layout.pageSize);
        // The writer's default 10 pt margins would leave a white frame and squeeze the
        // page image unevenly; the scan is meant to cover the whole page.
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
        if (layout.resolution > 0)
            writer.setResolution(layout.resolution);
        painted = paintPages(writer, pageCount, pageAt, layout.placement);
    }
    if (!painted || !FileReplacement::isCompletePdf(&file)) {
        *errorText = file.error() != QFileDevice::NoError ? file.errorString() : translated("PDF文件未能完整写入");
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
