#pragma once

#include <QLabel>
#include <QString>

// Style sheets and pieces shared by several editing dialogs.
namespace DialogStyles {
// The grey usage box below the controls of the angle and preview dialogs.
inline QString usageBox()
{
    return QStringLiteral(
        "color: #666; font-size: 11px; padding: 10px; background-color: #f0f0f0; border-radius: 5px;");
}
// The usage box itself, for a text written with plain line breaks; the label
// shows rich text, where a line break has to be written as one.
inline QLabel *usageLabel(QString text, QWidget *parent)
{
    auto *label = new QLabel(text.replace(QLatin1Char('\n'), QStringLiteral("<br>")), parent);
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    label->setStyleSheet(usageBox());
    return label;
}
// The blue hint box, as in the layout dialog.
inline QString blueHint()
{
    return QStringLiteral("color: #444; font-size: 11px; padding: 12px; background-color: #e3f2fd; border-radius: 5px; "
                          "border-left: 4px solid #2196F3;");
}
} // namespace DialogStyles
