#include "page_text.h"
#include "title_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace titora {
namespace {

using namespace std::string_literals;

TEST(FindTag, MatchesLettersWithoutCaseAndNothingElse) {
    EXPECT_EQ(FindTag("ab<TiTlE>", kTitleTag), 2u);
    EXPECT_EQ(FindTag("<title <title>", kTitleTag), 7u);
    EXPECT_EQ(FindTag("<title>x</TITLE>", kTitleEndTag, 7), 8u);
    EXPECT_EQ(FindTag("<title>", kTitleTag, 1), std::string_view::npos);
    EXPECT_EQ(FindTag("<title", kTitleTag), std::string_view::npos);
    EXPECT_EQ(FindTag("", kTitleTag), std::string_view::npos);
    // Only letters fold: a byte 0x20 below ">" or "/" is not that character.
    EXPECT_EQ(FindTag("<HEAD>", kHeadTag), 0u);
    EXPECT_EQ(FindTag("<head\x1E", kHeadTag), std::string_view::npos);
    EXPECT_EQ(FindTag("<\x0Ftitle>", kTitleEndTag), std::string_view::npos);
}

struct ReadCase {
    const char* name;
    std::string bytes;
    std::string title;
};

std::ostream& operator<<(std::ostream& o, const ReadCase& c) {
    return o << c.name;
}

class ReadTitleOf : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadTitleOf, GivesTheTitleAsLoaded) {
    EXPECT_EQ(TitleOfPageBytes(GetParam().bytes, LeadBytes()), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ReadTitleOf,
    testing::Values(ReadCase{"Plain", "<html><head><title>Shop</title></head>", "Shop"},
                    ReadCase{"Capitals", "<HEAD><TITLE>Shop</TITLE>", "Shop"},
                    ReadCase{"MixedCase", "<tItLe>A b</TiTlE>", "A b"},
                    ReadCase{"Attribute", "<title lang=en>Shop</title>", "Shop"},
                    ReadCase{"Blank", "<title >Shop</title >", "Shop"},
                    ReadCase{"EmptyElement", "<title></title>", ""},
                    ReadCase{"TwoElementsFirstWins", "<title>One</title><title>Two</title>", "One"},
                    ReadCase{"InCommentFirst", "<!-- <title>old</title> --><title>real</title>",
                             "real"},
                    ReadCase{"SpansLines", "<title>a\nb\r\nc\rd</title>", "a\r\nb\r\nc\r\nd"},
                    ReadCase{"BlanksAndReferencesKept", "<title>  Fish &amp; Chips </title>",
                             "  Fish &amp; Chips "},
                    ReadCase{"EmptyFile", "", "UnTitled"},
                    ReadCase{"NulBeforeTitle", "ab\0<title>x</title>"s, "UnTitled"},
                    ReadCase{"Utf16", "<\0t\0i\0t\0l\0e\0>\0"s, "UnTitled"},
                    ReadCase{"NulInsideTitle", "<title>ab\0cd</title>"s, "ab"},
                    ReadCase{"NulAfterTitle", "<title>ab</title>\0"s, "ab"},
                    ReadCase{"UnclosedRunsToTheEnd", "<title>rest\nof page", "rest\r\nof page"},
                    ReadCase{"CloseBeforeOpen", "</title><title>x</title>", "x"},
                    ReadCase{"CloseBeforeOpenOnly", "</title><title>x\n", "x\r\n"},
                    ReadCase{"ByteOrderMarkIsText", "\xEF\xBB\xBF<title>\xEF\xBB\xBFx</title>",
                             "\xEF\xBB\xBFx"}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

// The title tags as HTML defines them, and the places where a browser never takes a title.
INSTANTIATE_TEST_SUITE_P(
    TagForms, ReadTitleOf,
    testing::Values(
        ReadCase{"LineBreaksInTags", "<TITLE\n>Users</TITLE\n>", "Users"},
        ReadCase{"SlashAfterName", "<title/>a</title/>", "a"},
        ReadCase{"AttributesAnyCase", "<TiTlE id=\"t\" LANG='en'>a</tItLe>", "a"},
        ReadCase{"OtherNamesNotTitles", "<titles>a</titles><title-bar>b<title>c</title>", "c"},
        ReadCase{"EndTagNeedsADelimiter", "<title>a</titles>b</title\t>", "a</titles>b"},
        ReadCase{"UnfinishedStartTag", "<title lang=en", "UnTitled"},
        ReadCase{"EndTagWithoutItsClose", "<title>a</title ", "a"},
        ReadCase{"TitleIsNotMarkup", "<title>a<!--b</title>-->", "a<!--b"},
        ReadCase{"ShortestComments", "<!--><title>a</title>", "a"},
        ReadCase{"DashesOfOpenerOnly", "<!---><title>a</title>", "a"},
        ReadCase{"BangCloses", "<!-- x --!><title>a</title>", "a"},
        ReadCase{"BangTooEarly", "<!--!><title>a</title>", "UnTitled"},
        ReadCase{"UnclosedComment", "<!-- <title>a</title>", "UnTitled"},
        ReadCase{"Declaration", "<!x <title>a</title>>b<title>c</title>", "c"},
        ReadCase{"ProcessingInstruction", "<?x <title>a?><title>c</title>", "c"},
        ReadCase{"Script", "<script>x='<title>a</title>'</script><title>c</title>", "c"},
        ReadCase{"ScriptEndTagCase", "<SCRIPT>1</Script\n><title>c</title>", "c"},
        ReadCase{"ScriptEndNeedsDelimiter", "<script></scripts><title>a</title>", "UnTitled"},
        ReadCase{"StyleTextareaXmp",
                 "<style><title>a</title></style><textarea><title>b</title></textarea>"
                 "<xmp><title>c</title></xmp><title>d</title>",
                 "d"},
        ReadCase{"Plaintext", "<plaintext><title>a</title>", "UnTitled"},
        ReadCase{"Svg", "<svg><title>a</title></svg><title>b</title>", "b"},
        ReadCase{"SvgOnly", "<body><svg><title>a</title></svg>", "UnTitled"},
        ReadCase{"NestedSvg", "<svg><svg></svg><title>a</title></svg><title>b</title>", "b"},
        ReadCase{"SelfClosingSvg", "<svg/><title>a</title>", "a"},
        ReadCase{"SvgStyleIsNotRawText", "<svg><style></svg><title>a</title>", "a"},
        ReadCase{"SvgCdata", "<svg><![CDATA[</svg>]]><title>a</title></svg><title>b</title>", "b"},
        ReadCase{"HtmlLeavesSvg", "<svg><p><title>a</title>", "a"},
        ReadCase{"LongestNameLeavesSvg", "<svg><BLOCKQUOTE><title>a</title>", "a"},
        ReadCase{"Math", "<MATH><title>a</title></math><title>b</title>", "b"},
        ReadCase{"AttributeValue", "<a title=\"<title>a</title>\"><title>b</title>", "b"}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(TitleOfPageBytes, EqualsLoadingTheWholeTextFirst) {
    // Reading normalises only the title: it must give what the whole loaded text gives,
    // in every code page, whatever surrounds the tags.
    const char* pieces[] = {"<title>", "</TITLE>", "\r", "\n",      "\0",      "\x81",
                            "\xE0",    "a",        ">",  "<title",  "</title", "<!--",
                            "-->",     "<svg>",    "/",  "<script>"};
    std::mt19937 random(11);
    for (unsigned cp : {0u, 932u, 950u}) {
        const LeadBytes lead = LeadBytes::ForCodePage(cp);
        for (int round = 0; round < 3000; ++round) {
            std::string bytes;
            for (int i = random() % 12; i > 0; --i) {
                const char* piece = pieces[random() % std::size(pieces)];
                bytes.append(piece, *piece == '\0' ? 1 : std::char_traits<char>::length(piece));
            }
            PageBuffer buffer;
            buffer.load(bytes, lead);
            ASSERT_EQ(TitleOfPageBytes(bytes, lead), TitleOfText(buffer.text())) << cp;
        }
    }
}

// What a scan reports on `text` given in blocks of `block` bytes: every event with the
// offsets it comes with, then where the head and html start tags ended.
std::vector<std::size_t> ScanEvents(std::string_view text, std::size_t block) {
    TitleScan scan;
    std::vector<std::size_t> seen;
    for (std::size_t start = 0; start < text.size(); start += block) {
        const std::string_view part = text.substr(start, block);
        std::size_t at = 0;
        for (TitleScan::Event event; (event = scan.scan(part, &at)) != TitleScan::Event::kNone;) {
            seen.insert(seen.end(), {static_cast<std::size_t>(event), scan.offset(),
                                     scan.titleBegin(), scan.titleEnd()});
        }
    }
    seen.insert(seen.end(), {scan.headEnd(), scan.htmlEnd(), std::size_t{scan.inTitle()}});
    return seen;
}

TEST(TitleScan, FindsTheSameInWholeTextsAsByteByByte) {
    // A tag is read in one go where its block holds it whole and byte by byte where it
    // is cut: both must find the same, for every kind of tag.
    const char* pieces[] = {"<title>",   "</TITLE>",  "<title x=1>", "</title ",
                            "<Title/>",  "<",         ">",           "/",
                            "<p>",       "</p>",      "<em>",        " ",
                            "<head>",    "<HTML a>",  "<svg>",       "</svg>",
                            "<svg/>",    "<math>",    "<div>",       "<script>",
                            "</script>", "<xmp>",     "</",          "<!--",
                            "-->",       "<!",        "<?",          "<![CDATA[",
                            "]]>",       "a",         "<plaintext>", "<abcdefghijkl>",
                            "<iframe>",  "</iframe>", "\n"};
    std::mt19937 random(19);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int i = random() % 16; i > 0; --i) {
            text += pieces[random() % std::size(pieces)];
        }
        const std::vector<std::size_t> whole =
            ScanEvents(text, std::max<std::size_t>(text.size(), 1));
        ASSERT_EQ(ScanEvents(text, 1), whole) << text;
        ASSERT_EQ(ScanEvents(text, 1 + random() % 7), whole) << text;
    }
}

struct HeadCase {
    std::string text;
    std::size_t offset;
};

class HeadInsertion : public testing::TestWithParam<HeadCase> {};

TEST_P(HeadInsertion, GoesAfterMarkAndDoctype) {
    EXPECT_EQ(HeadInsertionOffset(GetParam().text), GetParam().offset) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HeadInsertion,
    testing::Values(HeadCase{"", 0}, HeadCase{"plain text", 0}, HeadCase{"\xEF\xBB\xBFtext", 3},
                    HeadCase{"\xEF\xBB", 0}, HeadCase{"<!DOCTYPE html>\r\n<p>", 15},
                    HeadCase{"<!doctype html><p>", 15}, HeadCase{" \r\n\t<!DocType x>", 16},
                    HeadCase{"\xEF\xBB\xBF\r\n<!DOCTYPE html>x", 20},
                    HeadCase{"<!DOCTYPE unfinished", 0}, HeadCase{"\xEF\xBB\xBF<!DOCTYPE", 3},
                    HeadCase{"<p><!DOCTYPE html>", 0}, HeadCase{"x <!DOCTYPE html>", 0}));

struct WriteCase {
    const char* name;
    std::string bytes;
    std::string title;
    std::string text;
};

std::ostream& operator<<(std::ostream& o, const WriteCase& c) {
    return o << c.name;
}

class RetitleBytes : public testing::TestWithParam<WriteCase> {};

TEST_P(RetitleBytes, ChangesTheTitleAndTheBreaksOnly) {
    PageBuffer buffer;
    ASSERT_EQ(RetitlePageBytes(GetParam().bytes, GetParam().title, LeadBytes(), &buffer),
              RetitleStatus::kDone);
    EXPECT_EQ(buffer.text(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, RetitleBytes,
    testing::Values(
        WriteCase{"Replace", "<title>old</title>", "new", "<title>new</title>"},
        WriteCase{"TagsKeepTheirCase", "<TITLE>old</tItLe>", "new", "<TITLE>new</tItLe>"},
        WriteCase{"EmptyElementFilled", "<title></title>", "new", "<title>new</title>"},
        WriteCase{"SecondElementUntouched", "<title>a</title><title>b</title>", "n",
                  "<title>n</title><title>b</title>"},
        WriteCase{"TagInCommentUntouched", "<!--<title>c</title>--><title>r</title>", "n",
                  "<!--<title>c</title>--><title>n</title>"},
        WriteCase{"TagsKeptByteForByte", "<TITLE lang=\"en\"\n>old</TITLE\n>", "n",
                  "<TITLE lang=\"en\"\r\n>n</TITLE\r\n>"},
        WriteCase{"OnlyTitleInSvg", "<head></head><svg><title>s</title></svg>", "n",
                  "<head><title>n</title></head><svg><title>s</title></svg>"},
        WriteCase{"HeadInCommentSkipped", "<!--<head>--><HEAD id=h>x", "n",
                  "<!--<head>--><HEAD id=h><title>n</title>x"},
        WriteCase{"HtmlWithAttributes", "<html lang=en><body>", "n",
                  "<html lang=en><head><title>n</title></head><body>"},
        WriteCase{"HeaderIsNotHead", "<html><header>", "n",
                  "<html><head><title>n</title></head><header>"},
        WriteCase{"MultiLineReplacedWhole", "<title>a\nb</title>\n", "n", "<title>n</title>\r\n"},
        WriteCase{"LfBecomesCrLf", "<html>\n<title>a</title>\n<p>\n", "b",
                  "<html>\r\n<title>b</title>\r\n<p>\r\n"},
        WriteCase{"NoBreakAddedAtTheEnd", "<title>a</title>\n<p>end", "b",
                  "<title>b</title>\r\n<p>end"},
        WriteCase{"TitleWrittenUnchanged", "<title>a</title>", "Fish & <Chips> \"x\"",
                  "<title>Fish & <Chips> \"x\"</title>"},
        WriteCase{"TitleHoldingEndTag", "<title>a</title>", "x</title>y",
                  "<title>x</title>y</title>"},
        WriteCase{"TitleBreaksGoInAsGiven", "<title>a</title>", "1\n2", "<title>1\n2</title>"},
        WriteCase{"TitleEndsAtItsNul", "<head>", "x\0y"s, "<head><title>x</title>"},
        WriteCase{"AfterCapitalHead", "<html><HEAD></HEAD>", "t",
                  "<html><HEAD><title>t</title></HEAD>"},
        WriteCase{"AttributeTitleRetitled", "<head><title lang=en>old</title>", "t",
                  "<head><title lang=en>t</title>"},
        WriteCase{"AfterHtml", "<!DOCTYPE html>\n<HTML><body>", "t",
                  "<!DOCTYPE html>\r\n<HTML><head><title>t</title></head><body>"},
        WriteCase{"EmptyTitleInserted", "<head>", "", "<head><title></title>"},
        WriteCase{"EmptyFile", "", "t", "<head><title>t</title></head>"},
        WriteCase{"NoTagsAtStart", "hello\nworld", "t",
                  "<head><title>t</title></head>hello\r\nworld"},
        WriteCase{"NoTagsAfterMark", "\xEF\xBB\xBFhello", "t",
                  "\xEF\xBB\xBF<head><title>t</title></head>hello"},
        WriteCase{"NoTagsAfterDoctype", "<!DOCTYPE html>\n<p>x", "t",
                  "<!DOCTYPE html><head><title>t</title></head>\r\n<p>x"},
        WriteCase{"CloseBeforeOpenAndAfter", "</title><title>a</title>", "b",
                  "</title><title>b</title>"}),
    [](const testing::TestParamInfo<WriteCase>& info) { return info.param.name; });

TEST(RetitlePageBytes, RefusesWhatWouldLoseTheDocument) {
    PageBuffer buffer;
    EXPECT_EQ(RetitlePageBytes("<title>open\n<p>body", "t", LeadBytes(), &buffer),
              RetitleStatus::kNoEndOfTitle);
    EXPECT_EQ(buffer.text(), "<title>open\r\n<p>body");
    EXPECT_EQ(RetitlePageBytes("</title><title>open", "t", LeadBytes(), &buffer),
              RetitleStatus::kNoEndOfTitle);
    EXPECT_EQ(RetitlePageBytes("<title>a</title>\0tail"s, "t", LeadBytes(), &buffer),
              RetitleStatus::kHoldsNul);
    EXPECT_EQ(RetitlePageBytes("\xFF\xFE<\0h\0"s, "t", LeadBytes(), &buffer),
              RetitleStatus::kHoldsNul);
}

} // namespace
} // namespace titora
