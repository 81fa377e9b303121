#include "scanner/scannercontroller.h"

#include <QDebug>
#include <QMetaObject>
#include <QSet>
#include <QtConcurrent>

#include "scanner/devicenaming.h"
#include "scanner/libsaneapi.h"
#include "scanner/saneapi.h"
#include "scanner/scanworker.h"

using DeviceNaming::DeviceRecord;

bool ScannerController::lastIncludeNetwork = false;

namespace {

const char *separatorLine = "========================================";

QString versionText(SANE_Int versionCode)
{
    return QStringLiteral("%1.%2.%3")
        .arg(SANE_VERSION_MAJOR(versionCode))
        .arg(SANE_VERSION_MINOR(versionCode))
        .arg(SANE_VERSION_BUILD(versionCode));
}

DeviceRecord recordOf(const SANE_Device *device)
{
    const auto text = [](const char *value) {
        return value ? QString::fromUtf8(value) : QString();
    };
    return { text(device->name), text(device->vendor), text(device->model), text(device->type) };
}

void logDeviceLines(const QString &display, const QString &friendly, const DeviceRecord &record)
{
    qDebug().nospace() << "  显示名称: " << display;
    qDebug().nospace() << "  原始名称: " << friendly;
    qDebug().nospace() << "  设备名称: " << record.name;
    qDebug().nospace() << "  类型: " << record.type;
}

} // namespace

ScannerController::ScannerController(QObject *parent)
    : ScannerController(LibSaneApi::shared(), parent)
{
}

ScannerController::ScannerController(std::shared_ptr<SaneApi> saneApi, QObject *parent)
    : QObject(parent)
    , worker(std::make_unique<ScanWorker>(saneApi))
    , sane(std::move(saneApi))
{
    qRegisterMetaType<ScanArea>();
    worker->moveToThread(&workerThread);
    connect(this, &ScannerController::startScanWorker, worker.get(), &ScanWorker::doScan);
    connect(this, &ScannerController::cancelScanWorker, worker.get(), &ScanWorker::cancelScan);
    connect(worker.get(), &ScanWorker::scanProgress, this, &ScannerController::scanProgress);
    connect(worker.get(), &ScanWorker::scanComplete, this, &ScannerController::scanComplete);
    connect(worker.get(), &ScanWorker::scanError, this, &ScannerController::scanError);
    connect(worker.get(), &ScanWorker::multiPageScanStarted, this, &ScannerController::multiPageScanStarted);
    connect(worker.get(), &ScanWorker::multiPageScanFinished, this, &ScannerController::multiPageScanFinished);
    connect(worker.get(), &ScanWorker::currentPageScanning, this, &ScannerController::currentPageScanning);
    connect(worker.get(), &ScanWorker::previewComplete, this, &ScannerController::previewComplete);
    connect(worker.get(), &ScanWorker::scanNotice, this, &ScannerController::scanNotice);
    workerThread.start(QThread::InheritPriority);
    qDebug() << "ScannerController创建完成，延迟初始化模式";
}

// Nothing may touch SANE after sane_exit: the initialisation task and the
// worker (with the handle it may hold) are finished first, the library goes last.
ScannerController::~ScannerController()
{
    initFuture.waitForFinished();
    if (taskHoldsLibrary.exchange(false)) {
        // The task's hand-over was still queued; it dies with this object.
        ++libraryHolds;
        saneInitialized = true;
    }

    worker->requestStop();
    workerThread.quit();
    if (!workerThread.wait(3000)) {
        workerThread.terminate();
        workerThread.wait(1000);
    }
    worker.reset();

    closeSane();
    while (libraryHolds > 0)
        exitLibrary();
    qDebug() << "ScannerController已销毁";
}

QString ScannerController::statusText(int status) const
{
    return QString::fromUtf8(sane->strstatus(static_cast<SANE_Status>(status)));
}

