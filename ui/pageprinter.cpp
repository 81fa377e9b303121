#include "ui/pageprinter.h"

#include <QPainter>
#include <QPrinter>

#include <algorithm>

#include "document/pageresolution.h"

namespace {

QRectF fitted(const QSizeF &size, const QRectF &into)
{
    const QSizeF scaled = size.scaled(into.size(), Qt::KeepAspectRatio);
    return QRectF(into.center() - QPointF(scaled.width() / 2, scaled.height() / 2), scaled);
}

// Where the page lands, in device pixels with the paper's corner as origin.
QRectF placement(const QImage &page, const QPrinter &printer, PagePrinter::Scaling scaling)
{
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF printable = printer.pageRect(QPrinter::DevicePixel);
    if (scaling == PagePrinter::Scaling::FitToPaper)
        return fitted(page.size(), printable);

    const double dpiX = PageResolution::isKnown(page) ? PageResolution::dpiX(page) : PagePrinter::fallbackDpi;
    const double dpiY = PageResolution::isKnown(page) ? PageResolution::dpiY(page) : PagePrinter::fallbackDpi;
    const QSizeF real(page.width() * printer.logicalDpiX() / dpiX, page.height() * printer.logicalDpiY() / dpiY);
    if (real.width() > paper.width() || real.height() > paper.height())
        return fitted(real, paper);
    return QRectF(paper.center() - QPointF(real.width() / 2, real.height() / 2), real);
}

QString printerName(const QPrinter &printer)
{
    return printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
}

} // namespace

PagePrinter::Result PagePrinter::print(QPrinter &printer, int pageCount, const ImageFileWriter::PageProvider &pageAt,
    Scaling scaling, const Progress &progress)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return { Outcome::Failed, tr("无法开始打印到“%1”：打印机不可用或无法写入。").arg(printerName(printer)) };
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Without full-page mode the painter's origin sits at the printable area's corner.
    const QPointF origin = printer.fullPage() ? QPointF() : printer.pageRect(QPrinter::DevicePixel).topLeft();

    QImage page;
    for (int i = 0; i < pageCount; ++i) {
        if (progress && !progress(i, pageCount)) {
            printer.abort();
            painter.end();
            return { Outcome::Cancelled, QString() };
        }
        page = pageAt(i, &page).image;
        if (page.isNull()) {
            printer.abort();
            painter.end();
            return { Outcome::Failed, tr("无法读取第 %1 页，打印已停止。").arg(i + 1) };
        }
        if (i > 0 && !printer.newPage()) {
            painter.end();
            return { Outcome::Failed, tr("打印机在第 %1 页出错，打印已停止。").arg(i + 1) };
        }
        painter.drawImage(placement(page, printer, scaling).translated(-origin), page);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return { Outcome::Failed, tr("打印机未能完成打印“%1”。").arg(printerName(printer)) };
    if (progress)
        progress(pageCount, pageCount);
    return { Outcome::Printed, QString() };
}
