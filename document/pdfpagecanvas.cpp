#include "document/pdfpagecanvas.h"

PdfPageCanvas::PdfPageCanvas(
    QPDF &pdf, QPDFObjectHandle &resources, const QSizeF &pageSize, const QRectF &imageRect, const QSizeF &imagePixels)
    : m_pdf(pdf)
    , m_resources(resources)
    , m_pageSize(pageSize)
    , m_imageRect(imageRect)
    , m_toPoints(imageRect.width() / imagePixels.width(), 0, 0, -imageRect.height() / imagePixels.height(),
          imageRect.x(), imageRect.y() + imageRect.height())
{
}

QPDF &PdfPageCanvas::pdf() const
{
    return m_pdf;
}

QPDFObjectHandle &PdfPageCanvas::resources() const
{
    return m_resources;
}

QSizeF PdfPageCanvas::pageSize() const
{
    return m_pageSize;
}

QRectF PdfPageCanvas::imageRect() const
{
    return m_imageRect;
}

QTransform PdfPageCanvas::toPoints() const
{
    return m_toPoints;
}

void PdfPageCanvas::appendContent(const QByteArray &operators)
{
    m_content += operators;
    if (!m_content.endsWith('\n'))
        m_content += '\n';
}

QByteArray PdfPageCanvas::appendedContent() const
{
    return m_content;
}
