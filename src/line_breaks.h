// Line-break normalisation of page text: every line break becomes CR LF, while the
// two bytes of a double-byte character are never taken apart.
#pragma once

#include <bitset>
#include <cstddef>
#include <string>
#include <string_view>

namespace titora {

// The lead bytes of a code page: in a double-byte code page a lead byte and the byte
// after it form one character, even when that second byte is a CR or an LF.
class LeadBytes {
public:
    // The lead bytes of Windows code page `codePage`: 932 (Shift_JIS), 936 (GBK),
    // 949 (Korean) and 950 (Big5) have some; every other code page, UTF-8 included,
    // has none.
    static LeadBytes ForCodePage(unsigned codePage);
    // The lead bytes of the system's code page (the locale's character set on POSIX).
    static LeadBytes ForSystem();

    bool any() const { return bytes_.any(); }
    bool isLead(unsigned char byte) const { return bytes_.test(byte); }

private:
    std::bitset<256> bytes_;
};

// Returns `bytes` with every line break as CR LF: CR LF stays, a lone LF or a lone CR
// becomes CR LF, LF CR is two breaks, CR CR LF is two breaks. A lead byte and the byte
// after it are copied unchanged. The result has room for `spare` more bytes, so that
// text inserted later needs no new allocation.
std::string NormaliseLineBreaks(std::string_view bytes, const LeadBytes& lead,
                                std::size_t spare = 0);

// Returns the first CR or LF in [begin, end), or `end` when there is none.
const char* FindLineBreakByte(const char* begin, const char* end);

} // namespace titora
