#pragma once

#include <QDialog>

// The "高级设置" dialog: one button per image-processing command. A button
// closes the dialog and names its command; the window then runs it.
class AdvancedSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    enum Command {
        NoCommand,
        AngleCommand,
        EnhanceCommand,
        BorderCommand,
        BleachCommand,
        BlankPageCommand,
        BrightnessContrastCommand,
        HueSaturationCommand,
        GrayscaleCommand,
        BinaryCommand,
        AutoLevelCommand,
        RecognizeTextCommand,
        UndoCommand,
        StraightenCommand,
        CropPaperCommand,
        OrientCommand,
        SplitOriginalsCommand,
    };
    Q_ENUM(Command)

    explicit AdvancedSettingsDialog(QWidget *parent = nullptr);

    Command chosenCommand() const { return chosen; }

private:
    Command chosen = NoCommand;
};
