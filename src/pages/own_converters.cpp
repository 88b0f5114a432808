// Our own converters, for the encodings of the standard that the system's converters lack
// (Debian's ICU has no ISO-8859-16 and no x-user-defined): single-byte tables made from
// the standard's indexes.
#include "text_converter.h"

#include <array>
#include <iterator>

namespace titora {
namespace {

struct SingleByteTable {
    std::string_view name;
    std::array<char16_t, 128> high; // the characters of bytes 0x80 to 0xFF
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
    std::unique_ptr<TextConverter> converter = OpenSystemConverter(encoding);
    return converter != nullptr ? std::move(converter) : OpenOwnConverter(encoding);
}

void AppendCharacterReference(std::string& out, char32_t code) {
    out += "&#";
    out += std::to_string(static_cast<unsigned long>(code));
    out += ';';
}

} // namespace titora
