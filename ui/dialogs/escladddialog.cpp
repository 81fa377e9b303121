#include "ui/dialogs/escladddialog.h"

#include <QLineEdit>

EsclAddDialog::EsclAddDialog(QWidget *parent)
    : QInputDialog(parent)
{
    setObjectName(QStringLiteral("esclAddDialog"));
    setWindowTitle(tr("添加 eSCL 设备"));
    setInputMode(QInputDialog::TextInput);
    setTextEchoMode(QLineEdit::Normal);
    setLabelText(tr("请输入扫描仪的 URL:\n\n示例:\n  %1\n  %2\n\n"
                    "提示:\n  • 大多数 eSCL 扫描仪使用 HTTPS (端口 443)\n  • 可以在扫描仪的网络设置中查看 IP 地址")
                     .arg(exampleUrl(), plainHttpExampleUrl()));
    setTextValue(exampleUrl());
}

QString EsclAddDialog::url() const
{
    return textValue().trimmed();
}

QString EsclAddDialog::exampleUrl()
{
    return QStringLiteral("https://192.168.1.100:443");
}

QString EsclAddDialog::plainHttpExampleUrl()
{
    return QStringLiteral("http://192.168.1.100:80");
}
