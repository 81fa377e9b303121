#pragma once

#include <QRect>
#include <QString>

class QSettings;
class QWidget;

// Keeps dialogs on the screen: a size that fits the available area of the dialog's
// screen, centred on its parent, and the size the user gave it, kept in the settings
// store under "dialogs/<key>". GUI thread.
class DialogGeometry
{
public:
    // Room kept for the window manager's frame around a dialog not shown yet.
    static constexpr int frameWidth = 16;
    static constexpr int frameHeight = 48;

    // Shrinks dialog to the available geometry of its parent's screen (its own without a
    // parent) and centres it on its parent.
    static void fitToScreen(QWidget *dialog);
    // The same within the given area.
    static void fitInto(QWidget *dialog, const QRect &available);

    // Gives dialog the size remembered under key, if any, then fits it to the screen.
    static void restore(QWidget *dialog, QSettings &settings, const QString &key);
    // Writes dialog's size under key each time it hides (closed, accepted or rejected),
    // into the same store as settings (which may go before the dialog does).
    static void remember(QWidget *dialog, QSettings &settings, const QString &key);
};
