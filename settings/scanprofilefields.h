#pragma once

#include "settings/scanprofile.h"

// The fields of a ScanProfile with the names they are stored under, in the
// profile files and in the settings store alike. A new field is one line here.
namespace ScanProfileFields {

template<typename Visitor> void visit(ScanProfile &profile, Visitor &&visitor)
{
    visitor("device", profile.device);
    visitor("source", profile.source);
    visitor("resolution", profile.resolution);
    visitor("colorMode", profile.colorMode);
    visitor("pageSize", profile.pageSize);
    visitor("area", profile.area);
    visitor("autoDeskew", profile.autoDeskew);
    visitor("autoCropPaper", profile.autoCropPaper);
    visitor("autoOrient", profile.autoOrient);
    visitor("textRecognition", profile.textRecognition);
    visitor("textLanguages", profile.textLanguages);
    visitor("removeBlankPages", profile.removeBlankPages);
    visitor("blankPageThreshold", profile.blankPageThreshold);
    visitor("blankPageRatio", profile.blankPageRatio);
    visitor("autoSave", profile.autoSave);
    visitor("format", profile.format);
    visitor("jpegQuality", profile.jpegQuality);
    visitor("compact", profile.compact);
    visitor("maxFileBytes", profile.maxFileBytes);
    visitor("saveResolution", profile.saveResolution);
    visitor("folder", profile.folder);
    visitor("fileNamePattern", profile.fileNamePattern);
    visitor("splitRule", profile.splitRule);
    visitor("splitEvery", profile.splitEvery);
    visitor("keepSeparator", profile.keepSeparator);
}

} // namespace ScanProfileFields
