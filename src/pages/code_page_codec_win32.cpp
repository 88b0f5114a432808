#include "code_page_codec.h"

#include <climits>
#include <windows.h>

namespace titora {
namespace {

// The ISO-2022-JP code pages keep a state in their bytes: an escape sequence switches to a
// Japanese set and ESC ( B back to ASCII.
bool IsIso2022Jp(unsigned codePage) {
    return codePage == 50220 || codePage == 50221 || codePage == 50222;
}

// `bytes` ended in ASCII: a trailing switch away from ASCII is followed by ESC ( B, which is
// where the converters of some systems leave it and of others not.
void EndInAscii(std::string& bytes) {
    const std::string::size_type escape = bytes.rfind('\x1b');
    if (escape == std::string::npos)
        return;
    const std::string_view last = std::string_view(bytes).substr(escape);
    if (last.substr(0, 3) == "\x1b(B")
        return;
    bytes += "\x1b(B";
}

// Converts with `flags`; nothing when the system refuses the call (a code page it lacks, a
// flag the code page does not take).
std::optional<std::string> ToCodePage(QStringView text, unsigned codePage, DWORD flags) {
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int length = static_cast<int>(text.size());
    const int size =
        ::WideCharToMultiByte(codePage, flags, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (::WideCharToMultiByte(codePage, flags, wide, length, bytes.data(), size, nullptr,
                              nullptr) != size)
        return std::nullopt;
    return bytes;
}

} // namespace

bool HasCodePage(unsigned codePage) {
    return ::IsValidCodePage(codePage) != 0;
}

std::optional<QString> DecodeWithCodePage(std::string_view bytes, unsigned codePage) {
    if (!HasCodePage(codePage) || bytes.size() > static_cast<std::size_t>(INT_MAX))
        return std::nullopt;
    if (bytes.empty())
        return QString();
    // No MB_ERR_INVALID_CHARS: a damaged byte is replaced rather than the title lost, and
    // several code pages (ISO-2022-JP, GB18030) take no other flag than none.
    const int length = static_cast<int>(bytes.size());
    const int size = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    QString text(size, Qt::Uninitialized);
    if (::MultiByteToWideChar(codePage, 0, bytes.data(), length,
                              reinterpret_cast<wchar_t*>(text.data()), size) != size)
        return std::nullopt;
    return text;
}

std::optional<std::string> EncodeWithCodePage(QStringView text, unsigned codePage) {
    if (!HasCodePage(codePage) || text.size() > INT_MAX / 4)
        return std::nullopt;
    if (text.isEmpty())
        return std::string();
    // Without WC_NO_BEST_FIT_CHARS Windows writes "a" for "ā" and "?" for what it has no
    // look-alike for; the code pages that refuse the flag are converted without it.
    std::optional<std::string> bytes = ToCodePage(text, codePage, WC_NO_BEST_FIT_CHARS);
    if (!bytes && ::GetLastError() == ERROR_INVALID_FLAGS)
        bytes = ToCodePage(text, codePage, 0);
    if (!bytes)
        return std::nullopt;
    if (IsIso2022Jp(codePage))
        EndInAscii(*bytes);
    // Whatever stood in for a character the code page lacks (a default character, a
    // look-alike the flag could not forbid, a lone surrogate's replacement) reads back as
    // something else: only bytes that read back as the text itself are its bytes.
    const std::optional<QString> readBack = DecodeWithCodePage(*bytes, codePage);
    if (!readBack || *readBack != text)
        return std::nullopt;
    return bytes;
}

} // namespace titora
