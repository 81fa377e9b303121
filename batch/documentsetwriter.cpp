#include "batch/documentsetwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "batch/filenamepattern.h"

bool DocumentSetWriter::writePdf(int pageCount, const ImageFileWriter::PageProvider &pages, const QString &path,
    const ImageFileWriter::PageDecorator &decorator, const SaveOptions &save, QString *errorText,
    ImageFileWriter::PdfReport *report)
{
    ImageFileWriter::PdfLayout layout;
    layout.options = save;
    layout.title = QFileInfo(path).completeBaseName();
    layout.creator = QStringLiteral("Quirra");
    layout.decoratePage = decorator;
    return ImageFileWriter::writePdf(pageCount, pages, path, layout, errorText, report);
}

SaveOptions DocumentSetWriter::saveOptionsOf(const ScanProfile &profile)
{
    SaveOptions save;
    save.compression = profile.compact ? SaveOptions::Compression::Compact : SaveOptions::Compression::Standard;
    save.jpegQuality = profile.jpegQuality;
    save.saveDpi = profile.saveResolution;
    save.sizeLimit = profile.maxFileBytes;
    return save;
}

DocumentSetWriter::Result DocumentSetWriter::write(
    const ProviderFor &providerFor, const QVector<DocumentSeparator::Document> &documents, const Options &options)
{
    Result result;
    result.nextSequence = options.firstSequence;
    const bool folderExisted = QFileInfo(options.folder).isDir();
    if (!QDir().mkpath(options.folder)) {
        result.errorText = tr("无法创建文件夹: %1").arg(options.folder);
        return result;
    }
    auto undo = [&]() {
        for (const QString &path : qAsConst(result.written))
            QFile::remove(path);
        result.written.clear();
        if (!folderExisted)
            QDir().rmdir(options.folder);
    };

    FileNamePattern::Fields fields;
    fields.when = options.when;
    fields.profile = options.profileName;
    for (int i = 0; i < documents.size(); ++i) {
        const DocumentSeparator::Document &part = documents.at(i);
        QVector<int> indices;
        for (quint64 key : part.pages)
            indices.append(static_cast<int>(key));
        fields.sequence = result.nextSequence;
        fields.barcode = part.barcode;
        fields.pageCount = indices.size();
        int used = fields.sequence;
        const QString path
            = FileNamePattern::freePath(options.folder, options.pattern, QStringLiteral("pdf"), fields, &used);
        if (options.progress)
            options.progress(i + 1, documents.size(), path);
        QString errorText;
        const ImageFileWriter::PageDecorator decorator
            = options.decoratorFor ? options.decoratorFor(indices) : ImageFileWriter::PageDecorator();
        ImageFileWriter::PdfReport report;
        if (!writePdf(indices.size(), providerFor(indices), path, decorator, options.save, &errorText, &report)) {
            result.errorText = tr("无法写入 %1: %2").arg(path, errorText);
            undo();
            return result;
        }
        result.written.append(report.paths);
        result.bytes += report.bytes;
        result.nextSequence = used + 1;
    }
    return result;
}
