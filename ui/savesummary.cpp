#include "ui/savesummary.h"

#include <QCoreApplication>
#include <QFileInfo>

QString SaveSummary::text(int pages, qint64 bytes)
{
    const QString size = bytes >= 1000000 ? QStringLiteral("%1 MB").arg(double(bytes) / 1e6, 0, 'f', 1)
                                          : QStringLiteral("%1 KB").arg(qMax<qint64>(1, (bytes + 500) / 1000));
    return QCoreApplication::translate("SaveSummary", "已保存 %n 页，%1", nullptr, pages).arg(size);
}

QString SaveSummary::forFile(int pages, const QString &path)
{
    return text(pages, QFileInfo(path).size());
}
