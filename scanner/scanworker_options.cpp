#include "scanner/scanworker.h"

#include <QDebug>

#include "scanner/optionvocabulary.h"
#include "scanner/saneapi.h"
#include "scanner/saneoptions.h"
#include "scanner/sanegeometry.h"

using namespace OptionVocabulary;

bool ScanWorker::setScanOptions(const QString &colorMode, int resolution, bool isPreview, const QString &paperSource,
    const QString &duplexMode, double width, double height)
{
    if (!device) {
        qDebug() << "设备未打开，无法设置选项";
        return false;
    }
    const QString target = paperSource.isEmpty() ? QStringLiteral("Flatbed") : paperSource;
    scanDpi = 0;

    SANE_Int count = 0;
    const SANE_Status countStatus = SaneOptions::optionCount(*sane, device, &count);
    if (countStatus != SANE_STATUS_GOOD) {
        qDebug() << "获取选项数量失败: " << statusText(countStatus);
        return false;
    }
    qDebug() << "设备选项数量: " << count;
    qDebug() << "目标纸张来源: " << target;

    SaneGeometry::Options geometry;
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor *descriptor = sane->getOptionDescriptor(device, i);
        if (!descriptor)
            continue;
        const QString name = SaneOptions::name(descriptor);
        if (name.isEmpty())
            continue;
        qDebug() << "发现选项:" << name << "类型:" << descriptor->type;

        // Backends declare the resolution as INT or as FIXED; both get the dpi.
        if (name == QLatin1String("resolution")
            && (descriptor->type == SANE_TYPE_INT || descriptor->type == SANE_TYPE_FIXED)) {
            // A preview asks for its low resolution; the backend may offer none that low.
            const int dpi = isPreview ? SaneOptions::atMostOrLowest(descriptor, resolution) : resolution;
            const SANE_Status status
                = SaneOptions::setWord(*sane, device, i, SaneOptions::resolutionWord(descriptor, dpi));
            if (status == SANE_STATUS_GOOD)
                qDebug() << "分辨率设置为: " << dpi << " dpi";
            else
                qDebug() << "设置分辨率失败: " << statusText(status);
            // A backend may round the request to a resolution it has (or refuse it and
            // keep its own); the page is what the device scanned, not what was asked.
            SANE_Word used = 0;
            if (SaneOptions::getWord(*sane, device, i, &used) == SANE_STATUS_GOOD)
                scanDpi = SaneOptions::resolutionDpi(descriptor, used);
            else if (status == SANE_STATUS_GOOD)
                scanDpi = dpi;
        }

        if (isColorModeOptionName(name) && descriptor->type == SANE_TYPE_STRING) {
            QString value;
            if (SaneOptions::hasStringListConstraint(descriptor))
                value = pickColorMode(colorMode, SaneOptions::stringList(descriptor));
            else
                value = colorModeWithoutList(colorMode);
            if (!value.isEmpty()) {
                const SANE_Status status = SaneOptions::setString(*sane, device, i, descriptor, value);
                if (status == SANE_STATUS_GOOD) {
                    qDebug() << "颜色模式设置为: " << value;
                    QString current;
                    if (SaneOptions::getString(*sane, device, i, descriptor, &current) == SANE_STATUS_GOOD) {
                        qDebug() << "验证当前颜色模式: " << current;
                        if (current != value)
                            qDebug() << value << " 实际:" << current;
                    }
                } else {
                    qDebug() << "设置颜色模式失败: " << statusText(status);
                }
            }
        }

        // A two-level scan cuts at the middle of the device's threshold range (the
        // backend's default may be tuned for anything); the option only becomes
        // active once the mode is set, which comes first in every backend's list.
        if (name == QLatin1String("threshold") && isLineartRequest(colorMode)
            && (descriptor->type == SANE_TYPE_INT || descriptor->type == SANE_TYPE_FIXED)
            && descriptor->constraint_type == SANE_CONSTRAINT_RANGE && descriptor->constraint.range) {
            const SANE_Range *range = descriptor->constraint.range;
            const SANE_Word middle = range->min + (range->max - range->min) / 2;
            const SANE_Status status = SaneOptions::setWord(*sane, device, i, middle);
            if (status == SANE_STATUS_GOOD)
                qDebug() << "黑白阈值设置为范围中点:" << middle;
            else
                qDebug() << "设置黑白阈值失败:" << statusText(status);
        }

        if (isSourceOptionName(name) && descriptor->type == SANE_TYPE_STRING) {
            QString value;
            if (SaneOptions::hasStringListConstraint(descriptor))
                value = pickSource(target, SaneOptions::stringList(descriptor));
            else
                value = sourceWithoutList(target);
            if (!value.isEmpty()) {
                const SANE_Status status = SaneOptions::setString(*sane, device, i, descriptor, value);
                if (status == SANE_STATUS_GOOD)
                    qDebug() << "纸张来源设置为: " << value;
                else
                    qDebug() << "设置纸张来源失败: " << statusText(status);
            }
        }

        if (!duplexMode.isEmpty() && isDuplexOptionName(name)) {
            if (descriptor->type == SANE_TYPE_STRING && SaneOptions::hasStringListConstraint(descriptor)) {
                const QString value = pickDuplex(duplexMode, SaneOptions::stringList(descriptor));
                if (!value.isEmpty()) {
                    const SANE_Status status = SaneOptions::setString(*sane, device, i, descriptor, value);
                    if (status == SANE_STATUS_GOOD)
                        qDebug() << "双面扫描模式设置为: " << value;
                    else
                        qDebug() << "设置双面扫描模式失败: " << statusText(status);
                }
            } else if (descriptor->type == SANE_TYPE_BOOL) {
                const bool on = duplexSwitchValue(duplexMode);
                const SANE_Status status = SaneOptions::setWord(*sane, device, i, on ? SANE_TRUE : SANE_FALSE);
                if (status == SANE_STATUS_GOOD)
                    qDebug() << "双面扫描设置为: " << (on ? "启用" : "禁用");
                else
                    qDebug() << "设置双面扫描失败: " << statusText(status);
            }
        }

        geometry.take(name, descriptor, i);

        if (name == QLatin1String("preview") && descriptor->type == SANE_TYPE_BOOL
            && SaneOptions::isActive(descriptor)) {
            const SANE_Status status = SaneOptions::setWord(*sane, device, i, isPreview ? SANE_TRUE : SANE_FALSE);
            if (status != SANE_STATUS_GOOD)
                qDebug() << "设置预览模式失败:" << statusText(status);
        }
    }

    // The area goes last: the resolution may change what a pixel is, and the
    // source what the bed is (a feeder's sheet instead of the glass).
    ScanArea area = requestArea;
    if (area.isDeviceDefault() && isPreview)
        area = ScanArea::custom(QRectF(0, 0, width, height));
    applyArea(geometry, area, scanDpi > 0 ? scanDpi : resolution, isFeederRequest(paperSource));
    return true;
}

