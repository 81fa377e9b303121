#pragma once

#include <QString>

// Style sheets shared by several editing dialogs.
namespace DialogStyles {
// The grey usage box below the controls of the angle and preview dialogs.
inline QString usageBox()
{
    return QStringLiteral(
        "color: #666; font-size: 11px; padding: 10px; background-color: #f0f0f0; border-radius: 5px;");
}
// The blue hint box, as in the layout dialog.
inline QString blueHint()
{
    return QStringLiteral("color: #444; font-size: 11px; padding: 12px; background-color: #e3f2fd; border-radius: 5px; "
                          "border-left: 4px solid #2196F3;");
}
} // namespace DialogStyles
