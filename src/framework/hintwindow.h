#pragma once

// The framework's plain hint window: a top-level pop-up tool window that never takes the
// activation, drawn with its own canvas. THintManager makes one from the application's hint
// window class and drives it; subclasses change its look through the three virtual operations.

#include "framework/hintcanvas.h"

#include <QRect>
#include <QString>
#include <QWidget>

class THintWindow : public QWidget {
    Q_OBJECT
public:
    // How the window is created. Qt has no window styles as such; these are the parts of them
    // a hint window can change.
    struct TWindowParams {
        Qt::WindowFlags Flags;
        bool Border = true;   // a one-pixel frame in clBlack around the plain hint
        bool SaveBits = true; // keep the screen under the window; honoured where the windowing
                              // system offers it (a compositor does it for every window)
        bool DropShadow = false;
    };

    explicit THintWindow(QWidget* AParent = nullptr);

    // Applies SetUpWindowParams to the window. THintManager calls it right after creating the
    // window from the hint window class (a virtual call cannot reach a subclass from the base
    // constructor); showing a window calls it too if that has not happened yet.
    void CreateHandle();
    const TWindowParams& WindowParams() const { return FParams; }

    // Shows HintText in the rectangle HintRect (screen coordinates), not activated.
    virtual void ShowHintAt(const QRect& HintRect, const QString& HintText);
    // The rectangle, at the origin, that ShowHintAt of the plain window needs for Text wrapped
    // at MaxWidth.
    virtual QRect CalcHintRect(int MaxWidth, const QString& Text);

    QString Text() const { return FText; }
    void SetText(const QString& Value);

    THintCanvas& Canvas() { return FCanvas; }
    const THintCanvas& Canvas() const { return FCanvas; }

protected:
    virtual void SetUpWindowParams(TWindowParams& Params);
    // Draws the whole client area on Canvas(); called from paintEvent.
    virtual void PaintHint();

    // Moves the window's top-left corner to Pos (screen coordinates), keeps its size, and shows
    // it on top of every other window without activating it. A window already visible is
    // repainted, so a new text always shows even when place and size stay the same.
    void ShowNoActivate(const QPoint& Pos);

    void paintEvent(QPaintEvent* Event) override;

private:
    QString FText;
    THintCanvas FCanvas;
    TWindowParams FParams;
    bool FHandleCreated = false;
};
