#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

#include "document/imagefilewriter.h"

class QPrinter;

// Prints pages on a QPrinter, one sheet per page, each centred: at the size the page's
// resolution gives it, or fitted to the paper's printable area. Pages are asked for one
// at a time, so a long document never sits in memory. GUI thread (QPainter on a printer).
class PagePrinter
{
    Q_DECLARE_TR_FUNCTIONS(PagePrinter)

public:
    enum class Scaling {
        RealSize, // the page's physical size; only a page larger than the paper shrinks to it
        FitToPaper, // as large as the printable area allows, aspect ratio kept
    };
    enum class Outcome { Printed, Cancelled, Failed };

    struct Result
    {
        Outcome outcome = Outcome::Printed;
        QString errorText; // for Failed, a sentence for the user
    };

    // Asked before each page with the pages printed so far; false cancels the run.
    using Progress = std::function<bool(int done, int total)>;

    // A page without a resolution (an imported picture) is taken as scanned at the
    // resolution the scan dock starts with.
    static constexpr double fallbackDpi = 300;

    static Result print(QPrinter &printer, int pageCount, const ImageFileWriter::PageProvider &pageAt, Scaling scaling,
        const Progress &progress = {});
};
