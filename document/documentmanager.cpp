#include "document/documentmanager.h"

#include <QDate>
#include <QDebug>
#include <QFileInfo>

#include <algorithm>
#include <utility>

#include "document/pageimporter.h"
#include "document/pagerecovery.h"
#include "document/pagestore.h"

namespace {

// Shared by every instance and never reset while the process runs, so two documents
// created on the same day never get the same title.
int titleCounter = 1;

// Process-wide, so an id held past a new document never names one of its pages.
PageId lastPageId = 0;

PageId newPageId()
{
    return ++lastPageId;
}

} // namespace

DocumentManager::DocumentManager(QObject *parent)
    : QObject(parent)
    , m_supportedFormats { QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("bmp"),
        QStringLiteral("tiff"), QStringLiteral("tif"), QStringLiteral("pdf") }
{
    m_store = new PageStore(this);
    // A save or a load renames the document; the folder's index follows, so a
    // recovered document comes back under the name it last had.
    connect(this, &DocumentManager::documentSaved, this, [this]() { m_store->setTitle(m_title); });
    connect(this, &DocumentManager::documentLoaded, this, [this]() { m_store->setTitle(m_title); });
    newDocument();
}

DocumentManager::~DocumentManager()
{
    // The importer's thread writes into the store's folder: it stops before the
    // store removes that folder.
    delete m_importer;
    m_importer = nullptr;
}

void DocumentManager::newDocument()
{
    m_store->clear();
    m_ids.clear();
    m_currentIndex = -1;
    m_store->setCurrent(-1);
    m_filePath.clear();

    m_title = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))
        + QStringLiteral("%1").arg(titleCounter, 4, 10, QLatin1Char('0'));
    titleCounter = titleCounter % 9999 + 1;
    m_store->setTitle(m_title);

    m_modified = false;
    emit documentCleared();
    emit documentChanged();
    emit currentPageChanged(-1);
    qDebug() << "已创建新文档";
}

void DocumentManager::addPage(const QImage &image)
{
    if (image.isNull()) {
        qDebug() << "尝试添加空图像";
        return;
    }
    m_store->insert(m_store->count(), image);
    m_ids.append(newPageId());
    if (m_currentIndex == -1) {
        m_currentIndex = 0;
        m_store->setCurrent(0);
        emit currentPageChanged(0);
    }
    m_modified = true;
    emit pageAdded(m_store->count() - 1);
    emit documentChanged();
    qDebug() << "已添加图像，当前页面数: " << m_store->count();
}

void DocumentManager::insertPage(int index, const QImage &image)
{
    insertWithId(index, image, newPageId());
}

void DocumentManager::insertWithId(int index, const QImage &image, PageId id)
{
    if (image.isNull()) {
        qDebug() << "尝试插入空图像";
        return;
    }
    const int at = qBound(0, index, m_store->count());
    m_store->insert(at, image);
    m_ids.insert(at, id);
    announceInsertedPage(at);
    qDebug() << "已在位置 " << at << " 插入图像，当前页面数: " << m_store->count();
}

void DocumentManager::announceInsertedPage(int at)
{
    if (m_currentIndex == -1) {
        m_currentIndex = 0;
        m_store->setCurrent(0);
        emit currentPageChanged(0);
    } else if (m_currentIndex >= at) {
        // The cursor stays on its page, which has moved one place down.
        ++m_currentIndex;
        m_store->setCurrent(m_currentIndex);
        emit currentPageChanged(m_currentIndex);
    }
    m_modified = true;
    emit pageAdded(at);
    emit documentChanged();
}

void DocumentManager::insertImported(int index, const QVector<ImportedPage> &pages, const QImage &first)
{
    const int start = index < 0 ? m_store->count() : qBound(0, index, m_store->count());
    int at = start;
    for (const ImportedPage &page : pages) {
        if (!m_store->insertFile(at, page.file, page.imageBytes, page.thumbnail, at == start ? first : QImage()))
            continue;
        m_ids.insert(at, newPageId());
        announceInsertedPage(at);
        ++at;
    }
    qDebug() << "已导入页面: " << at - start << "，当前页面数: " << m_store->count();
}

