#include "tests/support/modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

ModalAnswerer::ModalAnswerer(QObject *parent)
    : QObject(parent)
{
    timer.setInterval(20);
    connect(&timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    timer.start();
}

ModalAnswerer::~ModalAnswerer() = default;

void ModalAnswerer::answer(QDialogButtonBox::StandardButton button)
{
    handle([button](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            if (QAbstractButton *b = box->button(static_cast<QMessageBox::StandardButton>(button))) {
                b->click();
                return;
            }
        }
        for (QDialogButtonBox *buttons : modal->findChildren<QDialogButtonBox *>()) {
            if (QAbstractButton *b = buttons->button(button)) {
                b->click();
                return;
            }
        }
        if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            if (button == QDialogButtonBox::Ok || button == QDialogButtonBox::Yes || button == QDialogButtonBox::Save)
                dialog->accept();
            else
                dialog->reject();
        }
    });
}

void ModalAnswerer::handle(Handler handler)
{
    answers << std::move(handler);
}

void ModalAnswerer::acceptFileDialog(QWidget *modal, const QString &path)
{
    auto *dialog = qobject_cast<QFileDialog *>(modal);
    if (!dialog)
        return;
    auto attempt = [dialog, path]() {
        if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
            edit->setText(path);
        QMetaObject::invokeMethod(dialog, "accept");
    };
    attempt();
    auto *retry = new QTimer(dialog);
    retry->setInterval(100);
    QObject::connect(retry, &QTimer::timeout, dialog, [dialog, attempt]() {
        if (dialog->isVisible())
            attempt();
    });
    retry->start();
}

void ModalAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    // A progress dialog asks nothing; a test that wants to cancel one does so itself.
    if (!modal || answers.isEmpty() || modal == lastAnswered || qobject_cast<QProgressDialog *>(modal))
        return;
    lastAnswered = modal;
    QString text;
    if (auto *box = qobject_cast<QMessageBox *>(modal))
        text = box->text();
    seenTexts << modal->windowTitle() + QLatin1Char('|') + text;
    Handler handler = answers.takeFirst();
    handler(modal);
}
