// Titles decoded and encoded in the encoding their page declares, through Qt's converters.
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
        Conversion{"UTF-16 means UTF-8", "Caf\xC3\xA9", "UTF-16LE", u8"Café"},
        Conversion{"unknown label", "Caf\xC3\xA9", "x-nonsense", u8"Café"},
        Conversion{"EBCDIC cannot stand in a page", "Caf\xC3\xA9", "IBM037", u8"Café"},
        Conversion{"a path is no label", "Caf\xC3\xA9", "../../../tmp/latin1", u8"Café"},
        Conversion{"no converter options", "Caf\xC3\xA9", "latin1,swaplfnl", u8"Café"}));

class Encoded : public testing::TestWithParam<Conversion> {};
TEST_P(Encoded, InTheDeclaredEncodingWithReferencesForTheRest) {
    const Conversion& c = GetParam();
    EXPECT_EQ(EncodeTitle(QString::fromUtf8(c.text), c.declared), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Encoded,
    testing::Values(Conversion{"stateful encoding back to ASCII",
                               "\x1B$BF|\x1B(B&#8364;\x1B$BK\\\x1B(B", "ISO-2022-JP", u8"日€本"},
                    Conversion{"a character beyond 16 bits", "x&#128512;y", "latin1", u8"x😀y"},
                    Conversion{"UTF-16 means UTF-8", "Caf\xC3\xA9", "utf-16", u8"Café"},
                    Conversion{"unknown label", "Caf\xC3\xA9", "x-nonsense", u8"Café"},
                    Conversion{"HZ writes ASCII otherwise", "~ \xC3\xA9", "HZ-GB-2312", u8"~ é"},
                    Conversion{"nothing but end tags escaped",
                               "&amp; <b></titl </ title>&lt;/TiTlE>", "",
                               "&amp; <b></titl </ title></TiTlE>"}));

TEST(TitleText, LoneSurrogateAndEncodingNames) {
    EXPECT_EQ(EncodeTitle(QString(QChar(0xD800)) + u'x', "latin1"), "&#65533;x");
    EXPECT_EQ(TitleEncodingName("latin1"), QStringLiteral("ISO-8859-1"));
    EXPECT_EQ(TitleEncodingName("utf-16"), QStringLiteral("UTF-8"));
    EXPECT_EQ(TitleEncodingName(""), QString());
    EXPECT_EQ(TitleEncodingName("x-nonsense"), QString());
}

} // namespace
} // namespace titora
