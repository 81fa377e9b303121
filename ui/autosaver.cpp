#include "ui/autosaver.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "document/filereplacement.h"

namespace {

QString timeStamp(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyyMMdd_HHmmss"));
}

// Paints the pages through the writer into a temporary file that replaces the
// target only when it is complete; false when the file could not be made, the
// painter failed or a write did not reach the disk.
template<typename PaintPages> bool writePdfTo(const QString &path, const QString &title, PaintPages paintPages)
{
    QFile file;
    QString errorText;
    if (!FileReplacement::open(path, &file, &errorText))
        return false;
    bool painted = false;
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setTitle(title);
        QPainter painter;
        if (painter.begin(&writer)) {
            painted = paintPages(writer, painter);
            painted = painter.end() && painted;
        }
    }
    if (!painted || !FileReplacement::isCompletePdf(&file)) {
        FileReplacement::discard(&file);
        return false;
    }
    return FileReplacement::commit(&file, path, &errorText);
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

bool AutoSaver::writeImage(const QImage &image, const QString &path, const QString &format, int quality)
{
    if (image.isNull())
        return false;
    if (format == QLatin1String("PDF")) {
        return writePdfTo(path, QStringLiteral("扫描文档"), [&image](QPdfWriter &writer, QPainter &painter) {
            painter.drawImage(QRect(0, 0, writer.width(), writer.height()), image, image.rect());
            return true;
        });
    }
    // Encoded in memory and written in one piece, so a short write (a full disk)
    // is seen for what it is.
    QByteArray encoded;
    {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format.toLatin1());
        writer.setQuality(quality);
        if (!writer.write(image))
            return false;
    }
    QFile file;
    QString errorText;
    if (!FileReplacement::open(path, &file, &errorText))
        return false;
    if (file.write(encoded) != encoded.size()) {
        FileReplacement::discard(&file);
        return false;
    }
    return FileReplacement::commit(&file, path, &errorText);
}

bool AutoSaver::writePdf(const QList<QImage> &images, const QString &path, const QString &title)
{
    if (images.isEmpty())
        return false;
    return writePdfTo(path, title, [&images](QPdfWriter &writer, QPainter &painter) {
        for (int i = 0; i < images.size(); ++i) {
            if (i > 0 && !writer.newPage())
                return false;
            const QImage &image = images.at(i);
            const QRect viewport = painter.viewport();
            QSize fitted = image.size();
            fitted.scale(viewport.size(), Qt::KeepAspectRatio);
            const QRect target(viewport.x() + (viewport.width() - fitted.width()) / 2,
                viewport.y() + (viewport.height() - fitted.height()) / 2, fitted.width(), fitted.height());
            painter.drawImage(target, image);
        }
        return true;
    });
}

int AutoSaver::countFiles(const QString &folder, const QString &ext)
{
    return QDir(folder).entryList({ QStringLiteral("*.%1").arg(ext) }, QDir::Files).size();
}