void ScanWorker::applyArea(const SaneGeometry::Options &geometry, const ScanArea &area, double dpi, bool feeder)
{
    const SaneGeometry::Plan plan = SaneGeometry::plan(geometry, area, dpi, feeder);
    if (plan.unsupported) {
        qDebug() << "设备没有扫描区域选项，按默认区域扫描";
        emit scanNotice(tr("扫描仪不能设置扫描区域，已按其默认区域扫描"));
        return;
    }
    bool refused = false;
    for (const SaneGeometry::Setting &setting : plan.settings) {
        const SANE_Status status = SaneOptions::setWord(*sane, device, setting.index, setting.word);
        if (status != SANE_STATUS_GOOD) {
            qDebug() << "设置扫描区域失败:" << setting.name << statusText(status);
            refused = true;
        } else if (setting.name == QLatin1String("br-x")) {
            qDebug() << "设置扫描宽度为:" << setting.value << "mm";
        } else if (setting.name == QLatin1String("br-y")) {
            qDebug() << "设置扫描高度为:" << setting.value << "mm";
        } else {
            qDebug() << "设置扫描区域:" << setting.name << setting.value;
        }
    }
    if (plan.settings.isEmpty())
        return;
    qDebug() << "扫描区域(毫米):" << plan.area;
    if (refused)
        emit scanNotice(tr("扫描仪不接受所选的扫描区域，已按它能接受的区域扫描"));
    else if (plan.clipped)
        emit scanNotice(tr("所选区域超出扫描范围，已改为 %1 × %2 毫米")
                            .arg(plan.area.width(), 0, 'f', 0)
                            .arg(plan.area.height(), 0, 'f', 0));
}
