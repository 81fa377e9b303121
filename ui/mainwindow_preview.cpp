// The preview of the glass with its selection, the scan area a scan takes,
// and several originals on one page made pages of their own.
#include "ui/mainwindow.h"

#include <QComboBox>
#include <QDebug>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QStatusBar>

#include "document/documentmanager.h"
#include "escl/esclcapabilities.h"
#include "imaging/originalsdetector.h"
#include "imaging/paperdetector.h"
#include "scanner/optionvocabulary.h"
#include "scanner/scannercontroller.h"
#include "settings/appsettings.h"
#include "settings/scanareamemory.h"
#include "ui/commands/insertpagescommand.h"
#include "ui/croppableimagewidget.h"
#include "ui/esclpreview.h"
#include "ui/esclscanmapping.h"
#include "ui/pagelistwidget.h"
#include "ui/scanareaselector.h"
#include "ui/scansession.h"
#include "ui/scansettingspanel.h"

namespace {

// Millimetres of the glass an image covers, from the resolution it carries.
QSizeF millimetresOf(const QImage &image)
{
    const double dotsPerMm = image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() / 1000.0 : 75 / 25.4;
    return QSizeF(image.width() / dotsPerMm, image.height() / dotsPerMm);
}

} // namespace

ScanArea MainWindow::currentScanArea() const
{
    if (areaSelector && areaSelector->hasSelection())
        return ScanArea::custom(areaSelector->selection());
    return ScanArea::named(pageSizeCombo->currentText());
}

void MainWindow::applyEsclArea(ESCLScanSettings *settings) const
{
    const ScanArea area = currentScanArea();
    // Without the scanner's capabilities the whole bed stays the A4 page it always was.
    if (area.isDeviceDefault() || area.kind == ScanArea::Kind::WholeBed)
        return;
    // A preview of this scanner told its platen; the region is clipped to it.
    const bool known = esclPreview && esclScanner && esclPreview->url() == esclScanner->url()
        && esclPreview->hasCapabilities() && settings->inputSource == 0;
    bool clipped = false;
    const QRect region = EsclCapabilities::region(
        area.millimetres, known ? esclPreview->capabilities().platen : EsclCapabilities::Input(), &clipped);
    if (clipped)
        statusBarWidget->showMessage(tr("选区超出了扫描仪的稿台，已裁到稿台范围"), 5000);
    settings->xOffset = region.x();
    settings->yOffset = region.y();
    settings->width = region.width();
    settings->height = region.height();
}

ScanAreaSelector *MainWindow::scanAreaSelector()
{
    if (areaSelector)
        return areaSelector;
    areaSelector = new ScanAreaSelector(this);
    areaSelector->setObjectName(QStringLiteral("scanAreaSelector"));
    areaSelector->hide();
    connect(areaSelector, &ScanAreaSelector::selectionChanged, this, [this](const QRectF &selection) {
        panel->showCustomArea(!selection.isEmpty());
        QSettings store = AppSettings::openStore();
        ScanAreaMemory(store).remember(
            scannerCombo->currentText(), paperSourceCombo->currentData().toString(), selection);
    });
    return areaSelector;
}

void MainWindow::recallScanArea()
{
    const bool feeder = OptionVocabulary::isFeederTarget(paperSourceCombo->currentData().toString());
    panel->previewButton->setEnabled(!feeder);
    QSettings store = AppSettings::openStore();
    const QRectF kept = feeder
        ? QRectF()
        : ScanAreaMemory(store).recall(scannerCombo->currentText(), paperSourceCombo->currentData().toString());
    if (!kept.isEmpty() || areaSelector)
        scanAreaSelector()->setSelection(kept);
    if (feeder)
        showPreviewInView(false);
}

