#include "settings/scanprofilestore.h"

#include <QCollator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QUrl>

#include <algorithm>

#include "settings/scanprofilefields.h"
#include "settings/setting.h"

namespace {

const QString profilesGroup = QStringLiteral("scanProfiles");
const QString fileType = QStringLiteral("quirra-scan-profile");

// Group names are the profile names percent-encoded: a "/" in a name would
// otherwise open a group below it.
QString groupOf(const QString &name)
{
    return profilesGroup + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(name));
}

} // namespace

ScanProfileStore::ScanProfileStore(QSettings &store)
    : store(store)
{
}

QStringList ScanProfileStore::names() const
{
    store.beginGroup(profilesGroup);
    const QStringList groups = store.childGroups();
    store.endGroup();
    QStringList result;
    for (const QString &group : groups)
        result.append(QUrl::fromPercentEncoding(group.toLatin1()));
    QCollator collator;
    std::sort(result.begin(), result.end(), collator);
    return result;
}

bool ScanProfileStore::contains(const QString &name) const
{
    return !name.isEmpty() && names().contains(name);
}

std::optional<ScanProfile> ScanProfileStore::profile(const QString &name) const
{
    if (!contains(name))
        return std::nullopt;
    ScanProfile profile;
    store.beginGroup(groupOf(name));
    ScanProfileFields::visit(profile, [this](const char *key, auto &field) {
        using Field = std::decay_t<decltype(field)>;
        field = Setting<Field>(key, field).read(store);
    });
    store.endGroup();
    return profile;
}

void ScanProfileStore::write(const QString &name, const ScanProfile &profile)
{
    store.remove(groupOf(name));
    store.beginGroup(groupOf(name));
    ScanProfile copy = profile;
    ScanProfileFields::visit(copy, [this](const char *key, const auto &field) {
        Setting<std::decay_t<decltype(field)>>(key, field).write(store, field);
    });
    store.endGroup();
}

bool ScanProfileStore::save(const QString &name, const ScanProfile &profile, QString *errorText)
{
    if (name.trimmed().isEmpty()) {
        if (errorText)
            *errorText = tr("方案名称不能为空");
        return false;
    }
    write(name, profile);
    store.sync();
    return true;
}

bool ScanProfileStore::rename(const QString &from, const QString &to, QString *errorText)
{
    const std::optional<ScanProfile> existing = profile(from);
    QString problem;
    if (!existing)
        problem = tr("方案“%1”不存在").arg(from);
    else if (to.trimmed().isEmpty())
        problem = tr("方案名称不能为空");
    else if (to != from && contains(to))
        problem = tr("已有名为“%1”的方案").arg(to);
    if (!problem.isEmpty()) {
        if (errorText)
            *errorText = problem;
        return false;
    }
    if (to == from)
        return true;
    write(to, *existing);
    store.remove(groupOf(from));
    store.sync();
    return true;
}

QString ScanProfileStore::freeName(const QString &wanted, const QString &pattern) const
{
    const QStringList taken = names();
    if (!taken.contains(wanted))
        return wanted;
    for (int n = 2;; ++n) {
        const QString candidate = pattern.arg(wanted).arg(n);
        if (!taken.contains(candidate))
            return candidate;
    }
}

QString ScanProfileStore::duplicate(const QString &name)
{
    const std::optional<ScanProfile> existing = profile(name);
    if (!existing)
        return QString();
    const QString copyName = freeName(tr("%1 副本").arg(name), QStringLiteral("%1 %2"));
    save(copyName, *existing);
    return copyName;
}

bool ScanProfileStore::remove(const QString &name)
{
    if (!contains(name))
        return false;
    store.remove(groupOf(name));
    store.sync();
    return true;
}

QByteArray ScanProfileStore::encode(const QString &name, const ScanProfile &profile)
{
    QJsonObject object;
    object[QStringLiteral("type")] = fileType;
    object[QStringLiteral("version")] = ScanProfile::formatVersion;
    object[QStringLiteral("name")] = name;
    object[QStringLiteral("profile")] = profile.toJson();
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

bool ScanProfileStore::decode(const QByteArray &bytes, QString *name, ScanProfile *profile, QString *errorText)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    const QJsonObject object = document.object();
    if (parseError.error != QJsonParseError::NoError || !document.isObject()
        || object.value(QStringLiteral("type")).toString() != fileType) {
        *errorText = tr("文件不是 Quirra 扫描方案，或已损坏");
        return false;
    }
    const QJsonValue version = object.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toDouble() < 1) {
        *errorText = tr("扫描方案文件已损坏：缺少格式版本");
        return false;
    }
    if (version.toDouble() > ScanProfile::formatVersion) {
        *errorText = tr("扫描方案来自较新版本的 Quirra（格式版本 %1），请先升级本程序").arg(version.toDouble());
        return false;
    }
    const QString readName = object.value(QStringLiteral("name")).toString().trimmed();
    if (readName.isEmpty() || !object.value(QStringLiteral("profile")).isObject()) {
        *errorText = tr("扫描方案文件已损坏：缺少名称或设置");
        return false;
    }
    ScanProfile read;
    QString fieldError;
    if (!ScanProfile::fromJson(object.value(QStringLiteral("profile")).toObject(), &read, &fieldError)) {
        *errorText = tr("扫描方案文件已损坏：%1").arg(fieldError);
        return false;
    }
    *name = readName;
    *profile = read;
    return true;
}

bool ScanProfileStore::exportTo(const QString &name, const QString &path, QString *errorText) const
{
    const std::optional<ScanProfile> existing = profile(name);
    if (!existing) {
        *errorText = tr("方案“%1”不存在").arg(name);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(encode(name, *existing)) < 0 || !file.commit()) {
        *errorText = tr("无法写入 %1：%2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QString ScanProfileStore::importFrom(const QString &path, QString *errorText)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *errorText = tr("无法读取 %1：%2").arg(path, file.errorString());
        return QString();
    }
    if (file.size() > maxFileBytes) {
        *errorText = tr("文件不是 Quirra 扫描方案，或已损坏");
        return QString();
    }
    QString name;
    ScanProfile imported;
    if (!decode(file.readAll(), &name, &imported, errorText))
        return QString();
    const QString used = freeName(name, QStringLiteral("%1 (%2)"));
    save(used, imported);
    return used;
}
