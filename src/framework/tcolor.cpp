#include "framework/tcolor.h"

#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

namespace {

// The palette role that stands for each system colour index of the original platform.
// Indices without a counterpart in QPalette have none and come out black.
bool SystemColorRole(unsigned index, QPalette::ColorRole& role) {
    switch (index) {
    case 4:  // menu
    case 15: // button face
    case 30: // menu bar
        role = QPalette::Button;
        return true;
    case 5: // window background
        role = QPalette::Base;
        return true;
    case 7: // menu text
    case 8: // window text
        role = QPalette::Text;
        return true;
    case 13: // highlight
    case 29: // menu highlight
        role = QPalette::Highlight;
        return true;
    case 14:
        role = QPalette::HighlightedText;
        return true;
    case 16: // button shadow
        role = QPalette::Dark;
        return true;
    case 18:
        role = QPalette::ButtonText;
        return true;
    case 20: // button highlight
        role = QPalette::Light;
        return true;
    case 21: // dark shadow of 3D elements
        role = QPalette::Shadow;
        return true;
    case 22: // light colour of 3D elements
        role = QPalette::Midlight;
        return true;
    case 23:
        role = QPalette::ToolTipText;
        return true;
    case 24:
        role = QPalette::ToolTipBase;
        return true;
    case 26: // hot-tracked item
        role = QPalette::Link;
        return true;
    default:
        return false;
    }
}

} // namespace

QColor ColorToQColor(TColor c) {
    if ((c & 0xFF000000u) == 0) {
        return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
    }
    // Grey text is the text colour of the disabled group, which no role of its own names.
    if (c == clGrayText) {
        return QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text);
    }
    QPalette::ColorRole role;
    if ((c & 0xFF000000u) != clSystemColor || !SystemColorRole(c & 0xFFu, role)) {
        return QColor(Qt::black);
    }
    return QGuiApplication::palette().color(QPalette::Active, role);
}

void SetBackgroundColor(QWidget& widget, TColor color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, ColorToQColor(color));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}
