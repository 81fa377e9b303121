#include "ui/dialogs/profilemanagerdialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/scanprofilestore.h"

ProfileManagerDialog::ProfileManagerDialog(ScanProfileStore &store, QWidget *parent)
    : QDialog(parent)
    , store(store)
{
    setObjectName(QStringLiteral("profileManagerDialog"));
    setWindowTitle(tr("管理扫描方案"));
    resize(420, 320);

    list = new QListWidget(this);
    list->setObjectName(QStringLiteral("profileList"));
    renameButton = new QPushButton(tr("重命名…"), this);
    duplicateButton = new QPushButton(tr("复制"), this);
    removeButton = new QPushButton(tr("删除"), this);
    exportButton = new QPushButton(tr("导出…"), this);
    auto *importButton = new QPushButton(tr("导入…"), this);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *button : { renameButton, duplicateButton, removeButton, exportButton, importButton })
        buttons->addWidget(button);
    buttons->addStretch();
    auto *row = new QHBoxLayout;
    row->addWidget(list, 1);
    row->addLayout(buttons);
    auto *close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(close);

    connect(close, &QDialogButtonBox::rejected, this, &QDialog::accept);
    connect(list, &QListWidget::currentRowChanged, this, &ProfileManagerDialog::updateButtons);
    connect(renameButton, &QPushButton::clicked, this, &ProfileManagerDialog::askRename);
    connect(duplicateButton, &QPushButton::clicked, this, &ProfileManagerDialog::duplicateCurrent);
    connect(removeButton, &QPushButton::clicked, this, &ProfileManagerDialog::askRemove);
    connect(exportButton, &QPushButton::clicked, this, &ProfileManagerDialog::askExport);
    connect(importButton, &QPushButton::clicked, this, &ProfileManagerDialog::askImport);
    reload(QString());
}

QString ProfileManagerDialog::currentName() const
{
    return list->currentItem() ? list->currentItem()->text() : QString();
}

void ProfileManagerDialog::selectName(const QString &name)
{
    const QList<QListWidgetItem *> found = list->findItems(name, Qt::MatchExactly);
    if (!found.isEmpty())
        list->setCurrentItem(found.first());
}

void ProfileManagerDialog::reload(const QString &select)
{
    list->clear();
    list->addItems(store.names());
    if (list->count() > 0)
        list->setCurrentRow(0);
    selectName(select);
    updateButtons();
}

void ProfileManagerDialog::updateButtons()
{
    const bool chosen = list->currentItem() != nullptr;
    for (QPushButton *button : { renameButton, duplicateButton, removeButton, exportButton })
        button->setEnabled(chosen);
}

bool ProfileManagerDialog::renameCurrent(const QString &to, QString *errorText)
{
    const QString from = currentName();
    if (!store.rename(from, to.trimmed(), errorText))
        return false;
    reload(to.trimmed());
    emit renamed(from, to.trimmed());
    return true;
}

QString ProfileManagerDialog::duplicateCurrent()
{
    const QString copy = store.duplicate(currentName());
    reload(copy);
    return copy;
}

bool ProfileManagerDialog::removeCurrent()
{
    const QString name = currentName();
    if (!store.remove(name))
        return false;
    reload(QString());
    emit removed(name);
    return true;
}

bool ProfileManagerDialog::exportCurrent(const QString &path, QString *errorText)
{
    return store.exportTo(currentName(), path, errorText);
}

QString ProfileManagerDialog::importFile(const QString &path, QString *errorText)
{
    const QString name = store.importFrom(path, errorText);
    if (!name.isEmpty())
        reload(name);
    return name;
}

void ProfileManagerDialog::askRename()
{
    bool ok = false;
    const QString to
        = QInputDialog::getText(this, tr("重命名方案"), tr("新名称:"), QLineEdit::Normal, currentName(), &ok);
    QString errorText;
    if (ok && !renameCurrent(to, &errorText))
        QMessageBox::warning(this, tr("重命名方案"), errorText);
}

void ProfileManagerDialog::askRemove()
{
    if (QMessageBox::question(this, tr("删除方案"), tr("确定删除方案“%1”吗？").arg(currentName())) == QMessageBox::Yes)
        removeCurrent();
}

void ProfileManagerDialog::askExport()
{
    const QString path = QFileDialog::getSaveFileName(
        this, tr("导出方案"), QDir::home().filePath(currentName() + QStringLiteral(".json")), tr("扫描方案 (*.json)"));
    QString errorText;
    if (!path.isEmpty() && !exportCurrent(path, &errorText))
        QMessageBox::warning(this, tr("导出方案"), errorText);
}

void ProfileManagerDialog::askImport()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("导入方案"), QDir::homePath(), tr("扫描方案 (*.json)"));
    QString errorText;
    if (!path.isEmpty() && importFile(path, &errorText).isEmpty())
        QMessageBox::warning(this, tr("导入方案"), tr("无法导入方案:\n%1").arg(errorText));
}
