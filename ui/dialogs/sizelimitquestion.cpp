#include "ui/dialogs/sizelimitquestion.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/savesummary.h"

SaveOptions::OverLimit SizeLimitQuestion::ask(QWidget *parent, qint64 smallestBytes, qint64 limitBytes, bool canSplit)
{
    QMessageBox box(QMessageBox::Question, tr("超过大小上限"),
        tr("即使压缩到最小，文件仍有 %1，超过了大小上限 %2。")
            .arg(SaveSummary::sizeText(smallestBytes), SaveSummary::sizeText(limitBytes)),
        QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("sizeLimitQuestion"));
    box.setInformativeText(
        canSplit ? tr("可以仍然保存这个文件，或分成几个不超过上限的文件（_1、_2 …）。") : tr("单独一页无法再分割。"));
    QPushButton *anyway = box.addButton(tr("仍然保存"), QMessageBox::AcceptRole);
    anyway->setObjectName(QStringLiteral("saveAnywayButton"));
    QPushButton *split = nullptr;
    if (canSplit) {
        split = box.addButton(tr("分成多个文件"), QMessageBox::AcceptRole);
        split->setObjectName(QStringLiteral("splitIntoPartsButton"));
    }
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(split ? split : anyway);
    box.exec();
    if (box.clickedButton() == anyway)
        return SaveOptions::OverLimit::SaveAnyway;
    if (split && box.clickedButton() == split)
        return SaveOptions::OverLimit::Split;
    return SaveOptions::OverLimit::Refuse;
}
