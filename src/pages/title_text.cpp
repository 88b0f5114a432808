#include "title_text.h"

#include "declared_encoding.h"
#include "encoding_labels.h"
#include "fallback_encoding.h"
#include "text_converter.h"

#include <map>
#include <memory>
#include <mutex>

namespace titora {
namespace {

constexpr std::string_view kUntitledText = "UnTitled";

// How the titles of a page are read and written.
struct PageCodec {
    const EncodingInfo* read = nullptr;  // null: judged on the title's bytes
    const EncodingInfo* write = nullptr; // null: ASCII with character references
    bool readable = true;
};

const EncodingInfo* Fallback() {
    const EncodingInfo* fallback = FindEncoding(FallbackEncoding());
    return fallback != nullptr ? fallback : FindEncoding("windows-1252");
}

PageCodec CodecFor(std::string_view pageEncoding) {
    if (pageEncoding == kUndeclaredUtf8) {
        const EncodingInfo* utf8 = FindEncoding("UTF-8");
        return {utf8, utf8};
    }
    if (pageEncoding == kUndeclaredLegacy) {
        return {Fallback(), Fallback()};
    }
    std::string_view name = EncodingForLabel(pageEncoding);
    if (name.empty() && IsEncodingName(pageEncoding)) {
        name = pageEncoding; // "replacement", a name that is no label
    }
    if (name == "replacement") {
        return {nullptr, FindEncoding("UTF-8"), false};
    }
    const EncodingInfo* encoding = FindEncoding(name);
    if (encoding == nullptr) {
        return {};
    }
    const EncodingInfo* written = FindEncoding(
        encoding->icuEncoder != nullptr && std::string_view(encoding->icuEncoder) == "UTF-8"
            ? "UTF-8"
            : encoding->name);
    return {encoding, written};
}

// Runs `use` with the converter for `encoding` (null: ASCII), opened once for the whole
// process and used under a lock, since a converter holds state. Not one set per thread:
// mingw-w64's emulated thread-local storage frees a thread's objects before their
// destructors run, which corrupted the heap on Windows when the window's worker ended.
template <typename Use> auto WithConverter(const EncodingInfo* encoding, Use use) {
    static std::mutex lock;
    static std::map<const EncodingInfo*, std::unique_ptr<TextConverter>> converters;
    const std::lock_guard<std::mutex> hold(lock);
    auto found = converters.find(encoding);
    if (found == converters.end()) {
        std::unique_ptr<TextConverter> opened = encoding ? OpenConverter(*encoding) : nullptr;
        // Where the system lacks the encoding (Windows, for a few code pages), ASCII with
        // character references is written: it reads right in whatever ASCII-based encoding
        // the page declares, where bytes of another encoding would not.
        found =
            converters.emplace(encoding, opened ? std::move(opened) : OpenAsciiConverter()).first;
    }
    return use(found->second.get());
}

// A copy of `title` with the "<" of every "</title" (ASCII letters in any case) written
// as "&lt;", and every lone surrogate as U+FFFD.
QString Writable(const QString& title) {
    static constexpr QStringView kEndTag = u"</title";
    QString text;
    text.reserve(title.size());
    for (qsizetype at = 0; at < title.size(); ++at) {
        const QChar c = title.at(at);
        if (c.isHighSurrogate() && at + 1 < title.size() && title.at(at + 1).isLowSurrogate()) {
            text += c;
            text += title.at(++at);
            continue;
        }
        if (c.isSurrogate()) {
            text += QChar(0xFFFD);
            continue;
        }
        const QStringView candidate = QStringView(title).mid(at, kEndTag.size());
        if (c == u'<' && candidate.size() == kEndTag.size() &&
            candidate.toLatin1().toLower() == "</title") {
            text += u"&lt;";
            continue;
        }
        text += c;
    }
    return text;
}

} // namespace

QString DecodeTitle(std::string_view bytes, std::string_view pageEncoding) {
    const PageCodec codec = CodecFor(pageEncoding);
    if (!codec.readable) {
        return QString::fromLatin1(kUntitledText.data(), kUntitledText.size());
    }
    const EncodingInfo* encoding = codec.read;
    if (encoding == nullptr) {
        encoding = JudgeUndeclared(bytes, false) == UndeclaredText::kOther ? Fallback()
                                                                           : FindEncoding("UTF-8");
    }
    return WithConverter(encoding, [&](TextConverter* converter) {
        if (converter == nullptr) {
            return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
        }
        return converter->decode(bytes);
    });
}

bool TitleIsReadable(std::string_view pageEncoding) {
    return CodecFor(pageEncoding).readable;
}

std::string EncodeTitle(const QString& title, std::string_view pageEncoding) {
    const QString writable = Writable(title);
    return WithConverter(CodecFor(pageEncoding).write, [&](TextConverter* converter) {
        if (converter == nullptr) {
            return writable.toUtf8().toStdString();
        }
        return converter->encode(writable);
    });
}

QString TitleEncodingName(std::string_view pageEncoding) {
    const EncodingInfo* written = CodecFor(pageEncoding).write;
    if (written == nullptr) {
        return {};
    }
    return QString::fromLatin1(written->name.data(), static_cast<qsizetype>(written->name.size()));
}

} // namespace titora
