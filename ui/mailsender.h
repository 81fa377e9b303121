#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

// Hands the document to the desktop's mail program as a PDF attachment through
// xdg-email. The PDF goes into a folder of its own that stays until the application
// quits, since the mail program reads the attachment long after it was started.
// GUI thread.
class MailSender
{
    Q_DECLARE_TR_FUNCTIONS(MailSender)

public:
    // Writes the document as a PDF at path; false with a sentence in errorText.
    using PdfWriter = std::function<bool(const QString &path, QString *errorText)>;

    struct Result
    {
        bool started = false;
        QString attachment; // the PDF handed over, when started
        QString errorText; // for the user, when not started
    };

    // documentName becomes the attachment's file name ("<documentName>.pdf").
    static Result send(const QString &documentName, const PdfWriter &writePdf);
};
