#pragma once

#include <QByteArray>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

class QPDF;
class QPDFObjectHandle;

// One PDF page while ImageFileWriter assembles it, handed to the layout's page
// decorator after the page's image is placed and before the next page is fetched.
//
// How a text layer plugs in: set PdfLayout::decoratePage to a function that, for
// each page, creates its font objects once in pdf() (keep the handles in the
// function's closure and reuse them on later pages), names them in the page's
// resources() under /Font, and appends a text object with appendContent(), for
// example "BT 3 Tr /F1 12 Tf ... ET". The operators are drawn after (on top of)
// the image, in PDF points with the origin at the page's lower left; toPoints()
// maps a pixel of the page image to that space, so a word box found on the image
// lands on the same spot of the page.
//
// The decorator runs on the thread that called ImageFileWriter::writePdf, one page
// at a time, in page order.
class PdfPageCanvas
{
public:
    PdfPageCanvas(QPDF &pdf, QPDFObjectHandle &resources, const QSizeF &pageSize, const QRectF &imageRect,
        const QSizeF &imagePixels);

    QPDF &pdf() const;
    // The page's /Resources dictionary; its /XObject already holds the page image.
    QPDFObjectHandle &resources() const;
    // The page's MediaBox size in points.
    QSizeF pageSize() const;
    // Where the image lies on the page, in points, PDF orientation.
    QRectF imageRect() const;
    // Page image pixels (origin top left, y down) to page points (origin lower left, y up).
    QTransform toPoints() const;

    void appendContent(const QByteArray &operators);
    QByteArray appendedContent() const;

private:
    QPDF &m_pdf;
    QPDFObjectHandle &m_resources;
    QSizeF m_pageSize;
    QRectF m_imageRect;
    QTransform m_toPoints;
    QByteArray m_content;
};
