#include "ui/dialoggeometry.h"

#include <QEvent>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace {

QString settingsKey(const QString &key)
{
    return QStringLiteral("dialogs/") + key;
}

// Writes the dialog's size when it hides; opens the store afresh each time since the
// caller's QSettings object may be long gone by then.
class SizeKeeper : public QObject
{
public:
    SizeKeeper(QWidget *dialog, const QSettings &settings, const QString &key)
        : QObject(dialog)
        , fileName(settings.fileName())
        , format(settings.format())
        , key(settingsKey(key))
    {
        dialog->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *dialog = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Hide && dialog && !dialog->isMaximized() && !dialog->isFullScreen()) {
            QSettings store(fileName, format);
            store.setValue(key, dialog->size());
        }
        return false;
    }

private:
    QString fileName;
    QSettings::Format format;
    QString key;
};

} // namespace

void DialogGeometry::fitToScreen(QWidget *dialog)
{
    const QWidget *anchor = dialog->parentWidget() ? dialog->parentWidget()->window() : dialog;
    if (QScreen *screen = anchor->screen())
        fitInto(dialog, screen->availableGeometry());
}

void DialogGeometry::fitInto(QWidget *dialog, const QRect &available)
{
    // A dialog that has been shown knows its frame; before that the frame is a guess.
    QSize frame(frameWidth, frameHeight);
    if (dialog->isVisible() && dialog->frameGeometry().size() != dialog->size())
        frame = dialog->frameGeometry().size() - dialog->size();
    const QSize room = available.size() - frame;
    // A dialog nobody sized yet would take its size hint when shown.
    const bool sized = dialog->testAttribute(Qt::WA_Resized) || dialog->isVisible();
    const QSize wanted = sized ? dialog->size() : dialog->sizeHint();
    const QSize size = wanted.boundedTo(room).expandedTo(dialog->minimumSize());
    if (sized || size != wanted)
        dialog->resize(size);

    const QWidget *parent = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    const QPoint centre = parent && parent->isVisible() ? parent->frameGeometry().center() : available.center();
    const QSize outer = size + frame;
    QRect placed(QPoint(), outer);
    placed.moveCenter(centre);
    const QPoint last(std::max(available.left(), available.right() + 1 - outer.width()),
        std::max(available.top(), available.bottom() + 1 - outer.height()));
    dialog->move(
        std::clamp(placed.left(), available.left(), last.x()), std::clamp(placed.top(), available.top(), last.y()));
}

void DialogGeometry::restore(QWidget *dialog, QSettings &settings, const QString &key)
{
    const QSize remembered = settings.value(settingsKey(key)).toSize();
    if (remembered.isValid())
        dialog->resize(remembered);
    fitToScreen(dialog);
}

void DialogGeometry::remember(QWidget *dialog, QSettings &settings, const QString &key)
{
    new SizeKeeper(dialog, settings, key);
}
