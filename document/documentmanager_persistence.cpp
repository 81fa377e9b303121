// Saving the page list as PDF or image files and reading files back. The
// multi-page TIFF writer lives in documentmanager_tiff.cpp.
#include "document/documentmanager.h"

#include <QDate>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <deque>
#include <future>
#include <numeric>

#include "document/imagefilewriter.h"
#include "document/pageimporter.h"
#include "document/pagestore.h"

namespace {

bool isJpegSuffix(const QString &lowerSuffix)
{
    return lowerSuffix == QLatin1String("jpg") || lowerSuffix == QLatin1String("jpeg");
}

ImageFileWriter::Encoded encodeImage(const QImage &image, const QString &lowerSuffix)
{
    return ImageFileWriter::encode(image, lowerSuffix.toLatin1(), isJpegSuffix(lowerSuffix) ? 90 : -1);
}

// A helper thread when one can be had, otherwise the work runs on the calling thread
// when its result is asked for.
constexpr std::launch helperThread = std::launch::async | std::launch::deferred;

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
    if (pageCount() == 0) {
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
    if (pageCount() > 1)
        qDebug() << "成功将" << pageCount() << summary;

    m_filePath = path;
    m_title = QFileInfo(path).baseName();
    m_modified = false;
    emit documentSaved(path);
    qDebug() << "文档已保存到: " << path;
    return true;
}

bool DocumentManager::saveAsPdf(const QString &path)
{
    if (pageCount() == 0) {
        emit documentError(tr("没有要保存的页面"));
        return false;
    }

    // Pages that know their resolution print at their size; the others keep their
    // pixels as points.
    ImageFileWriter::PdfLayout layout;
    layout.options = m_saveOptions;
    layout.title = m_title;
    layout.creator = tr("Quirra");
    layout.progress = m_saveProgress;
    QVector<int> all(pageCount());
    std::iota(all.begin(), all.end(), 0);
    if (m_pdfDecorator)
        layout.decoratePage = m_pdfDecorator(all);
    QString errorText;
    m_lastPdfReport = ImageFileWriter::PdfReport();
    m_lastSaveCancelled = false;
    if (!ImageFileWriter::writePdf(all.size(), pageProvider(all), path, layout, &errorText, &m_lastPdfReport)) {
        qDebug() << "无法写入PDF文件: " << path << errorText;
        // Over the size limit or stopped by the user nothing went wrong: the
        // caller finds the smallest size in lastPdfReport() and asks what to do.
        m_lastSaveCancelled = m_lastPdfReport.cancelled;
        if (m_lastPdfReport.overLimit || m_lastPdfReport.cancelled)
            return false;
        emit documentError(tr("保存PDF文件失败: %1").arg(path) + QLatin1Char('\n') + errorText);
        return false;
    }
    return true;
}

void DocumentManager::setJpegQuality(int quality)
{
    m_saveOptions.jpegQuality = qBound(0, quality, 100);
}

int DocumentManager::jpegQuality() const
{
    return m_saveOptions.jpegQuality;
}

void DocumentManager::setSaveOptions(const SaveOptions &options)
{
    m_saveOptions = options;
    m_saveOptions.jpegQuality = qBound(0, options.jpegQuality, 100);
}

SaveOptions DocumentManager::saveOptions() const
{
    return m_saveOptions;
}

ImageFileWriter::PdfReport DocumentManager::lastPdfReport() const
{
    return m_lastPdfReport;
}

void DocumentManager::setSaveProgress(SaveProgress progress)
{
    m_saveProgress = std::move(progress);
}

bool DocumentManager::lastSaveCancelled() const
{
    return m_lastSaveCancelled;
}

void DocumentManager::setPdfDecoratorSource(PdfDecoratorSource source)
{
    m_pdfDecorator = std::move(source);
}

bool DocumentManager::saveAsImages(const QString &path)
{
    int failures = 0;
    return writeImages(path, &failures);
}

bool DocumentManager::writeImages(const QString &path, int *failures)
{
    if (pageCount() == 0) {
        emit documentError(tr("没有要保存的页面"));
        return false;
    }
    const QFileInfo info(path);
    const QString directory = info.absolutePath();
    QString base = info.completeBaseName();
    const QString suffix = info.suffix();

    QString errorText;
    if (pageCount() == 1) {
        if (!ImageFileWriter::writeEncoded(encodeImage(page(0), suffix.toLower()), path, &errorText)) {
            ++*failures;
            emit documentError(tr("保存图像失败: %1").arg(errorText));
            return false;
        }
        return true;
    }

    const QString date = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    if (!base.startsWith(date))
        base = date;
    // Encoding dominates (PNG takes seconds per A4 page), so pages are encoded on as
    // many threads as there are cores, a few pages ahead; files are written and errors
    // reported in page order on this thread.
    // documentError is emitted inside the loop and the window may answer it with a modal
    // box, whose event loop can deliver a scanned page: the encoders work on a snapshot
    // of the list that no such change can touch: the pages' sources are taken up
    // front, and each is read back from the store on the encoder's thread.
    QVector<PageStore::Source> pages;
    for (int i = 0; i < pageCount(); ++i)
        pages.append(m_store->source(i));
    const int ahead = qMax(1, QThread::idealThreadCount());
    const QString lowerSuffix = suffix.toLower();
    const auto encodeSource = [](const PageStore::Source &source, const QString &format) {
        return encodeImage(source.load(), format);
    };
    std::deque<std::future<ImageFileWriter::Encoded>> pending;
    int queued = 0;
    int written = 0;
    for (int i = 0; i < pages.size(); ++i) {
        while (queued < pages.size() && int(pending.size()) < ahead)
            pending.push_back(std::async(helperThread, encodeSource, pages.at(queued++), lowerSuffix));
        const ImageFileWriter::Encoded encoded = pending.front().get();
        pending.pop_front();
        const QString name
            = QStringLiteral("%1/%2_%3.%4")
                  .arg(directory, base, QStringLiteral("%1").arg(i + 1, 4, 10, QLatin1Char('0')), suffix);
        if (ImageFileWriter::writeEncoded(encoded, name, &errorText)) {
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
    // Every page is read before the current document is discarded: a file that
    // turns out to be unreadable must not cost the user the pages they have.
    // A multi-page file brings all its pages: opening only the first and saving
    // back to the same file would silently drop the others.
    const PageImporter::Report report = importer()->openNow(path);
    for (const QString &failure : report.failures)
        emit documentError(failure);
    for (const QString &refusal : report.refusals)
        emit documentError(refusal);
    return report.applied;
}
