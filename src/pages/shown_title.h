// A page's title as a browser shows it: decoded from the page's encoding, character
// references decoded, white space trimmed and collapsed. What the title checks measure
// and compare. Qt Core only.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace titora {

// The title element's `bytes` of a page declaring `declaredEncoding` ("" for none), as
// shown.
//
//   ShownTitleText("  Caf&eacute;\r\n  &amp; bar ", "")  // -> "Café & bar"
QString ShownTitleText(std::string_view bytes, std::string_view declaredEncoding);

// ShownTitleText as UTF-8, the form the title checks take (see titora::ShowTitle).
std::string ShownTitle(std::string_view bytes, std::string_view declaredEncoding);

} // namespace titora
