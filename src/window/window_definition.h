#pragma once

// Window definitions (.ui files) hold every property of a window's controls. Qt's own
// properties are set by uic; the properties of our framework controls that Qt cannot name
// (captions, colours by their system names, bevels, pictures) are stored in the definition
// as dynamic properties and handed to the controls by ApplyWindowDefinition.

#include "framework/tcolor.h"

#include <QString>

class QWidget;

// Applies the dynamic properties of `form` and of all its child widgets:
// "caption" (TSpeedButton, TPanel), "fontColor" (TSpeedButton), "bevelOuter" (TPanel:
// "None", "Lowered" or "Raised"), "picture" (TImage, a resource path) and "color" (any
// widget: its background). Throws std::invalid_argument for a colour or bevel it does not
// know, so that a faulty definition shows the first time its window is created.
void ApplyWindowDefinition(QWidget* form);

// The colour a definition names, e.g. "clBtnFace" or "clBlack".
TColor ColorByName(const QString& name);
