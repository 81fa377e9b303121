#include "ui/mailsender.h"

#include <QDir>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {

// Owns the attachment folders; a child of the application, so they go when it does.
class AttachmentFolders : public QObject
{
public:
    using QObject::QObject;

    static QTemporaryDir *create()
    {
        static QPointer<AttachmentFolders> instance;
        if (!instance)
            instance = new AttachmentFolders(QCoreApplication::instance());
        instance->folders.push_back(
            std::make_unique<QTemporaryDir>(QDir::temp().filePath(QStringLiteral("quirra-mail-XXXXXX"))));
        return instance->folders.back().get();
    }

private:
    std::vector<std::unique_ptr<QTemporaryDir>> folders;
};

QString attachmentName(const QString &documentName)
{
    QString name = documentName.trimmed();
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name.prepend(MailSender::tr("文档"));
    return name + QStringLiteral(".pdf");
}

} // namespace

MailSender::Result MailSender::send(const QString &documentName, const PdfWriter &writePdf)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty())
        return { false, QString(), tr("未找到 xdg-email，无法打开邮件程序。请安装 xdg-utils。") };

    QTemporaryDir *folder = AttachmentFolders::create();
    if (!folder->isValid())
        return { false, QString(), tr("无法创建邮件附件的临时文件夹：%1").arg(folder->errorString()) };
    const QString path = folder->filePath(attachmentName(documentName));
    QString errorText;
    if (!writePdf(path, &errorText)) {
        folder->remove();
        return { false, QString(), tr("无法生成邮件附件：%1").arg(errorText) };
    }
    if (!QProcess::startDetached(program, { QStringLiteral("--attach"), path })) {
        folder->remove();
        return { false, QString(), tr("无法启动邮件程序 %1。").arg(program) };
    }
    return { true, path, QString() };
}
