#pragma once

#include "scanner/saneapi.h"

#include "scanner/frameassembler.h"

#include <QString>
#include <QStringList>

// Small helpers for reading and writing SANE options through the seam, shared
// by the controller's temporary opens and the worker.
namespace SaneOptions {

// Option 0 holds the number of options, itself included.
SANE_Status optionCount(SaneApi &sane, SANE_Handle handle, SANE_Int *count);

QString name(const SANE_Option_Descriptor *descriptor);
bool isActive(const SANE_Option_Descriptor *descriptor);
bool isSoftSelect(const SANE_Option_Descriptor *descriptor);
bool hasStringListConstraint(const SANE_Option_Descriptor *descriptor);
// The entries of a STRING_LIST constraint, at most limit of them (-1: all).
QStringList stringList(const SANE_Option_Descriptor *descriptor, int limit = -1);

// Sends a string as UTF-8 in a buffer the size the option declares (or
// larger when the value needs it), truncated to maxBytes when maxBytes >= 0.
SANE_Status setString(SaneApi &sane, SANE_Handle handle, SANE_Int option, const SANE_Option_Descriptor *descriptor,
    const QString &value, int maxBytes = -1);
SANE_Status getString(
    SaneApi &sane, SANE_Handle handle, SANE_Int option, const SANE_Option_Descriptor *descriptor, QString *value);
SANE_Status setWord(SaneApi &sane, SANE_Handle handle, SANE_Int option, SANE_Word value);
SANE_Status getWord(SaneApi &sane, SANE_Handle handle, SANE_Int option, SANE_Word *value);

// A resolution in dpi for an INT or FIXED resolution option: backends use both.
SANE_Word resolutionWord(const SANE_Option_Descriptor *descriptor, int dpi);
// The dpi an INT or FIXED resolution option's value stands for.
double resolutionDpi(const SANE_Option_Descriptor *descriptor, SANE_Word word);
// The largest resolution the option allows that is at most dpi, or its
// lowest when none is that low; dpi itself when the option names no constraint.
int atMostOrLowest(const SANE_Option_Descriptor *descriptor, int dpi);
// Millimetres in SANE's 16.16 fixed-point encoding.
SANE_Word fixedWord(double value);

FrameParameters frameParameters(const SANE_Parameters &parameters);

} // namespace SaneOptions
