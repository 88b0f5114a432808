#include "line_breaks.h"

#include "platform/platform.h"

#include <cstring>
#include <utility>

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

// How many bytes normalisation adds to `text` when no byte is a lead byte. Works from
// one CR or LF to the next, so that the runs between breaks cost almost nothing.
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

std::string NormaliseWithoutLeadBytes(std::string bytes) {
    const char* begin = bytes.data();
    const char* end = begin + bytes.size();
    const std::size_t added = AddedBytesWithoutLeadBytes(begin, end);
    if (added == 0) {
        return bytes;
    }
    std::string text(bytes.size() + added, '\0');
    char* out = text.data();
    const char* p = begin;
    for (;;) {
        const char* brk = FindLineBreakByte(p, end);
        std::memcpy(out, p, static_cast<std::size_t>(brk - p));
        out += brk - p;
        if (brk == end) {
            break;
        }
        *out++ = '\r';
        *out++ = '\n';
        p = (*brk == '\r' && brk + 1 != end && brk[1] == '\n') ? brk + 2 : brk + 1;
    }
    return text;
}

// The double-byte case goes byte by byte: whether a CR or LF is the second byte of a
// character depends on every byte before it.
std::string NormaliseWithLeadBytes(std::string bytes, const LeadBytes& lead) {
    const std::size_t n = bytes.size();
    std::string text;
    bool changed = false;
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        std::size_t take = 1;
        bool isBreak = false;
        if (lead.isLead(c) && i + 1 < n) {
            take = 2;
        } else if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
            take = 2;
        } else if (c == '\r' || c == '\n') {
            isBreak = true;
        }
        if (isBreak && !changed) {
            changed = true;
            text.reserve(n + n / 16 + 2);
            text.assign(bytes, 0, i);
        }
        if (isBreak) {
            text += "\r\n";
        } else if (changed) {
            text.append(bytes, i, take);
        }
        i += take;
    }
    return changed ? text : bytes;
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

std::string NormaliseLineBreaks(std::string bytes, const LeadBytes& lead) {
    if (lead.any()) {
        return NormaliseWithLeadBytes(std::move(bytes), lead);
    }
    return NormaliseWithoutLeadBytes(std::move(bytes));
}

} // namespace titora
