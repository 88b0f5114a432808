// The fallback encoding on Windows: that of the system's ANSI code page, as browsers on
// Windows take it.
#include "encodings.h"
#include "fallback_encoding.h"

#include <windows.h>

namespace titora {

std::string_view FallbackEncoding() {
    static const std::string_view encoding = [] {
        const EncodingInfo* system = FindEncodingByCodePage(::GetACP());
        // A UTF-8 system code page says nothing of the legacy pages a user keeps.
        if (system == nullptr || system->name == "UTF-8") {
            return std::string_view("windows-1252");
        }
        return system->name;
    }();
    return encoding;
}

} // namespace titora
