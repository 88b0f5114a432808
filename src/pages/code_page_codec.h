// Text in and out of Windows code pages, through the system's own converters
// (MultiByteToWideChar and WideCharToMultiByte): Qt for Windows is built without ICU and
// so knows no legacy encoding, while Windows knows most that a page may declare
// (windows-125x 1250-1258, ISO-8859-x 28591-28605, Shift_JIS 932, EUC-JP 20932,
// ISO-2022-JP 50220, GBK 936, GB18030 54936, Big5 950, EUC-KR 949, KOI8-R 20866,
// KOI8-U 21866, ...). Windows only; UTF-8 and UTF-16 go through Qt on every system.
// All functions are thread-safe.
#pragma once

#include <optional>
#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace titora {

// Whether this system has converters for `codePage`.
bool HasCodePage(unsigned codePage);

// The text `bytes` stand for in `codePage`; a byte sequence the code page does not hold
// becomes what the system replaces it with (U+FFFD, or the code page's own default
// character), as a browser shows a damaged title rather than none. Nothing when the
// system lacks the code page.
//
//   DecodeWithCodePage("Caf\xE9", 1252)  // -> "Café"
std::optional<QString> DecodeWithCodePage(std::string_view bytes, unsigned codePage);

// The bytes of `text` in `codePage`, ending in the code page's initial state (ASCII, for
// ISO-2022-JP), so that the ASCII "</title>" that follows reads as such. Nothing when a
// character has no bytes of its own in the code page (the system would write "?" or a
// look-alike in its place) or when the system lacks the code page: the caller then writes
// that character another way, as a numeric character reference.
//
//   EncodeWithCodePage(u"Café", 1252)  // -> "Caf\xE9"
//   EncodeWithCodePage(u"€", 28591)    // -> nothing: ISO-8859-1 has no euro sign
std::optional<std::string> EncodeWithCodePage(QStringView text, unsigned codePage);

} // namespace titora
