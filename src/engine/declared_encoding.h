// Which character encoding a page declares, found the way a browser finds it before it
// decodes the page: a byte-order mark, else a <meta> declaration near the start.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace titora {

// How many bytes from the start of a page the search for a <meta> declaration reads.
inline constexpr std::size_t kPrescanLength = 1024;

// The label of the encoding that the page `bytes` declares, "" when it declares none:
// - a byte-order mark gives "UTF-8", "UTF-16LE" or "UTF-16BE";
// - else the first <meta charset=...> or <meta http-equiv="Content-Type"
//   content="...; charset=..."> among the first kPrescanLength bytes, found by the HTML
//   standard's prescan: attributes in any order and letter case, quoted or not; comments,
//   other tags and their attribute values skipped; a declaration cut off by the end of
//   the bytes scanned is none.
// The label is returned as the page writes it, without the blanks around it: which
// encoding it names (and whether it names one at all) is the caller's business. Reads
// nothing beyond the first kPrescanLength bytes and never fails.
//
//   DeclaredEncoding("<meta http-equiv=Content-Type content='text/html; charset=EUC-KR'>")
//       // -> "EUC-KR"
std::string DeclaredEncoding(std::string_view bytes);

} // namespace titora
