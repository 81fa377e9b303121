#include "document/pagefilereader.h"

#include <QBuffer>
#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <cmath>

#include "document/pagelimits.h"

namespace {

// JPEG files beyond this are decoded and encoded again rather than held whole.
constexpr qint64 largestCopiedFile = qint64(1) << 28;

// The format a page will be decoded to; when the reader cannot tell before
// decoding, the widest there is, so that the limit holds whatever it turns out to be.
QImage::Format widestFormat(QImage::Format announced)
{
    return announced == QImage::Format_Invalid ? QImage::Format_RGBA64 : announced;
}

// A PDF begins with "%PDF-" and ends with its trailer and "%%EOF" (readers look
// for both in the first and last kilobyte); a file cut short has lost its end,
// whatever Poppler rebuilds from the rest.
bool isCutShortPdf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.read(1024).contains("%PDF-"))
        return false;
    file.seek(qMax<qint64>(0, file.size() - 1024));
    return !file.readAll().contains("%%EOF");
}

} // namespace

QStringList PageFileReader::suffixes()
{
    return { QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("bmp"),
        QStringLiteral("tiff"), QStringLiteral("tif"), QStringLiteral("pdf") };
}

bool PageFileReader::isPdf(const QString &path)
{
    return QFileInfo(path).suffix().toLower() == QLatin1String("pdf");
}

PageFileReader::Status PageFileReader::open(const QString &path, const QString &password)
{
    m_path = path;
    m_pageCount = 0;
    m_reader.reset();
    m_refused = false;
    m_errorText.clear();
    const QFileInfo info(path);
    if (!info.exists()) {
        m_errorText = tr("文件不存在: %1").arg(path);
        return Status::Failed;
    }
    const QString suffix = info.suffix().toLower();
    if (!suffixes().contains(suffix)) {
        m_errorText = tr("不支持的文件格式: %1").arg(suffix);
        return Status::Failed;
    }

    m_pdf = suffix == QLatin1String("pdf");
    if (m_pdf) {
        switch (m_document.open(path, password.toUtf8())) {
        case PdfDocument::Status::Opened:
            break;
        case PdfDocument::Status::PasswordNeeded:
            return Status::PasswordNeeded;
        case PdfDocument::Status::WrongPassword:
            return Status::WrongPassword;
        case PdfDocument::Status::Unreadable:
            m_errorText
                = isCutShortPdf(path) ? tr("文件已损坏或不完整: %1").arg(path) : tr("无法读取PDF文件: %1").arg(path);
            return Status::Failed;
        }
        m_pageCount = m_document.pageCount();
        // Pages rebuilt from a truncated file lack what came after the cut; none is
        // taken rather than some pages half there.
        if (m_pageCount <= 0 || isCutShortPdf(path)) {
            m_errorText = tr("文件已损坏或不完整: %1").arg(path);
            return Status::Failed;
        }
        // The survey is only a hint for the resolution; a file qpdf cannot
        // read is still rendered, at the default resolution.
        m_surveyed = m_survey.open(path, password.toUtf8());
    } else {
        m_reader = std::make_unique<QImageReader>(path);
        if (!m_reader->canRead()) {
            m_errorText = tr("无法读取图像文件: %1").arg(path);
            return Status::Failed;
        }
        m_pageCount = qMax(1, m_reader->imageCount());
    }
    if (m_pageCount <= 0) {
        m_errorText = tr("文件中没有页面: %1").arg(path);
        return Status::Failed;
    }
    if (m_pageCount > maxPages) {
        m_errorText = tr("文件有%1页，超过了每个文件%2页的上限: %3").arg(m_pageCount).arg(maxPages).arg(path);
        return Status::Failed;
    }
    return Status::Opened;
}

int PageFileReader::pageCount() const
{
    return m_pageCount;
}

QImage PageFileReader::read(int index, QImage *reuse, StoredEncoding *original)
{
    m_refused = false;
    m_errorText.clear();
    StoredEncoding found;
    if (index < 0 || index >= m_pageCount)
        return fail(tr("读取图像失败: %1").arg(m_path));
    const QImage image = m_pdf ? readPdfPage(index, original ? &found : nullptr)
                               : readImage(index, reuse, original ? &found : nullptr);
    if (original)
        *original = matches(found, image) ? found : StoredEncoding();
    return image;
}

bool PageFileReader::matches(const StoredEncoding &original, const QImage &image)
{
    if (original.isNull() || original.size != image.size())
        return false;
    const bool twoLevel = image.format() == QImage::Format_Mono;
    const bool grey = image.format() == QImage::Format_Grayscale8;
    if (original.kind == StoredEncoding::Kind::G4)
        return twoLevel;
    return !twoLevel && original.grey == grey;
}

