#pragma once

#include <QDialog>

#include "ui/pagemerger.h"

class QCheckBox;
class QLabel;
class QRadioButton;
class QSpinBox;

// The options of merging two pages: direction, spacing, smart split, automatic
// crop, edge trimming and deleting the sources. Values out only; the window runs
// the merge.
class MergeDialog : public QDialog
{
    Q_OBJECT

public:
    explicit MergeDialog(QWidget *parent = nullptr);

    MergeOptions options() const;

private:
    QRadioButton *sideBySideRadio = nullptr;
    QRadioButton *stackedRadio = nullptr;
    QSpinBox *spacingSpin = nullptr;
    QCheckBox *smartSplitCheck = nullptr;
    QCheckBox *autoCropCheck = nullptr;
    QCheckBox *edgeTrimCheck = nullptr;
    QLabel *edgeTrimLabel = nullptr;
    QSpinBox *edgeTrimSpin = nullptr;
    QCheckBox *deleteSourcesCheck = nullptr;
};
