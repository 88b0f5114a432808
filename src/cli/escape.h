// How titora-cli writes paths and titles, which are bytes of any value, into its
// line-oriented and JSON output without letting them break a line, a field or a
// terminal.
#pragma once

#include <string>
#include <string_view>

namespace titora::cli {

// Appends `bytes` as one field of a tab-separated line: a backslash, tab, carriage
// return and line feed become \\, \t, \r and \n, every other control character
// (below 0x20, 0x7F, and the UTF-8 forms C2 80 to C2 9F) \xHH per byte; all other
// bytes, UTF-8 or not, go unchanged. A title spanning two lines thus reads
// "first\r\nsecond".
void AppendLineField(std::string& out, std::string_view bytes);

// Appends a path as AppendLineField does, except on Windows, where a backslash is the
// folder separator and goes unchanged: "C:\site\index.html" is printed as it is. A
// Windows name cannot hold the control characters that are still escaped.
void AppendPathField(std::string& out, std::string_view path);

// Appends `bytes` as a JSON string, quotes included. Well-formed UTF-8 goes unchanged
// but for the escapes JSON needs and \u00XX for every control character; each byte that is not part
// of well-formed UTF-8 becomes the escape \udcXX for byte 0xXX, the form Python's "surrogateescape"
// reads back into the same byte, so that a name in another encoding is not lost.
//
//   AppendJsonString(out, "caf\xe9")  // appends "caf\udce9" with its quotes
void AppendJsonString(std::string& out, std::string_view bytes);

} // namespace titora::cli
