#pragma once

#include <QObject>

#include <functional>

#include "settings/scanprofile.h"

class ScanSettingsPanel;

// Between the scan dock's controls and a ScanProfile: what the dock shows as
// a profile, a profile shown by the dock, and a call whenever the user changes
// a control a profile covers. The fields the dock has no control for (the scan
// area, the size limit, ...) are taken from the profile last applied.
namespace ScanProfileBinding {

ScanProfile read(const ScanSettingsPanel &panel, const ScanProfile &hidden);
void apply(ScanSettingsPanel &panel, const ScanProfile &profile);
void watch(ScanSettingsPanel &panel, QObject *context, const std::function<void()> &changed);

} // namespace ScanProfileBinding
