#include "ui/savesummary.h"

#include <QCoreApplication>
#include <QFileInfo>

QString SaveSummary::sizeText(qint64 bytes)
{
    return bytes >= 1000000 ? QStringLiteral("%1 MB").arg(double(bytes) / 1e6, 0, 'f', 1)
                            : QStringLiteral("%1 KB").arg(qMax<qint64>(1, (bytes + 500) / 1000));
}

QString SaveSummary::text(int pages, qint64 bytes)
{
    return QCoreApplication::translate("SaveSummary", "已保存 %n 页，%1", nullptr, pages).arg(sizeText(bytes));
}

QString SaveSummary::forFile(int pages, const QString &path)
{
    return text(pages, QFileInfo(path).size());
}
