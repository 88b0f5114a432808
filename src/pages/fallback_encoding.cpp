#include "fallback_encoding.h"

namespace titora {
namespace {

struct LanguageFallback {
    std::string_view language;
    std::string_view encoding;
};

// Browsers' defaults by language; Chinese depends on the region and comes apart.
constexpr LanguageFallback kFallbacks[] = {
    {"ar", "windows-1256"}, {"az", "windows-1254"}, {"ba", "windows-1251"},  {"be", "windows-1251"},
    {"bg", "windows-1251"}, {"cs", "windows-1250"}, {"el", "ISO-8859-7"},    {"et", "windows-1257"},
    {"fa", "windows-1256"}, {"he", "windows-1255"}, {"hr", "windows-1250"},  {"hu", "windows-1250"},
    {"ja", "Shift_JIS"},    {"kk", "windows-1251"}, {"ko", "EUC-KR"},        {"ku", "windows-1254"},
    {"ky", "windows-1251"}, {"lt", "windows-1257"}, {"lv", "windows-1257"},  {"mk", "windows-1251"},
    {"pl", "windows-1250"}, {"ru", "windows-1251"}, {"sah", "windows-1251"}, {"sk", "windows-1250"},
    {"sl", "windows-1250"}, {"sr", "windows-1251"}, {"tg", "windows-1251"},  {"th", "windows-874"},
    {"tr", "windows-1254"}, {"tt", "windows-1251"}, {"uk", "windows-1251"},  {"vi", "windows-1258"},
};

} // namespace

std::string_view FallbackEncodingForLocale(std::string_view locale) {
    // language[_REGION][.codeset][@modifier]
    const std::size_t languageEnd = locale.find_first_of("_.@");
    const std::string_view language = locale.substr(0, languageEnd);
    std::string_view region;
    if (languageEnd != std::string_view::npos && locale[languageEnd] == '_') {
        region = locale.substr(languageEnd + 1);
        region = region.substr(0, region.find_first_of(".@"));
    }
    const std::string_view modifier =
        locale.find('@') == std::string_view::npos ? "" : locale.substr(locale.find('@') + 1);
    if (language == "zh") {
        return region == "TW" || region == "HK" || region == "MO" ? "Big5" : "GBK";
    }
    if (language == "sr" && modifier == "latin") {
        return "windows-1250";
    }
    for (const LanguageFallback& fallback : kFallbacks) {
        if (fallback.language == language) {
            return fallback.encoding;
        }
    }
    return "windows-1252";
}

} // namespace titora
