#include "ui/profileselector.h"

#include <QComboBox>
#include <QSignalBlocker>

#include "settings/scanprofilestore.h"

namespace {

// Item data of the two command entries; a profile's item carries its name.
const QString saveAsEntry = QStringLiteral("\x01save-as");
const QString manageEntry = QStringLiteral("\x01manage");

} // namespace

ProfileSelector::ProfileSelector(QComboBox *combo, ScanProfileStore &store, QObject *parent)
    : QObject(parent)
    , combo(combo)
    , store(store)
{
    combo->setObjectName(QStringLiteral("profileCombo"));
    combo->setToolTip(tr("选择扫描方案，扫描设置随之改变"));
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(combo, QOverload<int>::of(&QComboBox::activated), this, &ProfileSelector::onActivated);
    reload(QString());
}

void ProfileSelector::reload(const QString &name)
{
    const QSignalBlocker blocker(combo);
    combo->clear();
    combo->addItem(tr("默认"), QString());
    for (const QString &stored : store.names())
        combo->addItem(stored, stored);
    combo->insertSeparator(combo->count());
    combo->addItem(tr("保存为方案…"), saveAsEntry);
    combo->addItem(tr("管理方案…"), manageEntry);
    const std::optional<ScanProfile> profile = store.profile(name);
    m_name = profile ? name : QString();
    m_chosen = profile.value_or(ScanProfile());
    m_changed = false;
    showName();
}

void ProfileSelector::setShown(const ScanProfile &shown)
{
    const bool changed = !m_name.isEmpty() && shown != m_chosen;
    if (changed == m_changed)
        return;
    m_changed = changed;
    showName();
}

void ProfileSelector::showName()
{
    const QSignalBlocker blocker(combo);
    for (int i = 0; i < combo->count(); ++i) {
        const QString data = combo->itemData(i).toString();
        if (data == saveAsEntry || data == manageEntry || combo->itemText(i).isEmpty())
            continue;
        const QString plain = data.isEmpty() ? tr("默认") : data;
        combo->setItemText(i, data == m_name && m_changed ? tr("%1 *").arg(plain) : plain);
    }
    const int index = combo->findData(m_name);
    combo->setCurrentIndex(index >= 0 ? index : 0);
}

void ProfileSelector::onActivated(int index)
{
    const QString data = combo->itemData(index).toString();
    if (data == saveAsEntry || data == manageEntry) {
        showName();
        emit(data == saveAsEntry ? saveAsRequested() : manageRequested());
        return;
    }
    const std::optional<ScanProfile> profile = store.profile(data);
    m_name = profile ? data : QString();
    m_chosen = profile.value_or(ScanProfile());
    m_changed = false;
    showName();
    emit profileChosen(m_chosen);
}
