#pragma once

// The canvas of a hint window: a font with its colour, a brush and a pen, and the few drawing
// operations a hint needs, with the pixel rules of the platform our hint windows were first
// drawn on. Rectangles passed here are half-open in meaning: a QRect's width and height count
// the pixels covered, so QRect(QPoint(l, t), QPoint(r - 1, b - 1)) is the span l..r-1, t..b-1.

#include "framework/tcolor.h"

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;

// The rectangle covering columns Left..Right-1 and rows Top..Bottom-1.
inline QRect RectLTRB(int Left, int Top, int Right, int Bottom) {
    return QRect(Left, Top, Right - Left, Bottom - Top);
}

class THintCanvas {
public:
    struct TBrush {
        TColor Color = clInfoBk;
        bool Clear = false; // a clear brush fills nothing; text is drawn without a background
    };
    struct TPen {
        TColor Color = clBlack;
        int Width = 1;
    };

    QFont Font;
    TColor FontColor = clInfoText;
    TBrush Brush;
    TPen Pen;

    // Text flags: Qt's alignment flags plus WordBreak. "&" is always an ordinary character.
    enum : int { WordBreak = 0x1000 };

    // The extent of Text laid out from R's top-left corner: with WordBreak the lines wrap at
    // word boundaries at R's width (a word wider than that stands alone and widens the result);
    // line breaks in the text always start new lines. Works whether or not a paint is running.
    QRect CalcTextRect(const QRect& R, const QString& Text, int Flags) const;

    // Drawing operations; valid only while the owning window paints (see THintWindow).
    void FillRect(const QRect& R);  // with the brush
    void FrameRect(const QRect& R); // the outermost ring of R's pixels, in the brush colour
    // An open polyline with a one-pixel pen. As the platform draws lines, every segment
    // includes its first pixel and excludes its last, so the final vertex stays unset; the
    // pixels between are Bresenham's, which for horizontal, vertical and 45-degree segments
    // are the only possible ones. Each pixel covers a whole number of device pixels, also at a
    // fractional scale.
    void Polyline(const QPoint* Points, int Count);
    // Draws in the font and its colour, never with a background: hints are drawn transparently
    // over their fills.
    void DrawText(const QRect& R, const QString& Text, int Flags);

    void BeginPaint(QPainter* Painter) { FPainter = Painter; }
    void EndPaint() { FPainter = nullptr; }
    QPainter* Painter() const { return FPainter; }

private:
    QPainter* FPainter = nullptr;
};
