#include "encodings.h"

#include <iterator>

namespace titora {
namespace {

// Every encoding of the standard but "replacement", which reads nothing and writes UTF-8.
// UTF-16 is written as UTF-8, as the standard's "get an output encoding" has it (and a
// page holding NUL bytes is never written anyway). ICU's names are
// those of Debian's ICU data, which has no ISO-8859-16 and no x-user-defined: those two are
// our own. Code pages are those Windows gives the encodings.
constexpr EncodingInfo kEncodings[] = {
    {"UTF-8", "UTF-8", "UTF-8", 65001},
    {"IBM866", "ibm-866_P100-1995", "ibm-866_P100-1995", 866},
    {"ISO-8859-2", "ISO-8859-2", "ISO-8859-2", 28592},
    {"ISO-8859-3", "ISO-8859-3", "ISO-8859-3", 28593},
    {"ISO-8859-4", "ISO-8859-4", "ISO-8859-4", 28594},
    {"ISO-8859-5", "ISO-8859-5", "ISO-8859-5", 28595},
    {"ISO-8859-6", "ISO-8859-6", "ISO-8859-6", 28596},
    {"ISO-8859-7", "ISO-8859-7", "ISO-8859-7", 28597},
    {"ISO-8859-8", "ISO-8859-8", "ISO-8859-8", 28598},
    {"ISO-8859-8-I", "ISO-8859-8", "ISO-8859-8", 38598},
    {"ISO-8859-10", "ISO-8859-10", "ISO-8859-10", 28600},
    {"ISO-8859-13", "ISO-8859-13", "ISO-8859-13", 28603},
    {"ISO-8859-14", "ISO-8859-14", "ISO-8859-14", 28604},
    {"ISO-8859-15", "ISO-8859-15", "ISO-8859-15", 28605},
    {"ISO-8859-16", nullptr, nullptr, 28606},
    {"KOI8-R", "KOI8-R", "KOI8-R", 20866},
    {"KOI8-U", "KOI8-U", "KOI8-U", 21866},
    {"macintosh", "macintosh", "macintosh", 10000},
    {"windows-874", "windows-874-2000", "windows-874-2000", 874},
    {"windows-1250", "windows-1250", "windows-1250", 1250},
    {"windows-1251", "windows-1251", "windows-1251", 1251},
    {"windows-1252", "windows-1252", "windows-1252", 1252},
    {"windows-1253", "windows-1253", "windows-1253", 1253},
    {"windows-1254", "windows-1254", "windows-1254", 1254},
    {"windows-1255", "windows-1255", "windows-1255", 1255},
    {"windows-1256", "windows-1256", "windows-1256", 1256},
    {"windows-1257", "windows-1257", "windows-1257", 1257},
    {"windows-1258", "windows-1258", "windows-1258", 1258},
    {"x-mac-cyrillic", "x-mac-cyrillic", "x-mac-cyrillic", 10007},
    // The standard reads GBK with gb18030's decoder and writes it as code page 936.
    {"GBK", "gb18030", "windows-936-2000", 936},
    {"gb18030", "gb18030", "gb18030", 54936},
    // The standard's Big5 holds the HKSCS characters.
    {"Big5", "Big5-HKSCS", "Big5-HKSCS", 950},
    {"EUC-JP", "EUC-JP", "EUC-JP", 20932},
    {"ISO-2022-JP", "ISO-2022-JP", "ISO-2022-JP", 50220},
    {"Shift_JIS", "windows-31j", "windows-31j", 932},
    {"EUC-KR", "windows-949-2000", "windows-949-2000", 949},
    {"UTF-16BE", "UTF-16BE", "UTF-8", 1201},
    {"UTF-16LE", "UTF-16LE", "UTF-8", 1200},
    {"x-user-defined", nullptr, nullptr, 0},
};

} // namespace

const EncodingInfo* FindEncoding(std::string_view name) {
    for (const EncodingInfo& encoding : kEncodings) {
        if (encoding.name == name) {
            return &encoding;
        }
    }
    return nullptr;
}

const EncodingInfo* FindEncodingByCodePage(unsigned codePage) {
    for (const EncodingInfo& encoding : kEncodings) {
        if (encoding.windowsCodePage == codePage && codePage != 0) {
            return &encoding;
        }
    }
    return nullptr;
}

} // namespace titora