void DocumentManager::openImported(const QString &path, const QVector<ImportedPage> &pages, const QImage &first)
{
    newDocument();
    insertImported(0, pages, first);
    m_filePath = path;
    m_title = QFileInfo(path).baseName();
    m_modified = false;
    emit documentLoaded(path);
    qDebug() << "已加载文档: " << path;
}

QString DocumentManager::stagingFolder()
{
    return m_store->stagingFolder();
}

QImage DocumentManager::thumbnail(int index) const
{
    return m_store->thumbnail(index);
}

PageImporter *DocumentManager::importer()
{
    if (!m_importer)
        m_importer = new PageImporter(this, this);
    return m_importer;
}

void DocumentManager::removePage(int index)
{
    if (index < 0 || index >= m_store->count()) {
        qDebug() << "尝试删除无效页面: " << index;
        return;
    }
    m_store->remove(index);
    m_ids.remove(index);
    announceRemovedPage(index);
    qDebug() << "已删除页面 " << index << "，当前页面数: " << m_store->count();
}

void DocumentManager::announceRemovedPage(int index)
{
    if (m_store->count() == 0)
        m_currentIndex = -1;
    else if (m_currentIndex != 0 && m_currentIndex >= index)
        --m_currentIndex;
    m_store->setCurrent(m_currentIndex);
    m_modified = true;
    emit pageRemoved(index);
    emit currentPageChanged(m_currentIndex);
    emit documentChanged();
}

DocumentManager::ParkedPage DocumentManager::takePage(int index)
{
    if (index < 0 || index >= m_store->count())
        return ParkedPage();
    const ParkedPage page { m_ids.at(index), m_store->park(index) };
    m_ids.remove(index);
    announceRemovedPage(index);
    qDebug() << "已删除页面 " << index << "，当前页面数: " << m_store->count();
    return page;
}

bool DocumentManager::restorePage(int index, const ParkedPage &page)
{
    const int at = qBound(0, index, m_store->count());
    if (!page.isValid() || m_ids.contains(page.id) || !m_store->unpark(at, page.content))
        return false;
    m_ids.insert(at, page.id);
    announceInsertedPage(at);
    qDebug() << "已在位置 " << at << " 插入图像，当前页面数: " << m_store->count();
    return true;
}

quint64 DocumentManager::replacePage(PageId id, const QImage &image)
{
    const int index = indexOf(id);
    if (index < 0 || image.isNull())
        return 0;
    const ParkedPage before = takePage(index);
    insertWithId(index, image, id);
    return before.content;
}

quint64 DocumentManager::exchangeContent(PageId id, quint64 content)
{
    const int index = indexOf(id);
    if (index < 0 || content == 0)
        return 0;
    const ParkedPage before = takePage(index);
    if (restorePage(index, ParkedPage { id, content }))
        return before.content;
    // The content asked for is gone: the page keeps what it showed.
    restorePage(index, before);
    return 0;
}

void DocumentManager::releaseParked(quint64 content)
{
    m_store->discardParked(content);
}

bool DocumentManager::arrange(const QVector<PageId> &order)
{
    QVector<PageId> sortedWanted = order;
    QVector<PageId> sortedHave = m_ids;
    std::sort(sortedWanted.begin(), sortedWanted.end());
    std::sort(sortedHave.begin(), sortedHave.end());
    if (sortedWanted != sortedHave)
        return false;
    for (int position = 0; position < order.size(); ++position) {
        const int from = m_ids.indexOf(order.at(position));
        if (from != position)
            movePage(from, position);
    }
    return true;
}

void DocumentManager::movePage(int from, int to)
{
    for (int index = from; index > to; --index)
        movePageUp(index);
    for (int index = from; index < to; ++index)
        movePageDown(index);
}

void DocumentManager::movePageUp(int index)
{
    if (index < 1 || index >= m_store->count()) {
        qDebug() << "无法上移页面: " << index;
        return;
    }
    m_store->swap(index, index - 1);
    std::swap(m_ids[index], m_ids[index - 1]);
    if (m_currentIndex == index) {
        m_currentIndex = index - 1;
        emit currentPageChanged(m_currentIndex);
    } else if (m_currentIndex == index - 1) {
        m_currentIndex = index;
        emit currentPageChanged(m_currentIndex);
    }
    m_modified = true;
    emit pageMoved(index, index - 1);
    emit documentChanged();
    qDebug() << "页面 " << index << " 已上移";
}

