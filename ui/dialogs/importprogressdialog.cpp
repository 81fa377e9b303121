#include "ui/dialogs/importprogressdialog.h"

ImportProgressDialog::ImportProgressDialog(QWidget *parent)
    : QProgressDialog(parent)
{
    setObjectName(QStringLiteral("importProgressDialog"));
    setWindowTitle(tr("导入文件"));
    setCancelButtonText(tr("取消"));
    setLabelText(tr("正在打开文件..."));
    setRange(0, 0);
    setMinimumWidth(360);
    // The document must not change under an import that will insert at a
    // place chosen when it started.
    setWindowModality(Qt::WindowModal);
    // Shown at once: the first page of a large PDF alone can take a second.
    setMinimumDuration(0);
    setAutoClose(false);
    setAutoReset(false);
}

void ImportProgressDialog::setPage(int page, int pageCount, const QString &fileName)
{
    setLabelText(tr("正在导入第 %1/%2 页").arg(page).arg(pageCount) + QStringLiteral("\n") + fileName);
    setRange(0, pageCount);
    setValue(page - 1);
}