bool ScannerController::initializeLibrary(int *status, int *versionCode)
{
    SANE_Int version = 0;
    const SANE_Status result = sane->init(&version);
    *status = result;
    *versionCode = version;
    if (result != SANE_STATUS_GOOD)
        return false;
    ++libraryHolds;
    return true;
}

void ScannerController::exitLibrary()
{
    if (libraryHolds <= 0)
        return;
    sane->exit();
    --libraryHolds;
}

bool ScannerController::isSaneInitialized() const
{
    return saneInitialized;
}

int ScannerController::initState() const
{
    return m_initState;
}

QString ScannerController::deviceNameFor(const QString &displayName) const
{
    return deviceNameMap.value(displayName, displayName);
}

void ScannerController::initializeSync()
{
    if (m_initState != 0)
        return;
    qDebug() << "开始同步初始化SANE...";
    bool ok = false;
    int status = 0;
    int version = 0;
    if (!initializeLibrary(&status, &version)) {
        qDebug() << "SANE初始化失败: " << statusText(status);
    } else {
        qDebug() << "SANE初始化成功，版本: " << versionText(version);
        const SANE_Device **devices = nullptr;
        const SANE_Status listStatus = sane->getDevices(&devices, SANE_FALSE);
        if (listStatus != SANE_STATUS_GOOD)
            qDebug() << "获取扫描仪列表失败: " << statusText(listStatus);
        else if (!devices || !devices[0])
            qDebug() << "未找到扫描仪设备";
        else
            ok = true;
    }
    if (ok) {
        saneInitialized = true;
        m_initState = 2;
        qDebug() << "SANE同步初始化成功";
    } else {
        m_initState = 3;
        qDebug() << "SANE同步初始化失败";
    }
}

void ScannerController::initializeAsync()
{
    if (m_initState == 2) {
        emit initializationCompleted();
        return;
    }
    if (m_initState == 1)
        return;
    m_initState = 1;
    emit initializationStarted();
    // A failed synchronous attempt may have left the library initialised; the
    // task starts it afresh rather than nesting a second sane_init.
    const bool reinitialize = libraryHolds > 0;
    libraryHolds = 0;
    initFuture = QtConcurrent::run([this, reinitialize] { runBackgroundInitialization(reinitialize); });
}

// Runs on a thread-pool thread. It reads and writes no member (only the seam
// and signals); the results travel to the GUI thread in a queued call.
void ScannerController::runBackgroundInitialization(bool reinitialize)
{
    emit initializationProgress(tr("正在初始化SANE库..."));
    if (reinitialize)
        sane->exit();
    SANE_Int version = 0;
    const SANE_Status status = sane->init(&version);
    if (status != SANE_STATUS_GOOD) {
        qDebug() << "SANE初始化失败: " << statusText(status);
        QMetaObject::invokeMethod(
            this, [this] { failBackgroundInitialization(); }, Qt::QueuedConnection);
        return;
    }
    taskHoldsLibrary = true;
    qDebug() << "SANE异步初始化成功，版本: " << versionText(version);
    emit initializationProgress(tr("正在查找扫描仪设备..."));

    QStringList names;
    QMap<QString, QString> nameMap;
    const SANE_Device **devices = nullptr;
    if (sane->getDevices(&devices, SANE_TRUE) == SANE_STATUS_GOOD && devices) {
        for (int i = 0; devices[i]; ++i) {
            const DeviceRecord record = recordOf(devices[i]);
            if (record.name.contains(QLatin1String("net:")) || record.name.contains(QLatin1String("http:"))
                || record.name.contains(QLatin1String("https:"))) {
                qDebug() << "跳过网络设备: " << record.name;
                continue;
            }
            const QString friendly = DeviceNaming::friendlyName(record.vendor, record.model, record.name);
            // Two devices of the same model would otherwise share one entry
            // and the first would become unreachable.
            const QString display = DeviceNaming::uniqueDisplayName(DeviceNaming::displayName(record, false), nameMap);
            names << display;
            nameMap.insert(display, record.name);
            qDebug() << "找到本地扫描仪(异步初始化):";
            logDeviceLines(display, friendly, record);
        }
    }
    QMetaObject::invokeMethod(
        this, [this, names, nameMap] { finishBackgroundInitialization(names, nameMap); }, Qt::QueuedConnection);
}

