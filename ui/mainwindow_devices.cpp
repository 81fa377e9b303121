// Device search and selection, and the eSCL device registry commands.
#include "ui/mainwindow.h"

#include <algorithm>

#include <QComboBox>
#include <QCoreApplication>
#include <QDebug>
#include <QMessageBox>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QSettings>
#include <QStatusBar>

#include "escl/esclregistry.h"
#include "scanner/scannercontroller.h"
#include "ui/deviceoptionlabels.h"
#include "ui/scansettingspanel.h"
#include "ui/dialogs/escladddialog.h"
#include "ui/dialogs/esclremovedialog.h"
#include "ui/dialogs/scansettingsdialog.h"
#include "ui/escldevicesearch.h"
#include "settings/appsettings.h"

namespace {

const QLatin1String esclPrefix("eSCL-");

const char *trueFalse(bool value)
{
    return value ? "true" : "false";
}

} // namespace

void MainWindow::createScannerController()
{
    if (scannerController)
        return;
    scannerController = new ScannerController(this);
    ScannerController *controller = scannerController;
    connect(controller, &ScannerController::scanProgress, this, &MainWindow::onScanProgress);
    connect(controller, &ScannerController::scanComplete, this, &MainWindow::onScanComplete);
    connect(controller, &ScannerController::previewComplete, this, &MainWindow::onPreviewComplete);
    connect(controller, &ScannerController::scanNotice, this,
        [this](const QString &message) { statusBarWidget->showMessage(message, 5000); });
    connect(controller, &ScannerController::scanError, this, &MainWindow::onScanError);
    connect(controller, &ScannerController::initializationProgress, this,
        [this](const QString &message) { statusBarWidget->showMessage(message); });
    connect(
        controller, &ScannerController::initializationCompleted, this, &MainWindow::onScannerInitializationCompleted);
    connect(controller, &ScannerController::initializationFailed, this, &MainWindow::onScannerInitializationFailed);
    connect(controller, &ScannerController::adfStatusChanged, this, &MainWindow::onADFStatusChanged);
    connect(controller, &ScannerController::adfEmptyWarning, this, &MainWindow::onADFEmptyWarning);
    connect(controller, &ScannerController::multiPageScanStarted, this, &MainWindow::onMultiPageScanStarted);
    connect(controller, &ScannerController::multiPageScanFinished, this, &MainWindow::onMultiPageScanFinished);
    connect(controller, &ScannerController::currentPageScanning, this, &MainWindow::onCurrentPageScanning);
    connectParameterCombos(true);
    qDebug() << "扫描仪控制器已创建，准备异步初始化";
}

void MainWindow::connectScannerSelection(bool connected)
{
    const auto signal = QOverload<int>::of(&QComboBox::currentIndexChanged);
    if (connected)
        connect(scannerCombo, signal, this, &MainWindow::onScannerSelected, Qt::UniqueConnection);
    else
        disconnect(scannerCombo, signal, this, &MainWindow::onScannerSelected);
}

void MainWindow::connectParameterCombos(bool connected)
{
    const auto signal = QOverload<int>::of(&QComboBox::currentIndexChanged);
    if (connected) {
        connect(paperSourceCombo, signal, this, &MainWindow::onPaperSourceChanged, Qt::UniqueConnection);
        connect(duplexCombo, signal, this, &MainWindow::onDuplexModeChanged, Qt::UniqueConnection);
    } else {
        disconnect(paperSourceCombo, signal, this, &MainWindow::onPaperSourceChanged);
        disconnect(duplexCombo, signal, this, &MainWindow::onDuplexModeChanged);
    }
}

