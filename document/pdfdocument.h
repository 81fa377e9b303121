#pragma once

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>

#include <memory>

namespace Poppler {
class Document;
}

// A PDF file's pages as images, rendered by Poppler. The one place that
// includes Poppler's headers.
//
// One thread at a time: Poppler's documents are not safe for concurrent use,
// so a thread that renders opens an instance of its own.
class PdfDocument
{
public:
    enum class Status { Opened, Unreadable, PasswordNeeded, WrongPassword };

    PdfDocument();
    ~PdfDocument();
    PdfDocument(const PdfDocument &) = delete;
    PdfDocument &operator=(const PdfDocument &) = delete;

    // An empty password opens files without one; a file that has one then
    // answers PasswordNeeded.
    Status open(const QString &path, const QByteArray &password = QByteArray());
    int pageCount() const;
    // In points, as the page is shown (its rotation applied); empty when the
    // page cannot be had.
    QSizeF pageSize(int index) const;
    // The page at dpi, antialiased, with that resolution recorded on the image;
    // null when Poppler cannot render it.
    QImage render(int index, int dpi) const;

private:
    std::unique_ptr<Poppler::Document> m_document;
};
