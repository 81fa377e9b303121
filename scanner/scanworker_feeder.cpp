#include "scanner/scanworker.h"

#include <QDebug>

#include "scanner/frameassembler.h"
#include "scanner/saneapi.h"
#include "scanner/saneoptions.h"

namespace {

constexpr int pageLimit = 999;

} // namespace

// One sane_start per sheet until the feeder runs dry. The count reported at
// the end is the number of pages actually delivered: a sheet whose frame could
// not be read (or was cut off by a cancel) is not a page, so a run in which no
// frame could be read ends as a failure rather than as "n pages scanned".
void ScanWorker::runMultiPageScan()
{
    if (!device) {
        emit scanError(tr("设备未打开，无法执行多页扫描"));
        return;
    }
    qDebug() << "开始ADF多页扫描...";
    emit multiPageScanStarted();

    int done = 0;
    const auto normalEnd = [&] {
        qDebug() << "ADF多页扫描完成，总共扫描了" << done << "页";
        emit multiPageScanFinished(done);
    };
    const auto emptyFeederEnd = [&] {
        if (done > 0)
            normalEnd();
        else
            emit scanError(tr("ADF扫描失败，没有扫描到任何页面"));
    };
    const auto cancelEnd = [&] {
        qDebug() << "ADF扫描被用户取消，已扫描" << done << "页";
        emptyFeederEnd();
    };
    const auto limitEnd = [&] {
        qDebug() << "达到最大页数限制:" << pageLimit;
        emit scanError(tr("已达到最大页数限制 (%1 页)，扫描停止").arg(pageLimit));
        normalEnd();
    };

    if (isCancelRequested()) {
        cancelEnd();
        return;
    }

    for (int sheet = 1;; ++sheet) {
        int page = done + 1;
        emit currentPageScanning(page);
        emit scanProgress(0);
        const SANE_Status status = sane->start(device);
        if (status == SANE_STATUS_GOOD)
            acquisitionStarted = true;
        if (status == SANE_STATUS_NO_DOCS) {
            qDebug() << "ADF中没有更多文档，扫描完成。总共扫描了" << done << "页";
            if (isCancelRequested())
                cancelEnd();
            else
                emptyFeederEnd();
            return;
        }
        if (status != SANE_STATUS_GOOD) {
            qDebug() << "扫描第" << page << "页失败:" << statusText(status) << "连续错误次数:" << 1;
            if (sheet == 1) {
                emit scanError(tr("开始扫描失败: %1").arg(statusText(status)));
                return;
            }
            qDebug() << "扫描第" << page << "页失败，可能没有更多文档:" << statusText(status);
            if (isCancelRequested())
                cancelEnd();
            else
                normalEnd();
            return;
        }

        for (int frame = 1; !isCancelRequested(); ++frame) {
            if (frame > 1) {
                // A second frame of the same sheet is the back side: a page of its own.
                page = done + 1;
                emit currentPageScanning(page);
            }
            SANE_Parameters saneParameters;
            const SANE_Status parameterStatus = sane->getParameters(device, &saneParameters);
            if (parameterStatus != SANE_STATUS_GOOD) {
                qDebug() << "获取第" << page << "页第" << frame << "帧扫描参数失败:" << statusText(parameterStatus);
                break;
            }
            const FrameParameters parameters = SaneOptions::frameParameters(saneParameters);
            qDebug() << "扫描第" << page << "页第" << frame << "帧";
            qDebug() << "  格式: " << parameters.format;
            qDebug() << "  最后一帧: " << parameters.lastFrame;
            qDebug() << "  像素数/行: " << parameters.pixelsPerLine;
            qDebug() << "  行数: " << parameters.lines;

            const QImage image = readScanData(parameters);
            if (image.isNull() || isCancelRequested()) {
                qDebug() << "第" << page << "页第" << frame << "帧扫描失败或被取消";
                break;
            }
            qDebug() << "成功扫描第" << page << "页第" << frame << "帧";
            emit scanComplete(image);
            done = page;
            if (parameters.lastFrame) {
                qDebug() << "第" << page << "页扫描完成，共" << frame << "帧";
                break;
            }
            qDebug() << "准备读取第" << page << "页的下一帧...";
        }

        emit scanProgress(100);
        if (isCancelRequested()) {
            cancelEnd();
            return;
        }
        // Sheets are counted too: a backend that keeps starting but never
        // delivers a readable frame must not keep the feeder loop going forever.
        if (done >= pageLimit || sheet >= pageLimit) {
            limitEnd();
            return;
        }
    }
}
