// The platform layer on POSIX systems: the system's code page.
#include "platform/platform.h"

#include <cstdlib>
#include <langinfo.h>
#include <locale.h>
#include <string>

namespace titora::platform {
namespace {

// Folds a character set name to upper-case letters and digits: "Shift_JIS" and
// "SHIFT-JIS" become the same key.
std::string CharsetKey(const char* name) {
    std::string key;
    for (; *name != '\0'; ++name) {
        const char c = *name;
        if (c >= 'a' && c <= 'z') {
            key += static_cast<char>(c - ('a' - 'A'));
        } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            key += c;
        }
    }
    return key;
}

// The code page of a character set named as nl_langinfo(CODESET) names it.
unsigned CodePageOfCharset(const char* charset) {
    const std::string key = CharsetKey(charset);
    if (key == "SHIFTJIS" || key == "SJIS" || key == "CP932" || key == "WINDOWS31J" ||
        key == "MSKANJI") {
        return 932;
    }
    if (key == "GBK" || key == "CP936" || key == "GB2312" || key == "EUCCN" || key == "GB18030") {
        return 936;
    }
    if (key == "EUCKR" || key == "CP949" || key == "UHC") {
        return 949;
    }
    if (key == "BIG5" || key == "BIG5HKSCS" || key == "CP950") {
        return 950;
    }
    if (key == "UTF8") {
        return 65001;
    }
    return 0;
}

// The variables that choose the locale of character types, with the folder of
// locale data, as one string: the same string names the same locale.
std::string LocaleEnvironment() {
    std::string key;
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG", "LOCPATH"}) {
        const char* value = std::getenv(name);
        key += value == nullptr ? "" : value;
        key += '\n';
    }
    return key;
}

// The character set of the locale that the environment names for character types.
// It is read from a locale object of its own, not from the program's current locale:
// a program that never calls setlocale runs in the "C" locale whatever the user
// chose, and GUI toolkits set the program's locale as they see fit (newer Qt releases
// switch LC_CTYPE to UTF-8 at start-up when the user's locale is not). Where the
// environment names no locale that exists, the program's current locale answers,
// and `*fromEnvironment` is false.
std::string EnvironmentCharset(bool* fromEnvironment) {
    const locale_t locale = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    *fromEnvironment = locale != static_cast<locale_t>(0);
    if (!*fromEnvironment) {
        return ::nl_langinfo(CODESET);
    }
    std::string charset = ::nl_langinfo_l(CODESET, locale);
    ::freelocale(locale);
    return charset;
}

} // namespace

unsigned SystemCodePage() {
    // Loading a locale costs some microseconds, about as much as reading a small page:
    // the answer is kept while the environment names the same locale.
    thread_local std::string cachedFor;
    thread_local unsigned cached = 0;
    thread_local bool known = false;
    const std::string key = LocaleEnvironment();
    if (known && key == cachedFor) {
        return cached;
    }
    bool fromEnvironment = false;
    const unsigned codePage = CodePageOfCharset(EnvironmentCharset(&fromEnvironment).c_str());
    known = fromEnvironment;
    cachedFor = key;
    cached = codePage;
    return codePage;
}

bool SystemLeadBytes(std::bitset<256>*) {
    return false; // the lead bytes follow from the code page
}

} // namespace titora::platform
