#pragma once

#include <QObject>

class QAction;
class QMainWindow;
class QMenu;

// Every command of the window as an action with its text, icon, key and tip,
// placed in the menu bar and the tool bar. It only lays out: the window
// connects the actions to what they do and enables them.
class WindowActions : public QObject
{
    Q_OBJECT

public:
    // Creates the actions, the menu bar and the main tool bar of window.
    explicit WindowActions(QMainWindow *window);

    // File
    QAction *openDocument;
    QAction *addImages;
    QAction *save;
    QAction *saveMulti;
    QAction *saveAs;
    QAction *exportDocument;
    QAction *print;
    QAction *sendMail;
    QAction *quit;
    // Edit
    QAction *undo;
    QAction *redo;
    QAction *rotateLeft;
    QAction *rotateRight;
    QAction *crop;
    QAction *advanced;
    QAction *annotate;
    QAction *merge;
    QAction *splitLeftRight;
    QAction *splitTopBottom;
    QAction *moveUp;
    QAction *moveDown;
    QAction *deletePages;
    QAction *clearAll;
    // View
    QAction *zoomIn;
    QAction *zoomOut;
    QAction *fitToWindow;
    QAction *actualSize;
    QAction *previousPage;
    QAction *nextPage;
    QAction *firstPage;
    QAction *lastPage;
    QAction *layout;
    // Scan
    QAction *scan;
    QAction *delayScan;
    QAction *findDevices;
    QAction *scanSettings;
    // Help
    QAction *about;

    // The undo and redo entries named after the steps they take ("撤销 右旋转").
    void setUndoText(const QString &step);
    void setRedoText(const QString &step);

private:
    QAction *make(const char *name, const QString &text, const char *icon = nullptr, const QString &tip = QString());
    void fillMenus(QMainWindow *window);
    void fillToolBar(QMainWindow *window);

    QMainWindow *window;
};
