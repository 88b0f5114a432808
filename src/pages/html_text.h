// Text taken out of HTML as a browser shows it: character references decoded, white
// space collapsed. Qt Core only: the title checks and the retitle templates both use it.
#pragma once

#include <QString>
#include <QStringView>

namespace titora {

// `text` with its character references decoded, numeric ("&#233;", "&#xE9;") and named
// ("&eacute;", "&amp;", every name of the HTML standard), as a browser decodes them in
// text: the longest name that matches wins, the few old names browsers take without a
// ";" ("&copy 2024") are decoded without it, a number naming no character gives U+FFFD
// and 128 to 159 are read as windows-1252. A reference that names no character stays as
// it is ("&zzz;", "&#;").
//
//   DecodeCharacterReferences(u"Caf&eacute; &amp; bar")  // -> "Café & bar"
QString DecodeCharacterReferences(QStringView text);

// `text` with HTML white space (space, tab, LF, FF, CR) trimmed at both ends and every
// run of it inside made one space.
//
//   CollapseWhiteSpace(u"  Our\r\n  shop ")  // -> "Our shop"
QString CollapseWhiteSpace(QStringView text);

} // namespace titora
