#include "line_breaks.h"

#include "platform/platform.h"

#include <cstring>

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

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
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

unsigned HighestSetBit(unsigned mask) {
#if defined(_MSC_VER)
    unsigned long index;
    _BitScanReverse(&index, mask);
    return static_cast<unsigned>(index);
#else
    return 31u - static_cast<unsigned>(__builtin_clz(mask));
#endif
}

__m128i Load(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Which of the sixteen bytes of `v` equal `c`, one bit each.
unsigned Matches(__m128i v, char c) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(c))));
}

// Which of the sixteen bytes of `v` are a CR or an LF, one bit each.
unsigned BreakMask(__m128i v) {
    return Matches(v, '\r') | Matches(v, '\n');
}
#endif

#if TITORA_HAVE_SSE2
// The sum of the sixteen byte counters of `counters`.
std::size_t SumOfBytes(__m128i counters) {
    const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
    return static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
           static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
}
#endif

// How many bytes normalisation adds when there are no lead bytes: one for each CR or
// LF that is not part of a CR LF pair. With `stopAtNul`, counts only up to the first
// NUL byte and moves `end` there.
std::size_t AddedWithoutLeadBytes(const char* p, const char*& end, bool stopAtNul) {
    std::size_t breaks = 0;
    std::size_t pairs = 0;
    bool afterCr = false;
#if TITORA_HAVE_SSE2
    // Sixteen bytes at a time, with a byte counter for each place: a compare gives -1
    // where it holds, subtracted from the counters, which are summed before they can
    // overflow. An LF pairs with a CR just before it, which may end the block before.
    __m128i breakCounters = _mm_setzero_si128();
    __m128i pairCounters = _mm_setzero_si128();
    __m128i previousCr = _mm_setzero_si128();
    int blocks = 0;
    for (; end - p >= 16; p += 16) {
        const __m128i v = Load(p);
        if (stopAtNul && Matches(v, '\0') != 0) {
            break; // the bytes up to the NUL are counted one by one below
        }
        const __m128i cr = _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'));
        const __m128i lf = _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'));
        const __m128i crBefore =
            _mm_or_si128(_mm_slli_si128(cr, 1), _mm_srli_si128(previousCr, 15));
        breakCounters = _mm_sub_epi8(breakCounters, _mm_or_si128(cr, lf));
        pairCounters = _mm_sub_epi8(pairCounters, _mm_and_si128(lf, crBefore));
        previousCr = cr;
        if (++blocks == 255) {
            breaks += SumOfBytes(breakCounters);
            pairs += SumOfBytes(pairCounters);
            breakCounters = _mm_setzero_si128();
            pairCounters = _mm_setzero_si128();
            blocks = 0;
        }
    }
    breaks += SumOfBytes(breakCounters);
    pairs += SumOfBytes(pairCounters);
    afterCr = (_mm_movemask_epi8(previousCr) & 0x8000) != 0;
#endif
    for (; p != end; ++p) {
        if (stopAtNul && *p == '\0') {
            end = p;
            break;
        }
        breaks += IsBreak(*p) ? 1 : 0;
        pairs += (*p == '\n' && afterCr) ? 1 : 0;
        afterCr = *p == '\r';
    }
    return breaks - 2 * pairs;
}

// Calls `piece(data, length, isBreak)` for each run of ordinary bytes and each line
// break of `bytes`, in order. Without lead bytes it works from one CR or LF to the
// next, so that the runs between breaks cost almost nothing; with them it goes byte
// by byte, since whether a CR or LF is the second byte of a character depends on
// every byte before it.
template <typename Piece>
void ForEachPiece(std::string_view bytes, const LeadBytes& lead, Piece piece) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    if (!lead.any()) {
        for (;;) {
            const char* brk = FindLineBreakByte(p, end);
            piece(p, static_cast<std::size_t>(brk - p), false);
            if (brk == end) {
                return;
            }
            piece(brk, 0, true);
            p = (*brk == '\r' && brk + 1 != end && brk[1] == '\n') ? brk + 2 : brk + 1;
        }
    }
    const char* run = p;
    while (p != end) {
        if (lead.isLead(static_cast<unsigned char>(*p)) && p + 1 != end) {
            p += 2;
        } else if (IsBreak(*p)) {
            piece(run, static_cast<std::size_t>(p - run), false);
            piece(p, 0, true);
            p += (*p == '\r' && p + 1 != end && p[1] == '\n') ? 2 : 1;
            run = p;
        } else {
            ++p;
        }
    }
    piece(run, static_cast<std::size_t>(end - run), false);
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
    LeadBytes lead;
    if (platform::SystemLeadBytes(&lead.bytes_)) {
        return lead;
    }
    return ForCodePage(platform::SystemCodePage());
}

