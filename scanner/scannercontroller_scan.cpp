#include "scanner/scannercontroller.h"

#include <QDebug>

#include "scanner/optionvocabulary.h"

bool ScannerController::startScan(const QString &scannerName, const QString &requestedColorMode,
    int requestedResolution, const QString &requestedPaperSource, const QString &requestedDuplexMode)
{
    if (!saneInitialized) {
        qDebug() << "SANE未初始化，尝试初始化...";
        initializeSync();
        if (!saneInitialized) {
            emit scanError(tr("扫描仪初始化失败"));
            return false;
        }
    }
    if (!chooseScanner(scannerName))
        return false;

    const QString mode = requestedColorMode.isEmpty() ? colorMode : requestedColorMode;
    const int dpi = requestedResolution < 1 ? resolution : requestedResolution;
    const QString source = requestedPaperSource.isEmpty() ? paperSource : requestedPaperSource;
    QString duplex = requestedDuplexMode.isEmpty() ? duplexMode : requestedDuplexMode;

    if (OptionVocabulary::isDuplexFeederTarget(source) && (duplex.isEmpty() || duplex == QLatin1String("Simplex"))) {
        duplex = QStringLiteral("Duplex");
        qDebug() << "检测到双面自动进纸器，自动启用双面扫描模式";
    }

    if (OptionVocabulary::isFeederTarget(source)) {
        if (!m_supportsADF) {
            emit scanError(tr("当前扫描仪不支持自动进纸器功能"));
            return false;
        }
        qDebug() << "使用ADF模式，检查纸张状态...";
        if (checkADFPaper()) {
            qDebug() << "检测到ADF中有纸张，开始扫描";
            emit adfStatusChanged(true);
        } else {
            qDebug() << "ADF纸张检测失败，但继续尝试扫描（可能是检测不准确）";
            emit adfStatusChanged(false);
        }
    }

    const QString deviceName = derivedDeviceName();
    qDebug() << "使用的设备名称:" << deviceName;
    qDebug() << "使用的纸张来源:" << source;
    emit startScanWorker(deviceName, mode, dpi, false, source, duplex, scanAreaWidth, scanAreaHeight, region);
    return true;
}

bool ScannerController::chooseScanner(const QString &scannerName)
{
    if (!scannerName.isEmpty())
        selectScanner(scannerName);
    if (m_currentScanner.isEmpty()) {
        if (availableScanners.isEmpty()) {
            emit scanError(tr("未选择扫描仪"));
            return false;
        }
        // The list holds display names; the device behind it is what gets opened.
        m_currentScanner = deviceNameFor(availableScanners.first());
    }
    return true;
}

bool ScannerController::startPreview(const QString &scannerName)
{
    if (!saneInitialized) {
        initializeSync();
        emit scanError(tr("扫描仪正在初始化中，请稍后再试"));
        return false;
    }
    if (!chooseScanner(scannerName))
        return false;
    // The whole glass, so that the user can choose any part of it.
    emit startScanWorker(derivedDeviceName(), colorMode, 75, true, QString(), QString(), scanAreaWidth, scanAreaHeight,
        ScanArea::wholeBed());
    return true;
}

void ScannerController::cancelScan()
{
    emit cancelScanWorker();
}
