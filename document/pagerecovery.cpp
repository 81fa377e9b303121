#include "document/pagerecovery.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <algorithm>

#include "document/pagecodec.h"

QList<RecoverableFolder> PageRecovery::find(const QString &root)
{
    QList<RecoverableFolder> found;
    const QDir rootDir(root);
    for (const QString &name : rootDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString path = rootDir.filePath(name);
        auto lock = std::make_shared<QLockFile>(path + QStringLiteral("/lock"));
        lock->setStaleLockTime(0);
        // A live window holds its lock; QLockFile takes over the lock of a process
        // that no longer runs.
        if (!lock->tryLock(0))
            continue;
        RecoverableFolder folder;
        folder.path = path;
        folder.lock = lock;
        const bool hasIndex = QFileInfo::exists(QDir(path).filePath(PageIndex::fileName()));
        if (!hasIndex) {
            // Died before its first page was complete: nothing to offer.
            QDir(path).removeRecursively();
            continue;
        }
        if (!folder.index.read(path)) {
            qDebug() << "无法读取未保存的页面: " << path;
            continue;
        }
        if (folder.index.pages.isEmpty()) {
            discard(folder);
            continue;
        }
        for (int i = 0; i < folder.index.pages.size(); ++i) {
            qint64 bytes = 0;
            if (!PageCodec::inspect(QDir(path).filePath(folder.index.pages.at(i)), &bytes)) {
                qDebug() << "未保存的页面已损坏: " << path << folder.index.pages.at(i);
                folder.damaged.append(i);
            }
        }
        if (folder.recoverableCount() == 0) {
            qDebug() << "无法读取未保存的页面: " << path;
            continue;
        }
        found.append(folder);
    }
    std::stable_sort(found.begin(), found.end(),
        [](const RecoverableFolder &a, const RecoverableFolder &b) { return a.index.time > b.index.time; });
    return found;
}

bool PageRecovery::discard(const RecoverableFolder &folder)
{
    QFile::remove(QDir(folder.path).filePath(PageIndex::fileName()));
    if (folder.lock)
        folder.lock->unlock();
    return QDir(folder.path).removeRecursively();
}
