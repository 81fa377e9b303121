#pragma once

#include <QObject>
#include <QString>

#include "settings/scanprofile.h"

class QComboBox;
class ScanProfileStore;

// The tool bar's "扫描方案:" list: "默认", the stored profiles, then "保存为方案…"
// and "管理方案…". Choosing a profile hands it out to be shown in the dock; a
// dock that no longer shows the chosen profile marks it changed ("发票 *")
// until it is saved or chosen again.
//
// GUI thread only.
class ProfileSelector : public QObject
{
    Q_OBJECT

public:
    ProfileSelector(QComboBox *combo, ScanProfileStore &store, QObject *parent = nullptr);

    // Refills the list from the store and shows name ("" for 默认) as unchanged;
    // setShown() then tells whether the dock still shows it.
    void reload(const QString &name);
    // The profile chosen; empty for 默认.
    QString currentName() const { return m_name; }
    bool isChanged() const { return m_changed; }
    // What the dock shows now; compared with the chosen profile.
    void setShown(const ScanProfile &shown);

signals:
    void profileChosen(const ScanProfile &profile);
    void saveAsRequested();
    void manageRequested();

private:
    void onActivated(int index);
    void showName();

    QComboBox *combo;
    ScanProfileStore &store;
    QString m_name;
    ScanProfile m_chosen;
    bool m_changed = false;
};