void MainWindow::startEsclPreview(const QString &url)
{
    if (esclPreview && esclPreview->client()) {
        // A second click stops the preview; the last one stays as it was.
        esclPreview->cancel();
        endProgress();
        statusBarWidget->showMessage(tr("已取消预览"), 3000);
        return;
    }
    if (!esclPreview || esclPreview->url() != url) {
        delete esclPreview;
        esclPreview = new EsclPreview(url, this);
        connect(esclPreview, &EsclPreview::finished, this, &MainWindow::onPreviewComplete);
        connect(esclPreview, &EsclPreview::failed, this, [this](const QString &error) {
            endProgress();
            statusBarWidget->showMessage(tr("预览失败: %1").arg(error), 5000);
        });
    }
    esclPreview->start(
        EsclScanMapping(colorModeCombo->currentData().toString(), paperSourceCombo->currentData().toString())
            .colorMode);
    statusBarWidget->showMessage(tr("正在预览...（再次点击“预览”可取消）"));
    startBusyProgress();
}

void MainWindow::onPreviewComplete(const QImage &preview)
{
    session()->stopScanning();
    syncScanState();
    endProgress();
    scanAreaSelector();
    const QSizeF bed = millimetresOf(preview);
    areaSelector->setPreview(preview, bed);
    // The sheet found on the glass is offered as the selection.
    const QRect sheet = PaperDetector::findSheet(preview);
    if (!sheet.isNull()) {
        const double mmPerPixel = bed.width() / preview.width();
        areaSelector->proposeSelection(
            QRectF(QPointF(sheet.topLeft()) * mmPerPixel, QSizeF(sheet.size()) * mmPerPixel));
    }
    showPreviewInView(true);
    statusBarWidget->showMessage(tr("预览完成：拖动选择要扫描的区域，然后点击“扫描”"), 5000);
}

void MainWindow::showPreviewInView(bool preview)
{
    // One view: the scroll area shows either the page or the glass.
    if (!areaSelector || (scrollArea->widget() == areaSelector) == preview)
        return;
    // The scroll area lets go of the widget it gives back; the window keeps it.
    QWidget *shown = scrollArea->takeWidget();
    shown->setParent(this);
    shown->hide();
    scrollArea->setWidget(preview ? static_cast<QWidget *>(areaSelector) : static_cast<QWidget *>(imageWidget));
    scrollArea->widget()->show();
}

void MainWindow::onClearSelectionClicked()
{
    if (areaSelector)
        areaSelector->clearSelection();
    panel->showCustomArea(false);
    statusBarWidget->showMessage(tr("已清除选区，按页面大小扫描"), 3000);
}

void MainWindow::onSplitOriginalsClicked()
{
    splitOriginals(pageList->currentRow(), true);
}

void MainWindow::splitOriginals(int row, bool sayWhenNone)
{
    if (row < 0)
        return;
    const QImage source = documentManager->page(row);
    const PageId page = documentManager->pageId(row);
    statusBarWidget->showMessage(tr("正在查找多张原稿..."));
    const OriginalsDetector::Result found = OriginalsDetector::detect(source);
    QString skipped;
    if (found.tooSmall > 0 || found.touching > 0)
        skipped = tr("（%1 处过小、%2 处相互接触的原稿未拆分）").arg(found.tooSmall).arg(found.touching);
    if (found.originals.size() < 2) {
        if (sayWhenNone)
            statusBarWidget->showMessage(tr("此页上没有找到多张原稿，页面保持不变%1").arg(skipped), 5000);
        return;
    }
    QVector<QImage> parts;
    for (const OriginalsDetector::Original &original : found.originals)
        parts << original.image;
    // The page may have moved while the search ran; the originals follow it.
    const int at = documentManager->indexOf(page);
    if (at < 0)
        return;
    pushCommand(new InsertPagesCommand(documentManager, at + 1, parts, tr("拆分多张原稿")));
    statusBarWidget->showMessage(tr("已拆分出 %1 张原稿%2").arg(parts.size()).arg(skipped), 5000);
}
