#include "line_breaks.h"

#include "platform/platform.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define TITORA_HAVE_SSE2 1
#include <emmintrin.h>
#if defined(_MSC_VER)
#include <intrin.h>
#endif
#endif

namespace titora {
namespace {

void MarkRange(std::bitset<256>& bytes, unsigned first, unsigned last) {
    for (unsigned b = first; b <= last; ++b) {
        bytes.set(b);
    }
}

#if TITORA_HAVE_SSE2
unsigned LowestSetBit(unsigned mask) {
#if defined(_MSC_VER)
    unsigned long index;
    _BitScanForward(&index, mask);
    return static_cast<unsigned>(index);
#else
    return static_cast<unsigned>(__builtin_ctz(mask));
#endif
}
#endif

// How many bytes normalisation adds when no byte is a lead byte. Works from one CR or
// LF to the next, so that the runs between breaks cost almost nothing.
std::size_t AddedBytesWithoutLeadBytes(const char* p, const char* end) {
    std::size_t added = 0;
    while ((p = FindLineBreakByte(p, end)) != end) {
        if (*p == '\r' && p + 1 != end && p[1] == '\n') {
            p += 2;
            continue;
        }
        ++added; // a lone CR or a lone LF each becomes CR LF
        ++p;
    }
    return added;
}

// Appending into reserved room rather than resizing first: resizing would clear
// memory that is then written over, a second pass over a page that may be large.
std::string NormaliseWithoutLeadBytes(std::string_view bytes, std::size_t spare) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    std::string text;
    text.reserve(bytes.size() + AddedBytesWithoutLeadBytes(p, end) + spare);
    for (;;) {
        const char* brk = FindLineBreakByte(p, end);
        text.append(p, static_cast<std::size_t>(brk - p));
        if (brk == end) {
            return text;
        }
        text.append("\r\n", 2);
        p = (*brk == '\r' && brk + 1 != end && brk[1] == '\n') ? brk + 2 : brk + 1;
    }
}

// The double-byte case goes byte by byte: whether a CR or LF is the second byte of a
// character depends on every byte before it.
std::string NormaliseWithLeadBytes(std::string_view bytes, const LeadBytes& lead,
                                   std::size_t spare) {
    const std::size_t n = bytes.size();
    std::string text;
    text.reserve(n + spare);
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (lead.isLead(c) && i + 1 < n) {
            text.append(bytes.data() + i, 2);
            i += 2;
        } else if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
            text.append("\r\n", 2);
            i += 2;
        } else if (c == '\r' || c == '\n') {
            text.append("\r\n", 2);
            i += 1;
        } else {
            text += static_cast<char>(c);
            i += 1;
        }
    }
    return text;
}

} // namespace

LeadBytes LeadBytes::ForCodePage(unsigned codePage) {
    LeadBytes lead;
    switch (codePage) {
    case 932:
        MarkRange(lead.bytes_, 0x81, 0x9F);
        MarkRange(lead.bytes_, 0xE0, 0xFC);
        break;
    case 936:
    case 949:
    case 950:
        MarkRange(lead.bytes_, 0x81, 0xFE);
        break;
    default:
        break;
    }
    return lead;
}

LeadBytes LeadBytes::ForSystem() {
    return ForCodePage(platform::SystemCodePage());
}

const char* FindLineBreakByte(const char* p, const char* end) {
#if TITORA_HAVE_SSE2
    // Sixteen bytes at a time: page text has a break every few dozen bytes, and this
    // scan runs over every byte of every page loaded.
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0) {
            return p + LowestSetBit(mask);
        }
        p += 16;
    }
#endif
    for (; p != end; ++p) {
        if (*p == '\r' || *p == '\n') {
            return p;
        }
    }
    return end;
}

std::string NormaliseLineBreaks(std::string_view bytes, const LeadBytes& lead, std::size_t spare) {
    if (lead.any()) {
        return NormaliseWithLeadBytes(bytes, lead, spare);
    }
    return NormaliseWithoutLeadBytes(bytes, spare);
}

} // namespace titora
