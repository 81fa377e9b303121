#include "app/recoveryoffer.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMessageBox>
#include <QPushButton>

#include "document/documentmanager.h"
#include "document/pagerecovery.h"

namespace {

// "3、7、12": one line however many pages a damaged disk took; a long run is cut short.
QString damagedPageNumbers(const RecoverableFolder &folder)
{
    constexpr int shown = 20;
    QStringList numbers;
    for (int i = 0; i < folder.damaged.size() && i < shown; ++i)
        numbers << QString::number(folder.damaged.at(i) + 1);
    if (folder.damaged.size() > shown)
        numbers << QStringLiteral("…");
    return numbers.join(QStringLiteral("、"));
}

} // namespace

void RecoveryOffer::run(QWidget *window, DocumentManager *document, const QString &root)
{
    const QList<RecoverableFolder> folders = PageRecovery::find(root);
    for (const RecoverableFolder &folder : folders) {
        switch (ask(window, folder)) {
        case Recover:
            if (document->recoverPages(folder))
                return;
            break;
        case Discard:
            PageRecovery::discard(folder);
            qDebug() << "已删除未保存的页面: " << folder.path;
            break;
        case Later:
            break;
        }
    }
}

RecoveryOffer::Choice RecoveryOffer::ask(QWidget *parent, const RecoverableFolder &folder)
{
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(tr("恢复未保存的页面"));
    box.setText(tr("上次运行时有 %1 页扫描结果尚未保存（%2）。")
                    .arg(folder.recoverableCount())
                    .arg(folder.index.time.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    QString question = tr("是否恢复这些页面？");
    if (!folder.damaged.isEmpty())
        question.prepend(tr("第 %1 页已损坏，无法恢复").arg(damagedPageNumbers(folder)) + QLatin1Char('\n'));
    box.setInformativeText(question);
    QPushButton *recover = box.addButton(tr("恢复"), QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(tr("删除"), QMessageBox::DestructiveRole);
    box.addButton(tr("以后再说"), QMessageBox::RejectRole);
    box.setDefaultButton(recover);
    box.exec();
    if (box.clickedButton() == recover)
        return Recover;
    if (box.clickedButton() == discard)
        return Discard;
    return Later;
}
