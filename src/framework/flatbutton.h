#pragma once

#include "framework/tcolor.h"

#include <functional>
#include <QString>
#include <QWidget>

// A flat push button painted over its parent's picture.
//
// Written by hand rather than taken from QToolButton's auto-raise mode: that look comes from
// the style (fills, rounded frames) and its hover rule ignores other controls' mouse capture,
// while this button must draw exactly one-pixel edges with no fill and follow the capture rules
// below.
//
// Looks: rest (caption only), hot (one-pixel raised edge), pressed (one-pixel sunken edge,
// caption shifted one pixel right and down). The mouse makes it hot only while no control has
// captured the mouse. A left press makes it pressed; while held, moving out shows the hot look
// and moving back in the pressed look; releasing inside runs OnClick, releasing outside runs
// nothing. A modal window that blocks the button's window (often opened by its own click)
// brings it back to rest, and once the click's handler returns it is hot or at rest by where
// the pointer is then. Only the left button presses it, it never takes the focus, and it accepts
// every press so that none reaches the widget below. The hint text is the widget's toolTip().
// Assistive technology sees a push button named by the caption, described by the hint, whose
// press action runs OnClick as a click does (see framework/accessible.h).
class TSpeedButton : public QWidget {
    Q_OBJECT
public:
    enum class State { Rest, Hot, Pressed };

    explicit TSpeedButton(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    QString Caption() const { return caption_; }
    void SetFontColor(TColor color);
    TColor FontColor() const { return fontColor_; }

    State state() const { return state_; }

    // Runs OnClick, as a click with the mouse does; the press action of assistive technology.
    void Click();

    std::function<void()> OnClick;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SetState(State state);
    bool MouseCapturedElsewhere() const;
    // Whether the mouse pointer is over the button now and free to make it hot.
    bool PointerOver() const;

    QString caption_;
    TColor fontColor_;
    State state_ = State::Rest;
    bool held_ = false;
    // How often a modal window blocked the button's window; tells whether a click handler ran
    // a modal window's loop.
    unsigned blocks_ = 0;
};
