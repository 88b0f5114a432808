#include "framework/modal_front.h"

#include <cstdint>
#include <cstring>
#include <QApplication>
#include <QByteArray>
#include <QWidget>
#include <QWindow>

namespace {

// X11 events are read by their layout, so that no X11 headers are needed. The first byte is
// the event's type, with the top bit marking a sent event: a core button press is type 4,
// with the window pressed at byte 12. Where the X server has the input extension, Qt asks for
// its events instead: a generic event (type 35) whose 16-bit type at byte 8 is 4 for a button
// press, with the window at byte 24.
constexpr std::uint8_t kButtonPress = 4;
constexpr std::uint8_t kGenericEvent = 35;
constexpr std::uint16_t kInputButtonPress = 4;

std::uint32_t Read32(const std::uint8_t* at) {
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// The window a button press went to, or 0 for any other event.
std::uint32_t PressedWindow(const void* message) {
    const auto* bytes = static_cast<const std::uint8_t*>(message);
    const std::uint8_t type = bytes[0] & 0x7f;
    if (type == kButtonPress)
        return Read32(bytes + 12);
    if (type != kGenericEvent)
        return 0;
    std::uint16_t inputType;
    std::memcpy(&inputType, bytes + 8, sizeof inputType);
    return inputType == kInputButtonPress ? Read32(bytes + 24) : 0;
}

} // namespace

void BringModalToFront(WId pressed) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || QApplication::activePopupWidget())
        return;
    if (pressed != 0 && modal->internalWinId() == pressed)
        return;
    // Qt does not always learn that the window manager minimised a box; activating it is what
    // makes the window manager show it again.
    if (modal->isMinimized())
        modal->showNormal();
    modal->raise();
    modal->activateWindow();
}

bool TModalFront::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !message)
        return false;
    const WId pressed = PressedWindow(message);
    if (pressed != 0 && QApplication::activeModalWidget()) {
        // After Qt has dealt with the click, not in the middle of its dispatch.
        QMetaObject::invokeMethod(
            qApp, [pressed] { BringModalToFront(pressed); }, Qt::QueuedConnection);
    }
    return false;
}
