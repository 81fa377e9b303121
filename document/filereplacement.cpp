#include "document/filereplacement.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace FileReplacement {

bool open(const QString &target, QFile *file, QString *errorText)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const quint32 tag = QRandomGenerator::global()->generate();
        file->setFileName(QStringLiteral("%1.%2.part").arg(target).arg(tag, 8, 16, QLatin1Char('0')));
        if (file->open(QIODevice::ReadWrite | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            if (QFileInfo::exists(target))
                file->setPermissions(QFile::permissions(target));
            return true;
        }
        if (QFileInfo::exists(file->fileName()))
            continue;
        break;
    }
    *errorText = file->errorString();
    return false;
}

bool commit(QFile *file, const QString &target, QString *errorText)
{
    if (file->error() != QFileDevice::NoError || !file->flush()) {
        *errorText = file->errorString();
        discard(file);
        return false;
    }
    file->close();
    // rename() replaces the target in one step; QFile::rename refuses an existing target.
    if (std::rename(QFile::encodeName(file->fileName()).constData(), QFile::encodeName(target).constData()) != 0) {
        *errorText = QString::fromLocal8Bit(std::strerror(errno));
        discard(file);
        return false;
    }
    return true;
}

bool isCompletePdf(QFile *file)
{
    if (file->error() != QFileDevice::NoError)
        return false;
    const qint64 size = file->size();
    if (size < 16 || !file->seek(size - 16))
        return false;
    return file->read(16).trimmed().endsWith("%%EOF");
}

void discard(QFile *file)
{
    file->close();
    file->remove();
}

} // namespace FileReplacement
