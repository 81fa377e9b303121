#include "ui/saveprogress.h"

#include "document/documentmanager.h"

SaveProgress::SaveProgress(DocumentManager *document, QWidget *parent)
    : document(document)
    , dialog(tr("正在保存..."), tr("取消"), 0, qMax(1, document->pageCount()), parent)
{
    dialog.setObjectName(QStringLiteral("saveProgressDialog"));
    dialog.setWindowTitle(tr("保存"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(1000);
    dialog.setAutoReset(false);
    dialog.setValue(0);
    document->setSaveProgress([this](int done, int count) {
        dialog.setMaximum(count);
        dialog.setLabelText(tr("正在保存第 %1 / %2 页...").arg(done).arg(count));
        // A window-modal dialog's setValue lets the event loop run.
        dialog.setValue(done);
        return !dialog.wasCanceled();
    });
}

SaveProgress::~SaveProgress()
{
    document->setSaveProgress({});
}
