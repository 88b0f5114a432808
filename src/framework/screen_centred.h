#pragma once

#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QSize>
#include <QWindow>

// The client rectangle of size `size` that centres a window with frame `frame` in `area`. The
// client rectangle is what every platform places alike; where the frame goes for a given
// window position is up to the window manager.
inline QRect CentredClientRect(const QRect& area, const QSize& size, const QMargins& frame) {
    const QSize outer = size.grownBy(frame);
    return QRect(QPoint(area.left() + (area.width() - outer.width()) / 2 + frame.left(),
                        area.top() + (area.height() - outer.height()) / 2 + frame.top()),
                 size);
}

// A dialog whose frame is centred on the primary screen's available area. Qt's own placing of
// a dialog without a parent is off centre where no window's frame is known yet (it then
// reckons with a frame of 10 x 40 pixels), and a message box only takes its final size in its
// own showEvent; so the box is placed after that, and before its window is mapped.
//
// A window manager that decorates a window when it maps it makes the frame known only at the
// first exposure; the box is then placed again, unless it was moved meanwhile.
template <class Dialog> class TScreenCentred : public Dialog {
public:
    using Dialog::Dialog;

protected:
    void showEvent(QShowEvent* event) override {
        Dialog::showEvent(event);
        if (event->spontaneous()) {
            return;
        }
        PlaceAtScreenCentre();
        if (QWindow* window = this->windowHandle()) {
            window->installEventFilter(this);
        }
    }

    // The box may still change its size once shown (a message box lays its text out again
    // at the next layout request); the program's own resizing keeps it centred until the
    // user moves it.
    void resizeEvent(QResizeEvent* event) override {
        Dialog::resizeEvent(event);
        if (placed_ && !event->spontaneous() && this->geometry().topLeft() == placedAt_) {
            PlaceAtScreenCentre();
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        QWindow* window = this->windowHandle();
        if (watched == window && event->type() == QEvent::Expose && window->isExposed()) {
            window->removeEventFilter(this);
            if (window->frameMargins() != frame_ && this->geometry().topLeft() == placedAt_) {
                PlaceAtScreenCentre();
            }
        }
        return Dialog::eventFilter(watched, event);
    }

private:
    void PlaceAtScreenCentre() {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen) {
            return;
        }
        frame_ = this->windowHandle() ? this->windowHandle()->frameMargins() : QMargins();
        this->setGeometry(CentredClientRect(screen->availableGeometry(), this->size(), frame_));
        placedAt_ = this->geometry().topLeft();
        placed_ = true;
    }

    QMargins frame_;
    QPoint placedAt_;
    bool placed_ = false;
};
