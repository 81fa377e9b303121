#pragma once

#include <QDialogButtonBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

class QWidget;

// Answers modal boxes that a test provokes: a timer looks for
// QApplication::activeModalWidget() and answers it. Each queued answer handles
// one modal widget, in order; the texts of the boxes seen are kept for asserts.
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(QWidget *modal)>;

    explicit ModalAnswerer(QObject *parent = nullptr);
    ~ModalAnswerer() override;

    // Press the message-box or button-box button of this standard role.
    void answer(QDialogButtonBox::StandardButton button);
    // Let a handler deal with the next modal widget (fill a line edit, …).
    void handle(Handler handler);

    // Types the path into a QFileDialog and accepts it, and again a little later
    // while the dialog is still open (it may have been busy listing its folder).
    static void acceptFileDialog(QWidget *modal, const QString &path);

    int pending() const { return answers.size(); }
    // Title and text of each answered box, "title|text".
    QStringList seen() const { return seenTexts; }

private:
    void poll();

    QTimer timer;
    QList<Handler> answers;
    QStringList seenTexts;
    QPointer<QWidget> lastAnswered;
};
