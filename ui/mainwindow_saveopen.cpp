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
#include "ui/savesummary.h"

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
    const QString start = existingStartFolder(info.absolutePath()) + QLatin1Char('/') + info.fileName();
    QString selectedFilter;
    const QString path = QFileDialog::getSaveFileName(this, title, start, filter, &selectedFilter);
    return withFilterSuffix(path, selectedFilter);
}

void MainWindow::onSaveCurrentImage()
{
    if (currentImage.isNull()) {
        QMessageBox::warning(this, tr("警告"), tr("没有可保存的图像"));
        return;
    }
    const QString ext = saveFormatCombo->currentData().toString();
    const QString path = askSaveFileName(
        tr("保存当前图像"), makeTimestampedFileName(ext), tr("%1文件 (*.%2);;所有文件 (*.*)").arg(ext.toUpper(), ext));
    if (path.isEmpty())
        return;
    // The dock's format decides what is written, whatever suffix the name has.
    if (!saveImageToFile(currentImage, path))
        return;
    QMessageBox::information(this, tr("保存成功"), tr("图像已成功保存到:\n%1").arg(path));
    statusBarWidget->showMessage(
        tr("已保存为 %1 格式到: %2").arg(saveFormatCombo->currentText(), QFileInfo(path).fileName()), 5000);
    if (autoSaveCheck->isChecked())
        updateAutoSaveCounter();
}

void MainWindow::onDocumentSaved(const QString &path)
{
    // An image series has no one file to measure; the document reports it per page.
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf") || suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        statusBarWidget->showMessage(SaveSummary::forFile(documentManager->pageCount(), path), 5000);
}

void MainWindow::onSaveDocument()
{
    if (documentManager->filePath().isEmpty())
        onSaveAsDocument();
    else
        documentManager->saveDocument(documentManager->filePath());
}

void MainWindow::onSaveAsDocument()
{
    if (documentManager->pageCount() > 1) {
        QMessageBox notice(QMessageBox::Information, tr("多页文档保存提示"),
            tr("您正在保存多页扫描文档，请选择合适的保存格式："), QMessageBox::Ok, this);
        notice.setInformativeText(tr("- PDF: 所有页面保存在一个PDF文件中\n- TIFF: 所有页面保存在一个TIFF文件中\n- "
                                     "JPG/PNG/BMP: 每页将保存为单独的图像文件，自动添加序号"));
        notice.exec();
    }
    const QString path = askSaveFileName(tr("保存文档"), makeTimestampedFileName(QStringLiteral("pdf")),
        tr("PDF文件 (*.pdf);;TIFF图像 (*.tiff);;PNG图像 (*.png);;JPEG图像 (*.jpg);;BMP图像 (*.bmp);;所有文件 (*.*)"));
    if (path.isEmpty())
        return;
    documentManager->saveDocument(path);
    updateWindowTitle();
}

void MainWindow::onSaveMultiPageDocument()
{
    if (documentManager->pageCount() < 2) {
        QMessageBox::information(this, tr("提示"), tr("当前文档只有一页，请使用普通保存功能"));
        return;
    }
    QMessageBox choice(
        QMessageBox::NoIcon, tr("多页保存选项"), tr("请选择多页保存方式："), QMessageBox::NoButton, this);
    QPushButton *pdf = choice.addButton(tr("保存为PDF"), QMessageBox::ActionRole);
    QPushButton *tiff = choice.addButton(tr("保存为多页TIFF"), QMessageBox::ActionRole);
    QPushButton *images = choice.addButton(tr("保存为多个图像文件"), QMessageBox::ActionRole);
    choice.addButton(QMessageBox::Cancel);
    choice.exec();

    QString filter;
    QString ext;
    if (choice.clickedButton() == pdf) {
        filter = tr("PDF文件 (*.pdf)");
        ext = QStringLiteral("pdf");
    } else if (choice.clickedButton() == tiff) {
        filter = tr("TIFF图像 (*.tiff)");
        ext = QStringLiteral("tiff");
    } else if (choice.clickedButton() == images) {
        filter = tr("JPEG图像 (*.jpg)");
        ext = QStringLiteral("jpg");
    } else {
        return;
    }
    const QString path = askSaveFileName(tr("保存多页文档"), makeTimestampedFileName(ext), filter);
    if (path.isEmpty())
        return;
    const bool saved
        = choice.clickedButton() == images ? documentManager->saveAsImages(path) : documentManager->saveDocument(path);
    updateWindowTitle();
    if (saved)
        QMessageBox::information(this, tr("保存成功"), tr("多页文档已成功保存"));
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
    documentManager->saveDocumentAs(path, format.toLower());
}

void MainWindow::onOpenDocument()
{
    if (!maybeSave())
        return;
    const QString path = QFileDialog::getOpenFileName(this, tr("打开文档"), existingStartFolder(documentsFolder()),
        tr("图像文件 (*.png *.jpg *.jpeg *.bmp *.tiff *.tif);;PDF文件 (*.pdf);;所有文件 (*.*)"));
    importFiles(QStringList { path }, -1, true);
}

void MainWindow::createFileActions()
{
    struct KeyAction
    {
        const char *name;
        QString text;
        QKeySequence key;
        void (MainWindow::*slot)();
    };
    const KeyAction actions[] = {
        { "openAction", tr("打开文档"), QKeySequence(QKeySequence::Open), &MainWindow::onOpenDocument },
        { "saveAsAction", tr("保存文档"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
            &MainWindow::onSaveAsDocument },
        { "exportAction", tr("导出文档"), QKeySequence(Qt::CTRL | Qt::Key_E), &MainWindow::onExportDocument },
    };
    for (const KeyAction &entry : actions) {
        QAction *action = new QAction(entry.text, this);
        action->setObjectName(QString::fromLatin1(entry.name));
        action->setShortcut(entry.key);
        // Held by the window itself, so the key works wherever the focus is in it.
        addAction(action);
        connect(action, &QAction::triggered, this, entry.slot);
    }
}
