#pragma once

#include <QInputDialog>
#include <QString>
#include <QStringList>

// Lets the user pick one registered eSCL device to remove, from the texts
// the registry offers for them. Reports the chosen text only.
class EsclRemoveDialog : public QInputDialog
{
    Q_OBJECT

public:
    explicit EsclRemoveDialog(const QStringList &choices, QWidget *parent = nullptr);

    QString choice() const;
};
