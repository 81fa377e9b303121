// Scan profiles in the tool bar and the dock, and stacks split into documents.
#include "ui/mainwindow.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include "batch/documentseparator.h"
#include "batch/documentsetwriter.h"
#include "document/documentmanager.h"
#include "settings/scanprofilestore.h"
#include "ui/commands/documenthistory.h"
#include "ui/dialogs/profilemanagerdialog.h"
#include "ui/profileselector.h"
#include "ui/scanprofilebinding.h"
#include "ui/scansettingspanel.h"

void MainWindow::createProfileSelector()
{
    profileSettings = new QSettings(QStringLiteral("Tovenko"), QStringLiteral("Quirra"), this);
    profileStore = std::make_unique<ScanProfileStore>(*profileSettings);
    auto *toolBar = findChild<QToolBar *>(QStringLiteral("mainToolBar"));
    auto *combo = new QComboBox(toolBar);
    profileSelector = new ProfileSelector(combo, *profileStore, this);
    auto *label = new QLabel(tr("扫描方案:"), toolBar);
    label->setContentsMargins(8, 0, 4, 0);
    // Right after the scan and save buttons: on a 1024-pixel screen the end of the
    // tool bar goes into its overflow menu, and the profile must stay in sight.
    QAction *before = nullptr;
    for (QAction *action : toolBar->actions()) {
        if (action->isSeparator()) {
            before = action;
            break;
        }
    }
    toolBar->insertSeparator(before);
    toolBar->insertWidget(before, label);
    toolBar->insertWidget(before, combo);
    connect(profileSelector, &ProfileSelector::profileChosen, this, &MainWindow::onProfileChosen);
    connect(profileSelector, &ProfileSelector::saveAsRequested, this, &MainWindow::onSaveProfileAs);
    connect(profileSelector, &ProfileSelector::manageRequested, this, &MainWindow::onManageProfiles);
    ScanProfileBinding::watch(*panel, this, [this]() { onDockChanged(); });
}

ScanProfile MainWindow::dockProfile() const
{
    return ScanProfileBinding::read(*panel, profileHiddenFields);
}

void MainWindow::onProfileChosen(const ScanProfile &profile)
{
    profileHiddenFields = profile;
    ScanProfileBinding::apply(*panel, profile);
    profileSelector->setShown(dockProfile());
}

void MainWindow::onDockChanged()
{
    profileSelector->setShown(dockProfile());
}

void MainWindow::onSaveProfileAs()
{
    bool ok = false;
    const QString name = QInputDialog::getText(
        this, tr("保存为方案"), tr("方案名称:"), QLineEdit::Normal, profileSelector->currentName(), &ok)
                             .trimmed();
    if (!ok || name.isEmpty())
        return;
    if (profileStore->contains(name)
        && QMessageBox::question(this, tr("保存为方案"), tr("已有名为“%1”的方案，要替换它吗？").arg(name))
            != QMessageBox::Yes)
        return;
    profileStore->save(name, dockProfile());
    profileSelector->reload(name);
    profileSelector->setShown(dockProfile());
    statusBarWidget->showMessage(tr("已保存扫描方案“%1”").arg(name), 3000);
}

void MainWindow::onManageProfiles()
{
    QString shown = profileSelector->currentName();
    ProfileManagerDialog dialog(*profileStore, this);
    dialog.selectName(shown);
    connect(&dialog, &ProfileManagerDialog::renamed, this, [&shown](const QString &from, const QString &to) {
        if (from == shown)
            shown = to;
    });
    dialog.exec();
    // A renamed profile stays chosen under its new name; a deleted one leaves 默认.
    const bool changed = profileSelector->isChanged();
    profileSelector->reload(shown);
    if (changed || !shown.isEmpty())
        profileSelector->setShown(dockProfile());
}

bool MainWindow::saveSplitDocuments(const QVector<int> &pages)
{
    const ScanProfile profile = dockProfile();
    QProgressDialog progress(tr("正在按规则分割文档..."), tr("取消"), 0, pages.size() + 1, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    history->setBusy(true);
    // Reading codes takes a moment a page; the dialog's cancel is looked at
    // between pages, and a cancelled run writes nothing.
    const QVector<DocumentSeparator::Document> documents
        = DocumentSeparator::split(DocumentSeparator::Rule::of(profile), pages.size(), [&](int i) {
              progress.setValue(i);
              return progress.wasCanceled() ? QImage() : documentManager->page(pages.at(i));
          });
    DocumentSetWriter::Result result;
    if (!progress.wasCanceled()) {
        QVector<DocumentSeparator::Document> parts = documents;
        for (DocumentSeparator::Document &part : parts) {
            for (quint64 &key : part.pages)
                key = static_cast<quint64>(pages.at(static_cast<int>(key)));
        }
        DocumentSetWriter::Options options;
        options.folder = profile.folder.isEmpty() ? AppSettings::documentsFolder() : profile.folder;
        options.pattern = profile.fileNamePattern;
        options.profileName = profileSelector->currentName();
        options.save = automaticSaveOptions();
        options.decoratorFor = [this](const QVector<int> &indices) {
            return textLayerFor(indices);
        };
        options.progress = [&progress](int, int, const QString &) {
            progress.setValue(progress.maximum() - 1);
        };
        result = DocumentSetWriter::write(
            [this](const QVector<int> &indices) { return documentManager->pageProvider(indices); }, parts, options);
    }
    history->setBusy(false);
    progress.reset();
    if (progress.wasCanceled()) {
        statusBarWidget->showMessage(tr("已取消分割文档"), 3000);
        return false;
    }
    if (!result.errorText.isEmpty()) {
        statusBarWidget->showMessage(tr("分割文档失败：%1").arg(result.errorText));
        return false;
    }
    const QString said = tr("已分割为 %1 个文件").arg(result.written.size());
    statusBarWidget->showMessage(said, 5000);
    showSavedNotice(said, result.written.value(0));
    return true;
}

void MainWindow::onSplitDocumentByRule()
{
    if (dockProfile().splitRule == SplitRule::None) {
        statusBarWidget->showMessage(tr("请先在“分割文档:”中选择分割规则"), 5000);
        return;
    }
    QVector<int> pages;
    for (int i = 0; i < documentManager->pageCount(); ++i)
        pages.append(i);
    if (!pages.isEmpty())
        saveSplitDocuments(pages);
}
