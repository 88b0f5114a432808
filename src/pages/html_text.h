// Text taken out of HTML as a browser shows it: character references decoded, white
// space collapsed. Qt Core only: the title checks and the retitle templates both use it.
#pragma once

#include <QString>
#include <QStringView>

namespace titora {

// `text` with its character references decoded, numeric ("&#233;", "&#xE9;") and named
// ("&eacute;", "&amp;"), as a browser decodes them in text. A reference that names no
// character stays as it is.
//
//   DecodeCharacterReferences(u"Caf&eacute; &amp; bar")  // -> "Café & bar"
QString DecodeCharacterReferences(QStringView text);

// `text` with HTML white space (space, tab, LF, FF, CR) trimmed at both ends and every
// run of it inside made one space.
//
//   CollapseWhiteSpace(u"  Our\r\n  shop ")  // -> "Our shop"
QString CollapseWhiteSpace(QStringView text);

} // namespace titora
