#include "title_text.h"

#include <mutex>
#include <QByteArray>
#include <QStringDecoder>
#include <QStringEncoder>
#include <string>
#include <unordered_map>

namespace titora {
namespace {

// Encodings whose labels browsers read as a wider encoding, by Qt's names.
struct WiderReading {
    const char* declared;
    const char* read;
};
constexpr WiderReading kWiderReadings[] = {
    {"ISO-8859-1", "windows-1252"},
    {"US-ASCII", "windows-1252"},
    {"EUC-KR", "windows-949"},
    {"GB2312", "GBK"},
};

// Printable ASCII, which an encoding must write as ASCII does: the page around a title is
// ASCII to the tag search, and an ASCII title then gets the same bytes in every page.
constexpr char kPrintableAscii[] =
    " !\"#$%&'()*+,-./0123456789:;<=>?@"
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";

// The names of the encodings to read and to write the titles of one page in, as Qt takes
// them; empty for the system's code page.
struct TitleCodec {
    QByteArray read;
    QByteArray write;
    QString writtenIn; // Qt's name of `write`; empty for the system's code page
};

QStringEncoder EncoderFor(const QByteArray& name) {
    return name.isEmpty() ? QStringEncoder(QStringConverter::System)
                          : QStringEncoder(name.constData());
}

QStringDecoder DecoderFor(const QByteArray& name) {
    return name.isEmpty() ? QStringDecoder(QStringConverter::System)
                          : QStringDecoder(name.constData());
}

// `text` in the encoding `name`, ending in the encoding's initial state: a stateful
// encoding (ISO-2022-JP) is brought back to ASCII, as the "</title>" that follows needs.
// Qt leaves it where the last character put it, so a "<" goes after the text and its byte
// is taken off again. False in `*complete` when a character had no bytes in the encoding.
QByteArray EncodeBackToAscii(const QByteArray& name, QStringView text, bool* complete) {
    QStringEncoder encoder = EncoderFor(name);
    QByteArray bytes = encoder.encode(text);
    bytes += encoder.encode(u"<");
    bytes.chop(1);
    *complete = !encoder.hasError();
    return bytes;
}

bool WritesAsciiAsAscii(const QByteArray& name) {
    bool complete = false;
    return EncodeBackToAscii(name, QString::fromLatin1(kPrintableAscii), &complete) ==
               kPrintableAscii &&
           complete;
}

// Whether `label` is made of what encoding labels are made of. The label comes from the
// page, and ICU looks a name it does not know up as a converter file under its data
// folder, "../" and all, and reads options after a comma: a label of anything else is
// never handed to it.
bool LooksLikeALabel(const QByteArray& label) {
    constexpr qsizetype kLongestLabel = 64;
    if (label.isEmpty() || label.size() > kLongestLabel) {
        return false;
    }
    for (const char c : label) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':';
        if (!allowed) {
            return false;
        }
    }
    return true;
}

TitleCodec LookUpCodec(std::string_view declared) {
    const QByteArray label =
        QByteArray(declared.data(), static_cast<qsizetype>(declared.size())).trimmed();
    if (!LooksLikeALabel(label)) {
        return {};
    }
    const QStringDecoder known(label.constData());
    if (!known.isValid()) {
        return {};
    }
    const QByteArray name = known.name();
    if (name.startsWith("UTF-16") || name.startsWith("UTF-32")) {
        return {"UTF-8", "UTF-8", {}};
    }
    if (!WritesAsciiAsAscii(label)) {
        return {};
    }
    for (const WiderReading& wider : kWiderReadings) {
        // Qt without ICU (on Windows) has ISO-8859-1 but not windows-1252: the label itself
        // is then read, rather than a title lost to a converter that cannot be opened.
        if (name == wider.declared && QStringDecoder(wider.read).isValid()) {
            return {wider.read, label, {}};
        }
    }
    return {label, label, {}};
}

// Looking a label up opens converters of ICU's, which costs some microseconds a page; a site
// uses a handful of labels, so the answers found are kept, with a decoder per encoding. Labels
// come from pages, so the memory is bounded: each map starts afresh once it holds a few dozen.
// The process keeps one set under a lock rather than one per thread: mingw-w64's emulated
// thread-local storage frees a thread's objects before their destructors run, which
// corrupted the heap on Windows when the window's worker thread ended.
struct Kept {
    std::mutex lock;
    std::unordered_map<std::string, TitleCodec> codecs;
    std::unordered_map<std::string, QStringDecoder> decoders;
};

Kept& KeptForAll() {
    static Kept kept;
    return kept;
}

TitleCodec CodecFor(std::string_view declared) {
    constexpr std::size_t kLabelsKept = 64;
    Kept& kept = KeptForAll();
    const std::lock_guard<std::mutex> hold(kept.lock);
    std::unordered_map<std::string, TitleCodec>& known = kept.codecs;
    const std::string key(declared);
    const auto found = known.find(key);
    if (found != known.end()) {
        return found->second;
    }
    if (known.size() >= kLabelsKept) {
        known.clear();
    }
    TitleCodec codec = LookUpCodec(declared);
    if (!codec.write.isEmpty()) {
        const QStringDecoder decoder(codec.write.constData());
        const char* name = decoder.name();
        codec.writtenIn =
            QString::fromLatin1(name != nullptr && *name != '\0' ? name : codec.write.constData());
    }
    return known.emplace(key, std::move(codec)).first->second;
}

// `bytes` decoded from the encoding `name`, through the decoder kept for that name.
QString Decode(const QByteArray& name, QByteArrayView bytes) {
    constexpr std::size_t kDecodersKept = 16;
    Kept& kept = KeptForAll();
    const std::lock_guard<std::mutex> hold(kept.lock);
    std::unordered_map<std::string, QStringDecoder>& decoders = kept.decoders;
    const std::string key = name.toStdString();
    auto found = decoders.find(key);
    if (found == decoders.end()) {
        if (decoders.size() >= kDecodersKept) {
            decoders.clear();
        }
        found = decoders.emplace(key, DecoderFor(name)).first;
    }
    QStringDecoder& decoder = found->second;
    decoder.resetState();
    return decoder.decode(bytes);
}

// A copy of `title` with the "<" of every "</title" (ASCII letters in any case) written
// as "&lt;".
QString WithEndTagsEscaped(const QString& title) {
    static constexpr QStringView kEndTag = u"</title";
    QString escaped;
    qsizetype copied = 0;
    for (qsizetype at = title.indexOf(u'<'); at >= 0; at = title.indexOf(u'<', at + 1)) {
        const QStringView candidate = QStringView(title).mid(at, kEndTag.size());
        if (candidate.size() < kEndTag.size() || candidate.toLatin1().toLower() != "</title") {
            continue;
        }
        escaped += QStringView(title).mid(copied, at - copied);
        escaped += u"&lt;";
        copied = at + 1;
    }
    if (copied == 0) {
        return title;
    }
    escaped += QStringView(title).mid(copied);
    return escaped;
}

// `text` in the encoding `name`, each character it cannot hold as a numeric character
// reference. Qt reports that some character failed, not which: each one is tried alone,
// and the runs that the encoding holds are encoded whole.
QByteArray EncodeWithReferences(const QByteArray& name, const QString& text) {
    QByteArray bytes;
    qsizetype runStart = 0;
    const auto endRun = [&](qsizetype end) {
        bool complete = false;
        bytes +=
            EncodeBackToAscii(name, QStringView(text).mid(runStart, end - runStart), &complete);
    };
    for (qsizetype at = 0; at < text.size();) {
        const QChar c = text.at(at);
        const bool pair =
            c.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        bool complete = false;
        if (!c.isSurrogate() || pair) {
            EncodeBackToAscii(name, QStringView(text).mid(at, length), &complete);
        }
        if (!complete) {
            endRun(at);
            const char32_t code = pair              ? QChar::surrogateToUcs4(c, text.at(at + 1))
                                  : c.isSurrogate() ? 0xFFFD
                                                    : c.unicode();
            bytes += "&#" + QByteArray::number(static_cast<uint>(code)) + ';';
            runStart = at + length;
        }
        at += length;
    }
    endRun(text.size());
    return bytes;
}

} // namespace

QString DecodeTitle(std::string_view bytes, std::string_view declaredEncoding) {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (declaredEncoding.empty()) {
        return QString::fromLocal8Bit(view);
    }
    return Decode(CodecFor(declaredEncoding).read, view);
}

std::string EncodeTitle(const QString& title, std::string_view declaredEncoding) {
    const QString text = WithEndTagsEscaped(title);
    const QByteArray name = CodecFor(declaredEncoding).write;
    bool complete = false;
    QByteArray bytes = EncodeBackToAscii(name, text, &complete);
    if (!complete) {
        bytes = EncodeWithReferences(name, text);
    }
    return bytes.toStdString();
}

QString TitleEncodingName(std::string_view declaredEncoding) {
    return CodecFor(declaredEncoding).writtenIn;
}

} // namespace titora
