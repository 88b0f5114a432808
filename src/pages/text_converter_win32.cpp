// The system's converters on Windows: its code pages (see code_page_codec.h), since Qt for
// Windows is built without ICU. UTF-8 and UTF-16 go through Qt.
#include "code_page_codec.h"
#include "text_converter.h"

#include <QList>
#include <QStringDecoder>

namespace titora {
namespace {

// UTF-8, and UTF-16 read (a UTF-16 page is written as UTF-8), through Qt's own codecs.
class QtUnicodeConverter : public TextConverter {
public:
    explicit QtUnicodeConverter(QStringConverter::Encoding read) : read_(read) {}

    QString decode(std::string_view bytes) override {
        QStringDecoder decoder(read_);
        return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    }

    std::string encode(QStringView text) override { return text.toUtf8().toStdString(); }

private:
    QStringConverter::Encoding read_;
};

class CodePageConverter : public TextConverter {
public:
    explicit CodePageConverter(unsigned codePage) : codePage_(codePage) {}

    QString decode(std::string_view bytes) override {
        return DecodeWithCodePage(bytes, codePage_).value_or(QString());
    }

    // The whole text in one call where the code page holds it all; else character by
    // character, each one it lacks as a numeric character reference.
    std::string encode(QStringView text) override {
        if (std::optional<std::string> whole = EncodeWithCodePage(text, codePage_)) {
            return *std::move(whole);
        }
        std::string out;
        for (qsizetype at = 0; at < text.size();) {
            const qsizetype length =
                text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()
                    ? 2
                    : 1;
            const QStringView one = text.mid(at, length);
            if (std::optional<std::string> bytes = EncodeWithCodePage(one, codePage_)) {
                out += *bytes;
            } else {
                AppendCharacterReference(out, one.toUcs4().value(0));
            }
            at += length;
        }
        return out;
    }

private:
    unsigned codePage_;
};

// ASCII: bytes above 0x7F read as U+FFFD, every other character a reference.
class AsciiConverter : public TextConverter {
public:
    QString decode(std::string_view bytes) override {
        QString text;
        text.reserve(static_cast<qsizetype>(bytes.size()));
        for (const char byte : bytes) {
            text += static_cast<unsigned char>(byte) < 0x80 ? QChar(byte) : QChar(0xFFFD);
        }
        return text;
    }

    std::string encode(QStringView text) override {
        std::string out;
        for (const char32_t code : text.toUcs4()) {
            if (code < 0x80) {
                out += static_cast<char>(code);
            } else {
                AppendCharacterReference(out, code);
            }
        }
        return out;
    }
};

} // namespace

std::unique_ptr<TextConverter> OpenSystemConverter(const EncodingInfo& encoding) {
    if (encoding.name == "UTF-8") {
        return std::make_unique<QtUnicodeConverter>(QStringConverter::Utf8);
    }
    if (encoding.name == "UTF-16LE") {
        return std::make_unique<QtUnicodeConverter>(QStringConverter::Utf16LE);
    }
    if (encoding.name == "UTF-16BE") {
        return std::make_unique<QtUnicodeConverter>(QStringConverter::Utf16BE);
    }
    if (encoding.windowsCodePage == 0 || !HasCodePage(encoding.windowsCodePage)) {
        return nullptr;
    }
    return std::make_unique<CodePageConverter>(encoding.windowsCodePage);
}

std::unique_ptr<TextConverter> OpenAsciiConverter() {
    return std::make_unique<AsciiConverter>();
}

} // namespace titora
