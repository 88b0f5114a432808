// A page title's bytes as text and text as a title's bytes, in the encoding the page
// declares (see DeclaredEncoding in the title engine): the file list shows each title
// decoded this way, and Title It encodes the typed title this way for every page it
// writes. Qt Core only, so that a program without widgets can use it as well.
//
// A declared label names one of the encodings Qt knows, its own and (through ICU) the
// legacy ones, such as "iso-8859-1", "Shift_JIS" or "EUC-KR". A page that declares none,
// or a label Qt does not know or whose encoding cannot stand in an HTML page (one that
// writes ASCII as other bytes, such as EBCDIC, UTF-7 or HZ), is read and written in the
// system's code page.
// - Reading follows the browsers where they read a label as a wider encoding:
//   ISO-8859-1 and US-ASCII as windows-1252, EUC-KR as windows-949, GB2312 as GBK. The
//   title then shows as the page's readers see it ("\x93" is a quotation mark).
// - Writing keeps to the label itself: a character the declared encoding cannot hold is
//   written as a numeric character reference ("&#8364;" for "€" in a Latin-1 page),
//   which every reader of the page decodes alike.
// - A declared UTF-16 or UTF-32 means UTF-8, as in browsers: a page the engine can
//   retitle holds no NUL byte, so its bytes are not in either.
// All functions are thread-safe: what they keep between calls (the labels they have
// looked up, a decoder per encoding) is kept under a lock.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace titora {

// The title `bytes` of a page that declares `declaredEncoding` ("" for none), as text.
//
//   DecodeTitle("Caf\xE9", "iso-8859-1")  // -> "Café"
QString DecodeTitle(std::string_view bytes, std::string_view declaredEncoding);

// The bytes to write as the title `title` into a page that declares `declaredEncoding`.
// Every "</title" in the title, in any letter case, is written as "&lt;/title", so that
// the title cannot end its own element; nothing else is escaped: "&amp;" stays those five
// characters. A lone UTF-16 surrogate is written as "&#65533;".
//
//   EncodeTitle("Café €", "iso-8859-1")  // -> "Caf\xE9 &#8364;"
std::string EncodeTitle(const QString& title, std::string_view declaredEncoding);

// The name of the encoding EncodeTitle writes in for `declaredEncoding`, as Qt names it
// ("ISO-8859-1" for "latin1", "UTF-8" for "utf-16"), or "" for the system's code page.
QString TitleEncodingName(std::string_view declaredEncoding);

} // namespace titora