void MainWindow::searchScanners()
{
    if (isScanning)
        return;
    isScanning = true;
    const QString modeName = searchModeSearchName(searchMode);
    connectScannerSelection(false);
    scannerCombo->clear();
    scannerCombo->addItem(DeviceOptionLabels::searchingPlaceholder(modeName));
    statusBarWidget->showMessage(tr("🔍 正在搜索扫描仪（%1模式），请稍候...").arg(modeName));
    startBusyProgress();
    QCoreApplication::processEvents();

    QStringList names;
    if (searchMode == SearchMode::EsclOnly) {
        names = searchEsclDevices();
    } else {
        bool initializationStarted = false;
        names = searchSaneDevices(&initializationStarted);
        if (initializationStarted) {
            // The list is filled when the background initialisation reports
            // back; the busy bar stays until then and ends with it.
            isScanning = false;
            connectScannerSelection(true);
            return;
        }
    }

    endProgress();
    qDebug() << "发现扫描仪设备:" << names.size() << "个";
    for (int i = 0; i < names.size(); ++i)
        qDebug() << "  设备" << i + 1 << ":" << names.at(i);
    scannerCombo->clear();
    scannerCombo->addItems(names);
    connectScannerSelection(true);
    showSearchResult(names);
    isScanning = false;
}

QStringList MainWindow::searchSaneDevices(bool *initializationStarted)
{
    createScannerController();
    if (!scannerController->isSaneInitialized()) {
        scannerController->initializeAsync();
        *initializationStarted = true;
        return QStringList();
    }
    return scannerController->getAvailableScanners(searchMode == SearchMode::UsbAndNetwork);
}

QStringList MainWindow::searchEsclDevices()
{
    qDebug() << "仅 eSCL 模式：自动发现 eSCL 设备";
    const QStringList discovered = discoverEsclDevices();
    qDebug() << "自动发现了" << discovered.size() << "个 eSCL 设备";
    QSettings store = AppSettings::openStore();
    return EsclDeviceSearch(store, this).mergeIntoRegistry(discovered);
}

QStringList MainWindow::discoverEsclDevices()
{
    QSettings store = AppSettings::openStore();
    return EsclDeviceSearch(store, this).discover();
}

void MainWindow::showSearchResult(const QStringList &names)
{
    if (names.isEmpty()) {
        statusBarWidget->showMessage(tr("✗ 未找到扫描仪设备，请检查连接或切换搜索模式"), 5000);
        return;
    }
    scannerCombo->setCurrentIndex(0);
    onScannerSelected(0);
    if (names.size() == 1) {
        statusBarWidget->showMessage(tr("✓ 找到 1 个扫描仪，已自动选择"), 3000);
        return;
    }
    const int network = static_cast<int>(std::count_if(
        names.cbegin(), names.cend(), [](const QString &name) { return name.startsWith(QStringLiteral("[网络]")); }));
    if (network > 0) {
        statusBarWidget->showMessage(tr("✓ 找到 %1 个扫描仪（本地 %2 个，网络 %3 个），已选择第一个")
                                         .arg(names.size())
                                         .arg(names.size() - network)
                                         .arg(network),
            5000);
    } else {
        statusBarWidget->showMessage(tr("✓ 找到 %1 个扫描仪，已选择第一个，可手动切换").arg(names.size()), 5000);
    }
}

void MainWindow::onScannerInitializationCompleted()
{
    endProgress();
    connectScannerSelection(false);
    scannerCombo->clear();
    const QStringList names = scannerController->getCachedScanners();
    qDebug() << "异步初始化完成，发现扫描仪:" << names.size() << "个";
    for (const QString &name : names) {
        scannerCombo->addItem(name, name);
        qDebug() << "  添加设备:" << name;
    }
    connectScannerSelection(true);
    if (names.isEmpty()) {
        statusBarWidget->showMessage(tr("未找到扫描仪设备"), 3000);
        return;
    }
    scannerCombo->setCurrentIndex(0);
    onScannerSelected(0);
    if (names.size() == 1)
        statusBarWidget->showMessage(tr("找到 1 个扫描仪，已自动选择"), 3000);
    else
        statusBarWidget->showMessage(tr("找到 %1 个扫描仪，已选择第一个，可手动切换").arg(names.size()), 5000);
}

void MainWindow::onScannerInitializationFailed(const QString &error)
{
    endProgress();
    statusBarWidget->showMessage(tr("初始化失败: %1").arg(error), 5000);
    QMessageBox::warning(this, tr("初始化错误"), error, QMessageBox::Ok);
}