void ScannerController::finishBackgroundInitialization(const QStringList &names, const QMap<QString, QString> &nameMap)
{
    if (taskHoldsLibrary.exchange(false))
        ++libraryHolds;
    saneInitialized = true;
    availableScanners = names;
    scannerCache = names;
    deviceNameMap = nameMap;
    m_initState = 2;
    emit initializationProgress(tr("初始化完成"));
    emit initializationCompleted();
}

void ScannerController::failBackgroundInitialization()
{
    m_initState = 3;
    emit initializationFailed(tr("SANE初始化失败"));
}

void ScannerController::closeSane()
{
    if (!saneInitialized)
        return;
    exitLibrary();
    saneInitialized = false;
    qDebug() << "SANE已关闭";
}

QStringList ScannerController::getCachedScanners()
{
    if (scannerCache.isEmpty())
        return getAvailableScanners(false);
    return scannerCache;
}

QStringList ScannerController::getAvailableScanners(bool includeNetwork)
{
    if (!saneInitialized) {
        qDebug() << "SANE未初始化，等待异步初始化完成...";
        return QStringList();
    }
    if (includeNetwork != lastIncludeNetwork) {
        // The backends cache what they found; only a fresh sane_init makes
        // them look for network devices again (or stop offering them).
        qDebug() << "搜索模式改变，清除缓存并重新初始化 SANE";
        scannerCache.clear();
        availableScanners.clear();
        deviceNameMap.clear();
        exitLibrary();
        int status = 0;
        int version = 0;
        if (!initializeLibrary(&status, &version)) {
            qDebug() << "SANE 重新初始化失败:" << statusText(status);
            saneInitialized = false;
            return QStringList();
        }
        saneInitialized = true;
        qDebug() << "SANE 重新初始化成功";
    }
    lastIncludeNetwork = includeNetwork;
    const char *modeText = includeNetwork ? "USB+局域网" : "仅USB";
    qDebug() << "搜索扫描仪设备，模式:" << modeText;

    const SANE_Device **devices = nullptr;
    const SANE_Status status = sane->getDevices(&devices, SANE_FALSE);
    if (status != SANE_STATUS_GOOD) {
        qDebug() << "获取扫描仪列表失败: " << statusText(status);
        return QStringList();
    }
    int total = 0;
    while (devices && devices[total])
        ++total;
    if (total == 0) {
        qDebug() << "未找到扫描仪设备";
        return QStringList();
    }

    qDebug() << separatorLine;
    qDebug() << "SANE返回设备总数:" << total;
    qDebug() << "搜索模式:" << modeText;
    qDebug() << "includeNetwork 参数:" << (includeNetwork ? "true" : "false");
    qDebug() << separatorLine;

    QStringList result;
    QMap<QString, QString> nameMap;
    QSet<QString> seen;
    for (int n = 0; n < total; ++n) {
        const DeviceRecord record = recordOf(devices[n]);
        qDebug() << "";
        qDebug() << "========== 设备" << n + 1 << "/" << total << "==========";
        qDebug() << "原始名称:" << record.name;
        qDebug() << "型号:" << record.model;
        qDebug() << "厂商:" << record.vendor;

        if (seen.contains(record.name)) {
            qDebug() << "❌ 跳过重复设备（SANE 返回了相同的设备名称）";
            continue;
        }
        seen.insert(record.name);

        if (DeviceNaming::isEsclBackendName(record.name)) {
            if (DeviceNaming::isLocalEsclName(record.name)) {
                qDebug() << "✓ 检测到本地 eSCL 设备（ipp-usb）";
                qDebug() << "✓ 保留本地 eSCL 设备（ipp-usb 协议）";
                qDebug() << "   设备名称:" << record.name;
                qDebug() << "   型号:" << record.model;
            } else {
                qDebug() << "❌ 跳过网络 eSCL 后端设备（建议使用'仅 eSCL'模式）";
                qDebug() << "   设备名称:" << record.name;
                qDebug() << "   型号:" << record.model;
                qDebug() << "   原因：网络 eSCL 设备建议使用'仅 eSCL'模式";
                continue;
            }
        }

        const DeviceNaming::Classification classification = DeviceNaming::classify(record.name);
        qDebug() << classification.reason;
        if (classification.network && !includeNetwork) {
            qDebug() << "❌ 跳过网络设备（当前模式：仅USB）";
            continue;
        }
        qDebug() << (classification.network ? "✓ 添加网络设备" : "✓ 添加本地设备");

        const QString friendly = DeviceNaming::friendlyName(record.vendor, record.model, record.name);
        qDebug() << "使用友好名称:" << friendly;
        QString display = DeviceNaming::displayName(record, classification.network);

        if (nameMap.contains(display)) {
            qDebug() << "⚠️ 警告：发现重复的显示名称:" << display;
            qDebug() << "  旧设备: " << nameMap.value(display);
            qDebug() << "  新设备: " << record.name;
            display = DeviceNaming::uniqueDisplayName(display, nameMap);
            qDebug() << "  使用唯一名称: " << display;
        }
        result << display;
        nameMap.insert(display, record.name);
        qDebug() << "找到扫描仪:";
        logDeviceLines(display, friendly, record);
    }

    availableScanners = result;
    scannerCache = result;
    deviceNameMap = nameMap;
    qDebug() << "";
    qDebug() << separatorLine;
    qDebug() << "扫描仪列表已更新并缓存:" << result.size() << "个设备";
    qDebug() << "最终设备列表:";
    for (int i = 0; i < result.size(); ++i)
        qDebug().noquote() << "  " + QString::number(i + 1) + ". " + result.at(i);
    qDebug() << separatorLine;
    return result;
}

