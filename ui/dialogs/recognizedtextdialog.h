#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The "识别文字" dialog: the text recognised on one page, read only, with a button
// that copies all of it. Opens at once; the window hands it the text when the
// page has been read.
class RecognizedTextDialog : public QDialog
{
    Q_OBJECT

public:
    explicit RecognizedTextDialog(int pageNumber, QWidget *parent = nullptr);

    // While the page is being read.
    void showWaiting();
    void showText(const QString &text);
    void showFailure(const QString &message);
    QString text() const;

private:
    QLabel *status;
    QPlainTextEdit *textView;
    QPushButton *copyButton;
};