void MainWindow::onScannerSelected(int index)
{
    if (index < 0)
        return;
    const QString text = scannerCombo->itemText(index);
    if (DeviceOptionLabels::isPlaceholder(text))
        return;
    qDebug() << "用户选择扫描仪:" << text << "索引:" << index;

    // The status bar is refreshed before the selection message is shown, or
    // the refresh would replace the message at once.
    if (text.startsWith(esclPrefix)) {
        qDebug() << "选择了 eSCL 设备，跳过 SANE 处理";
        updateStatusBar();
        statusBarWidget->showMessage(tr("✅ 已选择: %1 (原生 eSCL 模式)").arg(text), 5000);
        return;
    }
    if (!scannerController || !scannerController->isSaneInitialized()) {
        statusBarWidget->showMessage(tr("扫描仪控制器未初始化，请先点击查找设备"), 3000);
        return;
    }
    // The device is opened for the selection, which a SANE scan under way would
    // collide with; an eSCL job is left to the scan button.
    const ScanSession::Kind running = session()->kind();
    if (running == ScanSession::Kind::SinglePage || running == ScanSession::Kind::FeederRun)
        cancelSaneScan();

    statusBarWidget->showMessage(tr("正在连接扫描仪: %1...").arg(text), 1000);
    if (scannerController->selectScanner(text))
        showSelectedScanner(text);
    else
        reportFailedSelection(index, text);
}

void MainWindow::showSelectedScanner(const QString &text)
{
    qDebug() << "成功选择扫描仪:" << text;
    updateScanParametersForDevice();
    QStringList features { scannerController->supportsADF() ? tr("支持ADF") : tr("仅平板") };
    if (scannerController->supportsDuplex())
        features << tr("支持双面");
    scannerController->updateScanParameters();
    updateStatusBar();
    statusBarWidget->showMessage(
        tr("✅ 已选择: %1").arg(text) + tr(" (%1)").arg(features.join(QStringLiteral(", "))), 8000);
    qDebug() << "设备切换完成，ADF支持:" << trueFalse(scannerController->supportsADF())
             << "双面支持:" << trueFalse(scannerController->supportsDuplex());
}

void MainWindow::reportFailedSelection(int index, const QString &text)
{
    qDebug() << "选择扫描仪失败:" << text;
    statusBarWidget->showMessage(tr("❌ 无法连接扫描仪: %1").arg(text), 5000);
    QMessageBox::warning(this, tr("扫描仪连接失败"),
        tr("无法连接到扫描仪 '%1'。\n\n可能的原因：\n• 设备正在被其他程序使用\n• 设备驱动未正确安装\n• "
           "USB连接不稳定\n• 网络设备连接超时\n\n建议：\n• 检查设备连接\n• 重启设备\n• 重新点击'查找设备'")
            .arg(text));
    // One automatic hand-over per choice: a second broken device must not
    // pass its failure on again, box after box.
    if (switchingScannerAutomatically || scannerCombo->count() <= 1)
        return;
    for (int i = 0; i < scannerCombo->count(); ++i) {
        const QString other = scannerCombo->itemText(i);
        if (i == index || DeviceOptionLabels::isPlaceholder(other))
            continue;
        qDebug() << "尝试自动选择其他设备:" << other;
        const QScopedValueRollback<bool> switching(switchingScannerAutomatically, true);
        scannerCombo->setCurrentIndex(i);
        return;
    }
}

void MainWindow::updateScanParametersForDevice()
{
    if (!scannerController) {
        qDebug() << "扫描仪控制器未初始化，无法更新纸张来源选项";
        return;
    }
    qDebug() << "正在为设备更新扫描参数:" << scannerController->currentScanner();

    connectParameterCombos(false);

    const bool adf = scannerController->supportsADF();
    const bool duplex = scannerController->supportsDuplex();
    qDebug() << "设备能力 - ADF支持:" << trueFalse(adf) << "双面支持:" << trueFalse(duplex);
    qDebug() << "可用纸张来源:" << scannerController->supportedSources();
    panel->setPaperSources(adf ? scannerController->supportedSources() : QStringList());
    panel->setDuplexModes(duplex, scannerController->duplexModes());

    connectParameterCombos(true);
    qDebug() << "扫描参数更新完成 - 纸张来源:" << paperSourceCombo->currentText()
             << "双面模式:" << duplexCombo->currentText();
}

void MainWindow::onPaperSourceChanged(int index)
{
    if (!scannerController || index < 0)
        return;
    const QString source = paperSourceCombo->itemData(index).toString();
    scannerController->setPaperSource(source);
    qDebug() << "纸张来源已更改为:" << source;
}

