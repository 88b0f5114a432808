#include "framework/tcolor.h"

#include <iterator>
#include <QWidget>

namespace {

// The classic ("Windows Standard") scheme, by system colour index, as 0xRRGGBB. Indices past
// the end of the table, and 25, which names no colour, come out black.
constexpr QRgb kClassicScheme[] = {
    0xC0C0C0, // 0 scroll bar
    0x008080, // 1 desktop
    0x000080, // 2 active caption
    0x808080, // 3 inactive caption
    0xC0C0C0, // 4 menu
    0xFFFFFF, // 5 window background
    0x000000, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0xFFFFFF, // 9 caption text
    0xC0C0C0, // 10 active border
    0xC0C0C0, // 11 inactive border
    0x808080, // 12 application workspace
    0x000080, // 13 highlight
    0xFFFFFF, // 14 highlighted text
    0xC0C0C0, // 15 button face
    0x808080, // 16 button shadow
    0x808080, // 17 grey text
    0x000000, // 18 button text
    0xC0C0C0, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x000000, // 21 dark shadow of 3D elements
    0xDFDFDF, // 22 light colour of 3D elements
    0x000000, // 23 tool-tip text
    0xFFFFE1, // 24 tool-tip background
    0x000000, // 25 (none)
    0x000080, // 26 hot-tracked item
    0x1084D0, // 27 gradient of the active caption
    0xB5B5B5, // 28 gradient of the inactive caption
    0x000080, // 29 menu highlight
    0xC0C0C0, // 30 menu bar
};

} // namespace

QColor ColorToQColor(TColor c) {
    if ((c & 0xFF000000u) == 0) {
        return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
    }
    const unsigned index = c & 0xFFu;
    if ((c & 0xFF000000u) != clSystemColor || index >= std::size(kClassicScheme)) {
        return QColor(Qt::black);
    }
    return QColor(kClassicScheme[index]);
}

QPalette ClassicPalette() {
    QPalette palette(
        ColorToQColor(clBtnText), ColorToQColor(clBtnFace), ColorToQColor(clBtnHighlight),
        ColorToQColor(clBtnShadow), ColorToQColor(clBtnShadow), ColorToQColor(clWindowText),
        ColorToQColor(clBtnHighlight), ColorToQColor(clWindow), ColorToQColor(clBtnFace));
    palette.setColor(QPalette::Midlight, ColorToQColor(cl3DLight));
    palette.setColor(QPalette::Shadow, ColorToQColor(cl3DDkShadow));
    palette.setColor(QPalette::Highlight, ColorToQColor(clHighlight));
    palette.setColor(QPalette::HighlightedText, ColorToQColor(clHighlightText));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, ColorToQColor(clGrayText));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, ColorToQColor(clGrayText));
    palette.setColor(QPalette::Disabled, QPalette::Text, ColorToQColor(clGrayText));
    return palette;
}

void SetBackgroundColor(QWidget& widget, TColor color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, ColorToQColor(color));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}
