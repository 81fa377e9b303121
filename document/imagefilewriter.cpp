#include "document/imagefilewriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageWriter>

#include "document/filereplacement.h"

namespace {

} // namespace

ImageFileWriter::Encoded ImageFileWriter::encode(const QImage &image, const QByteArray &format, int quality)
{
    Encoded encoded;
    if (image.isNull()) {
        encoded.errorText = QCoreApplication::translate("ImageFileWriter", "没有图像");
        return encoded;
    }
    QBuffer buffer(&encoded.bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format.toLower());
    writer.setQuality(quality);
    if (!writer.write(image)) {
        encoded.errorText = writer.errorString();
        encoded.bytes.clear();
    }
    return encoded;
}

// The image was encoded in memory and is written in one piece, so a short write (a
// full disk) is seen for what it is.
bool ImageFileWriter::writeEncoded(const Encoded &encoded, const QString &path, QString *errorText)
{
    if (!encoded.errorText.isEmpty()) {
        *errorText = encoded.errorText;
        return false;
    }
    QFile file;
    if (!FileReplacement::open(path, &file, errorText))
        return false;
    if (file.write(encoded.bytes) != encoded.bytes.size()) {
        *errorText = file.errorString();
        FileReplacement::discard(&file);
        return false;
    }
    return FileReplacement::commit(&file, path, errorText);
}

bool ImageFileWriter::writeImage(
    const QImage &image, const QString &path, const QByteArray &format, int quality, QString *errorText)
{
    return writeEncoded(encode(image, format, quality), path, errorText);
}