void MainWindow::onDuplexModeChanged(int index)
{
    if (!scannerController || index < 0)
        return;
    const QString mode = duplexCombo->itemData(index).toString();
    scannerController->setDuplexMode(mode);
    qDebug() << "双面模式已更改为:" << mode;
}

void MainWindow::onScanSettingsClicked()
{
    ScanSettingsDialog dialog(searchMode, this);
    connect(&dialog, &ScanSettingsDialog::addEsclDeviceRequested, this, &MainWindow::onAddESCLDevice);
    connect(&dialog, &ScanSettingsDialog::removeEsclDeviceRequested, this, &MainWindow::onRemoveESCLDevice);
    if (dialog.exec() != QDialog::Accepted)
        return;

    const SearchMode previousMode = searchMode;
    searchMode = dialog.searchMode();
    QSettings store = AppSettings::openStore();
    AppSettings::searchMode.write(store, searchMode);
    const QString modeName = searchModeName(searchMode);
    statusBarWidget->showMessage(tr("扫描模式已更新：%1").arg(modeName), 5000);
    qDebug() << "扫描模式已更新:" << modeName;
    if (searchMode != previousMode)
        statusBarWidget->showMessage(
            tr("扫描模式已切换到：%1，请点击 [查找设备] 按钮重新搜索扫描仪").arg(modeName), 5000);
}

void MainWindow::onAddESCLDevice()
{
    EsclAddDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString url = dialog.url();
    if (url.isEmpty())
        return;
    if (!EsclRegistry::isAcceptableUrl(url)) {
        QMessageBox::warning(this, tr("无效的 URL"),
            tr("URL 必须以 http:// 或 https:// 开头\n\n示例: %1").arg(EsclAddDialog::exampleUrl()));
        return;
    }

    statusBarWidget->showMessage(tr("正在验证 eSCL 设备..."));
    startBusyProgress();
    QCoreApplication::processEvents();
    QSettings store = AppSettings::openStore();
    EsclRegistry registry(store);
    const EsclDeviceProbe::Result device = registry.verify(url, this);
    endProgress();

    if (!device.answered) {
        statusBarWidget->showMessage(tr("设备验证失败"), 5000);
        QMessageBox::warning(this, tr("无法连接"),
            tr("无法连接到 eSCL 设备: %1\n\n请检查:\n  • URL 是否正确\n  • 扫描仪是否开机\n  • "
               "网络连接是否正常\n  • 防火墙设置")
                .arg(url));
        return;
    }
    // Checked after the verification, against the list as it is now.
    if (registry.contains(url)) {
        statusBarWidget->showMessage(tr("此 eSCL 设备已经添加过了: %1").arg(url), 5000);
        return;
    }

    const QString displayName = registry.addDevice(url, device.modelName);
    scannerCombo->addItem(displayName);
    statusBarWidget->showMessage(tr("已添加 eSCL 设备: %1，现在可以选择此设备进行扫描").arg(displayName), 5000);
}

void MainWindow::onRemoveESCLDevice()
{
    QSettings store = AppSettings::openStore();
    EsclRegistry registry(store);
    if (registry.devices().isEmpty()) {
        statusBarWidget->showMessage(tr("当前没有已添加的 eSCL 设备"), 5000);
        return;
    }
    EsclRemoveDialog dialog(registry.removalChoices(), this);
    if (dialog.exec() != QDialog::Accepted || dialog.choice().isEmpty())
        return;
    const QString choice = dialog.choice();
    const EsclRegistry::Device device = registry.deviceForChoice(choice);
    if (device.url.isEmpty())
        return;

    const QMessageBox::StandardButton answer = QMessageBox::question(this, tr("确认删除"),
        tr("确定要删除此 eSCL 设备吗？\n\n设备: %1\nURL: %2\n\n删除后需要重新添加才能使用。")
            .arg(device.name, device.url),
        QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;

    registry.removeDevice(choice);
    statusBarWidget->showMessage(
        tr("已删除 eSCL 设备: %1").arg(device.name.isEmpty() ? device.url : device.name), 5000);
    qDebug() << "已删除 eSCL 设备:" << device.url;
}
