#include "scanner/scannercontroller.h"

#include <QDebug>

#include "scanner/optionvocabulary.h"
#include "scanner/saneapi.h"
#include "scanner/saneoptions.h"

using namespace OptionVocabulary;

namespace {

constexpr int listEntryLimit = 50;

const char *trueFalse(bool value)
{
    return value ? "true" : "false";
}

} // namespace

void ScannerController::setResolution(int dpi)
{
    resolution = dpi;
    qDebug() << "分辨率设置为: " << dpi << " dpi";
}

void ScannerController::setColorMode(const QString &mode)
{
    colorMode = mode;
    qDebug() << "颜色模式设置为: " << mode;
}

void ScannerController::setScanArea(double x, double y, double width, double height)
{
    scanAreaX = x;
    scanAreaY = y;
    scanAreaWidth = width;
    scanAreaHeight = height;
    qDebug() << "扫描区域设置为: " << x << y << width << height;
}

void ScannerController::setPageSize(const QString &name)
{
    pageSize = name;
    double width = 0.0;
    double height = 0.0;
    if (name == QLatin1String("A4")) {
        width = 210.0;
        height = 297.0;
    } else if (name == QLatin1String("A5")) {
        width = 148.0;
        height = 210.0;
    } else if (name == QLatin1String("Letter")) {
        width = 215.9;
        height = 279.4;
    } else if (name == QLatin1String("Legal")) {
        width = 215.9;
        height = 355.6;
    } else {
        qDebug() << "无效的纸张大小: " << name;
        return;
    }
    scanAreaWidth = width;
    scanAreaHeight = height;
    qDebug() << "页面大小设置为: " << name << ", 尺寸: " << width << "x" << height << " mm";
}

void ScannerController::setScanRegion(const ScanArea &area)
{
    region = area;
    qDebug() << "扫描区域:" << area.toText();
}

void ScannerController::setPaperSource(const QString &source)
{
    paperSource = source;
    qDebug() << "纸张来源设置为: " << source;
}

void ScannerController::setDuplexMode(const QString &mode)
{
    duplexMode = mode;
    qDebug() << "双面扫描模式设置为: " << mode;
}

void ScannerController::detectCapabilities()
{
    m_supportsADF = false;
    m_supportsDuplex = false;
    m_supportedSources = QStringList { QStringLiteral("Flatbed") };
    m_duplexModes = QStringList { QStringLiteral("Simplex") };
    if (!saneInitialized || m_currentScanner.isEmpty())
        return;

    SANE_Handle handle = nullptr;
    const SANE_Status status = sane->open(derivedDeviceName().toUtf8().constData(), &handle);
    if (status != SANE_STATUS_GOOD || !handle) {
        qDebug() << "无法打开设备进行ADF检测: " << statusText(status);
        return;
    }
    SANE_Int count = 0;
    if (SaneOptions::optionCount(*sane, handle, &count) == SANE_STATUS_GOOD && count > 0) {
        qDebug() << "ADF检测: 设备有" << count << "个选项";
        for (SANE_Int i = 1; i < count; ++i) {
            const SANE_Option_Descriptor *descriptor = sane->getOptionDescriptor(handle, i);
            if (!descriptor || !descriptor->name)
                continue;
            const QString name = SaneOptions::name(descriptor);
            if (name.isEmpty())
                continue;
            const bool active = SaneOptions::isActive(descriptor);

            if (isDetectedSourceOptionName(name) && descriptor->type == SANE_TYPE_STRING
                && SaneOptions::hasStringListConstraint(descriptor)) {
                qDebug() << "纸张来源选项" << name << "活动状态:" << active;
                for (const QString &entry : SaneOptions::stringList(descriptor, listEntryLimit)) {
                    qDebug() << "发现纸张来源选项: " << entry << "(活动:" << trueFalse(active) << ")";
                    if (isFeederEntry(entry)) {
                        if (!m_supportedSources.contains(entry))
                            m_supportedSources << entry;
                        if (active)
                            m_supportsADF = true;
                        // A source that feeds both sides ("ADF Duplex") is how many
                        // backends offer duplex, without a duplex option of its own.
                        if (active && entry.contains(QLatin1String("Duplex"), Qt::CaseInsensitive))
                            m_supportsDuplex = true;
                    } else if (isFlatbedEntry(entry) && !m_supportedSources.contains(entry)) {
                        m_supportedSources.removeAll(QStringLiteral("Flatbed"));
                        m_supportedSources.prepend(entry);
                    }
                }
            }

            if (isDuplexOptionName(name) && descriptor->type == SANE_TYPE_STRING
                && SaneOptions::hasStringListConstraint(descriptor)) {
                qDebug() << "双面扫描选项" << name << "活动状态:" << active;
                const QStringList entries = SaneOptions::stringList(descriptor, listEntryLimit);
                if (!entries.isEmpty() && active) {
                    m_supportsDuplex = true;
                    m_duplexModes.clear();
                    for (const QString &entry : entries) {
                        m_duplexModes << entry;
                        qDebug() << "发现双面扫描选项: " << entry;
                    }
                }
            }

            if (isDetectedDuplexSwitchName(name) && descriptor->type == SANE_TYPE_BOOL) {
                qDebug() << "布尔型双面扫描选项" << name << "活动状态:" << active;
                if (active) {
                    m_supportsDuplex = true;
                    m_duplexModes = QStringList { QStringLiteral("False"), QStringLiteral("True") };
                    qDebug() << "发现布尔型双面扫描选项: " << name;
                }
            }
        }
    }
    sane->close(handle);
    qDebug() << "检测到的纸张来源: " << m_supportedSources;
    qDebug() << "ADF支持状态: " << trueFalse(m_supportsADF);
    qDebug() << "检测到的双面扫描模式: " << m_duplexModes;
    qDebug() << "双面扫描支持状态: " << trueFalse(m_supportsDuplex);
}