void DocumentManager::movePageDown(int index)
{
    if (index < 0 || index > m_store->count() - 2) {
        qDebug() << "无法下移页面: " << index;
        return;
    }
    m_store->swap(index, index + 1);
    std::swap(m_ids[index], m_ids[index + 1]);
    if (m_currentIndex == index) {
        m_currentIndex = index + 1;
        emit currentPageChanged(m_currentIndex);
    } else if (m_currentIndex == index + 1) {
        m_currentIndex = index;
        emit currentPageChanged(m_currentIndex);
    }
    m_modified = true;
    emit pageMoved(index, index + 1);
    emit documentChanged();
    qDebug() << "页面 " << index << " 已下移";
}

void DocumentManager::setCurrentPage(int index)
{
    if (index < 0 || index >= m_store->count()) {
        qDebug() << "尝试设置无效的当前页面: " << index;
        return;
    }
    if (index == m_currentIndex)
        return;
    m_currentIndex = index;
    m_store->setCurrent(index);
    emit currentPageChanged(index);
    qDebug() << "当前页面已设置为: " << index;
}

bool DocumentManager::putBackPage(PageId id, const QImage &image)
{
    const int index = indexOf(id);
    if (index < 0 || image.isNull())
        return false;
    removePage(index);
    insertWithId(index, image, id);
    return true;
}

PageId DocumentManager::pageId(int index) const
{
    return index >= 0 && index < m_ids.size() ? m_ids.at(index) : 0;
}

int DocumentManager::indexOf(PageId id) const
{
    return id == 0 ? -1 : m_ids.indexOf(id);
}

QImage DocumentManager::page(int index) const
{
    if (index < 0 || index >= m_store->count()) {
        qDebug() << "尝试获取无效页面: " << index;
        return QImage();
    }
    return m_store->image(index);
}

QImage DocumentManager::currentPage() const
{
    if (m_currentIndex < 0 || m_currentIndex >= m_store->count())
        return QImage();
    return m_store->image(m_currentIndex);
}

int DocumentManager::currentPageIndex() const
{
    return m_currentIndex;
}

int DocumentManager::pageCount() const
{
    return m_store->count();
}

void DocumentManager::setModified(bool modified)
{
    if (modified == m_modified)
        return;
    m_modified = modified;
    emit documentChanged();
}

bool DocumentManager::isModified() const
{
    return m_modified;
}

QString DocumentManager::filePath() const
{
    return m_filePath;
}

QString DocumentManager::title() const
{
    return m_title;
}

ImageFileWriter::PageProvider DocumentManager::pageProvider(const QVector<int> &indices, Content content) const
{
    QVector<PageStore::Source> sources;
    sources.reserve(indices.size());
    for (int index : indices)
        sources.append(m_store->source(index));
    const bool streams = content == Content::WithStreams;
    return [sources, streams](int index, QImage *reuse) {
        const PageStore::Source &source = sources.at(index);
        return ImageFileWriter::ProvidedPage(source.load(reuse), streams ? source.original() : StoredEncoding());
    };
}

PageStore *DocumentManager::pageStore() const
{
    return m_store;
}

bool DocumentManager::recoverPages(const RecoverableFolder &folder)
{
    newDocument();
    if (!m_store->adopt(folder)) {
        qDebug() << "无法恢复未保存的页面: " << folder.path;
        return false;
    }
    m_title = folder.index.title;
    m_modified = true;
    const int count = m_store->count();
    for (int i = 0; i < count; ++i)
        m_ids.append(newPageId());
    if (count > 0) {
        m_currentIndex = 0;
        m_store->setCurrent(0);
        emit currentPageChanged(0);
    }
    for (int i = 0; i < count; ++i)
        emit pageAdded(i);
    // Views make each page they list current; the document opens on its first page.
    setCurrentPage(0);
    emit documentChanged();
    qDebug() << "已恢复未保存的页面，当前页面数: " << count;
    return true;
}
