#include "ui/dialogs/recognizedtextdialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

RecognizedTextDialog::RecognizedTextDialog(int pageNumber, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("recognizedTextDialog"));
    setWindowTitle(tr("识别文字 - 第%1页").arg(pageNumber));
    resize(560, 420);
    QVBoxLayout *layout = new QVBoxLayout(this);
    status = new QLabel(this);
    status->setObjectName(QStringLiteral("recognitionStatus"));
    status->setWordWrap(true);
    layout->addWidget(status);
    textView = new QPlainTextEdit(this);
    textView->setObjectName(QStringLiteral("recognizedText"));
    textView->setReadOnly(true);
    layout->addWidget(textView);
    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    copyButton = buttons->addButton(tr("复制全部"), QDialogButtonBox::ActionRole);
    copyButton->setObjectName(QStringLiteral("copyAllButton"));
    connect(copyButton, &QPushButton::clicked, this,
        [this] { QApplication::clipboard()->setText(textView->toPlainText()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    showWaiting();
}

void RecognizedTextDialog::showWaiting()
{
    status->setText(tr("正在识别文字…"));
    status->show();
    textView->clear();
    copyButton->setEnabled(false);
}

void RecognizedTextDialog::showText(const QString &text)
{
    status->setText(text.isEmpty() ? tr("此页面未识别出文字") : QString());
    status->setVisible(text.isEmpty());
    textView->setPlainText(text);
    copyButton->setEnabled(!text.isEmpty());
}

void RecognizedTextDialog::showFailure(const QString &message)
{
    status->setText(message);
    status->show();
    textView->clear();
    copyButton->setEnabled(false);
}

QString RecognizedTextDialog::text() const
{
    return textView->toPlainText();
}
