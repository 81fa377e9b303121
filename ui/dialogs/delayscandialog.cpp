#include "ui/dialogs/delayscandialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

DelayScanDialog::DelayScanDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("循环延时扫描设置"));
    setMinimumWidth(350);
    QVBoxLayout *layout = new QVBoxLayout(this);

    layout->addWidget(new QLabel(tr("请选择每张扫描的延时间隔（秒）："), this));

    intervalCombo = new QComboBox(this);
    intervalCombo->setObjectName(QStringLiteral("delayIntervalCombo"));
    for (int seconds : { 3, 6, 9, 15, 20 })
        intervalCombo->addItem(tr("%1 秒").arg(seconds), seconds);
    setInterval(9);
    layout->addWidget(intervalCombo);

    // The text keeps its line breaks; as rich text (it holds <b>) they would
    // collapse into blanks.
    QString helpText = tr("\n<b>循环延时扫描模式说明：</b>\n"
                          "• 点击确定后，系统将按设定的时间间隔自动循环扫描\n"
                          "• 每次倒计时结束后自动扫描一张\n"
                          "• 扫描完成后自动开始下一轮倒计时\n"
                          "• 请在倒计时期间放好下一张原稿\n"
                          "• 所有原稿扫描完毕后，点击\"扫描完成\"按钮结束\n"
                          "• 点击\"扫描完成\"后才会进入保存流程");
    QLabel *help = new QLabel(helpText.replace(QLatin1Char('\n'), QLatin1String("<br>")), this);
    help->setTextFormat(Qt::RichText);
    help->setWordWrap(true);
    help->setStyleSheet(
        QStringLiteral("color: #444; font-size: 11px; padding: 10px; background-color: #f0f0f0; border-radius: 5px;"));
    layout->addWidget(help);

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int DelayScanDialog::interval() const
{
    return intervalCombo->currentData().toInt();
}

void DelayScanDialog::setInterval(int seconds)
{
    const int index = intervalCombo->findData(seconds);
    if (index >= 0)
        intervalCombo->setCurrentIndex(index);
}
