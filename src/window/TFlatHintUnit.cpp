#include "TFlatHintUnit.h"

#include "framework/application.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

// ---------------------------------------------------------------------------------------------
// TFlatHint

namespace {
// The component whose installation is in force: the last one created. Destroying an older one
// must not take the hint window away from the newer.
TFlatHint* Installed = nullptr;
} // namespace

TFlatHint::TFlatHint(QObject* AOwner) : QObject(AOwner), FFont(DefaultFont()) {
    // Without our application object there is no hint machinery to install into (a test or a
    // tool holding the component as plain settings); the component then only holds settings.
    if (!Application)
        return;
    THintManager& Hints = Application->Hints();
    FHints = &Hints;
    Hints.SetHintWindowClass([] { return new TFlatHintWindow; });
    // Off and on again frees the current hint window and makes one of the new class at once;
    // were hints off, a window would be made and freed again and the switch would stay off.
    Hints.SetShowHint(!Hints.ShowHint());
    Hints.SetShowHint(!Hints.ShowHint());
    Hints.SetOnShowHint([this](QString& HintStr, bool& CanShow, THintInfo& HintInfo) {
        ApplicationShowHint(HintStr, CanShow, HintInfo);
    });
    Hints.SetHintShortPause(25);
    Hints.SetHintPause(500);
    Hints.SetHintHidePause(5000);
    Installed = this;
}

TFlatHint::~TFlatHint() {
    // The handler installed above calls into this object and the window reads its settings,
    // so the framework's defaults come back rather than leaving either pointing at nothing.
    if (Installed != this)
        return;
    Installed = nullptr;
    if (!FHints)
        return;
    FHints->SetOnShowHint(nullptr);
    FHints->SetHintWindowClass(THintManager::DefaultHintWindowClass());
    if (FHints->ShowHint()) {
        FHints->SetShowHint(false);
        FHints->SetShowHint(true);
    }
}

void TFlatHint::SetColor(int Index, TColor Value) {
    switch (Index) {
    case 0:
        FColorBackground = Value;
        break;
    case 1:
        FColorBorder = Value;
        break;
    case 2:
        FColorArrowBackground = Value;
        break;
    case 3:
        FColorArrow = Value;
        break;
    default:
        break;
    }
}

void TFlatHint::ApplicationShowHint(QString& HintStr, bool& CanShow, THintInfo& HintInfo) {
    if (FOnShowHint)
        FOnShowHint(HintStr, CanShow, HintInfo);
}

// ---------------------------------------------------------------------------------------------
// TFlatHintWindow

namespace {

// The settings a flat hint window reads. Without a TFlatHint on the main window the window
// still works, with the settings of a fresh component.
struct TLook {
    QFont Font;
    TColor FontColor = TFlatHint::DefaultFontColor;
    TColor ColorBackground = TFlatHint::DefaultColorBackground;
    TColor ColorBorder = TFlatHint::DefaultColorBorder;
    TColor ColorArrowBackground = TFlatHint::DefaultColorArrowBackground;
    TColor ColorArrow = TFlatHint::DefaultColorArrow;
    int MaxHintWidth = TFlatHint::DefaultMaxHintWidth;
};

TLook LookOf(const TFlatHint* Hint) {
    TLook Look;
    if (!Hint) {
        Look.Font = DefaultFont();
        return Look;
    }
    Look.Font = Hint->Font();
    Look.FontColor = Hint->FontColor();
    Look.ColorBackground = Hint->ColorBackground();
    Look.ColorBorder = Hint->ColorBorder();
    Look.ColorArrowBackground = Hint->ColorArrowBackground();
    Look.ColorArrow = Hint->ColorArrow();
    Look.MaxHintWidth = Hint->MaxHintWidth();
    return Look;
}

// The text area is the window less 22 pixels: frame, arrow box and margins.
constexpr int ChromeWidth = 22;
constexpr int ChromeHeight = 6;

bool ArrowOnLeft(TArrowCorner Corner) {
    return Corner == acTopLeft || Corner == acBottomLeft;
}

bool ArrowOnTop(TArrowCorner Corner) {
    return Corner == acTopLeft || Corner == acTopRight;
}

} // namespace

TFlatHintWindow::TFlatHintWindow(QWidget* AParent) : THintWindow(AParent) {}

void TFlatHintWindow::SetUpWindowParams(TWindowParams& Params) {
    THintWindow::SetUpWindowParams(Params);
    Params.Border = false; // the flat look draws its own one-pixel frame
}

TFlatHint* TFlatHintWindow::FindFlatHint() {
    const QWidget* MainForm = Application ? Application->MainForm() : nullptr;
    if (!MainForm)
        return nullptr;
    for (QObject* Child : MainForm->children()) {
        if (auto* Hint = qobject_cast<TFlatHint*>(Child))
            return Hint;
    }
    return nullptr;
}

