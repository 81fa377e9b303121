// Poppler's Qt 5 headers still declare QLinkedList, which the project-wide
// deprecation cut-off removes; this file alone sees the older cut-off.
#undef QT_DISABLE_DEPRECATED_BEFORE
#define QT_DISABLE_DEPRECATED_BEFORE 0x050E00

#include "document/pdfdocument.h"

#include <QFile>

#include <poppler-qt5.h>

namespace {

// Poppler reports every oddity of a damaged file on the debug log, in English;
// what matters to the user arrives as a failed open or render instead.
void ignorePopplerMessage(const QString &, const QVariant &)
{
}

} // namespace

PdfDocument::PdfDocument()
{
    // Once per process; readers on several threads may get here together.
    static const bool quiet = (Poppler::setDebugErrorFunction(ignorePopplerMessage, QVariant()), true);
    Q_UNUSED(quiet)
}

PdfDocument::~PdfDocument() = default;

PdfDocument::Status PdfDocument::open(const QString &path, const QByteArray &password)
{
    m_document.reset();
    // Poppler takes either password; a file protected by an owner password
    // alone opens without asking, as every reader opens it.
    std::unique_ptr<Poppler::Document> document(Poppler::Document::load(path, password, password));
    if (!document)
        return Status::Unreadable;
    if (document->isLocked())
        return password.isEmpty() ? Status::PasswordNeeded : Status::WrongPassword;
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    document->setRenderHint(Poppler::Document::TextHinting);
    // Paper is white and opaque: pages come out without an alpha channel.
    document->setPaperColor(Qt::white);
    m_document = std::move(document);
    return Status::Opened;
}

int PdfDocument::pageCount() const
{
    return m_document ? m_document->numPages() : 0;
}

QSizeF PdfDocument::pageSize(int index) const
{
    if (!m_document || index < 0 || index >= m_document->numPages())
        return QSizeF();
    const std::unique_ptr<Poppler::Page> page(m_document->page(index));
    return page ? page->pageSizeF() : QSizeF();
}

QImage PdfDocument::render(int index, int dpi) const
{
    if (!m_document || index < 0 || index >= m_document->numPages())
        return QImage();
    const std::unique_ptr<Poppler::Page> page(m_document->page(index));
    if (!page)
        return QImage();
    QImage image = page->renderToImage(dpi, dpi);
    if (image.isNull())
        return image;
    if (image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_ARGB32_Premultiplied)
        image.reinterpretAsFormat(QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}
