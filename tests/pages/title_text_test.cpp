// Titles decoded and encoded in the encoding of their page, as browsers convert them.
#include "declared_encoding.h"
#include "fallback_encoding.h"
#include "title_text.h"

#include <gtest/gtest.h>

#include <string>

namespace titora {
namespace {

struct Conversion {
    const char* name;
    std::string bytes;
    const char* declared;
    const char* text; // UTF-8
};

void PrintTo(const Conversion& c, std::ostream* out) {
    *out << c.name;
}

class Decoded : public testing::TestWithParam<Conversion> {};
TEST_P(Decoded, AsThePageMeansIt) {
    const Conversion& c = GetParam();
    EXPECT_EQ(DecodeTitle(c.bytes, c.declared).toStdString(), c.text);
}

// Latin-1, windows-1252, Shift_JIS, EUC-KR and UTF-8 pages are read through the window in
// the main window's tests; here the rest of the rules.
INSTANTIATE_TEST_SUITE_P(
    Cases, Decoded,
    testing::Values(
        Conversion{"GB2312 read as GBK", "\xD6\xD0\x81\x40", "gb2312", u8"中丂"},
        Conversion{"UTF-16 title of a UTF-16 page", std::string("C\0\xE9\0", 4), "UTF-16LE",
                   u8"Cé"},
        Conversion{"ISO-8859-9 read as windows-1254", "\x80 \x96", "iso-8859-9", u8"€ –"},
        Conversion{"Big5 with HKSCS", "\xC6\xE7", "Big5", u8"ぁ"},
        Conversion{"ISO-8859-16, our own table", "\xAA\xA4", "iso-8859-16", u8"Ș€"},
        Conversion{"x-user-defined, our own", "a\x80", "x-user-defined", u8"a\uF780"},
        Conversion{"bytes it does not hold", "a\xFF", "Shift_JIS", u8"a\uFFFD"},
        // Where our own readings stand in for ICU's, sequences are cut as the encoding cuts
        // them: 0x80 is the euro sign (gb18030) or U+0080 (Shift_JIS) only as a lead byte.
        Conversion{"gb18030 0x80 alone and as a trail", "\x80\x81\x80\x81\x30\x81\x30\x80", "GBK",
                   u8"€亐\u0080€"},
        Conversion{"Shift_JIS 0x80 alone and as a trail", "\x80\x81\x80", "sjis", u8"\u0080÷"},
        Conversion{"Big5 read as two characters", "\x88\x62\x88\x64x", "big5", u8"Ê̄Ê̌x"},
        Conversion{"replacement reads nothing", "x", "iso-2022-kr", "UnTitled"},
        Conversion{"unknown label, UTF-8 bytes", "Caf\xC3\xA9", "x-nonsense", u8"Café"},
        Conversion{"a path is no label", "Caf\xC3\xA9", "../../../tmp/latin1", u8"Café"},
        // Pages that declare nothing (the user's language here is that of the C locale).
        Conversion{"undeclared UTF-8", "Caf\xC3\xA9", kUndeclaredUtf8.data(), u8"Café"},
        Conversion{"undeclared legacy", "\xDC\x80", kUndeclaredLegacy.data(), u8"Ü€"},
        Conversion{"undeclared, judged on the title", "\xDC", "", u8"Ü"}));

class Encoded : public testing::TestWithParam<Conversion> {};
TEST_P(Encoded, InTheDeclaredEncodingWithReferencesForTheRest) {
    const Conversion& c = GetParam();
    EXPECT_EQ(EncodeTitle(QString::fromUtf8(c.text), c.declared), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Encoded,
    testing::Values(
        Conversion{"stateful encoding back to ASCII", "\x1B$BF|\x1B(B&#8364;\x1B$BK\\\x1B(B",
                   "ISO-2022-JP", u8"日€本"},
        Conversion{"a character beyond 16 bits", "x&#128512;y", "latin1", u8"x😀y"},
        Conversion{"UTF-16 means UTF-8", "Caf\xC3\xA9", "utf-16", u8"Café"},
        Conversion{"unknown label: references", "Caf&#233;", "x-nonsense", u8"Café"},
        Conversion{"replacement writes UTF-8", "~ \xC3\xA9", "HZ-GB-2312", u8"~ é"},
        Conversion{"GBK writes the euro as 0x80", "\x80", "gb2312", u8"€"},
        Conversion{"ISO-8859-16 and its references", "\xAA&#8482;", "ISO-8859-16", u8"Ș™"},
        Conversion{"undeclared ASCII: references", "&#220;ber", kUndeclaredAscii.data(), u8"Über"},
        Conversion{"undeclared UTF-8", "\xC3\x9C", kUndeclaredUtf8.data(), u8"Ü"},
        Conversion{"undeclared legacy", "\xDC&#937;", kUndeclaredLegacy.data(), u8"ÜΩ"},
        Conversion{"nothing but end tags escaped", "&amp; <b></titl </ title>&lt;/TiTlE>", "utf-8",
                   "&amp; <b></titl </ title></TiTlE>"}));

TEST(TitleText, LoneSurrogateAndEncodingNames) {
    EXPECT_EQ(EncodeTitle(QString(QChar(0xD800)) + u'x', "latin1"), "&#65533;x");
    EXPECT_EQ(TitleEncodingName("latin1"), QStringLiteral("windows-1252"));
    EXPECT_EQ(TitleEncodingName("utf-16"), QStringLiteral("UTF-8"));
    EXPECT_EQ(TitleEncodingName(""), QString());
    EXPECT_EQ(TitleEncodingName("x-nonsense"), QString());
}

TEST(FallbackEncoding, ByTheUsersLanguage) {
    const std::pair<const char*, const char*> cases[] = {
        {"C", "windows-1252"},
        {"POSIX", "windows-1252"},
        {"de_DE.UTF-8", "windows-1252"},
        {"ja_JP.UTF-8", "Shift_JIS"},
        {"zh_CN.UTF-8", "GBK"},
        {"zh_TW.UTF-8", "Big5"},
        {"zh_HK", "Big5"},
        {"ko_KR.EUC-KR", "EUC-KR"},
        {"ru_RU.UTF-8", "windows-1251"},
        {"uk_UA", "windows-1251"},
        {"pl_PL.UTF-8", "windows-1250"},
        {"sr_RS@latin", "windows-1250"},
        {"sr_RS", "windows-1251"},
        {"", "windows-1252"},
    };
    for (const auto& [locale, encoding] : cases) {
        EXPECT_EQ(FallbackEncodingForLocale(locale), encoding) << locale;
    }
}

} // namespace
} // namespace titora
