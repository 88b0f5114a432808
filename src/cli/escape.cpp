#include "escape.h"

#include "declared_encoding.h"

namespace titora::cli {
namespace {

const char kHex[] = "0123456789abcdef";

#ifdef _WIN32
constexpr bool kBackslashSeparates = true;
#else
constexpr bool kBackslashSeparates = false;
#endif

void AppendHexByte(std::string& out, unsigned char byte) {
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

// Whether a C1 control character in UTF-8, C2 followed by 80 to 9F, starts at `at`.
// Some terminals act on one as on the start of an escape sequence.
bool IsC1Control(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) == 0xC2 && at + 1 < bytes.size() &&
           static_cast<unsigned char>(bytes[at + 1]) >= 0x80 &&
           static_cast<unsigned char>(bytes[at + 1]) <= 0x9F;
}

} // namespace

void AppendLineField(std::string& out, std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const char c = bytes[at];
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\':
            out += "\\\\";
            continue;
        case '\t':
            out += "\\t";
            continue;
        case '\r':
            out += "\\r";
            continue;
        case '\n':
            out += "\\n";
            continue;
        default:
            break;
        }
        if (IsC1Control(bytes, at)) {
            out += "\\xc2";
            ++at;
        } else if (byte >= 0x20 && byte != 0x7F) {
            out += c;
            continue;
        }
        out += "\\x";
        AppendHexByte(out, static_cast<unsigned char>(bytes[at]));
    }
}

void AppendPathField(std::string& out, std::string_view path) {
    if (!kBackslashSeparates) {
        AppendLineField(out, path);
        return;
    }
    for (std::size_t start = 0;;) {
        const std::size_t slash = path.find('\\', start);
        AppendLineField(out, path.substr(start, slash - start));
        if (slash == std::string_view::npos)
            return;
        out += '\\';
        start = slash + 1;
    }
}

void AppendJsonString(std::string& out, std::string_view bytes) {
    out += '"';
    for (std::size_t at = 0; at < bytes.size();) {
        const char c = bytes[at];
        const auto byte = static_cast<unsigned char>(c);
        const std::size_t length = Utf8SequenceLength(bytes, at);
        if (length == 0) {
            out += "\\udc";
            AppendHexByte(out, byte);
            ++at;
            continue;
        }
        if (IsC1Control(bytes, at)) {
            out += "\\u00";
            AppendHexByte(out, static_cast<unsigned char>(bytes[at + 1]));
            at += 2;
            continue;
        }
        if (length > 1) {
            out.append(bytes, at, length);
            at += length;
            continue;
        }
        ++at;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\u00";
            AppendHexByte(out, byte);
        } else {
            out += c;
        }
    }
    out += '"';
}

} // namespace titora::cli
