#include "ui/scanprofilebinding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>

#include "settings/appsettings.h"
#include "ui/scansettingspanel.h"

namespace {

ScanSource sourceOf(const QString &sourceName)
{
    if (sourceName.contains(QLatin1String("Duplex"), Qt::CaseInsensitive))
        return ScanSource::Duplex;
    if (sourceName.isEmpty() || sourceName.contains(QLatin1String("Flatbed"), Qt::CaseInsensitive))
        return ScanSource::Flatbed;
    return ScanSource::Feeder;
}

void setComboData(QComboBox *combo, const QVariant &data)
{
    const int index = combo->findData(data);
    if (index >= 0)
        combo->setCurrentIndex(index);
}

} // namespace

namespace ScanProfileBinding {

ScanProfile read(const ScanSettingsPanel &panel, const ScanProfile &hidden)
{
    ScanProfile profile = hidden;
    if (panel.scannerCombo->currentData().isValid())
        profile.device = panel.scannerCombo->currentText();
    profile.source = sourceOf(panel.paperSourceCombo->currentData().toString());
    profile.resolution = panel.resolutionCombo->currentText().toInt();
    profile.colorMode = ScanColorMode(qBound(0, panel.colorModeCombo->currentIndex(), 2));
    profile.pageSize = panel.pageSizeCombo->currentText();
    profile.autoDeskew = panel.autoDeskewCheck->isChecked();
    profile.autoCropPaper = panel.autoCropCheck->isChecked();
    profile.autoOrient = panel.autoOrientCheck->isChecked();
    profile.textRecognition = panel.textRecognitionCheck->isChecked();
    profile.textLanguages = panel.textLanguageCombo->currentData().toString();
    profile.removeBlankPages = panel.removeBlankPagesCheck->isChecked();
    profile.autoSave = panel.autoSaveCheck->isChecked();
    profile.format = panel.saveFormatCombo->currentData().toString();
    const SaveOptions save = panel.saveOptions();
    profile.jpegQuality = save.jpegQuality;
    profile.compact = save.compression == SaveOptions::Compression::Compact;
    profile.maxFileBytes = save.sizeLimit;
    profile.saveResolution = save.saveDpi;
    // The documents folder is where a profile without a folder saves.
    const QString folder = panel.savePathEdit->text();
    profile.folder = folder == AppSettings::documentsFolder() ? QString() : folder;
    profile.fileNamePattern = panel.fileNamePatternEdit->text();
    profile.splitRule = SplitRule(panel.splitCombo->currentData().toInt());
    profile.splitEvery = panel.splitEverySpin->value();
    profile.keepSeparator = panel.keepSeparatorCheck->isChecked();
    return profile;
}

void apply(ScanSettingsPanel &panel, const ScanProfile &profile)
{
    if (!profile.device.isEmpty()) {
        const int index = panel.scannerCombo->findText(profile.device);
        if (index >= 0)
            panel.scannerCombo->setCurrentIndex(index);
    }
    for (int i = 0; i < panel.paperSourceCombo->count(); ++i) {
        if (sourceOf(panel.paperSourceCombo->itemData(i).toString()) == profile.source) {
            panel.paperSourceCombo->setCurrentIndex(i);
            break;
        }
    }
    panel.resolutionCombo->setCurrentText(QString::number(profile.resolution));
    if (int(profile.colorMode) < panel.colorModeCombo->count())
        panel.colorModeCombo->setCurrentIndex(int(profile.colorMode));
    panel.pageSizeCombo->setCurrentText(profile.pageSize);
    panel.autoDeskewCheck->setChecked(profile.autoDeskew);
    panel.autoCropCheck->setChecked(profile.autoCropPaper);
    panel.autoOrientCheck->setChecked(profile.autoOrient);
    panel.textRecognitionCheck->setChecked(profile.textRecognition);
    setComboData(panel.textLanguageCombo, profile.textLanguages);
    panel.removeBlankPagesCheck->setChecked(profile.removeBlankPages);
    panel.autoSaveCheck->setChecked(profile.autoSave);
    setComboData(panel.saveFormatCombo, profile.format);
    panel.jpegQualitySlider->setValue(profile.jpegQuality);
    panel.compressionCombo->setCurrentIndex(profile.compact ? 1 : 0);
    panel.setSizeLimit(profile.maxFileBytes);
    setComboData(panel.saveResolutionCombo, profile.saveResolution);
    panel.savePathEdit->setText(profile.folder.isEmpty() ? AppSettings::documentsFolder() : profile.folder);
    panel.fileNamePatternEdit->setText(profile.fileNamePattern);
    setComboData(panel.splitCombo, int(profile.splitRule));
    panel.splitEverySpin->setValue(profile.splitEvery);
    panel.keepSeparatorCheck->setChecked(profile.keepSeparator);
}

void watch(ScanSettingsPanel &panel, QObject *context, const std::function<void()> &changed)
{
    for (QComboBox *combo : { panel.scannerCombo, panel.paperSourceCombo, panel.resolutionCombo, panel.colorModeCombo,
             panel.pageSizeCombo, panel.textLanguageCombo, panel.saveFormatCombo, panel.splitCombo })
        QObject::connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), context, changed);
    for (QCheckBox *check : { panel.autoDeskewCheck, panel.autoCropCheck, panel.autoOrientCheck,
             panel.textRecognitionCheck, panel.removeBlankPagesCheck, panel.autoSaveCheck, panel.keepSeparatorCheck })
        QObject::connect(check, &QCheckBox::toggled, context, changed);
    // Quality, compression, size limit and save resolution.
    QObject::connect(&panel, &ScanSettingsPanel::saveOptionsChanged, context, changed);
    QObject::connect(panel.splitEverySpin, QOverload<int>::of(&QSpinBox::valueChanged), context, changed);
    for (QLineEdit *edit : { panel.savePathEdit, panel.fileNamePatternEdit })
        QObject::connect(edit, &QLineEdit::textChanged, context, changed);
}

} // namespace ScanProfileBinding
