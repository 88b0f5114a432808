#pragma once

#include "framework/tcolor.h"

#include <functional>
#include <QLabel>
#include <QPoint>

// A label in the colours of its window definition, with a click and a mouse-move event.
// It sizes itself to its text unless it was given a fixed size (setFixedSize) or
// SetAutoSize(false). With a click handler it is a link to assistive technology, whose press
// action runs OnClick (see framework/accessible.h).
class TLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLabel(QWidget* parent = nullptr);
    explicit TLabel(const QString& text, QWidget* parent = nullptr);

    // Hides QLabel::setText so that the label can size itself to the new text.
    void setText(const QString& text);

    void SetFontColor(TColor color);
    TColor FontColor() const { return fontColor_; }
    // The background colour; setting it makes the label fill its background.
    void SetColor(TColor color);
    void SetAutoSize(bool autoSize);

    // A left press and release inside the label.
    std::function<void()> OnClick;
    // Called on every mouse move over the label when set.
    std::function<void(Qt::KeyboardModifiers, QPoint)> OnMouseMove;

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void Init();
    void FitToText();

    TColor fontColor_ = clWindowText;
    bool autoSize_ = true;
    bool pressed_ = false;
};
