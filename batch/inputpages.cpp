#include "batch/inputpages.h"

#include "document/pagefilereader.h"

bool InputPages::open(const QStringList &paths, QString *errorText)
{
    QVector<Source> pages;
    for (const QString &path : paths) {
        PageFileReader reader;
        if (reader.open(path) != PageFileReader::Status::Opened) {
            *errorText = reader.errorText().isEmpty() ? tr("此PDF文件需要密码: %1").arg(path) : reader.errorText();
            return false;
        }
        for (int i = 0; i < reader.pageCount(); ++i)
            pages.append({ path, i });
    }
    m_pages = pages;
    return true;
}

QImage InputPages::page(int index, QString *errorText, QImage *reuse, StoredEncoding *original) const
{
    if (index < 0 || index >= m_pages.size())
        return QImage();
    PageFileReader reader;
    const Source &source = m_pages.at(index);
    QImage image;
    if (reader.open(source.path) == PageFileReader::Status::Opened)
        image = reader.read(source.index, reuse, original);
    if (image.isNull() && errorText)
        *errorText = reader.errorText().isEmpty() ? tr("无法读取: %1").arg(source.path) : reader.errorText();
    return image;
}

ImageFileWriter::PageProvider InputPages::provider(
    const QVector<int> &indices, const std::function<QImage(const QImage &)> &change) const
{
    const InputPages copy = *this;
    return [copy, indices, change](int index, QImage *reuse) {
        StoredEncoding original;
        const QImage image = copy.page(indices.value(index, -1), nullptr, reuse, change ? nullptr : &original);
        if (change && !image.isNull())
            return ImageFileWriter::ProvidedPage(change(image));
        return ImageFileWriter::ProvidedPage(image, original);
    };
}