TFlatHintWindow::TPlacement TFlatHintWindow::PlaceHint(const QRect& Screen, const QPoint& P,
                                                       const QSize& Size) {
    const int W = Screen.width(), H = Screen.height();
    const int HW = W / 2, HH = H / 2;
    // The quadrants are the primary screen's own. Under X11 or Wayland the primary screen need
    // not start at the desktop's origin, so the pointer is taken relative to its corner.
    const QPoint Rel = P - Screen.topLeft();
    // Half-open quadrants: left and top edges belong to a quadrant, right and bottom ones do
    // not, so each centre line belongs to the quadrant right of or below it.
    const auto In = [&Rel](const QRect& R) { return R.contains(Rel); };
    TArrowCorner Corner = acBottomRight; // also for a pointer off the primary screen
    if (In(RectLTRB(0, 0, HW, HH)))
        Corner = acTopLeft;
    else if (In(RectLTRB(HW, 0, W, HH)))
        Corner = acTopRight;
    else if (In(RectLTRB(0, HH, HW, H)))
        Corner = acBottomLeft;

    const int Gap = Corner == acTopLeft ? 12 : 5;
    const int w = Size.width(), h = Size.height();
    const int Left = ArrowOnLeft(Corner) ? P.x() + Gap : P.x() - Gap - w;
    const int Top = ArrowOnTop(Corner) ? P.y() + Gap : P.y() - Gap - h;
    // Not moved back onto the screen: a hint larger than the room toward the centre may run
    // past the far edge.
    return {Corner, QRect(Left, Top, w, h)};
}

void TFlatHintWindow::ShowHintAt(const QRect& HintRect, const QString& HintText) {
    CreateHandle();
    QRect R = HintRect;
    SetText(HintText);
    FFlatHint = FindFlatHint();
    const TLook Look = LookOf(FFlatHint);
    Canvas().Font = Look.Font;
    Canvas().FontColor = Look.FontColor;

    // A maximum width of 22 or less leaves no room for text; one pixel puts each word on a
    // line of its own instead of measuring against a negative width.
    R.setWidth(qMax(1, Look.MaxHintWidth - ChromeWidth));
    R = Canvas().CalcTextRect(R, HintText, THintCanvas::WordBreak);
    const QSize Size(R.width() + ChromeWidth, R.height() + ChromeHeight);

    const QScreen* Primary = QGuiApplication::primaryScreen();
    const QRect Screen = Primary ? Primary->geometry() : QRect();
    const TPlacement Place = PlaceHint(Screen, QCursor::pos(), Size);
    FArrowCorner = Place.Corner;
    resize(Place.Rect.size());
    // The window has no frame, so its client origin is the rectangle's top-left corner.
    ShowNoActivate(Place.Rect.topLeft());
}

void TFlatHintWindow::PaintHint() {
    const TLook Look = LookOf(FFlatHint);
    const int W = width(), H = height();
    const bool Left = ArrowOnLeft(FArrowCorner), Top = ArrowOnTop(FArrowCorner);

    // The arrow box A (14 pixels wide) and the text area T fill the inside of the frame.
    const QRect A = Left ? RectLTRB(1, 1, 15, H - 1) : RectLTRB(W - 15, 1, W - 1, H - 1);
    const QRect T = Left ? RectLTRB(15, 1, W - 1, H - 1) : RectLTRB(1, 1, W - 15, H - 1);

    THintCanvas& C = Canvas();
    C.Brush.Clear = false;
    C.Brush.Color = Look.ColorArrowBackground;
    C.FillRect(A);
    C.Brush.Color = Look.ColorBackground;
    C.FillRect(T);
    C.Brush.Color = Look.ColorBorder;
    C.FrameRect(rect());

    // The glyph: a two-pixel-thick corner bracket at the origin and a shaft running into the
    // box, mirrored so that it points out of the window corner toward the pointer.
    const int ALeft = A.left(), ATop = A.top();
    const int ARight = A.left() + A.width(), ABottom = A.top() + A.height(); // exclusive
    FArrowPos = QPoint(Left ? ALeft + 2 : ARight - 3, Top ? ATop + 2 : ABottom - 3);
    static constexpr int Glyph[18][2] = {{0, 0}, {0, 6}, {1, 6}, {1, 0}, {6, 0}, {6, 1},
                                         {2, 1}, {2, 4}, {5, 7}, {6, 7}, {3, 4}, {3, 3},
                                         {6, 6}, {7, 6}, {3, 2}, {4, 2}, {7, 5}, {7, 6}};
    const int Sx = Left ? 1 : -1, Sy = Top ? 1 : -1;
    QPoint Points[18];
    for (int I = 0; I < 18; ++I)
        Points[I] = FArrowPos + QPoint(Sx * Glyph[I][0], Sy * Glyph[I][1]);
    C.Pen.Color = Look.ColorArrow;
    C.Pen.Width = 1;
    C.Polyline(Points, 18);

    // The text, transparently, 3 pixels in from the sides of T and 1 from its top and bottom:
    // as wide as measured at activation, so the lines break where they broke then.
    C.Brush.Clear = true;
    const QRect TextRect = T.adjusted(3, 1, -3, -1);
    C.DrawText(TextRect, Text(), THintCanvas::WordBreak);
}
