#pragma once

#include <QAbstractNativeEventFilter>
#include <QtGui/qwindowdefs.h>

// Brings the modal box back to the front when the user clicks a window that it blocks.
//
// Qt drops the clicks on a blocked window before any widget sees them, and hands the focus
// on to the modal box only when the blocked window gains it; a box that was minimised, or
// hidden behind other windows while the blocked one kept the focus, would leave the user
// with windows that take no input and no box to answer. So the clicks are watched as the
// platform delivers them (X11), ahead of Qt's own dispatch.
class TModalFront : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
};

// Shows the active modal box normally (not minimised), raises and activates it, unless
// `pressed` (the native window clicked) is the box's own or a pop-up is open; nothing when no
// modal box is up.
void BringModalToFront(WId pressed = 0);
