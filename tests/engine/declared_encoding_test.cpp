// The encoding a page declares: byte-order marks and the HTML standard's prescan of the
// first 1,024 bytes for a <meta> declaration.
#include "declared_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace titora {
namespace {

using namespace std::string_literals;

struct DeclarationCase {
    const char* name;
    std::string bytes;
    const char* label;
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
        // charset, in every quoting and letter case, the label as written.
        DeclarationCase{"double quotes", "<meta charset=\"Shift_JIS\">", "Shift_JIS"},
        DeclarationCase{"single quotes", "<META CHARSET='EUC-KR'>", "EUC-KR"},
        DeclarationCase{"unquoted", "<Meta chArSet=iso-8859-1>", "iso-8859-1"},
        DeclarationCase{"blanks around", "<meta\ncharset = \" gb2312 \" >", "gb2312"},
        DeclarationCase{"slash after meta", "<meta/charset=koi8-r>", "koi8-r"},
        DeclarationCase{"other attributes first", "<meta name=x lang=en charset=big5>", "big5"},
        // http-equiv + content, in either order.
        DeclarationCase{"http-equiv first",
                        "<meta http-equiv=\"Content-Type\" content=\"text/html; "
                        "charset=windows-1252\">",
                        "windows-1252"},
        DeclarationCase{"content first",
                        "<meta content='text/html;CHARSET = \"euc-jp\"' HTTP-EQUIV=content-type>",
                        "euc-jp"},
        DeclarationCase{"content label ends at a semicolon",
                        "<meta http-equiv=content-type content=\"text/html; charset=latin1; x\">",
                        "latin1"},
        DeclarationCase{"charset without = is skipped",
                        "<meta http-equiv=content-type content=\"charset; charset=sjis\">", "sjis"},
        DeclarationCase{"content without http-equiv",
                        "<meta content=\"text/html; charset=latin1\"><meta charset=utf-8>",
                        "utf-8"},
        DeclarationCase{"other http-equiv",
                        "<meta http-equiv=refresh content=\"1; charset=latin1\">", ""},
        DeclarationCase{"content without charset",
                        "<meta http-equiv=content-type content=\"text/html\">", ""},
        DeclarationCase{"unmatched quote in content",
                        "<meta http-equiv=content-type content='charset=\"latin1'>", ""},
        // Which attribute counts.
        DeclarationCase{"charset wins over content",
                        "<meta http-equiv=content-type content=\"text/html; charset=a\" "
                        "charset=b>",
                        "b"},
        DeclarationCase{"first of two charsets", "<meta charset=a charset=b>", "a"},
        DeclarationCase{"empty charset, then another <meta>",
                        "<meta charset=\"\"><meta charset=\" \"><meta charset=utf-8>", "utf-8"},
        DeclarationCase{"empty charset beats content",
                        "<meta charset=\"\" http-equiv=content-type content=\"charset=a\">", ""},
        // What is not a declaration.
        DeclarationCase{"in a comment", "<!-- <meta charset=latin1> --><meta charset=b>", "b"},
        DeclarationCase{"shortest comment", "<!--><meta charset=c>", "c"},
        DeclarationCase{"unclosed comment", "<!-- <meta charset=latin1>", ""},
        DeclarationCase{"inside another tag's value",
                        "<a title='<meta charset=a>'><meta charset=b>", "b"},
        DeclarationCase{"in an end tag", "</p charset=a><meta charset=b>", "b"},
        DeclarationCase{"in a declaration", "<!doctype charset=a><?x <meta charset=a>?>", ""},
        DeclarationCase{"no blank after meta", "<metacharset=a><meta charset=b>", "b"},
        // Only the first 1,024 bytes are read, and a cut declaration is none.
        DeclarationCase{"within the first 1,024 bytes", kPadding + "<meta charset=ab>", "ab"},
        DeclarationCase{"cut at byte 1,024", kPadding + "<meta charset=abcdefghijklmnop>", ""},
        DeclarationCase{"unclosed meta", "<meta charset=latin1", ""}));

} // namespace
} // namespace titora
