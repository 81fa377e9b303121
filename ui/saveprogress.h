#pragma once

#include <QCoreApplication>
#include <QProgressDialog>

class DocumentManager;
class QWidget;

// The progress of one document save, for as long as this object lives: a
// window-modal dialog that appears when the save takes longer than a second,
// counts the pages written, and stops the save between two pages when its
// button is pressed. The window is redrawn meanwhile, never frozen.
class SaveProgress
{
    Q_DECLARE_TR_FUNCTIONS(SaveProgress)

public:
    SaveProgress(DocumentManager *document, QWidget *parent);
    ~SaveProgress();
    SaveProgress(const SaveProgress &) = delete;
    SaveProgress &operator=(const SaveProgress &) = delete;

private:
    DocumentManager *document;
    QProgressDialog dialog;
};
