#include "html_text.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace titora {
namespace {

bool IsHtmlSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

bool IsAsciiAlphanumeric(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

struct NamedReference {
    std::string_view name; // as it follows the "&", with its ";" where it has one
    char32_t first;
    char32_t second; // 0 for a reference of one character
};

// The standard's whole list, sorted by name.
constexpr NamedReference kNamedReferences[] = {
#include "named_references.inc"
};

// The longest name in the list, ";" included: no reference reaches further.
constexpr std::size_t kLongestName = 32;

const NamedReference* FindNamed(std::string_view name) {
    const auto* end = std::end(kNamedReferences);
    const auto* found = std::lower_bound(
        std::begin(kNamedReferences), end, name,
        [](const NamedReference& reference, std::string_view key) { return reference.name < key; });
    return found != end && found->name == name ? found : nullptr;
}

// What the numbers 0x80 to 0x9F stand for in a numeric reference: browsers read them as
// windows-1252 bytes, as pages written in it meant them. 0 where that code page has no
// character, and the number stands for itself.
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t NumberedCharacter(char32_t value) {
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return U'\uFFFD';
    if (value >= 0x80 && value <= 0x9F && kWindows1252[value - 0x80] != 0)
        return kWindows1252[value - 0x80];
    return value;
}

struct Reference {
    char32_t first = 0;
    char32_t second = 0;
    qsizetype length = 0; // 0: no reference starts here
};

// A numeric reference starting at `text[at]` ("&#"): digits and an optional ";". A number
// too large for any character is read to its end all the same and stands for U+FFFD.
Reference NumericAt(QStringView text, qsizetype at) {
    qsizetype i = at + 2;
    const bool hex = i < text.size() && (text[i] == u'x' || text[i] == u'X');
    if (hex)
        ++i;
    const qsizetype digitsStart = i;
    char32_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0)
            break;
        value = std::min<char32_t>(value * (hex ? 16 : 10) + char32_t(digit), 0x110000);
    }
    if (i == digitsStart)
        return {};
    if (i < text.size() && text[i] == u';')
        ++i;
    return {NumberedCharacter(value), 0, i - at};
}

// A named reference starting at `text[at]` ("&"): the longest name of the list that the
// text goes on with, with or without ";" as the list has it.
Reference NamedAt(QStringView text, qsizetype at) {
    std::string name;
    for (qsizetype i = at + 1; i < text.size() && name.size() < kLongestName; ++i) {
        const QChar c = text[i];
        if (!IsAsciiAlphanumeric(c) && c != u';')
            break;
        name += char(c.unicode());
        if (c == u';')
            break;
    }
    for (; !name.empty(); name.pop_back()) {
        if (const NamedReference* found = FindNamed(name))
            return {found->first, found->second, qsizetype(name.size()) + 1};
    }
    return {};
}

Reference ReferenceAt(QStringView text, qsizetype at) {
    if (at + 1 < text.size() && text[at + 1] == u'#')
        return NumericAt(text, at);
    return NamedAt(text, at);
}

} // namespace

QString DecodeCharacterReferences(QStringView text) {
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'&') {
            const Reference reference = ReferenceAt(text, i);
            if (reference.length > 0) {
                decoded.append(QString::fromUcs4(&reference.first, 1));
                if (reference.second != 0)
                    decoded.append(QString::fromUcs4(&reference.second, 1));
                i += reference.length;
                continue;
            }
        }
        decoded.append(text[i++]);
    }
    return decoded;
}

QString CollapseWhiteSpace(QStringView text) {
    QString collapsed;
    collapsed.reserve(text.size());
    bool space = false;
    for (const QChar c : text) {
        if (IsHtmlSpace(c)) {
            space = !collapsed.isEmpty();
            continue;
        }
        if (space) {
            collapsed.append(u' ');
            space = false;
        }
        collapsed.append(c);
    }
    return collapsed;
}

} // namespace titora
