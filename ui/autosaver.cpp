#include "ui/autosaver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "document/imagefilewriter.h"

namespace {

QString timeStamp(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyyMMdd_HHmmss"));
}

// Pages that know their resolution print at their size; a page without one goes
// on A4.
ImageFileWriter::PdfLayout a4Layout(
    ImageFileWriter::Placement placement, const QString &title, const SaveOptions &options)
{
    ImageFileWriter::PdfLayout layout;
    layout.unknownResolutionPage = QPageSize(QPageSize::A4);
    layout.placement = placement;
    layout.title = title;
    layout.options = options;
    return layout;
}

} // namespace

QString AutoSaver::timestampedFileName(const QString &folder, const QString &ext, const QDateTime &when)
{
    return firstFreeName(QStringLiteral("%1/%2.%3").arg(folder, timeStamp(when), ext));
}

QString AutoSaver::pageFileName(const QString &folder, const QString &ext, int page, const QDateTime &when)
{
    return firstFreeName(
        QStringLiteral("%1/%2_p%3.%4").arg(folder, timeStamp(when)).arg(page, 3, 10, QLatin1Char('0')).arg(ext));
}

QString AutoSaver::firstFreeName(const QString &path)
{
    if (!QFileInfo::exists(path))
        return path;
    const QFileInfo info(path);
    const QString stem = info.path() + QLatin1Char('/') + info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 1;; ++n) {
        const QString candidate = QStringLiteral("%1_%2%3").arg(stem).arg(n).arg(suffix);
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

bool AutoSaver::writeImage(const QImage &image, const QString &path, const QString &format, const SaveOptions &options,
    const ImageFileWriter::PageDecorator &decorator)
{
    if (image.isNull())
        return false;
    QString errorText;
    if (format == QLatin1String("PDF")) {
        ImageFileWriter::PdfLayout layout = a4Layout(
            ImageFileWriter::Placement::Stretch, QCoreApplication::translate("AutoSaver", "扫描文档"), options);
        layout.decoratePage = decorator;
        return ImageFileWriter::writePdf({ image }, path, layout, &errorText);
    }
    const bool jpeg = format == QLatin1String("JPG") || format == QLatin1String("JPEG");
    return ImageFileWriter::writeImage(image, path, format.toLatin1(), jpeg ? options.jpegQuality : -1, &errorText);
}

bool AutoSaver::writePdf(
    const QList<QImage> &images, const QString &path, const QString &title, const SaveOptions &options)
{
    if (images.isEmpty())
        return false;
    QString errorText;
    return ImageFileWriter::writePdf(
        images, path, a4Layout(ImageFileWriter::Placement::FitCentred, title, options), &errorText);
}

bool AutoSaver::writePdf(int pageCount, const ImageFileWriter::PageProvider &pageAt, const QString &path,
    const QString &title, const SaveOptions &options, const ImageFileWriter::PageDecorator &decorator,
    ImageFileWriter::PdfReport *report)
{
    if (pageCount <= 0)
        return false;
    QString errorText;
    ImageFileWriter::PdfLayout layout = a4Layout(ImageFileWriter::Placement::FitCentred, title, options);
    layout.decoratePage = decorator;
    return ImageFileWriter::writePdf(pageCount, pageAt, path, layout, &errorText, report);
}

int AutoSaver::countFiles(const QString &folder, const QString &ext)
{
    return QDir(folder).entryList({ QStringLiteral("*.%1").arg(ext) }, QDir::Files).size();
}