void ScannerController::updateScanParameters()
{
    if (!saneInitialized || m_currentScanner.isEmpty()) {
        qDebug() << "无法更新扫描参数：SANE未初始化或未选择扫描仪";
        return;
    }
    SANE_Handle handle = nullptr;
    const SANE_Status status = sane->open(derivedDeviceName().toUtf8().constData(), &handle);
    if (status != SANE_STATUS_GOOD || !handle) {
        qDebug() << "无法打开设备更新参数: " << statusText(status);
        return;
    }
    SANE_Int count = 0;
    SaneOptions::optionCount(*sane, handle, &count);
    qDebug() << "更新扫描参数: 设备有" << count << "个选项";
    for (SANE_Int i = 1; i < count; ++i) {
        const SANE_Option_Descriptor *descriptor = sane->getOptionDescriptor(handle, i);
        if (!descriptor || !descriptor->name)
            continue;
        if (!SaneOptions::isActive(descriptor) || !SaneOptions::isSoftSelect(descriptor))
            continue;
        const QString name = SaneOptions::name(descriptor);
        if (name == QLatin1String("resolution")
            && (descriptor->type == SANE_TYPE_INT || descriptor->type == SANE_TYPE_FIXED)) {
            SaneOptions::setWord(*sane, handle, i, SaneOptions::resolutionWord(descriptor, resolution));
            qDebug() << "已设置分辨率:" << resolution;
        } else if (isRefreshedColorModeOptionName(name) && descriptor->type == SANE_TYPE_STRING) {
            SaneOptions::setString(*sane, handle, i, descriptor, colorMode, 255);
            qDebug() << "已设置颜色模式:" << colorMode;
        } else if (isDetectedSourceOptionName(name) && descriptor->type == SANE_TYPE_STRING && !paperSource.isEmpty()) {
            SaneOptions::setString(*sane, handle, i, descriptor, paperSource, 255);
            qDebug() << "已设置纸张来源:" << paperSource;
        }
    }
    sane->close(handle);
    qDebug() << "扫描参数已更新";
}

