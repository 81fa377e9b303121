#pragma once

#include <QCoreApplication>
#include <QString>

class DocumentManager;
class QWidget;
class RecoverableFolder;

// Offers the pages of a crashed session back after start-up: one question per
// folder left behind, newest first. "恢复" makes the pages the document, "删除"
// removes the folder, "以后再说" keeps it for the next start.
class RecoveryOffer
{
    Q_DECLARE_TR_FUNCTIONS(RecoveryOffer)

public:
    enum Choice { Recover, Discard, Later };

    // Once pages have been recovered the document holds them; further folders
    // wait for the next start rather than replace them.
    static void run(QWidget *window, DocumentManager *document, const QString &root);
    static Choice ask(QWidget *parent, const RecoverableFolder &folder);
};
