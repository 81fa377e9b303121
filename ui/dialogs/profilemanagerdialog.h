#pragma once

#include <QDialog>
#include <QString>

class QListWidget;
class QPushButton;
class ScanProfileStore;

// "管理方案": renames, duplicates, deletes, exports and imports the named scan
// profiles of the store it is given, each at once. The window reloads its list
// of profiles when the dialog closes; renamedFrom/renamedTo tell it when the
// profile it shows got a new name.
class ProfileManagerDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ProfileManagerDialog(ScanProfileStore &store, QWidget *parent = nullptr);

    QString currentName() const;
    void selectName(const QString &name);

    // Without dialogs, for the buttons and for tests; false with *errorText when
    // the store refuses.
    bool renameCurrent(const QString &to, QString *errorText);
    QString duplicateCurrent();
    bool removeCurrent();
    bool exportCurrent(const QString &path, QString *errorText);
    QString importFile(const QString &path, QString *errorText);

signals:
    void renamed(const QString &from, const QString &to);
    void removed(const QString &name);

private:
    void reload(const QString &select);
    void updateButtons();
    void askRename();
    void askRemove();
    void askExport();
    void askImport();

    ScanProfileStore &store;
    QListWidget *list;
    QPushButton *renameButton;
    QPushButton *duplicateButton;
    QPushButton *removeButton;
    QPushButton *exportButton;
};
