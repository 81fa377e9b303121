#pragma once

#include <QString>
#include <QStringList>

// Maps Quirra's own vocabulary (the Chinese UI words and English keywords for
// colour modes, paper sources and duplex) onto the values a backend offers.
// Plain functions over strings; they write the choice's log lines, nothing
// else, so they are tested with made-up option lists.
namespace OptionVocabulary {

// Option names, exact and case-sensitive, as backends spell them.
bool isColorModeOptionName(const QString &name);
bool isSourceOptionName(const QString &name);
bool isDuplexOptionName(const QString &name);
bool isScanAreaOptionName(const QString &name);
// The narrower sets that capability detection and the parameter refresh look at.
bool isDetectedSourceOptionName(const QString &name);
bool isDetectedDuplexSwitchName(const QString &name);
bool isRefreshedColorModeOptionName(const QString &name);
// Names that look like a paper sensor, for the feeder paper check.
bool isPaperSensorName(const QString &name);

// A request for a two-level (black and white) page.
bool isLineartRequest(const QString &request);
// Colour mode: the first matching list entry; for black and white without a
// two-level entry the grey one (the page is made two-level afterwards); else the
// first entry. Empty only for an empty list.
QString pickColorMode(const QString &request, const QStringList &entries);
// Colour mode for a backend that offers no list.
QString colorModeWithoutList(const QString &request);

// A paper-source target that asks for the document feeder (option setting
// and the controller's start check).
bool isFeederTarget(const QString &target);
// The names the window has used for the feeder scanning both sides, or a device's
// own English name for it.
bool isDuplexFeederTarget(const QString &target);
// The worker's wider test on a request's paper source.
bool isFeederRequest(const QString &paperSource);
QString pickSource(const QString &target, const QStringList &entries);
QString sourceWithoutList(const QString &target);

// Capability detection: entries naming a feeder, or a flatbed.
bool isFeederEntry(const QString &entry);
bool isFlatbedEntry(const QString &entry);

bool asksForDuplex(const QString &request);
bool asksForSimplex(const QString &request);
QString pickDuplex(const QString &request, const QStringList &entries);
// The value for a duplex option that is a plain switch.
bool duplexSwitchValue(const QString &request);

} // namespace OptionVocabulary
