// Handing the document to the mail program: a fake xdg-email first on PATH records
// the arguments it was started with.
#include <QtTest>

#include "document/imagefilewriter.h"
#include "ui/mailsender.h"

class MailSenderTest : public QObject
{
    Q_OBJECT

private slots:
    void handsThePdfToXdgEmail_data();
    void handsThePdfToXdgEmail();

private:
    QTemporaryDir folder;
};

void MailSenderTest::handsThePdfToXdgEmail_data()
{
    QTest::addColumn<bool>("withXdgEmail");
    QTest::addColumn<bool>("writerFails");
    QTest::addColumn<QString>("errorText");
    QTest::newRow("xdg-email on PATH") << true << false << QString();
    QTest::newRow("no xdg-email") << false << false
                                  << QStringLiteral("未找到 xdg-email，无法打开邮件程序。请安装 xdg-utils。");
    QTest::newRow("PDF that cannot be written") << true << true << QStringLiteral("无法生成邮件附件：磁盘已满");
}

void MailSenderTest::handsThePdfToXdgEmail()
{
    QFETCH(bool, withXdgEmail);
    QFETCH(bool, writerFails);
    QFETCH(QString, errorText);

    const QString bin = folder.filePath(QTest::currentDataTag());
    QVERIFY(QDir().mkpath(bin));
    const QString record = folder.filePath(QStringLiteral("%1.args").arg(QTest::currentDataTag()));
    if (withXdgEmail) {
        QFile script(bin + QStringLiteral("/xdg-email"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        // Only shell built-ins: PATH holds nothing but this folder.
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\n").arg(record).toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner);
    }
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.toLocal8Bit());
    int written = 0;
    const MailSender::Result result
        = MailSender::send(QStringLiteral("合同/2026"), [&](const QString &path, QString *error) {
              ++written;
              if (writerFails) {
                  *error = QStringLiteral("磁盘已满");
                  return false;
              }
              QImage page(200, 300, QImage::Format_Grayscale8);
              page.fill(Qt::white);
              return ImageFileWriter::writePdf({ page }, path, {}, error);
          });
    qputenv("PATH", oldPath);

    QCOMPARE(result.started, errorText.isEmpty());
    QCOMPARE(result.errorText, errorText);
    // Without a mail program nothing is written in vain.
    QCOMPARE(written, withXdgEmail ? 1 : 0);
    if (!result.started)
        return;
    QCOMPARE(QFileInfo(result.attachment).fileName(), QStringLiteral("合同_2026.pdf"));
    const auto recorded = [&record] {
        QFile arguments(record);
        return arguments.open(QIODevice::ReadOnly) ? QString::fromUtf8(arguments.readAll()) : QString();
    };
    QTRY_COMPARE(recorded(), QStringLiteral("--attach\n%1\n").arg(result.attachment));
    // The mail program reads the attachment later: it outlives the call.
    QFile pdf(result.attachment);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.read(5) == "%PDF-");
}

QTEST_MAIN(MailSenderTest)
#include "tst_mailsender.moc"
