#pragma once

#include <QObject>
#include <QStringList>

class QMimeData;

// Files dragged in from a file manager: which of them Quirra can bring in as
// pages. Installed on a widget, it accepts such drags and reports the drop.
class FileDrop : public QObject
{
    Q_OBJECT

public:
    explicit FileDrop(QObject *parent = nullptr);

    // The local files of a drag, in the order given.
    static QStringList localFiles(const QMimeData *data);
    // Those files Quirra reads as pages (images and PDFs, by suffix).
    static QStringList pageFiles(const QStringList &files);

signals:
    void filesDropped(const QStringList &files);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
