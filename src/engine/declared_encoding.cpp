#include "declared_encoding.h"

#include "encoding_labels.h"

#include <cstring>

namespace titora {
namespace {

// Tab, line feed, form feed, carriage return and space: HTML's blanks.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool EndsTag(char c) {
    return IsBlank(c) || c == '>';
}

bool EndsName(char c) {
    return EndsTag(c) || c == '/' || c == '=';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Whether `text` holds `word` (lower case) at `at`, ASCII letters compared without case.
bool MatchesAt(std::string_view text, std::size_t at, std::string_view word) {
    if (at > text.size() || text.size() - at < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (Lower(text[at + i]) != word[i]) {
            return false;
        }
    }
    return true;
}

bool EqualsNoCase(std::string_view text, std::string_view word) {
    return text.size() == word.size() && MatchesAt(text, 0, word);
}

// The label in the value of a content attribute ("text/html; charset=Shift_JIS"): after
// the first "charset" that is followed, blanks aside, by "=". Empty when there is none.
std::string_view CharsetInContent(std::string_view content) {
    std::size_t from = 0;
    for (;;) {
        std::size_t at = from;
        while (at < content.size() && !MatchesAt(content, at, "charset")) {
            ++at;
        }
        if (at == content.size()) {
            return {};
        }
        std::size_t next = at + 7;
        while (next < content.size() && IsBlank(content[next])) {
            ++next;
        }
        if (next == content.size() || content[next] != '=') {
            from = next;
            continue;
        }
        ++next;
        while (next < content.size() && IsBlank(content[next])) {
            ++next;
        }
        if (next == content.size()) {
            return {};
        }
        const char quote = content[next];
        if (quote == '"' || quote == '\'') {
            const std::size_t close = content.find(quote, next + 1);
            if (close == std::string_view::npos) {
                return {};
            }
            return content.substr(next + 1, close - next - 1);
        }
        std::size_t end = next;
        while (end < content.size() && !IsBlank(content[end]) && content[end] != ';') {
            ++end;
        }
        return content.substr(next, end - next);
    }
}

// One walk of the prescan over the first bytes of a page. Whatever step would go beyond
// the last byte ends the walk with nothing found. Names and values are views into the
// bytes: nothing is copied until a label is found.
class Prescan {
public:
    explicit Prescan(std::string_view bytes) : bytes_(bytes.substr(0, kPrescanLength)) {}

    std::string Run();

private:
    enum class Got { kAttribute, kNone, kOutOfBytes };
    enum class Meta { kDeclares, kDeclaresNothing, kOutOfBytes };

    bool AtEnd() const { return at_ >= bytes_.size(); }
    // Moves to the first byte at or after `from` for which `stop` holds; false when there
    // is none.
    template <typename Stop> bool MoveTo(std::size_t from, Stop stop);
    Got GetAttribute(std::string_view* name, std::string_view* value);
    Got GetValue(std::string_view* value);
    Meta ReadMeta(std::string_view* label);

    std::string_view bytes_;
    std::size_t at_ = 0;
};

template <typename Stop> bool Prescan::MoveTo(std::size_t from, Stop stop) {
    for (at_ = from; !AtEnd(); ++at_) {
        if (stop(bytes_[at_])) {
            return true;
        }
    }
    return false;
}

std::string Prescan::Run() {
    for (; !AtEnd(); ++at_) {
        // Only a "<" starts anything the prescan looks at.
        const void* open = std::memchr(bytes_.data() + at_, '<', bytes_.size() - at_);
        if (open == nullptr) {
            return {};
        }
        at_ = static_cast<std::size_t>(static_cast<const char*>(open) - bytes_.data());
        if (MatchesAt(bytes_, at_, "<!--")) {
            // The dashes that close a comment may be those that opened it: "<!-->".
            const std::size_t end = bytes_.find("-->", at_ + 2);
            if (end == std::string_view::npos) {
                return {};
            }
            at_ = end + 2;
            continue;
        }
        if (MatchesAt(bytes_, at_, "<meta") && at_ + 5 < bytes_.size() &&
            (IsBlank(bytes_[at_ + 5]) || bytes_[at_ + 5] == '/')) {
            at_ += 5;
            std::string_view label;
            switch (ReadMeta(&label)) {
            case Meta::kDeclares:
                return std::string(label);
            case Meta::kOutOfBytes:
                return {};
            case Meta::kDeclaresNothing:
                continue;
            }
        }
        const std::size_t name = at_ + (MatchesAt(bytes_, at_, "</") ? 2 : 1);
        if (name < bytes_.size() && IsLetter(bytes_[name])) {
            // Any other tag: its attributes are read past, so that a value holding
            // "<meta" is not taken for a declaration.
            if (!MoveTo(name, EndsTag)) {
                return {};
            }
            std::string_view attribute, value;
            Got got;
            while ((got = GetAttribute(&attribute, &value)) == Got::kAttribute) {
            }
            if (got == Got::kOutOfBytes) {
                return {};
            }
            continue;
        }
        if (MatchesAt(bytes_, at_, "<!") || MatchesAt(bytes_, at_, "</") ||
            MatchesAt(bytes_, at_, "<?")) {
            if (!MoveTo(at_ + 1, [](char c) { return c == '>'; })) {
                return {};
            }
        }
    }
    return {};
}

Prescan::Got Prescan::GetAttribute(std::string_view* name, std::string_view* value) {
    *name = {};
    *value = {};
    while (!AtEnd() && (IsBlank(bytes_[at_]) || bytes_[at_] == '/')) {
        ++at_;
    }
    if (AtEnd()) {
        return Got::kOutOfBytes;
    }
    if (bytes_[at_] == '>') {
        return Got::kNone;
    }
    // The name runs up to a blank, "/", ">" or "=", but a first "=" belongs to it.
    const std::size_t start = at_++;
    if (!MoveTo(at_, EndsName)) {
        return Got::kOutOfBytes;
    }
    *name = bytes_.substr(start, at_ - start);
    if (bytes_[at_] == '/' || bytes_[at_] == '>') {
        return Got::kAttribute;
    }
    while (!AtEnd() && IsBlank(bytes_[at_])) {
        ++at_;
    }
    if (AtEnd()) {
        return Got::kOutOfBytes;
    }
    if (bytes_[at_] != '=') {
        return Got::kAttribute;
    }
    ++at_;
    return GetValue(value);
}

Prescan::Got Prescan::GetValue(std::string_view* value) {
    while (!AtEnd() && IsBlank(bytes_[at_])) {
        ++at_;
    }
    if (AtEnd()) {
        return Got::kOutOfBytes;
    }
    const char first = bytes_[at_];
    if (first == '>') {
        return Got::kAttribute;
    }
    if (first == '"' || first == '\'') {
        const std::size_t close = bytes_.find(first, at_ + 1);
        if (close == std::string_view::npos) {
            return Got::kOutOfBytes;
        }
        *value = bytes_.substr(at_ + 1, close - at_ - 1);
        at_ = close + 1;
        return Got::kAttribute;
    }
    const std::size_t start = at_;
    if (!MoveTo(at_, EndsTag)) {
        return Got::kOutOfBytes;
    }
    *value = bytes_.substr(start, at_ - start);
    return Got::kAttribute;
}

// Reads the attributes of a <meta> up to its ">", as the standard's steps have it: the
// first attribute of a name counts, a later one of the same name is passed over. A charset
// attribute names the encoding (or, with a label that names none, fails the element); a
// content attribute naming a known charset does so only when no charset attribute came
// first, and only beside http-equiv="Content-Type".
Prescan::Meta Prescan::ReadMeta(std::string_view* encoding) {
    bool seenHttpEquiv = false, seenContent = false, seenCharset = false;
    bool gotPragma = false;
    enum class Need { kNothing, kPragma, kNoPragma } need = Need::kNothing;
    bool charsetSet = false;  // the standard's "charset is not null"
    std::string_view charset; // empty for failure
    std::string_view name, value;
    for (;;) {
        const Got got = GetAttribute(&name, &value);
        if (got == Got::kOutOfBytes) {
            return Meta::kOutOfBytes;
        }
        if (got == Got::kNone) {
            break;
        }
        if (EqualsNoCase(name, "http-equiv") && !seenHttpEquiv) {
            seenHttpEquiv = true;
            gotPragma = gotPragma || EqualsNoCase(value, "content-type");
        } else if (EqualsNoCase(name, "content") && !seenContent) {
            seenContent = true;
            const std::string_view found = EncodingForLabel(CharsetInContent(value));
            if (!found.empty() && !charsetSet) {
                charset = found;
                charsetSet = true;
                need = Need::kPragma;
            }
        } else if (EqualsNoCase(name, "charset") && !seenCharset) {
            seenCharset = true;
            charset = EncodingForLabel(value);
            charsetSet = true;
            need = Need::kNoPragma;
        }
    }
    if (need == Need::kNothing || (need == Need::kPragma && !gotPragma) || charset.empty()) {
        return Meta::kDeclaresNothing;
    }
    *encoding = charset;
    return Meta::kDeclares;
}

// The encoding an XML declaration opening `bytes` names ("<?xml version="1.0"
// encoding="Shift_JIS"?>"), "" when there is none: the standard's "get an XML encoding",
// looked at when the prescan finds no <meta>. The encoding attribute is looked for within
// the declaration.
std::string_view XmlDeclarationEncoding(std::string_view bytes) {
    if (bytes.substr(0, 5) != "<?xml") {
        return {};
    }
    const std::size_t end = bytes.find('>');
    if (end == std::string_view::npos) {
        return {};
    }
    const std::string_view declaration = bytes.substr(0, end);
    std::size_t at = 5;
    while (at < declaration.size() && !MatchesAt(declaration, at, "encoding")) {
        ++at;
    }
    at += 8;
    const auto skipControls = [&] {
        while (at < declaration.size() && static_cast<unsigned char>(declaration[at]) <= 0x20) {
            ++at;
        }
    };
    skipControls();
    if (at >= declaration.size() || declaration[at] != '=') {
        return {};
    }
    ++at;
    skipControls();
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) {
        return {};
    }
    const std::size_t close = declaration.find(declaration[at], at + 1);
    if (close == std::string_view::npos) {
        return {};
    }
    return EncodingForLabel(declaration.substr(at + 1, close - at - 1));
}

// What a page's bytes say of their encoding where a browser reads a label as another
// encoding: a UTF-16 label in a page whose markup reads as ASCII means UTF-8, and
// x-user-defined means windows-1252.
std::string_view AsPrescanned(std::string_view encoding) {
    if (encoding == "UTF-16LE" || encoding == "UTF-16BE") {
        return "UTF-8";
    }
    if (encoding == "x-user-defined") {
        return "windows-1252";
    }
    return encoding;
}

} // namespace

std::string DeclaredEncoding(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        return "UTF-8";
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        return "UTF-16LE";
    }
    if (bytes.substr(0, 2) == "\xFE\xFF") {
        return "UTF-16BE";
    }
    // A UTF-16 page without a byte-order mark that opens with an XML declaration.
    if (bytes.substr(0, 6) == std::string_view("<\0?\0x\0", 6)) {
        return "UTF-16LE";
    }
    if (bytes.substr(0, 6) == std::string_view("\0<\0?\0x", 6)) {
        return "UTF-16BE";
    }
    const std::string found = Prescan(bytes).Run();
    if (!found.empty()) {
        return std::string(AsPrescanned(found));
    }
    return std::string(AsPrescanned(XmlDeclarationEncoding(bytes.substr(0, kPrescanLength))));
}

} // namespace titora
