#include "shown_title.h"

#include "html_text.h"
#include "title_text.h"

namespace titora {

QString ShownTitleText(std::string_view bytes, std::string_view declaredEncoding) {
    // References are decoded before white space is collapsed, as a browser does: the
    // text node holds the referenced characters, and "&#32;" is white space like any other.
    return CollapseWhiteSpace(DecodeCharacterReferences(DecodeTitle(bytes, declaredEncoding)));
}

std::string ShownTitle(std::string_view bytes, std::string_view declaredEncoding) {
    return ShownTitleText(bytes, declaredEncoding).toStdString();
}

} // namespace titora
