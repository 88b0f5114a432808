#include "framework/hintcanvas.h"

#include "framework/panel.h"

#include <cstdlib>
#include <QFontMetrics>
#include <QPainter>
#include <QTransform>

namespace {

// Qt's layout flags for our text flags. No mnemonic flag is ever passed, so Qt neither hides
// nor underlines anything after "&": the ampersand is measured and drawn as itself.
int QtTextFlags(int Flags) {
    int Result = Qt::AlignLeft | Qt::AlignTop;
    if (Flags & THintCanvas::WordBreak)
        Result |= Qt::TextWordWrap;
    return Result;
}

} // namespace

QRect THintCanvas::CalcTextRect(const QRect& R, const QString& Text, int Flags) const {
    const QFontMetrics Metrics(Font);
    if (Text.isEmpty())
        return QRect(R.topLeft(), QSize(0, Metrics.height()));
    // A zero height would make Qt clip nothing but report nothing either; give the layout
    // all the room it wants downwards and read back the extent it used.
    const QRect Room(R.left(), R.top(), R.width(), 1 << 20);
    const QRect Used = Metrics.boundingRect(Room, QtTextFlags(Flags), Text);
    return QRect(R.topLeft(), Used.size());
}

void THintCanvas::FillRect(const QRect& R) {
    if (!FPainter || Brush.Clear || R.isEmpty())
        return;
    FPainter->fillRect(R, ColorToQColor(Brush.Color));
}

void THintCanvas::FrameRect(const QRect& R) {
    if (!FPainter || R.isEmpty())
        return;
    const QColor Color = ColorToQColor(Brush.Color);
    DrawEdges(*FPainter, R, Color, Color);
}

// QPainter::drawLine includes the end point and places pixels of shallow lines differently,
// which would change the small glyphs drawn with this; so the pixels are plotted here.
//
// At a whole-number scale Qt draws each pixel as a square of that many device pixels. At a
// fractional one (1.5, 1.25) it would make some one-pixel strokes one device pixel wide and
// others two; there each pixel becomes a square of the nearest whole number of device pixels,
// laid out from the first vertex, so that the glyph keeps its shape.
void THintCanvas::Polyline(const QPoint* Points, int Count) {
    if (!FPainter || Count < 2)
        return;
    const QColor Color = ColorToQColor(Pen.Color);
    // The painter's scale to device pixels; a widget rendered into an image of another
    // scale reports its own screen's ratio, so the painter is asked, not the widget.
    const qreal Scale = FPainter->deviceTransform().m11();
    const qreal Ratio = Scale > 0 ? Scale : 1.0;
    const int Block = qMax(1, qRound(Ratio));
    const bool Whole = qFuzzyCompare(Ratio, qreal(Block));
    const QPoint Origin = Points[0];
    const QPoint DeviceOrigin = (QPointF(Origin) * Ratio).toPoint();
    FPainter->save();
    if (!Whole)
        FPainter->setWorldTransform(QTransform::fromScale(1 / Ratio, 1 / Ratio), true);
    const auto Plot = [&](int X, int Y) {
        if (Whole)
            FPainter->fillRect(QRect(X, Y, 1, 1), Color);
        else
            FPainter->fillRect(
                QRect(DeviceOrigin + (QPoint(X, Y) - Origin) * Block, QSize(Block, Block)), Color);
    };
    for (int I = 0; I + 1 < Count; ++I) {
        int X = Points[I].x(), Y = Points[I].y();
        const int X1 = Points[I + 1].x(), Y1 = Points[I + 1].y();
        const int Dx = std::abs(X1 - X), Dy = std::abs(Y1 - Y);
        const int Sx = X < X1 ? 1 : -1, Sy = Y < Y1 ? 1 : -1;
        int Err = Dx - Dy;
        while (X != X1 || Y != Y1) {
            Plot(X, Y);
            const int E2 = 2 * Err;
            if (E2 > -Dy) {
                Err -= Dy;
                X += Sx;
            }
            if (E2 < Dx) {
                Err += Dx;
                Y += Sy;
            }
        }
    }
    FPainter->restore();
}

void THintCanvas::DrawText(const QRect& R, const QString& Text, int Flags) {
    if (!FPainter || Text.isEmpty())
        return;
    FPainter->save();
    FPainter->setFont(Font);
    FPainter->setPen(ColorToQColor(FontColor));
    FPainter->drawText(R, QtTextFlags(Flags), Text);
    FPainter->restore();
}
