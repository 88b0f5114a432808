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

// Which of the sixteen bytes at `p` are a CR or an LF, one bit each.
unsigned BreakMask(const char* p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                      _mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
}
#endif

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
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
    return ForCodePage(platform::SystemCodePage());
}

const char* FindLineBreakByte(const char* p, const char* end) {
#if TITORA_HAVE_SSE2
    // Sixteen bytes at a time: this scan runs over every byte of every page saved.
    for (; end - p >= 16; p += 16) {
        if (const unsigned mask = BreakMask(p)) {
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
        if (const unsigned mask = BreakMask(p - 16)) {
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
    std::size_t size = bytes.size();
    ForEachPiece(bytes, lead, [&](const char* at, std::size_t, bool isBreak) {
        // A pair already is CR LF; a lone CR or LF gains one byte.
        if (isBreak && !(at[0] == '\r' && at + 1 != bytes.data() + bytes.size() && at[1] == '\n')) {
            ++size;
        }
    });
    return size;
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
