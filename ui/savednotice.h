#pragma once

#include <QFrame>
#include <QString>

#include <functional>

class QLabel;
class QTimer;
class QToolButton;

// The slim bar above the page view that says where a file was saved, with a button
// that opens its folder. It never takes focus, blocks nothing and hides by itself after
// a while (not while the pointer rests on it). GUI thread.
class SavedNotice : public QFrame
{
    Q_OBJECT

public:
    using FolderOpener = std::function<void(const QString &folder)>;

    explicit SavedNotice(QWidget *parent = nullptr);

    using QFrame::show;
    // Shows text; "打开文件夹" opens folder (hidden when folder is empty).
    void show(const QString &text, const QString &folder);
    QString text() const;

    // Tests replace the desktop's file manager.
    void setFolderOpener(FolderOpener opener);
    void setTimeout(int milliseconds);

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QLabel *iconLabel = nullptr;
    QLabel *textLabel = nullptr;
    QToolButton *openButton = nullptr;
    QToolButton *closeButton = nullptr;
    QTimer *hideTimer = nullptr;
    QString folder;
    FolderOpener opener;
};
