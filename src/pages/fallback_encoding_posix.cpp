// The fallback encoding on POSIX systems: by the locale the user's environment names, as
// setlocale would choose it for character types.
#include "fallback_encoding.h"

#include <cstdlib>
#include <string>

namespace titora {

std::string_view FallbackEncoding() {
    static const std::string_view encoding = [] {
        for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
            const char* value = std::getenv(variable);
            if (value != nullptr && *value != '\0') {
                return FallbackEncodingForLocale(value);
            }
        }
        return FallbackEncodingForLocale("C");
    }();
    return encoding;
}

} // namespace titora
