// The labels of the WHATWG Encoding Standard: which encoding each label names, as a
// browser looks a page's declared label up. The table is made from the standard's own
// list (see scripts/make_encoding_labels.py).
#pragma once

#include <string_view>

namespace titora {

// The name of the encoding that `label` names, exactly as the standard writes it
// ("windows-1252", "Shift_JIS", "UTF-8", "replacement", ...), or "" when the label is
// none of the standard's. The label's ASCII white space around it is ignored and its
// ASCII letters match in any case, as the standard's "get an encoding" has it.
//
//   EncodingForLabel(" Latin1 ")  // -> "windows-1252"
//   EncodingForLabel("bogus")     // -> ""
std::string_view EncodingForLabel(std::string_view label);

// Whether `name` is the name of one of the standard's encodings, as EncodingForLabel
// gives them (letter case included).
bool IsEncodingName(std::string_view name);

} // namespace titora
