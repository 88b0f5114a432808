// Line-break normalisation of page text: every line break becomes CR LF, while the
// two bytes of a double-byte character are never taken apart.
//
// The table: CR LF stays one break; a lone LF or a lone CR becomes CR LF; LF CR is two
// breaks (the LF, then the CR); CR CR LF is two breaks. A lead byte and the byte after
// it are copied unchanged, even when the second is a CR or an LF. Every other byte is
// copied unchanged.
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
    // The lead bytes of the system's code page: as Windows tells them, or on POSIX those of
    // the locale's character set.
    static LeadBytes ForSystem();

    bool any() const { return bytes_.any(); }
    bool isLead(unsigned char byte) const { return bytes_.test(byte); }

private:
    std::bitset<256> bytes_;
};

// `bytes` normalised by the table.
std::string NormaliseLineBreaks(std::string_view bytes, const LeadBytes& lead);

// The length of `bytes` once normalised.
std::size_t NormalisedSize(std::string_view bytes, const LeadBytes& lead);

// For a code page without lead bytes: sets `*kept` to the number of bytes before the
// first NUL of `bytes` (all of them when there is none) and returns their
// NormalisedSize(), in one sweep over the bytes.
std::size_t NormalisedSizeBeforeNul(std::string_view bytes, std::size_t* kept);

// Writes `bytes` normalised to `out`, which has room for NormalisedSize() bytes and
// does not overlap them. Returns the end of what was written.
char* NormaliseInto(char* out, std::string_view bytes, const LeadBytes& lead);

// Normalises the `size` bytes at `data` where they stand, for a code page without lead
// bytes; `normalisedSize` is their NormalisedSize(), and `data` has room for it.
// Works from the end, so only the bytes after the first break that grows move.
void NormaliseInPlace(char* data, std::size_t size, std::size_t normalisedSize);

// Returns the first CR or LF in [begin, end), or `end` when there is none.
const char* FindLineBreakByte(const char* begin, const char* end);

// Returns the last CR or LF in [begin, end), or nullptr when there is none.
const char* FindLastLineBreakByte(const char* begin, const char* end);

} // namespace titora
