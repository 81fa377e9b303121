#pragma once

#include <QString>

// Where the device search looks for scanners; stored under "scanMode" by its number.
enum class SearchMode {
    UsbOnly = 0, // SANE, local devices only
    UsbAndNetwork = 1, // SANE, local and network devices
    EsclOnly = 2, // own eSCL discovery and registry, no SANE
};

bool isKnown(SearchMode mode);
// The short name the search settings dialog and its messages use.
QString searchModeName(SearchMode mode);
// The shorter name the device search shows while it runs.
QString searchModeSearchName(SearchMode mode);
