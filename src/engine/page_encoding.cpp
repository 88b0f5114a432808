// The encoding a page is taken in where it declares none: what its bytes suggest.
#include "declared_encoding.h"

#include <cstdint>
#include <cstring>

namespace titora {

std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at, bool* cutShort) {
    if (cutShort != nullptr) {
        *cutShort = false;
    }
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
        return 1;
    }
    // The well-formed sequences of the Unicode Standard's table 3-7.
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (at + i == bytes.size()) {
            if (cutShort != nullptr) {
                *cutShort = true;
            }
            return 0;
        }
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
}

UndeclaredText JudgeUndeclared(std::string_view bytes, bool cut) {
    bool multiByte = false;
    for (std::size_t at = 0; at < bytes.size();) {
        // Pages are mostly ASCII: 32 bytes at a time while none has its high bit set.
        constexpr std::uint64_t kHighBits = 0x8080808080808080u;
        std::uint64_t words[4];
        if (bytes.size() - at >= sizeof words) {
            std::memcpy(words, bytes.data() + at, sizeof words);
            if (((words[0] | words[1] | words[2] | words[3]) & kHighBits) == 0) {
                at += sizeof words;
                continue;
            }
        }
        bool cutShort = false;
        const std::size_t length = Utf8SequenceLength(bytes, at, &cutShort);
        if (length == 0) {
            return cut && cutShort ? UndeclaredText::kUtf8 : UndeclaredText::kOther;
        }
        if (length == 1) {
            ++at;
            continue;
        }
        multiByte = true;
        at += length;
    }
    return multiByte ? UndeclaredText::kUtf8 : UndeclaredText::kAscii;
}

std::string PageEncoding(std::string_view bytes, bool cut) {
    std::string declared = DeclaredEncoding(bytes);
    if (!declared.empty()) {
        return declared;
    }
    switch (JudgeUndeclared(bytes, cut)) {
    case UndeclaredText::kAscii:
        break;
    case UndeclaredText::kUtf8:
        return std::string(kUndeclaredUtf8);
    case UndeclaredText::kOther:
        return std::string(kUndeclaredLegacy);
    }
    return std::string(kUndeclaredAscii);
}

bool IsDeclared(std::string_view pageEncoding) {
    return pageEncoding != kUndeclaredAscii && pageEncoding != kUndeclaredUtf8 &&
           pageEncoding != kUndeclaredLegacy;
}

} // namespace titora
