#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

#include "document/imagefilewriter.h"

// The pages of the files a conversion reads (images, multi-page TIFFs, PDFs),
// read from their files whenever they are asked for, so that a conversion
// never holds more than the pages being written and needs no page store.
class InputPages
{
    Q_DECLARE_TR_FUNCTIONS(InputPages)

public:
    // Counts the pages of every file; false with *errorText at the first file
    // that cannot be read (missing, damaged, a PDF with a password, too many pages).
    bool open(const QStringList &paths, QString *errorText);
    int count() const { return m_pages.size(); }

    // Page index of all files; null with *errorText when it cannot be read.
    // Safe to call from any thread: each call reads with a reader of its own.
    // reuse, original: see PageFileReader::read.
    QImage page(
        int index, QString *errorText = nullptr, QImage *reuse = nullptr, StoredEncoding *original = nullptr) const;

    // The pages at indices for the file writers, each passed through change
    // (on the writer's helper threads) when it is given; unchanged pages come
    // with the streams they were stored in, for the writer to copy.
    ImageFileWriter::PageProvider provider(
        const QVector<int> &indices, const std::function<QImage(const QImage &)> &change = {}) const;

private:
    struct Source
    {
        QString path;
        int index = 0;
    };
    QVector<Source> m_pages;
};
