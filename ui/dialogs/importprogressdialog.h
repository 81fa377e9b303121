#pragma once

#include <QProgressDialog>

// Shows how far an import has come, with its cancel button. Values in only:
// the window feeds it the importer's progress and listens to canceled().
class ImportProgressDialog : public QProgressDialog
{
    Q_OBJECT

public:
    explicit ImportProgressDialog(QWidget *parent = nullptr);

    // page counts from 1; fileName is the file being read.
    void setPage(int page, int pageCount, const QString &fileName);
};