bool ScannerController::selectScanner(const QString &selection)
{
    qDebug() << "尝试选择扫描仪:" << selection;
    qDebug() << "可用扫描仪列表:" << availableScanners;
    qDebug() << "设备名称映射:" << deviceNameMap;
    // A listed device may also be named by its SANE name (a choice remembered from
    // when the list showed those).
    const QString displayName
        = availableScanners.contains(selection) ? selection : deviceNameMap.key(selection, selection);
    if (!availableScanners.contains(displayName)) {
        qDebug() << "无效的扫描仪名称: " << displayName;
        return false;
    }
    QString saneName = deviceNameMap.value(displayName, displayName);
    qDebug() << "映射的设备名称:" << saneName;

    SANE_Handle handle = nullptr;
    SANE_Status status = sane->open(saneName.toUtf8().constData(), &handle);
    if (status != SANE_STATUS_GOOD || !handle) {
        qDebug() << "无法打开设备:" << saneName << "错误:" << statusText(status);
        handle = nullptr;
        if (saneName != displayName) {
            qDebug() << "尝试使用显示名称作为设备名称:" << displayName;
            status = sane->open(displayName.toUtf8().constData(), &handle);
            if (status == SANE_STATUS_GOOD && handle) {
                saneName = displayName;
                qDebug() << "使用显示名称成功打开设备";
            } else {
                handle = nullptr;
            }
        }
        if (!handle) {
            qDebug() << "设备完全不可用:" << displayName;
            return false;
        }
    }
    sane->close(handle);
    m_currentScanner = saneName;
    qDebug() << "成功选择扫描仪:" << displayName << "(设备:" << saneName << ")";

    detectCapabilities();
    updateScanParameters();
    qDebug() << "ADF支持:" << (m_supportsADF ? "是" : "否");
    qDebug() << "双面支持:" << (m_supportsDuplex ? "是" : "否");
    return true;
}

QString ScannerController::derivedDeviceName() const
{
    return DeviceNaming::deviceNameFromSelection(m_currentScanner);
}
