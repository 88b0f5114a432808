// The encoding a page declares: byte-order marks and the HTML standard's prescan of the
// first 1,024 bytes for a <meta> declaration, the Encoding Standard's labels, and what
// the bytes of a page that declares nothing suggest.
#include "declared_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace titora {
namespace {

using namespace std::string_literals;

struct DeclarationCase {
    const char* name;
    std::string bytes;
    std::string label;
};

void PrintTo(const DeclarationCase& c, std::ostream* out) {
    *out << c.name;
}

class Declared : public testing::TestWithParam<DeclarationCase> {};

TEST_P(Declared, AsTheStandardsPrescanFindsIt) {
    EXPECT_EQ(DeclaredEncoding(GetParam().bytes), GetParam().label);
}

const std::string kPadding(1000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, Declared,
    testing::Values(
        DeclarationCase{"nothing", "<html><head><title>t</title></head></html>", ""},
        DeclarationCase{"empty", "", ""},
        // Byte-order marks come first, whatever a <meta> says.
        DeclarationCase{"UTF-8 mark", "\xEF\xBB\xBF<meta charset=latin1>", "UTF-8"},
        DeclarationCase{"UTF-16LE mark", "\xFF\xFE<\0h\0"s, "UTF-16LE"},
        DeclarationCase{"UTF-16BE mark", "\xFE\xFF\0<\0h"s, "UTF-16BE"},
        // charset, in every quoting and letter case, the encoding by the standard's name.
        DeclarationCase{"double quotes", "<meta charset=\"Shift_JIS\">", "Shift_JIS"},
        DeclarationCase{"single quotes", "<META CHARSET='EUC-KR'>", "EUC-KR"},
        DeclarationCase{"unquoted", "<Meta chArSet=iso-8859-1>", "windows-1252"},
        DeclarationCase{"blanks around", "<meta\ncharset = \" gb2312 \" >", "GBK"},
        DeclarationCase{"slash after meta", "<meta/charset=koi8-r>", "KOI8-R"},
        DeclarationCase{"other attributes first", "<meta name=x lang=en charset=big5-hkscs>",
                        "Big5"},
        // http-equiv + content, in either order.
        DeclarationCase{"http-equiv first",
                        "<meta http-equiv=\"Content-Type\" content=\"text/html; "
                        "charset=windows-1252\">",
                        "windows-1252"},
        DeclarationCase{"content first",
                        "<meta content='text/html;CHARSET = \"euc-jp\"' HTTP-EQUIV=content-type>",
                        "EUC-JP"},
        DeclarationCase{"content label ends at a semicolon",
                        "<meta http-equiv=content-type content=\"text/html; charset=latin1; x\">",
                        "windows-1252"},
        DeclarationCase{"charset without = is skipped",
                        "<meta http-equiv=content-type content=\"charset; charset=sjis\">",
                        "Shift_JIS"},
        DeclarationCase{"content without http-equiv",
                        "<meta content=\"text/html; charset=latin1\"><meta charset=utf-8>",
                        "UTF-8"},
        DeclarationCase{"other http-equiv",
                        "<meta http-equiv=refresh content=\"1; charset=latin1\">", ""},
        DeclarationCase{"content without charset",
                        "<meta http-equiv=content-type content=\"text/html\">", ""},
        DeclarationCase{"unmatched quote in content",
                        "<meta http-equiv=content-type content='charset=\"latin1'>", ""},
        // Which attribute counts.
        DeclarationCase{"charset wins over content",
                        "<meta http-equiv=content-type content=\"text/html; charset=latin2\" "
                        "charset=koi8-u>",
                        "KOI8-U"},
        DeclarationCase{"first of two charsets", "<meta charset=latin2 charset=koi8-u>",
                        "ISO-8859-2"},
        DeclarationCase{"empty charset, then another <meta>",
                        "<meta charset=\"\"><meta charset=\" \"><meta charset=utf-8>", "UTF-8"},
        DeclarationCase{"empty charset beats content",
                        "<meta charset=\"\" http-equiv=content-type content=\"charset=latin2\">",
                        ""},
        // What is not a declaration.
        DeclarationCase{"in a comment", "<!-- <meta charset=latin1> --><meta charset=latin2>",
                        "ISO-8859-2"},
        DeclarationCase{"shortest comment", "<!--><meta charset=koi8-u>", "KOI8-U"},
        DeclarationCase{"unclosed comment", "<!-- <meta charset=latin1>", ""},
        DeclarationCase{"inside another tag's value",
                        "<a title='<meta charset=sjis>'><meta charset=latin2>", "ISO-8859-2"},
        DeclarationCase{"in an end tag", "</p charset=sjis><meta charset=latin2>", "ISO-8859-2"},
        DeclarationCase{"in a declaration", "<!doctype charset=sjis><?x <meta charset=sjis>?>", ""},
        DeclarationCase{"no blank after meta", "<metacharset=sjis><meta charset=latin2>",
                        "ISO-8859-2"},
        // Only the first 1,024 bytes are read, and a cut declaration is none.
        DeclarationCase{"within the first 1,024 bytes", kPadding + "<meta charset=l2>",
                        "ISO-8859-2"},
        DeclarationCase{"cut at byte 1,024", kPadding + "<meta charset=iso-8859-2>", ""},
        DeclarationCase{"unclosed meta", "<meta charset=latin1", ""},
        // The standard's labels and its readings of them.
        DeclarationCase{"unknown label skipped",
                        "<meta charset=\"bogus\"><meta charset=\"iso-8859-2\">", "ISO-8859-2"},
        DeclarationCase{"stray quote makes a label none",
                        "<meta charset=iso8859-2\"><meta charset=latin1>", "windows-1252"},
        DeclarationCase{"unknown in content skipped",
                        "<meta http-equiv=content-type content=\"charset=bogus\" charset=latin2>",
                        "ISO-8859-2"},
        DeclarationCase{"unknown charset fails the element",
                        "<meta charset=bogus http-equiv=content-type content=\"charset=latin2\">",
                        ""},
        DeclarationCase{"ISO-8859-9 means windows-1254", "<meta charset=iso-8859-9>",
                        "windows-1254"},
        DeclarationCase{"UTF-16 means UTF-8", "<meta charset=utf-16le>", "UTF-8"},
        DeclarationCase{"x-user-defined means windows-1252", "<meta charset=x-user-defined>",
                        "windows-1252"},
        DeclarationCase{"replacement", "<meta charset=hz-gb-2312>", "replacement"},
        DeclarationCase{"blanks around a label", "<meta charset=\"\x0C chinese\t\">", "GBK"},
        // XML declarations.
        DeclarationCase{"XML declaration", "<?xml version='1.0' encoding = \"EUC-JP\"?>", "EUC-JP"},
        DeclarationCase{"meta before XML declaration",
                        "<?xml encoding=\"EUC-JP\"?><meta charset=sjis>", "Shift_JIS"},
        DeclarationCase{"encoding outside the declaration", "<?xml?> encoding='sjis'", ""},
        DeclarationCase{"UTF-16 XML declaration", "<\0?\0x\0m\0l\0"s, "UTF-16LE"}));

struct UndeclaredCase {
    std::string bytes;
    bool cut;
    std::string_view encoding;
};

// Pages that declare nothing: UTF-8 is recognised only by valid multi-byte sequences.
TEST(PageEncoding, OfUndeclaredPagesByTheirBytes) {
    const UndeclaredCase cases[] = {
        {"<title>plain</title>", false, kUndeclaredAscii},
        {"<title>Caf\xC3\xA9</title>", false, kUndeclaredUtf8},
        {"<title>Caf\xE9</title>", false, kUndeclaredLegacy},
        {"\xF0\x9F\x98\x80", false, kUndeclaredUtf8},
        {"\xC0\xAF", false, kUndeclaredLegacy},     // overlong
        {"\xED\xA0\x80", false, kUndeclaredLegacy}, // surrogate
        {"\xC3\xA9\xE9", false, kUndeclaredLegacy},
        {"abc\xE2\x82", false, kUndeclaredLegacy},
        {"abc\xE2\x82", true, kUndeclaredUtf8}, // cut where more bytes follow
        {"<meta charset=latin1>\xC3\xA9", false, "windows-1252"},
    };
    for (const UndeclaredCase& c : cases) {
        EXPECT_EQ(PageEncoding(c.bytes, c.cut), c.encoding) << c.bytes;
        EXPECT_EQ(IsDeclared(PageEncoding(c.bytes, c.cut)), c.encoding == "windows-1252");
    }
}

} // namespace
} // namespace titora
