#include "page_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace titora {
namespace {

using namespace std::string_literals;

TEST(PageBuffer, LoadCutsAtTheFirstNulAndNormalisesBreaks) {
    PageBuffer buffer;
    EXPECT_FALSE(buffer.load("a\nb\rc\0d\ne"s, LeadBytes()));
    EXPECT_EQ(buffer.text(), "a\r\nb\r\nc");
    EXPECT_FALSE(buffer.load("x\r\0"s, LeadBytes()));
    EXPECT_EQ(buffer.text(), "x\r\n");
    EXPECT_FALSE(buffer.load("\x81\0\n"s, LeadBytes::ForCodePage(932)));
    EXPECT_EQ(buffer.text(), "\x81");
    EXPECT_TRUE(buffer.load("no nul\n", LeadBytes(), 10));
    EXPECT_EQ(buffer.text(), "no nul\r\n");
}

struct RangeCase {
    std::ptrdiff_t start;
    std::ptrdiff_t length;
    std::size_t selStart;
    std::size_t selEnd;
};

class SelectRange : public testing::TestWithParam<RangeCase> {};

TEST_P(SelectRange, FollowsTheEditControlsRules) {
    const RangeCase& c = GetParam();
    PageBuffer buffer;
    buffer.load("0123456789", LeadBytes());
    buffer.select(c.start, c.length);
    EXPECT_EQ(buffer.selectionStart(), c.selStart);
    EXPECT_EQ(buffer.selectionEnd(), c.selEnd);
    EXPECT_EQ(buffer.selectedText(), buffer.text().substr(c.selStart, c.selEnd - c.selStart));
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, SelectRange,
    testing::Values(RangeCase{2, 3, 2, 5}, RangeCase{4, 0, 4, 4}, RangeCase{0, 10, 0, 10},
                    RangeCase{5, 100, 5, 10}, // end clamped to the length
                    RangeCase{12, 0, 10, 10}, // start clamped too
                    RangeCase{6, -2, 4, 6},   // reversed range swapped
                    RangeCase{3, -5, 3, 10},  // an end below 0 is beyond the text
                    RangeCase{-1, 3, 2, 10},  // so is a start below 0
                    RangeCase{PTRDIFF_MAX, PTRDIFF_MAX, 10, 10},
                    RangeCase{PTRDIFF_MIN, PTRDIFF_MIN, 10, 10}, RangeCase{2, PTRDIFF_MAX, 2, 10}));

TEST(PageBuffer, ReplaceSelectionReplacesOrInserts) {
    PageBuffer buffer;
    buffer.load("<title>old</title>", LeadBytes());
    buffer.select(7, 3);
    EXPECT_EQ(buffer.selectedText(), "old");
    buffer.replaceSelection("brand new");
    EXPECT_EQ(buffer.text(), "<title>brand new</title>");
    EXPECT_EQ(buffer.selectionStart(), 16u);
    EXPECT_EQ(buffer.selectionEnd(), 16u);
    buffer.select(0, 0);
    buffer.replaceSelection("<head>");
    EXPECT_EQ(buffer.text(), "<head><title>brand new</title>");
    buffer.select(6, 24);
    buffer.replaceSelection("");
    EXPECT_EQ(buffer.text(), "<head>");
}

// Replacing moves the shorter side of the text, into the room kept in front where
// it fits: whichever side moves, the text is that of a plain replacement.
TEST(PageBuffer, ReplaceSelectionAgreesWithAPlainReplacement) {
    const std::string text = "0123456789abcdefghij";
    for (std::size_t spare : {0u, 3u, 40u}) {
        for (std::size_t start = 0; start <= text.size(); ++start) {
            for (std::size_t length : {0u, 1u, 5u}) {
                for (const std::string& replacement : {""s, "X"s, "XYZW"s, std::string(30, 'Q')}) {
                    PageBuffer buffer;
                    buffer.load(text, LeadBytes(), spare);
                    buffer.select(static_cast<std::ptrdiff_t>(start),
                                  static_cast<std::ptrdiff_t>(length));
                    std::string expected = text;
                    expected.replace(buffer.selectionStart(),
                                     buffer.selectionEnd() - buffer.selectionStart(), replacement);
                    const std::size_t caret = buffer.selectionStart() + replacement.size();
                    buffer.replaceSelection(replacement);
                    ASSERT_EQ(buffer.text(), expected) << spare << " " << start << " " << length;
                    ASSERT_EQ(buffer.selectionStart(), caret);
                    // A second replacement works on the text as it now stands.
                    buffer.select(0, 2);
                    buffer.replaceSelection("<>");
                    expected.replace(0, 2, "<>");
                    ASSERT_EQ(buffer.text(), expected);
                }
            }
        }
    }
}

// Taking over a file's bytes normalises them where they stand when there is room
// behind them, and in new memory when not: the text is the same either way.
TEST(PageBuffer, AdoptGivesTheTextThatLoadGives) {
    const std::string samples[] = {"",
                                   "plain",
                                   "a\nb\n",
                                   "\n\n\n\n",
                                   "a\r\nb\r\n",
                                   "x\ry\n\rz\r\r\n",
                                   "<title>t</title>\n" + std::string(40, 'w') + "\n\n",
                                   "a\nb\0c\n"s,
                                   std::string(37, 'a') + "\r\n\r\0\n"s + std::string(40, '\n')};
    for (const std::string& bytes : samples) {
        for (unsigned cp : {0u, 932u}) {
            const LeadBytes lead = LeadBytes::ForCodePage(cp);
            PageBuffer loaded;
            const bool noNul = loaded.load(bytes, lead);
            for (std::size_t room : {0u, 1u, 3u, 64u}) {
                PageBytes page(5, bytes.size(), 5 + bytes.size() + room);
                bytes.copy(page.data(), bytes.size());
                PageBuffer adopted;
                EXPECT_EQ(adopted.adopt(std::move(page), lead), noNul);
                EXPECT_EQ(adopted.text(), loaded.text()) << cp << " " << room;
                EXPECT_EQ(adopted.modified(), loaded.modified());
                EXPECT_EQ(adopted.modified(), loaded.text() != bytes);
            }
        }
    }
}

TEST(PageBuffer, KnowsWhetherAReplacementChangedTheText) {
    PageBuffer buffer;
    buffer.load("<title>same</title>\r\n", LeadBytes());
    EXPECT_FALSE(buffer.modified());
    buffer.select(7, 4);
    buffer.replaceSelection("same");
    EXPECT_FALSE(buffer.modified());
    buffer.select(7, 4);
    buffer.replaceSelection("Same");
    EXPECT_TRUE(buffer.modified());
}

} // namespace
} // namespace titora