const char* FindLineBreakByte(const char* p, const char* end) {
#if TITORA_HAVE_SSE2
    // Sixteen bytes at a time: this scan runs over every byte of every page saved.
    for (; end - p >= 16; p += 16) {
        if (const unsigned mask = BreakMask(Load(p))) {
            return p + LowestSetBit(mask);
        }
    }
#endif
    for (; p != end; ++p) {
        if (IsBreak(*p)) {
            return p;
        }
    }
    return end;
}

const char* FindLastLineBreakByte(const char* begin, const char* p) {
#if TITORA_HAVE_SSE2
    for (; p - begin >= 16; p -= 16) {
        if (const unsigned mask = BreakMask(Load(p - 16))) {
            return p - 16 + HighestSetBit(mask);
        }
    }
#endif
    while (p != begin) {
        if (IsBreak(*--p)) {
            return p;
        }
    }
    return nullptr;
}

std::size_t NormalisedSize(std::string_view bytes, const LeadBytes& lead) {
    if (!lead.any()) {
        const char* end = bytes.data() + bytes.size();
        return bytes.size() + AddedWithoutLeadBytes(bytes.data(), end, false);
    }
    std::size_t size = bytes.size();
    ForEachPiece(bytes, lead, [&](const char* at, std::size_t, bool isBreak) {
        // A pair already is CR LF; a lone CR or LF gains one byte.
        if (isBreak && !(at[0] == '\r' && at + 1 != bytes.data() + bytes.size() && at[1] == '\n')) {
            ++size;
        }
    });
    return size;
}

std::size_t NormalisedSizeBeforeNul(std::string_view bytes, std::size_t* kept) {
    const char* end = bytes.data() + bytes.size();
    const std::size_t added = AddedWithoutLeadBytes(bytes.data(), end, true);
    *kept = static_cast<std::size_t>(end - bytes.data());
    return *kept + added;
}

char* NormaliseInto(char* out, std::string_view bytes, const LeadBytes& lead) {
    ForEachPiece(bytes, lead, [&](const char* at, std::size_t length, bool isBreak) {
        if (isBreak) {
            *out++ = '\r';
            *out++ = '\n';
            return;
        }
        if (length != 0) {
            std::memcpy(out, at, length);
            out += length;
        }
    });
    return out;
}

std::string NormaliseLineBreaks(std::string_view bytes, const LeadBytes& lead) {
    std::string text(NormalisedSize(bytes, lead), '\0');
    NormaliseInto(text.data(), bytes, lead);
    return text;
}

void NormaliseInPlace(char* data, std::size_t size, std::size_t normalisedSize) {
    // From the end towards the start: `out` runs ahead of `p` by the bytes still to be
    // added, and once they are all added what remains is in place already. Without
    // lead bytes, an LF that follows a CR always pairs with it, so the pairs read the
    // same from either end.
    const char* p = data + size;
    char* out = data + normalisedSize;
    while (out != p) {
#if TITORA_HAVE_SSE2
        // Sixteen bytes without a break move in one piece.
        if (p - data >= 16) {
            const __m128i block = Load(p - 16);
            if (BreakMask(block) == 0) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out - 16), block);
                p -= 16;
                out -= 16;
                continue;
            }
        }
#endif
        const char* brk = FindLastLineBreakByte(data, p);
        if (brk == nullptr) {
            return; // only when `normalisedSize` was not the size of these bytes
        }
        const std::size_t run = static_cast<std::size_t>(p - (brk + 1));
        out -= run;
        std::memmove(out, brk + 1, run);
        p = (*brk == '\n' && brk != data && brk[-1] == '\r') ? brk - 1 : brk;
        out -= 2;
        out[0] = '\r';
        out[1] = '\n';
    }
}

} // namespace titora
