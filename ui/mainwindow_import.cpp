// Bringing files in: opening and adding PDFs, multi-page files and pictures,
// and files dropped onto the page list or the page view.
#include "ui/mainwindow.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QImageReader>
#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QScrollArea>
#include <QStatusBar>

#include "document/documentmanager.h"
#include "ui/commands/documenthistory.h"
#include "ui/commands/insertpagescommand.h"
#include "document/pagefilereader.h"
#include "ui/dialogs/importprogressdialog.h"
#include "ui/filedrop.h"
#include "ui/imagescaler.h"
#include "ui/pagelistwidget.h"

namespace {

// One picture is read faster than a dialog would appear.
bool readsAtOnce(const QStringList &paths)
{
    return paths.size() == 1 && !PageFileReader::isPdf(paths.first()) && QImageReader(paths.first()).imageCount() <= 1;
}

QString fileNames(const QStringList &paths)
{
    QStringList names;
    for (const QString &path : paths)
        names.append(QFileInfo(path).fileName());
    return names.join(QStringLiteral(", "));
}

} // namespace

void MainWindow::connectImporter()
{
    PageImporter *importer = documentManager->importer();
    importer->setThumbnailer([](const QImage &page) { return ImageScaler::fitInto(page, QSize(100, 100)); });
    connect(importer, &PageImporter::progress, this, &MainWindow::onImportProgress);
    connect(importer, &PageImporter::passwordRequired, this, &MainWindow::onImportPasswordRequired);
    // Each added page would make its row current, and each current row loads
    // and shows its page: the list stays quiet until every page is in.
    // Added pages become one step once they are in, which undo takes back to
    // the saved document.
    connect(importer, &PageImporter::aboutToChangeDocument, this, [this]() {
        pageList->blockSignals(true);
        if (!importReplaces)
            history->expectStep();
    });
    connect(importer, &PageImporter::finished, this, &MainWindow::onImportFinished);

    auto *viewDrop = new FileDrop(this);
    scrollArea->viewport()->setAcceptDrops(true);
    scrollArea->viewport()->installEventFilter(viewDrop);
    connect(viewDrop, &FileDrop::filesDropped, this, [this](const QStringList &files) { onFilesDropped(files, -1); });
    connect(pageList, &PageListWidget::filesDropped, this, &MainWindow::onFilesDropped);
}

void MainWindow::importFiles(const QStringList &paths, int row, bool replace)
{
    PageImporter *importer = documentManager->importer();
    if (paths.isEmpty() || importer->isRunning())
        return;
    importPaths = paths;
    importReplaces = replace;
    importRow = row;
    if (readsAtOnce(paths)) {
        onImportFinished(replace ? importer->openNow(paths.first()) : importer->addNow(paths, row));
        return;
    }
    importProgress = new ImportProgressDialog(this);
    connect(importProgress, &QProgressDialog::canceled, importer, &PageImporter::cancel);
    importProgress->show();
    if (replace)
        importer->open(paths.first());
    else
        importer->add(paths, row);
}

void MainWindow::onImportProgress(int page, int pageCount, const QString &path)
{
    if (importProgress)
        importProgress->setPage(page, pageCount, QFileInfo(path).fileName());
}

void MainWindow::onImportPasswordRequired(const QString &path, bool wrongPassword)
{
    const QString title = tr("PDF密码 - %1").arg(QFileInfo(path).fileName());
    if (wrongPassword)
        QMessageBox::warning(this, title, tr("密码错误"));
    bool given = false;
    const QString password
        = QInputDialog::getText(this, title, tr("请输入PDF密码"), QLineEdit::Password, QString(), &given);
    documentManager->importer()->answerPassword(given ? password : QString());
}

void MainWindow::onImportFinished(const PageImporter::Report &report)
{
    pageList->blockSignals(false);
    if (importProgress) {
        importProgress->deleteLater();
        importProgress = nullptr;
    }
    const QString note = importNote;
    importNote.clear();
    if (report.cancelled) {
        statusBarWidget->showMessage(tr("导入已取消"), 3000);
        return;
    }
    reportImportProblems(report);
    if (!report.applied)
        return;
    documentManager->setCurrentPage(report.firstIndex);
    onCurrentPageChanged(documentManager->currentPageIndex());
    updateWindowTitle();
    if (importReplaces)
        return;
    QVector<PageId> added;
    for (int i = 0; i < report.pagesAdded; ++i)
        added.append(documentManager->pageId(report.firstIndex + i));
    pushCommand(new InsertPagesCommand(documentManager, added, tr("添加图片")));
    documentManager->setCurrentPage(report.firstIndex);

    QString message;
    if (importPaths.size() == 1 && report.pagesAdded == 1)
        message = (importRow < 0 ? tr("图片已添加: %1") : tr("图片已插入: %1"))
                      .arg(QFileInfo(importPaths.first()).fileName());
    else
        message = tr("已导入 %1 页").arg(report.pagesAdded);
    statusBarWidget->showMessage(note.isEmpty() ? message : tr("%1；%2").arg(message, note), 3000);
    // Added pictures are no scans: "扫描后自动保存" leaves them alone.
}

void MainWindow::reportImportProblems(const PageImporter::Report &report)
{
    if (!report.failures.isEmpty()) {
        if (importReplaces)
            showDocumentError(report.failures.join(QLatin1Char('\n')));
        else if (importPaths.size() == 1)
            QMessageBox::warning(
                this, tr("错误"), tr("无法加载图片文件: %1\n请检查文件格式是否支持。").arg(importPaths.first()));
        else
            QMessageBox::warning(this, tr("错误"), report.failures.join(QLatin1Char('\n')));
    }
    if (!report.refusals.isEmpty())
        QMessageBox::warning(this, tr("部分页面未导入"), report.refusals.join(QLatin1Char('\n')));
}

void MainWindow::onFilesDropped(const QStringList &files, int row)
{
    const QStringList pages = FileDrop::pageFiles(files);
    QStringList others;
    for (const QString &file : files) {
        if (!pages.contains(file))
            others.append(file);
    }
    const QString refused = others.isEmpty() ? QString() : tr("不是图片或PDF，未导入: %1").arg(fileNames(others));
    if (pages.isEmpty() || documentManager->importer()->isRunning()) {
        statusBarWidget->showMessage(refused.isEmpty() ? tr("正在导入，请稍候") : refused, 5000);
        return;
    }
    importNote = refused;
    importFiles(pages, row >= documentManager->pageCount() ? -1 : row, false);
}