QImage PageFileReader::readPdfPage(int index, StoredEncoding *original)
{
    const QSizeF points = m_document.pageSize(index);
    if (points.isEmpty())
        return fail(tr("PDF文件第%1页无法读取: %2").arg(index + 1).arg(m_path));
    const int scanned = m_surveyed ? m_survey.page(index).scannedResolution : 0;
    const int dpi = scanned > 0 ? scanned : defaultPdfResolution;
    const double pixels = std::ceil(points.width() * dpi / 72.0) * std::ceil(points.height() * dpi / 72.0);
    // Written to refuse NaN too: a page size is whatever the file says.
    if (!(pixels <= double(maxPagePixels)))
        return refuse(
            tr("第%1页超过%2百万像素的上限，未导入: %3").arg(index + 1).arg(maxPagePixels / 1000000).arg(m_path));
    const QImage scan = m_surveyed && scanned > 0 ? decodeScan(index, dpi, original) : QImage();
    if (!scan.isNull())
        return scan;
    const QImage image = m_document.render(index, dpi);
    if (image.isNull())
        return fail(tr("PDF文件第%1页无法渲染: %2").arg(index + 1).arg(m_path));
    // A scanned sheet rendered at its image's own resolution is that image pixel for
    // pixel: a 1-bit or grey scan comes back as it was stored, not as colour that
    // would be written back at many times its size.
    if (scanned > 0) {
        const PdfPageSurvey::Page page = m_survey.page(index);
        if (page.imageCount == 1 && page.largestIsTwoLevel) {
            if (original)
                *original = m_survey.scanG4(index);
            return twoLevel(image);
        }
        if (page.imageCount == 1 && page.largestIsGrey)
            return image.convertToFormat(QImage::Format_Grayscale8);
    }
    return image;
}

QImage PageFileReader::twoLevel(const QImage &rendered)
{
    const QImage grey = rendered.convertToFormat(QImage::Format_Grayscale8);
    QImage mono(grey.size(), QImage::Format_Mono);
    mono.setColorTable({ qRgb(0, 0, 0), qRgb(255, 255, 255) });
    mono.fill(1);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *row = grey.constScanLine(y);
        uchar *bits = mono.scanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            if (row[x] < 128)
                bits[x >> 3] &= uchar(~(0x80 >> (x & 7)));
        }
    }
    mono.setDotsPerMeterX(rendered.dotsPerMeterX());
    mono.setDotsPerMeterY(rendered.dotsPerMeterY());
    return mono;
}

QImage PageFileReader::decodeScan(int index, int dpi, StoredEncoding *original)
{
    int rotation = 0;
    const QByteArray jpeg = m_survey.scanJpeg(index, &rotation);
    if (jpeg.isEmpty())
        return QImage();
    // A stream whose JPEG disagrees with its dictionary is Poppler's to judge;
    // the JPEG's own header is asked before a row is decoded, as it may claim
    // any size.
    QBuffer buffer;
    buffer.setData(jpeg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "JPEG");
    const PdfPageSurvey::Page page = m_survey.page(index);
    if (reader.size() != page.largestImage || !PageLimits::fits(reader.size(), QImage::Format_RGB32))
        return QImage();
    QImage image = reader.read();
    if (image.isNull() || image.size() != page.largestImage)
        return QImage();
    if (rotation != 0)
        image = image.transformed(QTransform().rotate(rotation));
    else if (original)
        *original = StoredEncoding::jpeg(jpeg);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

QImage PageFileReader::readImage(int index, QImage *reuse, StoredEncoding *original)
{
    if (index > 0 && !m_reader->jumpToImage(index))
        return fail(tr("读取图像失败: %1").arg(m_reader->errorString()));
    // The header's size, before a single row is decoded: the decoder allocates
    // whatever the header claims. A page whose size cannot be known beforehand
    // is not read at all.
    const QSize size = m_reader->size();
    // Asked before reading: the reader forgets the format once it has read.
    const bool jpegFile = m_reader->format() == "jpeg" && m_reader->imageCount() <= 1;
    if (!size.isValid() || size.isEmpty())
        return fail(tr("读取图像失败: %1").arg(m_path));
    if (!PageLimits::fits(size, widestFormat(m_reader->imageFormat())))
        return refuse(
            tr("第%1页超过%2百万像素的上限，未导入: %3").arg(index + 1).arg(maxPagePixels / 1000000).arg(m_path));
    // A fresh page-sized image costs thousands of page faults; the decoder
    // overwrites one of the same size that nobody else holds (and allocates
    // anew when its format differs).
    QImage image;
    if (reuse && reuse->size() == size && reuse->isDetached())
        image.swap(*reuse);
    if (!m_reader->read(&image) || image.isNull())
        return fail(tr("读取图像失败: %1").arg(m_reader->errorString()));
    // 1-bit pages have black at index 0 throughout the document, whatever the file
    // stored (a fax TIFF's "white is zero" comes the other way round).
    if ((image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB) && image.colorCount() == 2
        && qIsGray(image.color(0)) && qIsGray(image.color(1)) && qGray(image.color(0)) > qGray(image.color(1))) {
        image = image.convertToFormat(QImage::Format_Mono);
        image.invertPixels();
        image.setColorTable({ qRgb(0, 0, 0), qRgb(255, 255, 255) });
    }
    if (!PageLimits::fits(image.size(), image.format()))
        return refuse(
            tr("第%1页超过%2百万像素的上限，未导入: %3").arg(index + 1).arg(maxPagePixels / 1000000).arg(m_path));
    // A JPEG file's own bytes, unless the reader turned its pixels by the file's
    // orientation tag, which a PDF viewer would not.
    if (original && jpegFile
        && !(m_reader->autoTransform() && m_reader->transformation() != QImageIOHandler::TransformationNone)) {
        QFile file(m_path);
        if (file.open(QIODevice::ReadOnly) && file.size() < largestCopiedFile)
            *original = StoredEncoding::jpeg(file.readAll());
    }
    if (reuse)
        *reuse = image;
    return image;
}

QImage PageFileReader::refuse(const QString &text)
{
    m_refused = true;
    m_errorText = text;
    qDebug() << "页面超过上限，未导入: " << m_path;
    return QImage();
}

QImage PageFileReader::fail(const QString &text)
{
    m_refused = false;
    m_errorText = text;
    return QImage();
}
