#pragma once

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

#include "batch/documentseparator.h"
#include "document/imagefilewriter.h"
#include "document/saveoptions.h"
#include "settings/scanprofile.h"

// Writes the documents a stack was split into as PDF files in one folder, named
// from a pattern (FileNamePattern), through the same writer as the window's
// save. All or nothing: when one file fails, those already written by this
// call are removed again, and a folder it created goes too.
class DocumentSetWriter
{
    Q_DECLARE_TR_FUNCTIONS(DocumentSetWriter)

public:
    struct Options
    {
        QString folder;
        QString pattern;
        QString profileName;
        // Compression, size limit, resolution and quality of every file.
        SaveOptions save;
        QDateTime when = QDateTime::currentDateTime();
        int firstSequence = 1;
        // The text layer of a file's pages, by their document indices; optional.
        std::function<ImageFileWriter::PageDecorator(const QVector<int> &indices)> decoratorFor;
        // Told before each file is written (1-based).
        std::function<void(int file, int fileCount, const QString &path)> progress;
    };

    struct Result
    {
        QStringList written; // in document order
        qint64 bytes = 0; // of the files written together
        QString errorText; // empty on success
        int nextSequence = 1; // where the running number goes on
    };

    // Hands out the pages of one file by the keys of its document's pages
    // (DocumentManager::pageProvider, InputPages::provider).
    using ProviderFor = std::function<ImageFileWriter::PageProvider(const QVector<int> &keys)>;

    static Result write(
        const ProviderFor &providerFor, const QVector<DocumentSeparator::Document> &documents, const Options &options);

    // One PDF of pages at path, laid out as the window's save lays out a document;
    // report, when given, says which files were written (parts, with a size limit
    // that splits) and how large.
    static bool writePdf(int pageCount, const ImageFileWriter::PageProvider &pages, const QString &path,
        const ImageFileWriter::PageDecorator &decorator, const SaveOptions &save, QString *errorText,
        ImageFileWriter::PdfReport *report = nullptr);

    // The writer's options a profile asks for. Over its size limit nothing is
    // written (OverLimit::Refuse); a caller that can ask the user changes that.
    static SaveOptions saveOptionsOf(const ScanProfile &profile);
};
