#pragma once

#include <QInputDialog>
#include <QString>

// Asks for the address of a network scanner to register, with examples of
// the forms eSCL scanners answer on. Reports the typed URL only; checking and
// registering it is the window's business.
class EsclAddDialog : public QInputDialog
{
    Q_OBJECT

public:
    explicit EsclAddDialog(QWidget *parent = nullptr);

    // The typed text without surrounding blanks; a URL has none.
    QString url() const;

    static QString exampleUrl();
    static QString plainHttpExampleUrl();
};
