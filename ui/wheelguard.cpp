#include "ui/wheelguard.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

namespace {

const char *const guardedProperty = "quirraWheelGuarded";

bool isValueControl(const QWidget *widget)
{
    // Scroll bars are sliders too, but the wheel is what they are for.
    return qobject_cast<const QComboBox *>(widget) || qobject_cast<const QAbstractSpinBox *>(widget)
        || (qobject_cast<const QAbstractSlider *>(widget) && !qobject_cast<const QScrollBar *>(widget));
}

QScrollArea *enclosingScrollArea(QWidget *widget)
{
    for (QWidget *parent = widget->parentWidget(); parent; parent = parent->parentWidget()) {
        if (auto *area = qobject_cast<QScrollArea *>(parent))
            return area;
    }
    return nullptr;
}

} // namespace

void WheelGuard::install(QWidget *panel)
{
    if (!panel->findChild<WheelGuard *>(QString(), Qt::FindDirectChildrenOnly))
        new WheelGuard(panel);
}

WheelGuard::WheelGuard(QWidget *panel)
    : QObject(panel)
    , panel(panel)
{
    guardControls();
}

void WheelGuard::guardControls()
{
    rescanQueued = false;
    QList<QWidget *> widgets = panel->findChildren<QWidget *>();
    widgets.prepend(panel);
    for (QWidget *widget : qAsConst(widgets)) {
        if (widget->property(guardedProperty).toBool())
            continue;
        widget->setProperty(guardedProperty, true);
        // Every widget of the panel reports its new children, so controls the panel
        // builds later (a scanner's own options) are guarded too.
        widget->installEventFilter(this);
        if (isValueControl(widget) && widget->focusPolicy() == Qt::WheelFocus)
            widget->setFocusPolicy(Qt::StrongFocus);
    }
}

bool WheelGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ChildAdded && !rescanQueued) {
        // The new child is not built yet; look once its builder has returned.
        rescanQueued = true;
        QTimer::singleShot(0, this, &WheelGuard::guardControls);
        return false;
    }
    if (event->type() != QEvent::Wheel)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || !isValueControl(widget) || widget->hasFocus())
        return false;
    if (QScrollArea *area = enclosingScrollArea(widget)) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        QWheelEvent forwarded(area->viewport()->mapFromGlobal(wheel->globalPosition().toPoint()),
            wheel->globalPosition(), wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(), wheel->modifiers(),
            wheel->phase(), wheel->inverted(), wheel->source());
        QCoreApplication::sendEvent(area->viewport(), &forwarded);
    }
    return true;
}
