// The title checks on real page files, read as titora-cli and the window read them, and
// character references decoded as browsers decode them.
#include "html_text.h"
#include "shown_title.h"
#include "test_files.h"
#include "title_checks.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

using titora::test::ScratchFolder;
using titora::test::WriteBytes;

namespace {

using Site = std::vector<std::pair<const char*, const char*>>; // page name, bytes

// The findings on `site` as "name rule detail @line:column" lines, names cut to the page's.
std::string Check(const Site& site, const titora::TitleCheckOptions& options = {}) {
    ScratchFolder root;
    titora::TitleChecker checker(options);
    for (const auto& [name, bytes] : site) {
        WriteBytes(root / name, bytes);
        checker.Add(name, titora::ExamineTitles(titora::ReadTitleElements(root / name),
                                                titora::ShownTitle));
    }
    std::string out;
    for (const titora::TitleFinding& finding : checker.Findings()) {
        out += checker.Name(finding.page) + " " + std::string(TitleRuleName(finding.rule)) + " " +
               finding.detail + " @" + std::to_string(finding.place.line) + ":" +
               std::to_string(finding.place.column) + "\n";
    }
    return out;
}

struct Case {
    const char* what;
    Site site;
    const char* findings;
};

TEST(TitleChecks, PagesToFindings) {
    const Case cases[] = {
        {"a good title", {{"a", "<title>A title of fair length</title>"}}, ""},
        {"missing", {{"a", "<p>no head</p>"}}, "a missing no title element @1:1\n"},
        {"empty after collapsing",
         {{"a", "<title> \r\n\t</title>"}},
         "a empty the title holds only white space @1:8\n"},
        {"a no-break space is no white space",
         {{"a", "<title>&nbsp;&nbsp;</title>"}},
         "a too-short 2 characters, fewer than 10 @1:8\n"},
        {"duplicates compared as shown, case counts",
         {{"a", "<title>Our  shop\n&amp; cafe</title>"},
          {"b", "<title>Our shop &#38; cafe</title>"},
          {"c", "<title>Our shop &amp; Cafe</title>"}},
         "a duplicate same title as b @1:8\nb duplicate same title as a @1:8\n"},
        {"a duplicate names three others and counts the rest",
         {{"a", "<title>Same title here</title>"},
          {"b", "<title>Same title here</title>"},
          {"c", "<title>Same title here</title>"},
          {"d", "<title>Same title here</title>"},
          {"e", "<title>Same title here</title>"}},
         "a duplicate same title as b, c, d and 1 more @1:8\n"
         "b duplicate same title as a, c, d and 1 more @1:8\n"
         "c duplicate same title as a, b, d and 1 more @1:8\n"
         "d duplicate same title as a, b, c and 1 more @1:8\n"
         "e duplicate same title as a, b, c and 1 more @1:8\n"},
        {"lengths count characters, references decoded",
         {{"a", "<title>\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3"
                "\xA9\xC3\xA9</title>"},
          {"b", "<title>&eacute;&eacute;&eacute;&eacute;&eacute;&eacute;&eacute;&eacute;"
                "&eacute;</title>"}},
         "b too-short 9 characters, fewer than 10 @1:8\n"},
        {"too long, in the page's own encoding",
         {{"a", "<meta charset=\"iso-8859-1\">\n<title>\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9"
                "\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9"
                "\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9"
                "\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9</title>"}},
         "a too-long 61 characters, more than 60 @2:8\n"},
        {"multiple, pointing at the second",
         {{"a", "<title>First title here</title>\n<body><title>Second</title>"}},
         "a multiple 2 title elements @2:14\n"},
        {"an unclosed title is measured for nothing",
         {{"a", "<title>Hi"}, {"b", "<title>Hi"}},
         "a unclosed no </title> after the <title> on line 1 @1:8\n"
         "b unclosed no </title> after the <title> on line 1 @1:8\n"},
        {"an empty title is no duplicate",
         {{"a", "<title></title>"}, {"b", "<title></title>"}},
         "a empty the title holds only white space @1:8\n"
         "b empty the title holds only white space @1:8\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Check(c.site), c.findings) << c.what;
}

TEST(TitleChecks, OptionsChangeLimitsAndLeaveRulesOut) {
    titora::TitleCheckOptions options;
    options.maxLength = 5;
    options.minLength = 0;
    options.ignored[static_cast<int>(titora::TitleRule::kDuplicate)] = true;
    EXPECT_EQ(Check({{"a", "<title>Twelve chars</title>"}, {"b", "<title>Twelve chars</title>"}},
                    options),
              "a too-long 12 characters, more than 5 @1:8\n"
              "b too-long 12 characters, more than 5 @1:8\n");
    for (std::size_t i = 0; i < titora::kTitleRuleCount; ++i) {
        const auto rule = static_cast<titora::TitleRule>(i);
        EXPECT_EQ(titora::TitleRuleNamed(titora::TitleRuleName(rule)), rule);
    }
    EXPECT_FALSE(titora::TitleRuleNamed("Missing"));
}

TEST(HtmlText, CharacterReferencesAsBrowsersDecodeThem) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"Caf&eacute; &amp; bar", u"Caf\u00E9 & bar"},
        {u"&copy 2024 &AMP &lt", u"\u00A9 2024 & <"},            // old names without ";"
        {u"&notit; &notin; &nota", u"\u00ACit; \u2209 \u00ACa"}, // longest name wins
        {u"&NotEqualTilde; &fjlig;", u"\u2242\u0338 fj"},        // two characters
        {u"&zzz; &eacuteX &#; &#x; & ;", u"&zzz; \u00E9X &#; &#x; & ;"},
        {u"&#233;&#xe9;&#XE9&#233", u"\u00E9\u00E9\u00E9\u00E9"},
        {u"&#0;&#xD800;&#x110000;&#99999999999999;", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {u"&#128;&#x9F;&#x81;", u"\u20AC\u0178\u0081"}, // windows-1252 where it has one
    };
    for (const auto& [text, decoded] : cases)
        EXPECT_EQ(titora::DecodeCharacterReferences(QStringView(text)), QString::fromUtf16(decoded))
            << QString::fromUtf16(text).toStdString();
}

} // namespace
