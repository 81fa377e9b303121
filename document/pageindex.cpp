#include "document/pageindex.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>

namespace {

constexpr int formatVersion = 1;

// Only names the store itself gives its files are accepted: an index is read
// from disk and must never lead outside its folder.
bool isPageFileName(const QString &name)
{
    if (!name.startsWith(QLatin1String("page-")) || !name.endsWith(QLatin1String(".qpage")))
        return false;
    const QStringRef digits = name.midRef(5, name.size() - 5 - 6);
    if (digits.isEmpty())
        return false;
    for (const QChar c : digits) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

} // namespace

QString PageIndex::fileName()
{
    return QStringLiteral("index.json");
}

QByteArray PageIndex::toJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("version"), formatVersion);
    object.insert(QStringLiteral("title"), title);
    object.insert(QStringLiteral("time"), time.toString(Qt::ISODateWithMs));
    object.insert(QStringLiteral("pages"), QJsonArray::fromStringList(pages));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

bool PageIndex::fromJson(const QByteArray &json)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject object = document.object();
    if (object.value(QStringLiteral("version")).toInt() != formatVersion)
        return false;
    const QJsonValue pagesValue = object.value(QStringLiteral("pages"));
    if (!pagesValue.isArray() || !object.value(QStringLiteral("title")).isString())
        return false;
    const QJsonArray list = pagesValue.toArray();
    if (list.size() > maxPages)
        return false;
    // The index is read at every start; a set keeps the duplicate check linear
    // however many names a damaged index holds.
    QStringList names;
    QSet<QString> seen;
    names.reserve(list.size());
    seen.reserve(list.size());
    for (const QJsonValue &value : list) {
        const QString name = value.toString();
        if (!value.isString() || !isPageFileName(name) || seen.contains(name))
            return false;
        seen.insert(name);
        names.append(name);
    }
    const QDateTime written = QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
    if (!written.isValid())
        return false;
    title = object.value(QStringLiteral("title")).toString();
    time = written;
    pages = names;
    return true;
}

bool PageIndex::write(const QString &folder, const QByteArray &json, QString *errorText)
{
    // QSaveFile writes beside the target, syncs and renames: the old index stays
    // whole until the new one is complete.
    QSaveFile file(QDir(folder).filePath(fileName()));
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit()) {
        *errorText = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

bool PageIndex::read(const QString &folder)
{
    QFile file(QDir(folder).filePath(fileName()));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // An index of maxPages pages is some 250 kB; anything far larger is not ours.
    if (file.size() > 4 * 1024 * 1024)
        return false;
    return fromJson(file.readAll());
}
