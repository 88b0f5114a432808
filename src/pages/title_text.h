// A page title's bytes as text and text as a title's bytes, in the encoding of the page as
// the title engine tells it (see PageEncoding in the engine): the file list shows each
// title decoded this way, and Title It encodes the typed title this way for every page it
// writes. Qt Core only, so that a program without widgets can use it as well.
//
// The page's encoding is one of the WHATWG Encoding Standard's, by its name or any of its
// labels ("windows-1252", "latin1", "Shift_JIS"), converted as browsers convert it: the
// system's converters (ICU on Linux) where they have the encoding, our own tables where not
// (see encodings.h). For a page that declares none:
// - kUndeclaredUtf8: UTF-8;
// - kUndeclaredLegacy: the legacy encoding of the user's language (see FallbackEncoding),
//   windows-1252 for most;
// - "" (all ASCII), or a text that names no encoding: read as UTF-8 where the title's
//   bytes are UTF-8, else in that legacy encoding; written as ASCII, every other character
//   a numeric character reference, which every browser shows alike whatever it assumes.
// A character the encoding cannot hold is written as a numeric character reference
// ("&#8364;" for "€" in a windows-1252 page). A page declaring UTF-16 or one of the
// standard's "replacement" labels is written in UTF-8, as the standard has it; a
// "replacement" page has no readable title, as in a browser.
// All functions are thread-safe: the converters opened are kept and used under a lock.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace titora {

// The title `bytes` of a page in `pageEncoding`, as text; each byte sequence the encoding
// does not hold is U+FFFD. "UnTitled" where the page has no readable title.
//
//   DecodeTitle("Caf\xE9", "windows-1252")  // -> "Café"
QString DecodeTitle(std::string_view bytes, std::string_view pageEncoding);

// Whether a page in `pageEncoding` can have a readable title: false for the standard's
// "replacement" encoding, which reads a whole page as one U+FFFD.
bool TitleIsReadable(std::string_view pageEncoding);

// The bytes to write as the title `title` into a page in `pageEncoding`. Every "</title"
// in the title, in any letter case, is written as "&lt;/title", so that the title cannot
// end its own element; nothing else is escaped: "&amp;" stays those five characters. A
// lone UTF-16 surrogate is written as U+FFFD.
//
//   EncodeTitle("Café €", "iso-8859-1")  // -> "Caf\xE9 &#8364;"
std::string EncodeTitle(const QString& title, std::string_view pageEncoding);

// The standard's name of the encoding EncodeTitle writes in for `pageEncoding`
// ("windows-1252" for "latin1", "UTF-8" for "utf-16"), or "" where it writes ASCII with
// character references.
QString TitleEncodingName(std::string_view pageEncoding);

} // namespace titora
