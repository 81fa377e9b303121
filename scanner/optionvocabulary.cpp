#include "scanner/optionvocabulary.h"

#include <QDebug>

namespace OptionVocabulary {

namespace {

bool containsAny(const QString &text, std::initializer_list<const char *> needles)
{
    for (const char *needle : needles) {
        if (text.contains(QLatin1String(needle), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool isOneOf(const QString &name, std::initializer_list<const char *> names)
{
    for (const char *candidate : names) {
        if (name == QLatin1String(candidate))
            return true;
    }
    return false;
}

bool isColorRequest(const QString &request)
{
    return request == QStringLiteral("彩色") || request == QLatin1String("Color");
}

bool isGrayRequest(const QString &request)
{
    return request == QStringLiteral("灰度") || request == QLatin1String("Gray");
}

} // namespace

bool isLineartRequest(const QString &request)
{
    return request == QStringLiteral("黑白") || request == QLatin1String("Lineart");
}

bool isColorModeOptionName(const QString &name)
{
    return isOneOf(name, { "mode", "color-mode", "scan-mode", "colour-mode" });
}

bool isSourceOptionName(const QString &name)
{
    return isOneOf(name, { "source", "adf", "feeder", "doc-source", "document-source", "paper-source" });
}

bool isDuplexOptionName(const QString &name)
{
    return isOneOf(name, { "duplex", "adf-duplex", "duplex-mode", "double-sided", "both-sides" });
}

bool isScanAreaOptionName(const QString &name)
{
    return isOneOf(name, { "tl-x", "tl-y", "br-x", "br-y" });
}

bool isDetectedSourceOptionName(const QString &name)
{
    return isOneOf(name, { "source", "adf", "feeder" });
}

bool isDetectedDuplexSwitchName(const QString &name)
{
    return isOneOf(name, { "duplex", "adf-duplex", "double-sided" });
}

bool isRefreshedColorModeOptionName(const QString &name)
{
    return isOneOf(name, { "mode", "color-mode" });
}

bool isPaperSensorName(const QString &name)
{
    return containsAny(name, { "adf", "feeder", "document", "paper", "loaded", "ready", "sensor" });
}

QString pickColorMode(const QString &request, const QStringList &entries)
{
    if (entries.isEmpty())
        return QString();
    if (isColorRequest(request)) {
        for (const QString &entry : entries) {
            if (containsAny(entry, { "Color", "24bit" })) {
                qDebug() << "找到彩色模式: " << entry;
                return entry;
            }
        }
    } else if (isGrayRequest(request)) {
        for (const QString &entry : entries) {
            qDebug() << "检查灰度模式选项: " << entry;
            if (containsAny(entry, { "Gray", "Grey", "Grayscale", "Monochrome", "8bit" })) {
                qDebug() << "找到灰度模式: " << entry;
                return entry;
            }
        }
    } else if (isLineartRequest(request)) {
        for (const QString &entry : entries) {
            if (containsAny(entry, { "Black", "Lineart", "Mono", "Binary" })) {
                qDebug() << "找到黑白模式: " << entry;
                return entry;
            }
        }
        // Without a two-level mode the page is scanned in grey and made two-level
        // afterwards; a colour scan would only be bigger and slower.
        for (const QString &entry : entries) {
            if (containsAny(entry, { "Gray", "Grey", "Grayscale", "8bit" })) {
                qDebug() << "设备没有黑白模式，使用灰度模式: " << entry;
                return entry;
            }
        }
    }
    qDebug() << "使用默认颜色模式: " << entries.first();
    return entries.first();
}

QString colorModeWithoutList(const QString &request)
{
    if (isGrayRequest(request))
        return QStringLiteral("Gray");
    if (isLineartRequest(request))
        return QStringLiteral("Lineart");
    return QStringLiteral("Color");
}

bool isDuplexFeederTarget(const QString &target)
{
    return target == QStringLiteral("双面自动进纸器") || target == QStringLiteral("双面进纸器")
        || (containsAny(target, { "ADF", "Feeder" }) && target.contains(QLatin1String("Duplex"), Qt::CaseInsensitive));
}

bool isFeederTarget(const QString &target)
{
    return target == QStringLiteral("自动进纸器") || isDuplexFeederTarget(target)
        || containsAny(target, { "ADF", "Feeder" });
}

bool isFeederRequest(const QString &paperSource)
{
    return paperSource.contains(QStringLiteral("进纸器"), Qt::CaseInsensitive)
        || containsAny(paperSource, { "ADF", "Feeder", "Automatic" });
}

QString pickSource(const QString &target, const QStringList &entries)
{
    if (entries.isEmpty())
        return QString();
    if (isFeederTarget(target)) {
        if (isDuplexFeederTarget(target)) {
            for (const QString &entry : entries) {
                if (entry.contains(QLatin1String("Duplex"), Qt::CaseInsensitive)
                    && containsAny(entry, { "ADF", "Feeder", "Automatic" })) {
                    qDebug() << "找到双面ADF选项: " << entry;
                    return entry;
                }
            }
        }
        for (const QString &entry : entries) {
            qDebug() << "检查纸张来源选项: " << entry;
            if (containsAny(entry, { "ADF", "Feeder", "Automatic", "Document", "Auto" })) {
                qDebug() << "找到ADF选项: " << entry;
                return entry;
            }
        }
        qDebug() << "设备不支持ADF，强制使用平板模式";
        for (const QString &entry : entries) {
            if (isFlatbedEntry(entry)) {
                qDebug() << "找到平板选项: " << entry;
                return entry;
            }
        }
        qDebug() << "使用第一个可用选项: " << entries.first();
        return entries.first();
    }
    for (const QString &entry : entries) {
        if (isFlatbedEntry(entry)) {
            qDebug() << "找到平板选项: " << entry;
            return entry;
        }
    }
    qDebug() << "未找到FlatBed，使用第一个选项: " << entries.first();
    return entries.first();
}

QString sourceWithoutList(const QString &target)
{
    return isFeederTarget(target) ? QStringLiteral("ADF") : QStringLiteral("FlatBed");
}

bool isFeederEntry(const QString &entry)
{
    return containsAny(entry, { "ADF", "Feeder", "Automatic" });
}

bool isFlatbedEntry(const QString &entry)
{
    // "FlatBed" and "Flatbed" in any case.
    return entry.contains(QLatin1String("Flatbed"), Qt::CaseInsensitive);
}

bool asksForDuplex(const QString &request)
{
    return containsAny(request, { "Duplex", "True", "Both" });
}

bool asksForSimplex(const QString &request)
{
    return containsAny(request, { "Simplex", "False", "Single" });
}

QString pickDuplex(const QString &request, const QStringList &entries)
{
    if (entries.isEmpty())
        return QString();
    for (const QString &entry : entries)
        qDebug() << "可用双面扫描模式: " << entry;
    if (asksForDuplex(request)) {
        for (const QString &entry : entries) {
            if (containsAny(entry, { "Duplex", "Both", "True" }))
                return entry;
        }
    } else if (asksForSimplex(request)) {
        for (const QString &entry : entries) {
            if (containsAny(entry, { "Simplex", "False", "Single" }))
                return entry;
        }
    }
    return entries.first();
}

bool duplexSwitchValue(const QString &request)
{
    return containsAny(request, { "True", "Duplex", "Both" });
}

} // namespace OptionVocabulary
