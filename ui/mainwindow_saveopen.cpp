// Save, export and open commands.
#include "ui/mainwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStatusBar>

#include "document/documentmanager.h"
#include "ui/dialogs/sizelimitquestion.h"
#include "ui/folderpaths.h"
#include "ui/savednotice.h"
#include "ui/saveprogress.h"
#include "ui/savesummary.h"
#include "ui/savetarget.h"
#include "ui/scansettingspanel.h"

namespace {

QString documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

// A name typed without any suffix gets the one of the chosen filter: the document
// picks its format by suffix and would refuse a bare name.
QString withFilterSuffix(const QString &path, const QString &selectedFilter)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    const QRegularExpressionMatch match = pattern.match(selectedFilter);
    return match.hasMatch() ? path + QLatin1Char('.') + match.captured(1) : path;
}

} // namespace

QString MainWindow::askSaveFileName(const QString &title, const QString &proposed, const QString &filter)
{
    const QFileInfo info(proposed);
    const QString start = FolderPaths::existingStartFolder(info.absolutePath()) + QLatin1Char('/') + info.fileName();
    QString selectedFilter;
    const QString path = QFileDialog::getSaveFileName(this, title, start, filter, &selectedFilter);
    return withFilterSuffix(path, selectedFilter);
}

void MainWindow::onSaveCurrentImage()
{
    if (currentImage.isNull()) {
        statusBarWidget->showMessage(tr("没有可保存的图像"), 3000);
        return;
    }
    const QString ext = saveFormatCombo->currentData().toString();
    const QString typed = askSaveFileName(
        tr("保存当前图像"), makeTimestampedFileName(ext), tr("%1文件 (*.%2);;所有文件 (*.*)").arg(ext.toUpper(), ext));
    if (typed.isEmpty())
        return;
    // The content matches the name: its own format when it names one, else the dock's.
    const SaveTarget target(typed, ext);
    const QString &path = target.path;
    if (!saveImageToFile(currentImage, path, ImageFileWriter::PageDecorator(), target.format)) {
        QMessageBox::warning(this, tr("保存失败"), tr("无法保存图像到: %1").arg(path));
        return;
    }
    showSavedNotice(tr("图像已保存到 %1").arg(path), path);
    statusBarWidget->showMessage(
        tr("已保存为 %1 格式到: %2").arg(target.format.toUpper(), QFileInfo(path).fileName()), 5000);
    if (autoSaveCheck->isChecked())
        updateAutoSaveCounter();
}

void MainWindow::onDocumentSaved(const QString &path)
{
    // An image series has no one file to measure; the document reports it per page.
    const QString suffix = QFileInfo(path).suffix().toLower();
    const ImageFileWriter::PdfReport report = documentManager->lastPdfReport();
    const int pages = documentManager->pageCount();
    if (suffix == QLatin1String("pdf") && report.paths.size() > 1)
        statusBarWidget->showMessage(
            tr("%1，分为 %2 个文件").arg(SaveSummary::text(pages, report.bytes)).arg(report.paths.size()), 5000);
    else if (suffix == QLatin1String("pdf") || suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        statusBarWidget->showMessage(SaveSummary::forFile(pages, path), 5000);
}

bool MainWindow::saveDocumentTo(const QString &path)
{
    const auto save = [this, &path]() {
        const SaveProgress progress(documentManager, this);
        if (documentManager->saveDocument(path))
            return true;
        if (documentManager->lastSaveCancelled())
            statusBarWidget->showMessage(tr("已取消保存，没有写入文件"), 5000);
        return false;
    };
    if (save())
        return true;
    const ImageFileWriter::PdfReport refused = documentManager->lastPdfReport();
    if (!refused.overLimit)
        return false;
    SaveOptions options = documentManager->saveOptions();
    options.overLimit
        = SizeLimitQuestion::ask(this, refused.smallestBytes, options.sizeLimit, documentManager->pageCount() > 1);
    if (options.overLimit == SaveOptions::OverLimit::Refuse) {
        statusBarWidget->showMessage(tr("未保存：文件超过大小上限"), 5000);
        return false;
    }
    // The answer holds for this save only; the next one asks again.
    documentManager->setSaveOptions(options);
    const bool saved = save();
    documentManager->setSaveOptions(panel->saveOptions());
    return saved;
}

void MainWindow::onSaveDocument()
{
    if (documentManager->filePath().isEmpty())
        onSaveAsDocument();
    else
        saveDocumentTo(documentManager->filePath());
}

void MainWindow::onSaveAsDocument()
{
    const QString path = askSaveFileName(tr("保存文档"), makeTimestampedFileName(QStringLiteral("pdf")),
        tr("PDF文件 (*.pdf);;TIFF图像 (*.tiff);;PNG图像 (*.png);;JPEG图像 (*.jpg);;BMP图像 (*.bmp);;所有文件 (*.*)"));
    if (path.isEmpty())
        return;
    saveDocumentTo(path);
    updateWindowTitle();
}

void MainWindow::onSaveMultiPageDocument()
{
    if (documentManager->pageCount() == 0) {
        statusBarWidget->showMessage(tr("没有可保存的页面"), 3000);
        return;
    }
    // The dock already says which format the document is saved in.
    const QString ext = saveFormatCombo->currentData().toString();
    const QString path = askSaveFileName(
        tr("保存多页文档"), makeTimestampedFileName(ext), tr("%1文件 (*.%2)").arg(saveFormatCombo->currentText(), ext));
    if (path.isEmpty())
        return;
    const bool series = ext != QLatin1String("pdf") && ext != QLatin1String("tiff");
    const bool saved = series ? documentManager->saveAsImages(path) : saveDocumentTo(path);
    updateWindowTitle();
    if (saved)
        showSavedNotice(
            tr("已保存 %1 页到 %2").arg(documentManager->pageCount()).arg(QFileInfo(path).fileName()), path);
}

void MainWindow::onExportDocument()
{
    bool chosen = false;
    const QString format = QInputDialog::getItem(this, tr("导出格式"), tr("选择导出格式:"),
        { QStringLiteral("PDF"), QStringLiteral("PNG"), QStringLiteral("JPEG"), QStringLiteral("BMP"),
            QStringLiteral("TIFF") },
        0, false, &chosen);
    if (!chosen)
        return;
    const QString path = askSaveFileName(
        tr("导出文档"), documentsFolder() + QLatin1Char('/') + documentManager->title(), tr("所有文件 (*.*)"));
    if (path.isEmpty())
        return;
    // A name without ".jpeg" gets it appended, even one ending in ".jpg".
    const QString ending = QLatin1Char('.') + format.toLower();
    saveDocumentTo(path.endsWith(ending, Qt::CaseInsensitive) ? path : path + ending);
}

void MainWindow::onOpenDocument()
{
    if (!maybeSave())
        return;
    const QString path = QFileDialog::getOpenFileName(this, tr("打开文档"),
        FolderPaths::existingStartFolder(documentsFolder()),
        tr("所有支持的文件 (*.png *.jpg *.jpeg *.bmp *.tiff *.tif *.pdf);;图像文件 (*.png *.jpg *.jpeg *.bmp *.tiff "
           "*.tif);;PDF文件 (*.pdf);;所有文件 (*.*)"));
    if (!path.isEmpty())
        importFiles(QStringList { path }, -1, true);
}

void MainWindow::showSavedNotice(const QString &text, const QString &path)
{
    const QFileInfo saved(path);
    savedNotice->show(text, saved.isDir() ? saved.absoluteFilePath() : saved.absolutePath());
}
