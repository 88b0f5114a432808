#include "framework/flatbutton.h"

#include "framework/accessible.h"
#include "framework/application.h"
#include "framework/panel.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

TSpeedButton::TSpeedButton(QWidget* parent) : QWidget(parent), fontColor_(clBtnText) {
    InstallAccessibleControls();
    setFocusPolicy(Qt::NoFocus);
    setFont(DefaultFont(true));
    // Transparent: the parent's picture shows through, nothing of the button is filled.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TSpeedButton::SetCaption(const QString& caption) {
    if (caption == caption_) {
        return;
    }
    caption_ = caption;
    update();
    // The caption is the button's accessible name.
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
}

void TSpeedButton::Click() {
    if (OnClick) {
        OnClick();
    }
}

void TSpeedButton::SetFontColor(TColor color) {
    fontColor_ = color;
    update();
}

void TSpeedButton::SetState(State state) {
    if (state_ == state) {
        return;
    }
    state_ = state;
    update();
}

bool TSpeedButton::MouseCapturedElsewhere() const {
    // An explicit grab, or an implicit one by a button held down on some control (Qt sends
    // no enter events then, but a window's own move loop or a grab may still let one through).
    const QWidget* grabber = QWidget::mouseGrabber();
    return (grabber && grabber != this) || QApplication::mouseButtons() != Qt::NoButton;
}

bool TSpeedButton::PointerOver() const {
    // A modal window other than the button's own still blocks it.
    const QWidget* modal = QApplication::activeModalWidget();
    if (!isVisible() || MouseCapturedElsewhere() || (modal && modal != window())) {
        return false;
    }
    // The widget under the pointer, so that a window over the button counts.
    return QApplication::widgetAt(QCursor::pos()) == this;
}

bool TSpeedButton::event(QEvent* event) {
    if (event->type() == QEvent::WindowBlocked) {
        // A modal window takes the mouse now, while the pointer may still be over the button;
        // whether a leave event follows is up to the platform, so the button rests here. A
        // press it held gets no release any more.
        ++blocks_;
        held_ = false;
        SetState(State::Rest);
    }
    return QWidget::event(event);
}

void TSpeedButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (state_ == State::Hot) {
        DrawBevel(painter, rect(), TPanel::TBevel::Raised);
    } else if (state_ == State::Pressed) {
        DrawBevel(painter, rect(), TPanel::TBevel::Lowered);
    }
    QRect textRect = rect().adjusted(1, 1, -1, -1);
    if (state_ == State::Pressed) {
        textRect.translate(1, 1);
    }
    painter.setFont(font());
    painter.setPen(ColorToQColor(fontColor_));
    // The caption's font is bold; DrawFontText draws the bold that the face cannot give.
    DrawFontText(painter, textRect, Qt::AlignCenter | Qt::TextSingleLine, caption_);
}

void TSpeedButton::mousePressEvent(QMouseEvent* event) {
    // Accepted whatever the button, so that no press falls through to the picture below.
    event->accept();
    if (event->button() != Qt::LeftButton) {
        return;
    }
    held_ = true;
    SetState(State::Pressed);
}

void TSpeedButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click presses the button like the first.
    mousePressEvent(event);
}

void TSpeedButton::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (!held_) {
        return;
    }
    SetState(rect().contains(event->position().toPoint()) ? State::Pressed : State::Hot);
}

void TSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || !held_) {
        return;
    }
    held_ = false;
    const bool inside = rect().contains(event->position().toPoint());
    SetState(inside ? State::Hot : State::Rest);
    if (inside && OnClick) {
        const QPointer<TSpeedButton> self(this);
        const unsigned blocksBefore = blocks_;
        OnClick();
        // A modal window opened by the handler has run its own loop meanwhile, and the pointer
        // may be anywhere now; the button may even be gone.
        if (self && blocks_ != blocksBefore) {
            SetState(PointerOver() ? State::Hot : State::Rest);
        }
    }
}

void TSpeedButton::enterEvent(QEnterEvent*) {
    if (held_ || MouseCapturedElsewhere()) {
        return;
    }
    SetState(State::Hot);
}

void TSpeedButton::leaveEvent(QEvent*) {
    if (held_) {
        return;
    }
    SetState(State::Rest);
}

void TSpeedButton::hideEvent(QHideEvent*) {
    // A hidden button gets no release: it forgets the press and comes back at rest.
    held_ = false;
    SetState(State::Rest);
}
