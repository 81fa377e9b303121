#include "document/documentmanager.h"

#include <QDate>
#include <QDebug>

namespace {

// Shared by every instance and never reset while the process runs, so two documents
// created on the same day never get the same title.
int titleCounter = 1;

} // namespace

DocumentManager::DocumentManager(QObject *parent)
    : QObject(parent)
    , m_supportedFormats { QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("bmp"),
        QStringLiteral("tiff"), QStringLiteral("tif"), QStringLiteral("pdf") }
{
    newDocument();
}

DocumentManager::~DocumentManager() = default;

void DocumentManager::newDocument()
{
    m_pages.clear();
    m_pages.squeeze();
    m_currentIndex = -1;
    m_filePath.clear();

    m_title = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))
        + QStringLiteral("%1").arg(titleCounter, 4, 10, QLatin1Char('0'));
    titleCounter = titleCounter % 9999 + 1;

    m_modified = false;
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
    m_pages.append(image);
    if (m_currentIndex == -1) {
        m_currentIndex = 0;
        emit currentPageChanged(0);
    }
    m_modified = true;
    emit pageAdded(m_pages.size() - 1);
    emit documentChanged();
    qDebug() << "已添加图像，当前页面数: " << m_pages.size();
}

void DocumentManager::insertPage(int index, const QImage &image)
{
    if (image.isNull()) {
        qDebug() << "尝试插入空图像";
        return;
    }
    const int at = qBound(0, index, m_pages.size());
    m_pages.insert(at, image);
    if (m_currentIndex == -1) {
        m_currentIndex = 0;
        emit currentPageChanged(0);
    } else if (m_currentIndex >= at) {
        // The cursor stays on its page, which has moved one place down.
        ++m_currentIndex;
        emit currentPageChanged(m_currentIndex);
    }
    m_modified = true;
    emit pageAdded(at);
    emit documentChanged();
    qDebug() << "已在位置 " << at << " 插入图像，当前页面数: " << m_pages.size();
}

void DocumentManager::removePage(int index)
{
    if (index < 0 || index >= m_pages.size()) {
        qDebug() << "尝试删除无效页面: " << index;
        return;
    }
    m_pages.remove(index);
    if (m_pages.isEmpty())
        m_currentIndex = -1;
    else if (m_currentIndex != 0 && m_currentIndex >= index)
        --m_currentIndex;
    m_modified = true;
    emit pageRemoved(index);
    emit currentPageChanged(m_currentIndex);
    emit documentChanged();
    qDebug() << "已删除页面 " << index << "，当前页面数: " << m_pages.size();
}

void DocumentManager::movePageUp(int index)
{
    if (index < 1 || index >= m_pages.size()) {
        qDebug() << "无法上移页面: " << index;
        return;
    }
    m_pages[index].swap(m_pages[index - 1]);
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
    if (index < 0 || index > m_pages.size() - 2) {
        qDebug() << "无法下移页面: " << index;
        return;
    }
    m_pages[index].swap(m_pages[index + 1]);
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
    if (index < 0 || index >= m_pages.size()) {
        qDebug() << "尝试设置无效的当前页面: " << index;
        return;
    }
    if (index == m_currentIndex)
        return;
    m_currentIndex = index;
    emit currentPageChanged(index);
    qDebug() << "当前页面已设置为: " << index;
}

QImage DocumentManager::page(int index) const
{
    if (index < 0 || index >= m_pages.size()) {
        qDebug() << "尝试获取无效页面: " << index;
        return QImage();
    }
    return m_pages.at(index);
}

QImage DocumentManager::currentPage() const
{
    if (m_currentIndex < 0 || m_currentIndex >= m_pages.size())
        return QImage();
    return m_pages.at(m_currentIndex);
}

int DocumentManager::currentPageIndex() const
{
    return m_currentIndex;
}

int DocumentManager::pageCount() const
{
    return m_pages.size();
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
