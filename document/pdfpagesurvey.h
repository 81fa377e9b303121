#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <memory>

#include "document/storedencoding.h"

// What a PDF's pages are made of, read through qpdf without rendering: the
// largest image a page draws and whether the page is a scanned sheet (one
// image filling the page), so it can be rendered at that image's resolution.
//
// One thread at a time per instance.
class PdfPageSurvey
{
public:
    struct Page
    {
        // Pixels of the largest image the page draws; empty when it draws none.
        QSize largestImage;
        // The largest image's resolution when it fills the page; 0 otherwise.
        int scannedResolution = 0;
        // How many images the page draws, and what its largest one holds: a scan
        // kept as 1-bit (CCITT, JBIG2, Flate) or as grey stays that.
        int imageCount = 0;
        bool largestIsTwoLevel = false;
        bool largestIsGrey = false;
    };

    // A page that shows nothing but one upright JPEG image filling it (what
    // scanners and image-to-PDF tools write), as that JPEG and the page's
    // rotation in degrees clockwise; empty for any other page. Decoding it is
    // rendering the page at its image's resolution, pixel for pixel.
    QByteArray scanJpeg(int index, int *rotation) const;
    // The same for a page that shows one upright 1-bit G4 image filling it, as
    // a stream a PDF writer can embed again unchanged; null for any other page.
    StoredEncoding scanG4(int index) const;

    PdfPageSurvey();
    ~PdfPageSurvey();
    PdfPageSurvey(const PdfPageSurvey &) = delete;
    PdfPageSurvey &operator=(const PdfPageSurvey &) = delete;

    bool open(const QString &path, const QByteArray &password = QByteArray());
    // A page that cannot be read is a page without images.
    Page page(int index) const;

private:
    struct Data;
    std::unique_ptr<Data> m_data;
};
