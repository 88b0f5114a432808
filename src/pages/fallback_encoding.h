// The legacy encoding a browser reads a page in when the page declares none and its bytes
// are not UTF-8: chosen by the user's language, as browsers' locale tables have it.
#pragma once

#include <string_view>

namespace titora {

// The standard's name of the fallback encoding for a POSIX locale name such as
// "ja_JP.UTF-8", "zh_TW" or "sr_RS@latin": Shift_JIS for Japanese, GBK for Simplified and
// Big5 for Traditional Chinese, EUC-KR for Korean, windows-1251 for Russian, Ukrainian and
// the other Cyrillic languages, windows-1250 for Central European languages, and so on;
// windows-1252 for the others, and for "C" and "POSIX".
std::string_view FallbackEncodingForLocale(std::string_view locale);

// The fallback encoding of this user, one implementation per system: on POSIX systems
// that of the locale of LC_ALL, else LC_CTYPE, else LANG (fallback_encoding_posix.cpp); on
// Windows it is to be the encoding of the system's ANSI code page (see
// FindEncodingByCodePage). Read once.
std::string_view FallbackEncoding();

} // namespace titora
