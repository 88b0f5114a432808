// The encodings of the WHATWG Encoding Standard as this program converts them: for each,
// its name as the standard writes it, the converter of each system that reads and writes
// it, and where the systems lack one, our own (see own_converters.cpp).
#pragma once

#include <string_view>

namespace titora {

struct EncodingInfo {
    // The standard's name ("windows-1252", "Shift_JIS").
    std::string_view name;
    // ICU's converter names for reading and for writing (they differ where the standard's
    // decoder reads more than its encoder writes, as for GBK); null where ICU has no
    // converter for the encoding and our own does the work.
    const char* icuDecoder;
    const char* icuEncoder;
    // The Windows code page of the encoding, 0 where Windows has none.
    unsigned windowsCodePage;
};

// The encoding of that standard name, or null.
//
//   FindEncoding("Shift_JIS")->windowsCodePage  // -> 932
const EncodingInfo* FindEncoding(std::string_view name);

// The encoding whose Windows code page is `codePage`, or null.
const EncodingInfo* FindEncodingByCodePage(unsigned codePage);

} // namespace titora
