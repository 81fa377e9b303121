// Annotation JSON: read, written back and painted onto a small page.
#include <QJsonDocument>
#include <QJsonObject>

#include "annotation/annotationtool.h"
#include "fuzz/fuzztargets.h"

namespace FuzzTargets {

Outcome annotationJson(const QByteArray &data)
{
    const QJsonDocument document = QJsonDocument::fromJson(data);
    if (!document.isObject())
        return { true, QStringLiteral("not an object") };
    AnnotationTool tool;
    if (!tool.fromJson(document.object()))
        return { true, QStringLiteral("no annotations") };
    AnnotationTool again;
    if (!again.fromJson(tool.toJson()) || again.count() != tool.count())
        qFatal("annotations do not survive their own round trip");
    QImage page(48, 32, QImage::Format_RGB32);
    page.fill(Qt::white);
    tool.renderAnnotations(page);
    return { false, QStringLiteral("%1 annotations").arg(tool.count()) };
}

} // namespace FuzzTargets
