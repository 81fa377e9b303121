#pragma once

#include <QDialog>

// Offers the two dock layouts and the way back to the default. It stays open
// until closed, so the user can try both: each choice is reported at once.
class LayoutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit LayoutDialog(QWidget *parent = nullptr);

signals:
    void defaultLayoutChosen();
    void mirroredLayoutChosen();
    void resetChosen();
};
