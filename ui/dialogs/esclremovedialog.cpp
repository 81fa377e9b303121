#include "ui/dialogs/esclremovedialog.h"

EsclRemoveDialog::EsclRemoveDialog(const QStringList &choices, QWidget *parent)
    : QInputDialog(parent)
{
    setObjectName(QStringLiteral("esclRemoveDialog"));
    setWindowTitle(tr("删除 eSCL 设备"));
    setLabelText(tr("请选择要删除的 eSCL 设备:\n\n注意：删除后需要重新添加才能使用该设备。"));
    // A named device is offered on two lines (name, then address); a list
    // shows both, a closed combo box would cut the address off.
    setOption(QInputDialog::UseListViewForComboBoxItems);
    setComboBoxItems(choices);
    setComboBoxEditable(false);
    setTextValue(choices.value(0));
}

QString EsclRemoveDialog::choice() const
{
    return textValue();
}