bool ScannerController::checkADFPaper()
{
    if (!m_supportsADF || !saneInitialized || m_currentScanner.isEmpty()) {
        qDebug() << "ADF检查失败: supportsADF=" << trueFalse(m_supportsADF)
                 << ", saneInitialized=" << trueFalse(saneInitialized) << ", currentScanner=" << m_currentScanner;
        return false;
    }
    const QString name = derivedDeviceName();
    qDebug() << "检查ADF纸张状态，设备名称: " << name;
    SANE_Handle handle = nullptr;
    const SANE_Status status = sane->open(name.toUtf8().constData(), &handle);
    if (status != SANE_STATUS_GOOD || !handle) {
        qDebug() << "无法打开设备进行ADF纸张检测: " << statusText(status);
        return true;
    }

    bool result = true;
    SANE_Int count = 0;
    if (SaneOptions::optionCount(*sane, handle, &count) == SANE_STATUS_GOOD) {
        bool sensorFound = false;
        bool paperSeen = false;
        for (SANE_Int i = 1; i < count && !paperSeen; ++i) {
            const SANE_Option_Descriptor *descriptor = sane->getOptionDescriptor(handle, i);
            if (!descriptor || !descriptor->name)
                continue;
            const QString optionName = SaneOptions::name(descriptor);
            if (!isPaperSensorName(optionName))
                continue;
            sensorFound = true;
            qDebug() << "找到纸张检测选项: " << optionName << ", 类型: " << descriptor->type;
            if (descriptor->type == SANE_TYPE_BOOL) {
                SANE_Word value = SANE_FALSE;
                const SANE_Status readStatus = SaneOptions::getWord(*sane, handle, i, &value);
                if (readStatus != SANE_STATUS_GOOD) {
                    qDebug() << "读取选项失败: " << statusText(readStatus);
                    continue;
                }
                qDebug() << "选项 " << optionName << " 值: " << (value ? "TRUE" : "FALSE");
                paperSeen = value == SANE_TRUE;
            } else if (descriptor->type == SANE_TYPE_INT) {
                SANE_Word value = 0;
                const SANE_Status readStatus = SaneOptions::getWord(*sane, handle, i, &value);
                if (readStatus != SANE_STATUS_GOOD) {
                    qDebug() << "读取选项失败: " << statusText(readStatus);
                    continue;
                }
                qDebug() << "选项 " << optionName << " 值: " << value;
                paperSeen = value > 0;
            }
        }
        if (paperSeen) {
            result = true;
        } else if (sensorFound) {
            result = false;
        } else {
            qDebug() << "未找到纸张传感器，假设ADF中有纸张";
            result = true;
        }
    } else {
        qDebug() << "未找到纸张传感器，假设ADF中有纸张";
    }
    sane->close(handle);
    qDebug() << "ADF纸张检测结果: " << (result ? "有纸张" : "无纸张");
    return result;
}

void ScannerController::debugScannerOptions()
{
    if (!saneInitialized || m_currentScanner.isEmpty()) {
        qDebug() << "无法调试扫描仪选项：SANE未初始化或未选择扫描仪";
        return;
    }
    const QString name = derivedDeviceName();
    SANE_Handle handle = nullptr;
    const SANE_Status status = sane->open(name.toUtf8().constData(), &handle);
    if (status != SANE_STATUS_GOOD || !handle) {
        qDebug() << "无法打开设备进行调试: " << statusText(status);
        return;
    }
    SANE_Int count = 0;
    SaneOptions::optionCount(*sane, handle, &count);
    qDebug() << "=== 扫描仪选项调试信息 ===";
    qDebug() << "设备: " << name;
    qDebug() << "总选项数: " << count;
    for (SANE_Int i = 0; i < count; ++i) {
        const SANE_Option_Descriptor *descriptor = sane->getOptionDescriptor(handle, i);
        if (!descriptor)
            continue;
        if (descriptor->name)
            qDebug().noquote() << QStringLiteral("选项 %1: %2").arg(i).arg(QString::fromUtf8(descriptor->name));
        else
            qDebug().noquote() << QStringLiteral("选项 %1: 无法读取名称").arg(i);
        const auto text = [](const char *value) {
            return value ? QString::fromUtf8(value) : QString();
        };
        qDebug().noquote() << QStringLiteral("  标题: %1").arg(text(descriptor->title));
        qDebug().noquote() << QStringLiteral("  描述: %1").arg(text(descriptor->desc));
        qDebug().noquote() << QStringLiteral("  类型: %1").arg(descriptor->type);
        qDebug().noquote() << QStringLiteral("  约束类型: %1").arg(descriptor->constraint_type);
        if (SaneOptions::hasStringListConstraint(descriptor)) {
            qDebug().noquote() << QStringLiteral("  可用选项:");
            for (const QString &entry : SaneOptions::stringList(descriptor))
                qDebug().noquote() << QStringLiteral("    - %1").arg(entry);
        }
        qDebug() << "";
    }
    sane->close(handle);
    qDebug() << "=== 调试信息结束 ===";
}
