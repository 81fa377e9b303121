#include "ui/savetarget.h"

#include <QFileInfo>

namespace {

// The format behind a suffix, empty for one Quirra does not write.
QString formatOfSuffix(const QString &suffix)
{
    const QString lower = suffix.toLower();
    if (lower == QLatin1String("jpeg") || lower == QLatin1String("jpg"))
        return QStringLiteral("jpg");
    if (lower == QLatin1String("tif") || lower == QLatin1String("tiff"))
        return QStringLiteral("tiff");
    if (lower == QLatin1String("pdf") || lower == QLatin1String("png") || lower == QLatin1String("bmp"))
        return lower;
    return QString();
}

} // namespace

SaveTarget::SaveTarget(const QString &typedPath, const QString &dockFormat)
    : path(typedPath)
    , format(formatOfSuffix(QFileInfo(typedPath).suffix()))
{
    if (!format.isEmpty() || typedPath.isEmpty())
        return;
    format = formatOfSuffix(dockFormat);
    if (format.isEmpty())
        format = QStringLiteral("pdf");
    path = typedPath + QLatin1Char('.') + format;
}
