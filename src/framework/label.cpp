#include "framework/label.h"

#include "framework/accessible.h"

#include <QMouseEvent>

TLabel::TLabel(QWidget* parent) : QLabel(parent) {
    Init();
}

TLabel::TLabel(const QString& text, QWidget* parent) : QLabel(parent) {
    // The text is set once this is a TLabel: QLabel tells assistive technology of a new text,
    // and an interface asked for inside QLabel's constructor would be QLabel's for good.
    Init();
    setText(text);
}

void TLabel::Init() {
    InstallAccessibleControls();
    setMouseTracking(true);
    // The text colour is the definition's even where none is given, not the desktop's: a
    // label stands on our own panels, which keep their colours under a dark theme.
    SetFontColor(fontColor_);
}

void TLabel::setText(const QString& text) {
    QLabel::setText(text);
    FitToText();
}

void TLabel::SetFontColor(TColor color) {
    fontColor_ = color;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ColorToQColor(color));
    setPalette(pal);
}

void TLabel::SetColor(TColor color) {
    SetBackgroundColor(*this, color);
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    FitToText();
}

void TLabel::FitToText() {
    // A fixed size (minimum equal to maximum) is the window definition's wish to keep it.
    if (!autoSize_ || minimumSize() == maximumSize()) {
        return;
    }
    resize(sizeHint());
}

void TLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        FitToText();
    }
}

void TLabel::showEvent(QShowEvent* event) {
    QLabel::showEvent(event);
    FitToText();
}

void TLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
    }
    QLabel::mousePressEvent(event);
    // A clickable label keeps its press, so that the release comes back to it.
    if (OnClick) {
        event->accept();
    }
}

void TLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = event->button() == Qt::LeftButton && pressed_ &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        pressed_ = false;
    }
    QLabel::mouseReleaseEvent(event);
    if (click && OnClick) {
        OnClick();
    }
}

void TLabel::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    if (OnMouseMove) {
        OnMouseMove(event->modifiers(), event->position().toPoint());
    }
}
