// Our own converters, for the encodings of the standard that the system's converters lack
// or read otherwise than the standard: Debian's ICU has no ISO-8859-16 and no
// x-user-defined, reads a few bytes of KOI8-U, windows-874, windows-1253 and windows-1255
// otherwise (those are single-byte tables made from the standard's indexes), and a few
// hundred two-byte sequences of Big5 (HKSCS) and gb18030 otherwise (those are read from a
// table of the differences, the rest through ICU).
#include "text_converter.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <unordered_map>

namespace titora {
namespace {

struct SingleByteTable {
    std::string_view name;
    std::array<char16_t, 128> high; // the characters of bytes 0x80 to 0xFF
};

struct ByteOverride {
    std::string_view encoding;
    unsigned short bytes;         // lead byte * 256 + trail byte
    std::array<char16_t, 2> text; // one or two UTF-16 units, 0 for none
};

#include "own_tables.inc"

// x-user-defined reads each byte above 0x7F as a private-use character of its own.
constexpr char16_t kUserDefinedBase = 0xF780;

class SingleByteConverter : public TextConverter {
public:
    explicit SingleByteConverter(const SingleByteTable* table) : table_(table) {}

    QString decode(std::string_view bytes) override {
        QString text;
        text.reserve(static_cast<qsizetype>(bytes.size()));
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            text += QChar(byte < 0x80 ? char16_t(byte) : high(byte));
        }
        return text;
    }

    std::string encode(QStringView text) override {
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(text.size()));
        for (qsizetype at = 0; at < text.size(); ++at) {
            const QChar c = text[at];
            if (c.unicode() < 0x80) {
                bytes += static_cast<char>(c.unicode());
                continue;
            }
            const int byte = byteOf(c.unicode());
            if (byte >= 0) {
                bytes += static_cast<char>(byte);
                continue;
            }
            const bool pair = c.isHighSurrogate() && at + 1 < text.size();
            AppendCharacterReference(bytes, pair ? QChar::surrogateToUcs4(c, text[at + 1])
                                                 : char32_t(c.unicode()));
            at += pair ? 1 : 0;
        }
        return bytes;
    }

private:
    char16_t high(unsigned char byte) const {
        return table_ == nullptr ? char16_t(kUserDefinedBase + byte - 0x80)
                                 : table_->high[byte - 0x80];
    }

    int byteOf(char16_t code) const {
        if (code == 0xFFFD) {
            return -1;
        }
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            if (high(static_cast<unsigned char>(byte)) == code) {
                return byte;
            }
        }
        return -1;
    }

    const SingleByteTable* table_; // null for x-user-defined
};

// How the byte sequences of a multi-byte encoding are cut, for finding the ones to read
// otherwise.
enum class Structure { kBig5, kGb18030, kShiftJis };

// The system's converter for a multi-byte encoding, but for the sequences the standard
// reads otherwise: those come from our table, single bytes 0x80 included (gb18030 reads it
// as the euro sign, Shift_JIS as U+0080).
class PatchedConverter : public TextConverter {
public:
    PatchedConverter(std::unique_ptr<TextConverter> system, Structure structure,
                     std::string_view overrides)
        : system_(std::move(system)), structure_(structure) {
        for (const ByteOverride& entry : kOverrides) {
            if (entry.encoding == overrides) {
                overrides_.emplace(entry.bytes, entry.text);
            }
        }
    }

    QString decode(std::string_view bytes) override {
        QString text;
        std::size_t runStart = 0;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t length = sequenceLength(bytes, at);
            const QString own = ownReading(bytes.substr(at, length));
            if (own.isNull()) {
                at += length;
                continue;
            }
            text += system_->decode(bytes.substr(runStart, at - runStart));
            text += own;
            at += length;
            runStart = at;
        }
        return text + system_->decode(bytes.substr(runStart));
    }

    std::string encode(QStringView text) override { return system_->encode(text); }

private:
    std::size_t sequenceLength(std::string_view bytes, std::size_t at) const {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        const std::size_t left = bytes.size() - at;
        const auto next = left > 1 ? static_cast<unsigned char>(bytes[at + 1]) : 0;
        switch (structure_) {
        case Structure::kBig5:
            return lead >= 0x81 && lead <= 0xFE && left > 1 ? 2 : 1;
        case Structure::kGb18030:
            if (lead < 0x81 || lead == 0xFF || left < 2) {
                return 1;
            }
            return next >= 0x30 && next <= 0x39 ? std::min<std::size_t>(4, left) : 2;
        case Structure::kShiftJis:
            return ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) && left > 1
                       ? 2
                       : 1;
        }
        return 1;
    }

    // What the standard reads `sequence` as where ICU reads it otherwise; null elsewhere.
    QString ownReading(std::string_view sequence) const {
        if (sequence == "\x80" && structure_ != Structure::kBig5) {
            return QString(QChar(structure_ == Structure::kGb18030 ? 0x20AC : 0x80));
        }
        if (sequence.size() != 2) {
            return {};
        }
        const auto key = static_cast<unsigned short>(static_cast<unsigned char>(sequence[0]) << 8 |
                                                     static_cast<unsigned char>(sequence[1]));
        const auto found = overrides_.find(key);
        if (found == overrides_.end()) {
            return {};
        }
        QString own(QChar(found->second[0]));
        if (found->second[1] != 0) {
            own += QChar(found->second[1]);
        }
        return own;
    }

    std::unique_ptr<TextConverter> system_;
    Structure structure_;
    std::unordered_map<unsigned short, std::array<char16_t, 2>> overrides_;
};

} // namespace

std::unique_ptr<TextConverter> OpenOwnConverter(const EncodingInfo& encoding) {
    if (encoding.name == "x-user-defined") {
        return std::make_unique<SingleByteConverter>(nullptr);
    }
    for (const SingleByteTable& table : kOwnTables) {
        if (table.name == encoding.name) {
            return std::make_unique<SingleByteConverter>(&table);
        }
    }
    return nullptr;
}

std::unique_ptr<TextConverter> OpenConverter(const EncodingInfo& encoding) {
    if (std::unique_ptr<TextConverter> own = OpenOwnConverter(encoding)) {
        return own;
    }
    std::unique_ptr<TextConverter> system = OpenSystemConverter(encoding);
    if (system == nullptr) {
        return nullptr;
    }
    if (encoding.name == "Big5") {
        return std::make_unique<PatchedConverter>(std::move(system), Structure::kBig5, "Big5");
    }
    if (encoding.name == "gb18030" || encoding.name == "GBK") {
        return std::make_unique<PatchedConverter>(std::move(system), Structure::kGb18030,
                                                  "gb18030");
    }
    if (encoding.name == "Shift_JIS") {
        return std::make_unique<PatchedConverter>(std::move(system), Structure::kShiftJis, "");
    }
    return system;
}

void AppendCharacterReference(std::string& out, char32_t code) {
    out += "&#";
    out += std::to_string(static_cast<unsigned long>(code));
    out += ';';
}

} // namespace titora
