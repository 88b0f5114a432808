// The converters of ICU, used directly: ICU knows every encoding of the standard but two,
// by names this program's table gives.
#include "text_converter.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>

namespace titora {
namespace {

// ICU writes U+001A for a byte that a single-byte encoding leaves unassigned; the standard's
// decoders, U+FFFD, for every byte sequence they cannot read.
void ReplaceWithFffd(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                     UConverterCallbackReason reason, UErrorCode* error) {
    if (reason > UCNV_IRREGULAR) {
        return;
    }
    *error = U_ZERO_ERROR;
    const UChar replacement = 0xFFFD;
    ucnv_cbToUWriteUChars(args, &replacement, 1, 0, error);
}

struct CloseConverter {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

class IcuConverter : public TextConverter {
public:
    explicit IcuConverter(UConverter* decoder, UConverter* encoder)
        : decoder_(decoder), encoder_(encoder) {}

    QString decode(std::string_view bytes) override {
        ucnv_reset(decoder_.get());
        // No encoding gives more than two UTF-16 units a byte.
        QString text(static_cast<qsizetype>(bytes.size() * 2 + 2), Qt::Uninitialized);
        UErrorCode error = U_ZERO_ERROR;
        const int32_t length = ucnv_toUChars(decoder_.get(), reinterpret_cast<UChar*>(text.data()),
                                             static_cast<int32_t>(text.size()), bytes.data(),
                                             static_cast<int32_t>(bytes.size()), &error);
        if (U_FAILURE(error)) {
            return QString(static_cast<qsizetype>(bytes.empty() ? 0 : 1), QChar(0xFFFD));
        }
        text.truncate(length);
        return text;
    }

    std::string encode(QStringView text) override {
        ucnv_reset(encoder_.get());
        const auto* units = reinterpret_cast<const UChar*>(text.utf16());
        const auto count = static_cast<int32_t>(text.size());
        UErrorCode error = U_ZERO_ERROR;
        const int32_t length = ucnv_fromUChars(encoder_.get(), nullptr, 0, units, count, &error);
        if (error != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(error)) {
            return {};
        }
        std::string bytes(static_cast<std::size_t>(length), '\0');
        error = U_ZERO_ERROR;
        ucnv_reset(encoder_.get());
        ucnv_fromUChars(encoder_.get(), bytes.data(), length, units, count, &error);
        return U_FAILURE(error) ? std::string() : bytes;
    }

private:
    std::unique_ptr<UConverter, CloseConverter> decoder_;
    std::unique_ptr<UConverter, CloseConverter> encoder_;
};

UConverter* Open(const char* name, bool forWriting) {
    UErrorCode error = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name, &error);
    if (U_FAILURE(error)) {
        return nullptr;
    }
    if (forWriting) {
        ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_ESCAPE, UCNV_ESCAPE_XML_DEC, nullptr,
                              nullptr, &error);
    } else {
        ucnv_setToUCallBack(converter, ReplaceWithFffd, nullptr, nullptr, nullptr, &error);
    }
    if (U_FAILURE(error)) {
        ucnv_close(converter);
        return nullptr;
    }
    return converter;
}

std::unique_ptr<TextConverter> OpenPair(const char* decoderName, const char* encoderName) {
    UConverter* decoder = Open(decoderName, false);
    UConverter* encoder = Open(encoderName, true);
    if (decoder == nullptr || encoder == nullptr) {
        ucnv_close(decoder);
        ucnv_close(encoder);
        return nullptr;
    }
    return std::make_unique<IcuConverter>(decoder, encoder);
}

} // namespace

std::unique_ptr<TextConverter> OpenSystemConverter(const EncodingInfo& encoding) {
    if (encoding.icuDecoder == nullptr || encoding.icuEncoder == nullptr) {
        return nullptr;
    }
    return OpenPair(encoding.icuDecoder, encoding.icuEncoder);
}

std::unique_ptr<TextConverter> OpenAsciiConverter() {
    return OpenPair("US-ASCII", "US-ASCII");
}

} // namespace titora
