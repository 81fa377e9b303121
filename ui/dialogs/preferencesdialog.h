#pragma once

#include <QDialog>

class QComboBox;
class QLabel;

// The application's preferences; for now the interface language. Values in and
// out: the window stores a changed language at once (languageChanged).
class PreferencesDialog : public QDialog
{
    Q_OBJECT

public:
    // language is the stored choice: "zh", "en" or "system".
    explicit PreferencesDialog(const QString &language, QWidget *parent = nullptr);

    QString language() const;

signals:
    void languageChanged(const QString &language);

private:
    QComboBox *languageCombo = nullptr;
    QLabel *restartNote = nullptr;
};
