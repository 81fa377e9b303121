#include "batch/filenamepattern.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

namespace {

// Linux file systems refuse "/" and NUL; the rest are refused by the FAT and
// NTFS of USB sticks and shared folders, where scans often go.
QString cleaned(QString name)
{
    static const QRegularExpression refused(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f\\x7f]"));
    name.replace(refused, QStringLiteral("_"));
    // Windows drops trailing dots and blanks; "." and ".." are no names.
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    name = name.trimmed();
    // 255 bytes is the usual limit of a name; keep room for a counter and the extension.
    while (name.toUtf8().size() > 200)
        name.chop(1);
    return name;
}

// The English interface shows its fields in English; both names work in either
// language, so a pattern keeps working when the language changes.
QString chineseFieldName(const QString &name)
{
    static const QHash<QString, QString> english { { QStringLiteral("date"), QStringLiteral("日期") },
        { QStringLiteral("time"), QStringLiteral("时间") }, { QStringLiteral("number"), QStringLiteral("序号") },
        { QStringLiteral("barcode"), QStringLiteral("条码") }, { QStringLiteral("profile"), QStringLiteral("方案") },
        { QStringLiteral("pages"), QStringLiteral("页数") } };
    return english.value(name, name);
}

} // namespace

QString FileNamePattern::defaultPattern()
{
    return tr("扫描_{日期}_{序号}");
}

QString FileNamePattern::expand(const QString &pattern, const Fields &fields)
{
    static const QRegularExpression field(QStringLiteral("\\{([^{}]*)\\}"));
    QString result;
    int last = 0;
    auto matches = field.globalMatch(pattern);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        result += pattern.midRef(last, match.capturedStart() - last);
        last = match.capturedEnd();
        const QString name = chineseFieldName(match.captured(1));
        if (name == QStringLiteral("日期"))
            result += fields.when.toString(QStringLiteral("yyyyMMdd"));
        else if (name == QStringLiteral("时间"))
            result += fields.when.toString(QStringLiteral("HHmmss"));
        else if (name == QStringLiteral("序号"))
            result += QStringLiteral("%1").arg(fields.sequence, 3, 10, QLatin1Char('0'));
        else if (name == QStringLiteral("条码"))
            result += fields.barcode;
        else if (name == QStringLiteral("方案"))
            result += fields.profile;
        else if (name == QStringLiteral("页数"))
            result += QString::number(fields.pageCount);
        else
            result += match.captured(0);
    }
    result += pattern.midRef(last);
    const QString name = cleaned(result);
    return name.isEmpty() ? cleaned(expand(defaultPattern(), fields)) : name;
}

QString FileNamePattern::freePath(
    const QString &folder, const QString &pattern, const QString &extension, Fields fields, int *sequenceUsed)
{
    const bool counts = pattern.contains(QStringLiteral("{序号}")) || pattern.contains(QStringLiteral("{number}"));
    const QString suffix = extension.isEmpty() ? QString() : QLatin1Char('.') + extension;
    QString path;
    for (int attempt = 1;; ++attempt) {
        const QString name = expand(pattern, fields);
        path = folder + QLatin1Char('/') + name
            + (counts || attempt == 1 ? QString() : QStringLiteral("_%1").arg(attempt)) + suffix;
        if (!QFileInfo::exists(path))
            break;
        if (counts)
            ++fields.sequence;
    }
    if (sequenceUsed)
        *sequenceUsed = fields.sequence;
    return path;
}
