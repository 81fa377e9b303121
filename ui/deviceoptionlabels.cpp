#include "ui/deviceoptionlabels.h"

QString DeviceOptionLabels::sourceLabel(const QString &source)
{
    if (source.contains(QLatin1String("Flatbed"), Qt::CaseInsensitive))
        return tr("平板");
    if (source.contains(QLatin1String("ADF")) || source.contains(QLatin1String("Feeder"))
        || source.contains(QLatin1String("Automatic"))) {
        return source.contains(QLatin1String("Duplex")) ? tr("双面进纸器") : tr("自动进纸器");
    }
    return source;
}

QString DeviceOptionLabels::duplexLabel(const QString &value)
{
    const auto has = [&value](const char *word) {
        return value.contains(QLatin1String(word), Qt::CaseInsensitive);
    };
    if (has("Simplex") || has("False") || has("Single") || value == QLatin1String("0"))
        return tr("单面");
    if (has("Duplex") || has("True") || has("Both") || value == QLatin1String("1"))
        return tr("双面");
    return value;
}

QString DeviceOptionLabels::notSearchedPlaceholder()
{
    return tr("点击'查找设备'初始化扫描仪");
}

QString DeviceOptionLabels::searchingPlaceholder(const QString &modeName)
{
    return tr("正在查找扫描仪（%1模式）...").arg(modeName);
}

bool DeviceOptionLabels::isPlaceholder(const QString &text)
{
    const QString searching = tr("正在查找扫描仪（%1模式）...");
    const QString before = searching.section(QStringLiteral("%1"), 0, 0);
    const QString after = searching.section(QStringLiteral("%1"), 1);
    return text.isEmpty() || text.contains(QStringLiteral("正在查找")) || text.contains(QStringLiteral("点击"))
        || text.contains(QStringLiteral("初始化")) || text == notSearchedPlaceholder()
        || (text.startsWith(before) && text.endsWith(after));
}
