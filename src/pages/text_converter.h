// Bytes in one of the Encoding Standard's encodings as text, and text as such bytes. The
// system's converters do the work, one file per system (text_converter_icu.cpp on Linux);
// our own (own_converters.cpp) take the encodings the system lacks.
#pragma once

#include "encodings.h"

#include <memory>
#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace titora {

class TextConverter {
public:
    virtual ~TextConverter() = default;

    // `bytes` as text: each byte sequence the encoding does not hold is U+FFFD.
    virtual QString decode(std::string_view bytes) = 0;

    // `text` in the encoding, each character it cannot hold written as a numeric character
    // reference ("&#8364;"), ending in the encoding's initial state (a stateful encoding
    // such as ISO-2022-JP is brought back to ASCII). `text` holds no lone surrogate.
    virtual std::string encode(QStringView text) = 0;
};

// The system's converter for `encoding`, null where the system has none for it.
std::unique_ptr<TextConverter> OpenSystemConverter(const EncodingInfo& encoding);

// Plain ASCII: bytes above 0x7F read as U+FFFD, every character beyond ASCII written as a
// numeric character reference. The system's converter.
std::unique_ptr<TextConverter> OpenAsciiConverter();

// Our own converter for `encoding`, null where we have none.
std::unique_ptr<TextConverter> OpenOwnConverter(const EncodingInfo& encoding);

// The converter for `encoding`: the system's, else our own, else null.
std::unique_ptr<TextConverter> OpenConverter(const EncodingInfo& encoding);

// Appends the numeric character reference of `code` ("&#8364;") to `out`.
void AppendCharacterReference(std::string& out, char32_t code);

} // namespace titora
