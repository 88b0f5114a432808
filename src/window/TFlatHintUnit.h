#pragma once

// The flat hint: a settings component for the main window and the hint window it installs.
// Creating a TFlatHint makes TFlatHintWindow the application's hint window class, so that
// every tool-tip of the program is measured, placed and painted by TFlatHintWindow, which
// reads its colours, font and maximum width from the component at each activation.

#include "framework/hints.h"
#include "framework/tcolor.h"

#include <cstdint>
#include <QFont>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

// The window corner that holds the arrow, chosen from the pointer's quadrant of the primary
// screen: the window opens toward the screen centre and the arrow points back at the pointer.
enum TArrowCorner : std::uint8_t { acTopRight, acTopLeft, acBottomRight, acBottomLeft };

class TFlatHint : public QObject {
    Q_OBJECT
public:
    // Installs TFlatHintWindow as the application's hint window class, re-creates the hint
    // window, takes over the show-hint handler and sets the hint delays (25, 500, 5000 ms).
    explicit TFlatHint(QObject* AOwner);
    // When this is the component whose installation is in force (the last one created), puts
    // back the framework's default hint window class and an empty show-hint handler, so that
    // no handler is left calling into a component that is gone.
    ~TFlatHint() override;

    TColor ColorBackground() const { return FColorBackground; }
    void SetColorBackground(TColor Value) { SetColor(0, Value); }
    TColor ColorBorder() const { return FColorBorder; }
    void SetColorBorder(TColor Value) { SetColor(1, Value); }
    TColor ColorArrowBackground() const { return FColorArrowBackground; }
    void SetColorArrowBackground(TColor Value) { SetColor(2, Value); }
    TColor ColorArrow() const { return FColorArrow; }
    void SetColorArrow(TColor Value) { SetColor(3, Value); }

    int MaxHintWidth() const { return FMaxHintWidth; }
    void SetMaxHintWidth(int Value) { FMaxHintWidth = Value; }

    // The hint font: a QFont plus its colour, as our fonts are.
    const QFont& Font() const { return FFont; }
    void SetFont(const QFont& Value) { FFont = Value; }
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor Value) { FFontColor = Value; }

    const TShowHintEvent& OnShowHint() const { return FOnShowHint; }
    void SetOnShowHint(TShowHintEvent Value) { FOnShowHint = std::move(Value); }

    // The application's show-hint handler while this component exists: forwards to OnShowHint.
    void ApplicationShowHint(QString& HintStr, bool& CanShow, THintInfo& HintInfo);

    // Property defaults of a fresh component.
    static constexpr TColor DefaultColorBackground = clWhite;
    static constexpr TColor DefaultColorBorder = clBlack;
    static constexpr TColor DefaultColorArrowBackground = 0x0053D2FF;
    static constexpr TColor DefaultColorArrow = clBlack;
    static constexpr int DefaultMaxHintWidth = 200;
    static constexpr TColor DefaultFontColor = clWindowText;

private:
    // The shared colour setter: stores the value in the field its index names, nothing more;
    // a visible hint shows the new colour at its next paint.
    void SetColor(int Index, TColor Value);

    QFont FFont;
    TColor FFontColor = DefaultFontColor;
    TColor FColorBackground = DefaultColorBackground;
    TColor FColorBorder = DefaultColorBorder;
    TColor FColorArrowBackground = DefaultColorArrowBackground;
    TColor FColorArrow = DefaultColorArrow;
    int FMaxHintWidth = DefaultMaxHintWidth;
    TShowHintEvent FOnShowHint;
    QPointer<THintManager> FHints; // the manager this component installed itself into
};

class TFlatHintWindow : public THintWindow {
    Q_OBJECT
public:
    explicit TFlatHintWindow(QWidget* AParent = nullptr);

    // Measures HintText in the component's font, chooses the arrow corner from the pointer's
    // quadrant and shows the window diagonally next to the pointer, topmost, not activated.
    // HintRect serves only as the starting corner for measuring.
    void ShowHintAt(const QRect& HintRect, const QString& HintText) override;

    // The first TFlatHint, in ownership order, among the children of the application's main
    // window; nullptr when there is none.
    static TFlatHint* FindFlatHint();

    // Where a window of the given size opens for the pointer P, given the primary screen's
    // geometry in desktop coordinates: the arrow corner and the window rectangle (never pulled
    // back onto the screen).
    struct TPlacement {
        TArrowCorner Corner;
        QRect Rect;
    };
    static TPlacement PlaceHint(const QRect& Screen, const QPoint& P, const QSize& Size);

    TArrowCorner ArrowCorner() const { return FArrowCorner; }
    QPoint ArrowPos() const { return FArrowPos; }
    TFlatHint* FlatHint() const { return FFlatHint; }

protected:
    void SetUpWindowParams(TWindowParams& Params) override;
    void PaintHint() override;

private:
    TArrowCorner FArrowCorner = acTopLeft;
    QPoint FArrowPos;
    QPointer<TFlatHint> FFlatHint;
};
