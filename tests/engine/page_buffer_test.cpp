#include "page_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace titora {
namespace {

using namespace std::string_literals;

TEST(PageBuffer, LoadCutsAtTheFirstNulAndNormalisesBreaks) {
    PageBuffer buffer;
    buffer.load("a\nb\rc\0d\ne"s, LeadBytes());
    EXPECT_EQ(buffer.text(), "a\r\nb\r\nc");
    buffer.load("x\r\0"s, LeadBytes());
    EXPECT_EQ(buffer.text(), "x\r\n");
    buffer.load("\x81\0\n"s, LeadBytes::ForCodePage(932));
    EXPECT_EQ(buffer.text(), "\x81");
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

} // namespace
} // namespace titora
