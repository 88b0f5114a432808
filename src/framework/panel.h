#pragma once

#include "framework/tcolor.h"

#include <functional>
#include <QPoint>
#include <QString>
#include <QWidget>

class QPainter;

// A panel: face colour, one-pixel outer and inner bevels and a caption centred both ways
// within the panel's contents rectangle (the whole panel unless contents margins are set).
//
// Drawn by hand rather than with QFrame, whose panel shapes are drawn by the style; the
// program's panels need exactly one-pixel edges in the highlight and shadow colours.
//
// As the busy indicator it offers SetCaption, show(), PaintNow() and hide(); PaintNow() paints
// before it returns, because the commands that show the indicator handle no events meanwhile.
// Made a status (SetStatus), it is presented to assistive technology as a status whose text,
// the caption followed by a detail such as a progress, is announced whenever it changes and
// whenever the panel appears.
class TPanel : public QWidget {
    Q_OBJECT
    // Lets a window definition make the panel a status.
    Q_PROPERTY(bool status READ IsStatus WRITE SetStatus)
public:
    enum class TBevel { None, Lowered, Raised };

    explicit TPanel(QWidget* parent = nullptr);

    void SetBevelOuter(TBevel bevel);
    void SetBevelInner(TBevel bevel);
    TBevel BevelOuter() const { return outer_; }
    TBevel BevelInner() const { return inner_; }
    void SetColor(TColor color);
    TColor Color() const { return color_; }
    void SetFontColor(TColor color);
    TColor FontColor() const { return fontColor_; }
    void SetCaption(const QString& caption);
    QString Caption() const { return caption_; }

    void SetStatus(bool status) { status_ = status; }
    bool IsStatus() const { return status_; }
    // Follows the caption in the text assistive technology reads, e.g. "1,234 of 5,000"; empty
    // for none. It is not drawn: whoever sets it shows it on a control of its own.
    void SetStatusDetail(const QString& detail);
    QString StatusDetail() const { return detail_; }
    // The text assistive technology reads: the caption, and after it the detail, if any.
    QString AccessibleText() const;

    // Paints the panel at once (a synchronous repaint()).
    void PaintNow();

    // Called on every mouse move over the panel when set.
    std::function<void(Qt::KeyboardModifiers, QPoint)> OnMouseMove;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // Tells assistive technology that the accessible text is no longer `before`.
    void TextChanged(const QString& before);

    TBevel outer_ = TBevel::Raised;
    TBevel inner_ = TBevel::None;
    TColor color_;
    TColor fontColor_;
    QString caption_;
    QString detail_;
    bool status_ = false;
};

// Draws the outermost ring of `rect`'s pixels: top and left in `topLeft`, then bottom and
// right in `bottomRight` over the two far corners, as the original platform draws its edges.
void DrawEdges(QPainter& painter, const QRect& rect, const QColor& topLeft,
               const QColor& bottomRight);

// Draws a one-pixel bevel on `rect`: raised is the highlight colour at top and left and the
// shadow colour at bottom and right, lowered the other way round. Shared by the flat controls.
void DrawBevel(QPainter& painter, const QRect& rect, TPanel::TBevel bevel);
