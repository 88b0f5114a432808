#include "framework/hintwindow.h"

#include "framework/accessible.h"

#include <QAccessible>
#include <QPainter>

THintWindow::THintWindow(QWidget* AParent) : QWidget(AParent) {
    InstallAccessibleControls();
    FCanvas.Font = font();
    // Hints are never reached by the keyboard and never become the active window.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // PaintHint covers every pixel, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void THintWindow::SetUpWindowParams(TWindowParams& Params) {
    // Qt::ToolTip gives a top-level pop-up that the window manager neither decorates nor
    // activates, above ordinary windows. Pointer input passes through to the window below, as
    // a hint is not meant to be hit: a pointer that strays onto it stays on the control.
    Params.Flags = Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput;
    Params.Border = true;
    Params.SaveBits = true;
    Params.DropShadow = false;
}

void THintWindow::CreateHandle() {
    if (FHandleCreated)
        return;
    FHandleCreated = true;
    TWindowParams Params;
    SetUpWindowParams(Params);
    FParams = Params;
    setWindowFlags(FParams.Flags);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11NetWmWindowTypeToolTip);
}

void THintWindow::SetText(const QString& Value) {
    if (Value == FText)
        return;
    FText = Value;
    // The text is the window's accessible name: a hint that stays up with another text is
    // read again.
    QAccessibleEvent Renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&Renamed);
}

QRect THintWindow::CalcHintRect(int MaxWidth, const QString& Text) {
    const int Frame = FParams.Border ? 1 : 0;
    const QRect TextRect =
        FCanvas.CalcTextRect(QRect(0, 0, qMax(1, MaxWidth), 0), Text, THintCanvas::WordBreak);
    return QRect(0, 0, TextRect.width() + 2 * Frame + 4, TextRect.height() + 2 * Frame + 2);
}

void THintWindow::ShowHintAt(const QRect& HintRect, const QString& HintText) {
    SetText(HintText);
    resize(HintRect.size());
    ShowNoActivate(HintRect.topLeft());
}

void THintWindow::ShowNoActivate(const QPoint& Pos) {
    CreateHandle();
    move(Pos);
    if (!isVisible()) {
        show(); // a newly shown stays-on-top tool-tip window opens above all others
        return;
    }
    update();
    raise(); // back on top, should another window have come over it meanwhile
}

void THintWindow::PaintHint() {
    const QRect Client = rect();
    FCanvas.Brush.Clear = false;
    FCanvas.Brush.Color = clInfoBk;
    FCanvas.FillRect(Client);
    int Inset = 0;
    if (FParams.Border) {
        FCanvas.Brush.Color = clBlack;
        FCanvas.FrameRect(Client);
        Inset = 1;
    }
    FCanvas.FontColor = clInfoText;
    FCanvas.Brush.Clear = true;
    FCanvas.DrawText(Client.adjusted(Inset + 2, Inset + 1, -(Inset + 2), -(Inset + 1)), FText,
                     THintCanvas::WordBreak);
}

void THintWindow::paintEvent(QPaintEvent*) {
    // The canvas must not keep the painter past this paint, whichever way PaintHint leaves.
    struct TPaintScope {
        THintCanvas& Canvas;
        TPaintScope(THintCanvas& C, QPainter* P) : Canvas(C) { Canvas.BeginPaint(P); }
        ~TPaintScope() { Canvas.EndPaint(); }
    };
    QPainter Painter(this);
    const TPaintScope Scope(FCanvas, &Painter);
    PaintHint();
}
