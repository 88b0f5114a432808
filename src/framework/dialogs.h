#pragma once

#include <QString>

// A modal message box centred on the screen: caption Application->Title(), no icon, one "OK".
void ShowMessage(const QString& text);

// A modal input box centred on the screen: a prompt line above a one-line edit that holds
// `defaultText` all selected and takes at most 255 characters; "OK" (the default button) and
// "Cancel". Returns the edit's text when confirmed with "OK", `defaultText` in every other case.
QString InputBox(const QString& caption, const QString& prompt, const QString& defaultText);

// The most characters the input box's edit takes.
constexpr int kInputBoxMaxLength = 255;
