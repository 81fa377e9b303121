#include "ui/dialogs/preferencesdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

PreferencesDialog::PreferencesDialog(const QString &language, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("首选项"));
    QVBoxLayout *layout = new QVBoxLayout(this);
    // The dialog follows its contents, so the restart note gets its room when it appears.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    QFormLayout *form = new QFormLayout;
    layout->addLayout(form);

    languageCombo = new QComboBox(this);
    languageCombo->setObjectName(QStringLiteral("interfaceLanguageCombo"));
    // Each language is named in itself, so whoever cannot read the current one finds theirs.
    languageCombo->addItem(QStringLiteral("中文"), QStringLiteral("zh"));
    languageCombo->addItem(QStringLiteral("English"), QStringLiteral("en"));
    languageCombo->addItem(tr("跟随系统"), QStringLiteral("system"));
    languageCombo->setCurrentIndex(qMax(0, languageCombo->findData(language)));
    form->addRow(tr("界面语言:"), languageCombo);

    restartNote = new QLabel(tr("界面语言将在重新启动后生效"), this);
    restartNote->setObjectName(QStringLiteral("restartNote"));
    restartNote->setWordWrap(true);
    restartNote->setVisible(false);
    layout->addWidget(restartNote);

    connect(languageCombo, qOverload<int>(&QComboBox::currentIndexChanged), this, [this]() {
        restartNote->setVisible(true);
        emit languageChanged(this->language());
    });

    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString PreferencesDialog::language() const
{
    return languageCombo->currentData().toString();
}
