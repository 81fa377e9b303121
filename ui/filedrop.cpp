#include "ui/filedrop.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "document/pagefilereader.h"

FileDrop::FileDrop(QObject *parent)
    : QObject(parent)
{
}

QStringList FileDrop::localFiles(const QMimeData *data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    }
    return files;
}

QStringList FileDrop::pageFiles(const QStringList &files)
{
    QStringList pages;
    const QStringList suffixes = PageFileReader::suffixes();
    for (const QString &file : files) {
        const QFileInfo info(file);
        if (info.isFile() && suffixes.contains(info.suffix().toLower()))
            pages.append(file);
    }
    return pages;
}

bool FileDrop::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (localFiles(drag->mimeData()).isEmpty())
            return QObject::eventFilter(watched, event);
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList files = localFiles(drop->mimeData());
        if (files.isEmpty())
            return QObject::eventFilter(watched, event);
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        emit filesDropped(files);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
