#pragma once

#include <cstdint>
#include <QColor>
#include <QPalette>

class QWidget;

// A colour as window definitions name it: either an RGB value laid out 0x00BBGGRR (red in the
// lowest byte) or, with the top byte 0xFF, a system colour given by its index in the low byte.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clRed = 0x0000FF;

constexpr TColor clSystemColor = 0xFF000000;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBtnShadow = clSystemColor | 16;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clBtnHighlight = clSystemColor | 20;
constexpr TColor cl3DDkShadow = clSystemColor | 21;
constexpr TColor cl3DLight = clSystemColor | 22;
constexpr TColor clInfoText = clSystemColor | 23;
constexpr TColor clInfoBk = clSystemColor | 24;

// Turns a TColor into a QColor: RGB values directly, system colours as the classic colour scheme
// of the platform the window definitions were made for (button face 0xC0C0C0, window text
// black, tool-tip background 0xFFFFE1, ...). They do not follow the desktop's palette: our
// controls are drawn over fixed pictures, where a dark theme's light text would vanish. Qt's
// own dialogs and item views, which never ask this function, keep following the desktop.
// An unknown system colour index gives black.
QColor ColorToQColor(TColor c);

// A palette of the classic scheme for every role, for Qt's own controls (a progress bar, a
// push button) placed on one of ours, so that they do not take the desktop's colours there.
QPalette ClassicPalette();

// Makes `widget` fill its background with `color` (the Window role of its palette), as a
// control given a colour in its window definition does.
void SetBackgroundColor(QWidget& widget, TColor color);
