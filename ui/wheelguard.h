#pragma once

#include <QObject>

class QWidget;

// Keeps the wheel for scrolling in a panel that scrolls: over a combo box, spin box or
// slider that has no keyboard focus, the wheel scrolls the enclosing QScrollArea instead
// of changing the value. A click (or Tab) gives the control focus, and then the wheel
// is its own again. GUI thread.
class WheelGuard : public QObject
{
    Q_OBJECT

public:
    // Guards every such control in panel, now and when added later, for the panel's life.
    static void install(QWidget *panel);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WheelGuard(QWidget *panel);
    void guardControls();

    QWidget *panel;
    bool rescanQueued = false;
};
