#include "framework/panel.h"

#include "framework/accessible.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>

void DrawEdges(QPainter& painter, const QRect& rect, const QColor& topLeft,
               const QColor& bottomRight) {
    if (rect.width() <= 0 || rect.height() <= 0) {
        return;
    }
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), topLeft);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), topLeft);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
}

void DrawBevel(QPainter& painter, const QRect& rect, TPanel::TBevel bevel) {
    if (bevel == TPanel::TBevel::None) {
        return;
    }
    const QColor light = ColorToQColor(clBtnHighlight);
    const QColor dark = ColorToQColor(clBtnShadow);
    const bool raised = bevel == TPanel::TBevel::Raised;
    DrawEdges(painter, rect, raised ? light : dark, raised ? dark : light);
}

TPanel::TPanel(QWidget* parent) : QWidget(parent), color_(clBtnFace), fontColor_(clWindowText) {
    InstallAccessibleControls();
    // The panel paints every pixel of itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TPanel::SetBevelOuter(TBevel bevel) {
    outer_ = bevel;
    update();
}

void TPanel::SetBevelInner(TBevel bevel) {
    inner_ = bevel;
    update();
}

void TPanel::SetColor(TColor color) {
    color_ = color;
    update();
}

void TPanel::SetFontColor(TColor color) {
    fontColor_ = color;
    update();
}

void TPanel::SetCaption(const QString& caption) {
    const QString before = AccessibleText();
    caption_ = caption;
    update();
    TextChanged(before);
}

void TPanel::SetStatusDetail(const QString& detail) {
    const QString before = AccessibleText();
    detail_ = detail;
    TextChanged(before);
}

QString TPanel::AccessibleText() const {
    if (detail_.isEmpty()) {
        return caption_;
    }
    return caption_.isEmpty() ? detail_ : caption_ + QLatin1Char(' ') + detail_;
}

void TPanel::TextChanged(const QString& before) {
    if (AccessibleText() == before) {
        return;
    }
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

bool TPanel::event(QEvent* event) {
    const bool result = QWidget::event(event);
    // A status that appears is announced even when its text is the one it had last time.
    if (event->type() == QEvent::Show && status_) {
        QAccessibleEvent shown(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&shown);
    }
    return result;
}

void TPanel::PaintNow() {
    repaint();
}

void TPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ColorToQColor(color_));
    QRect inside = rect();
    if (outer_ != TBevel::None) {
        DrawBevel(painter, inside, outer_);
        inside.adjust(1, 1, -1, -1);
    }
    if (inner_ != TBevel::None) {
        DrawBevel(painter, inside, inner_);
        inside.adjust(1, 1, -1, -1);
    }
    if (caption_.isEmpty()) {
        return;
    }
    // Contents margins keep part of the panel for children below or beside the caption.
    inside &= contentsRect();
    painter.setFont(font());
    painter.setPen(ColorToQColor(fontColor_));
    painter.drawText(inside, Qt::AlignCenter | Qt::TextSingleLine, caption_);
}

void TPanel::mouseMoveEvent(QMouseEvent* event) {
    if (!OnMouseMove) {
        event->ignore();
        return;
    }
    OnMouseMove(event->modifiers(), event->position().toPoint());
}
