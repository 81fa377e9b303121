// Saving the page list as PDF or image files and reading image files back. The
// multi-page TIFF writer lives in documentmanager_tiff.cpp.
#include "document/documentmanager.h"

#include <QDate>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace {

bool isJpegSuffix(const QString &lowerSuffix)
{
    return lowerSuffix == QLatin1String("jpg") || lowerSuffix == QLatin1String("jpeg");
}

// Writes one image through a QSaveFile, so that a failed write never leaves a truncated
// file behind nor destroys the file it was meant to replace.
bool writeImageFile(const QImage &image, const QString &path, QString *errorText)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *errorText = file.errorString();
        return false;
    }
    QImageWriter writer(&file, suffix.toLatin1());
    if (isJpegSuffix(suffix))
        writer.setQuality(90);
    if (!writer.write(image)) {
        *errorText = writer.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *errorText = file.errorString();
        return false;
    }
    return true;
}

} // namespace

bool DocumentManager::saveDocumentAs(const QString &path, const QString &format)
{
    const QString ending = QLatin1Char('.') + format;
    if (path.endsWith(ending, Qt::CaseInsensitive))
        return saveDocument(path);
    return saveDocument(path + ending);
}

bool DocumentManager::saveDocument(const QString &path)
{
    if (m_pages.isEmpty()) {
        emit documentError(tr("没有要保存的页面"));
        return false;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (!m_supportedFormats.contains(suffix)) {
        emit documentError(tr("不支持的文件格式: %1").arg(suffix));
        return false;
    }

    const char *summary = nullptr;
    if (suffix == QLatin1String("pdf")) {
        if (!saveAsPdf(path))
            return false;
        summary = "页保存为单个PDF文件";
    } else if (suffix == QLatin1String("tiff") || suffix == QLatin1String("tif")) {
        if (!saveAsMultiPageTiff(path))
            return false;
        summary = "页保存为单个TIFF文件";
    } else {
        // saveAsImages counts a series as written when any page made it to disk; as the
        // document's save that would mark unsaved pages as saved, and closing the window
        // would then drop them without asking.
        int failures = 0;
        if (!writeImages(path, &failures) || failures > 0)
            return false;
        summary = "页保存为多个图像文件";
    }
    if (m_pages.size() > 1)
        qDebug() << "成功将" << m_pages.size() << summary;

    m_filePath = path;
    m_title = QFileInfo(path).baseName();
    m_modified = false;
    emit documentSaved(path);
    qDebug() << "文档已保存到: " << path;
    return true;
}

bool DocumentManager::saveAsPdf(const QString &path)
{
    if (m_pages.isEmpty()) {
        emit documentError(tr("没有要保存的页面"));
        return false;
    }

    // The PDF goes to a temporary file that replaces the target only once it is complete:
    // the PDF writer itself never reports a failed write.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qDebug() << "无法创建PDF文件: " << path << file.errorString();
        emit documentError(tr("保存PDF文件失败: %1").arg(path));
        return false;
    }

    bool painted = false;
    {
        QPdfWriter writer(&file);
        writer.setCreator(tr("Quirra"));
        writer.setTitle(m_title);
        const QImage &first = m_pages.first();
        writer.setPageSize(
            QPageSize(QSizeF(first.width(), first.height()), QPageSize::Point, QString(), QPageSize::FuzzyMatch));
        // The writer's default 10 pt margins would leave a white frame and squeeze the
        // page image unevenly; the scan is meant to cover the whole page.
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
        writer.setResolution(300);

        QPainter painter;
        if (painter.begin(&writer)) {
            const QRect target(0, 0, writer.width(), writer.height());
            for (int i = 0; i < m_pages.size(); ++i) {
                if (i > 0)
                    writer.newPage();
                const QImage &image = m_pages.at(i);
                painter.drawImage(target, image, image.rect());
            }
            painted = painter.end();
        }
    }
    if (!painted) {
        file.cancelWriting();
        qDebug() << "无法写入PDF文件: " << path;
        emit documentError(tr("保存PDF文件失败: %1").arg(path));
        return false;
    }
    if (!file.commit()) {
        qDebug() << "无法写入PDF文件: " << path << file.errorString();
        emit documentError(tr("保存PDF文件失败: %1").arg(path));
        return false;
    }
    return true;
}

bool DocumentManager::saveAsImages(const QString &path)
{
    int failures = 0;
    return writeImages(path, &failures);
}

bool DocumentManager::writeImages(const QString &path, int *failures)
{
    if (m_pages.isEmpty()) {
        emit documentError(tr("没有要保存的页面"));
        return false;
    }
    const QFileInfo info(path);
    const QString directory = info.absolutePath();
    QString base = info.completeBaseName();
    const QString suffix = info.suffix();

    QString errorText;
    if (m_pages.size() == 1) {
        if (!writeImageFile(m_pages.first(), path, &errorText)) {
            ++*failures;
            emit documentError(tr("保存图像失败: %1").arg(errorText));
            return false;
        }
        return true;
    }

    const QString date = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    if (!base.startsWith(date))
        base = date;
    int written = 0;
    for (int i = 0; i < m_pages.size(); ++i) {
        const QString name
            = QStringLiteral("%1/%2_%3.%4")
                  .arg(directory, base, QStringLiteral("%1").arg(i + 1, 4, 10, QLatin1Char('0')), suffix);
        if (writeImageFile(m_pages.at(i), name, &errorText)) {
            ++written;
        } else {
            ++*failures;
            emit documentError(tr("保存第%1页图像失败: %2").arg(i + 1).arg(errorText));
        }
    }
    if (written == 0)
        return false;
    qDebug() << "成功保存" << written << "个图像文件到" << directory;
    return true;
}

bool DocumentManager::loadDocument(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        emit documentError(tr("文件不存在: %1").arg(path));
        return false;
    }
    const QString suffix = info.suffix().toLower();
    if (!m_supportedFormats.contains(suffix)) {
        emit documentError(tr("不支持的文件格式: %1").arg(suffix));
        return false;
    }
    // Everything is read before the current document is discarded: a file that turns
    // out to be unreadable must not cost the user the pages they have.
    if (suffix == QLatin1String("pdf")) {
        emit documentError(tr("PDF导入功能尚未实现"));
        return false;
    }

    QImageReader reader(path);
    if (!reader.canRead()) {
        emit documentError(tr("无法读取图像文件: %1").arg(path));
        return false;
    }
    // A multi-page TIFF brings all its pages: opening only the first and saving back to
    // the same file would silently drop the others.
    QVector<QImage> images;
    do {
        const QImage image = reader.read();
        if (image.isNull()) {
            emit documentError(tr("读取图像失败: %1").arg(reader.errorString()));
            return false;
        }
        images.append(image);
    } while (reader.jumpToNextImage());

    newDocument();
    for (const QImage &image : qAsConst(images))
        addPage(image);
    m_filePath = path;
    m_title = info.baseName();
    m_modified = false;
    emit documentLoaded(path);
    qDebug() << "已加载文档: " << path;
    return true;
}
