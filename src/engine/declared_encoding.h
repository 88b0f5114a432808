// Which character encoding a page declares, found the way a browser finds it before it
// decodes the page: a byte-order mark, else a <meta> declaration near the start.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace titora {

// How many bytes from the start of a page the search for a <meta> declaration reads.
inline constexpr std::size_t kPrescanLength = 1024;

// The name of the encoding that the page `bytes` declares, as the WHATWG Encoding
// Standard writes it ("windows-1252", "Shift_JIS", "UTF-8", "replacement", ...), "" when it
// declares none, found as a browser finds it:
// - a byte-order mark gives "UTF-8", "UTF-16LE" or "UTF-16BE", and so do the first bytes of
//   an XML declaration in UTF-16;
// - else the HTML standard's prescan of the first kPrescanLength bytes: the first <meta
//   charset=...> or <meta http-equiv="Content-Type" content="...; charset=..."> whose label
//   names an encoding (see EncodingForLabel; a label that names none is passed over and the
//   scan goes on), attributes in any order and letter case, quoted or not, comments, other
//   tags and their attribute values skipped, a declaration cut off by the end of the bytes
//   scanned none; a UTF-16 label there means UTF-8 and x-user-defined windows-1252;
// - else the encoding an XML declaration at the very start names.
// Reads nothing beyond the first kPrescanLength bytes and never fails.
//
//   DeclaredEncoding("<meta http-equiv=Content-Type content='text/html; charset=latin1'>")
//       // -> "windows-1252"
std::string DeclaredEncoding(std::string_view bytes);

// The length of the well-formed UTF-8 sequence that starts at `bytes[at]` (1 for an ASCII
// byte), or 0 where none does: overlong forms, surrogates and code points above U+10FFFF
// are not well-formed. `*cutShort`, where given, tells whether the bytes end inside a
// sequence that is well-formed so far.
//
//   Utf8SequenceLength("Caf\xC3\xA9", 3)  // -> 2
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at, bool* cutShort = nullptr);

// What the bytes of a page that declares no encoding hold, as far as choosing one goes.
enum class UndeclaredText {
    kAscii, // no byte above 0x7F
    kUtf8,  // valid UTF-8 with at least one multi-byte sequence
    kOther, // anything else: a legacy encoding
};

// Judges `bytes`. With `cut` the bytes are the start of a longer page: a multi-byte
// sequence cut off at their end still counts as valid.
UndeclaredText JudgeUndeclared(std::string_view bytes, bool cut);

// The encoding a page is read and written in, as the engine hands it on (to a
// TitleEncoder, in PageTitle): the name DeclaredEncoding gives, or, for a page that
// declares none, one of these three by what JudgeUndeclared finds. None of them is a
// name of the standard's.
inline constexpr std::string_view kUndeclaredAscii = "";
inline constexpr std::string_view kUndeclaredUtf8 = "UTF-8 (undeclared)";
inline constexpr std::string_view kUndeclaredLegacy = "legacy (undeclared)";

// DeclaredEncoding(bytes), or the undeclared kind of `bytes` (see JudgeUndeclared).
//
//   PageEncoding("<title>Caf\xC3\xA9</title>", false)  // -> kUndeclaredUtf8
std::string PageEncoding(std::string_view bytes, bool cut);

// Whether a page encoding as PageEncoding gives it was declared by the page.
bool IsDeclared(std::string_view pageEncoding);

} // namespace titora
