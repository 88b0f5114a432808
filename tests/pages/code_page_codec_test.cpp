// The Windows code pages that pages' encodings are converted through: each one takes a
// sample of its own script there and back, and refuses what it cannot hold.
#include "code_page_codec.h"

#include <gtest/gtest.h>

namespace titora {
namespace {

struct Sample {
    unsigned codePage;
    const char* text; // UTF-8
};

const Sample kSamples[] = {
    {874, "ภาษาไทย"},
    {1250, "Żółć Říjen"},
    {1251, "Привет, мир"},
    {1252, "Café “quoted” € œ"},
    {1253, "Ελληνικά"},
    {1254, "Türkçe ğış"},
    {1255, "עברית"},
    {1256, "العربية"},
    {1257, "Ąžuolas ēst"},
    {1258, "Đơn ư"},
    {28591, "Café ÿ"},
    {28592, "Łódź Żółć"},
    {28593, "Ħal Ġ"},
    {28594, "Ŗīga"},
    {28595, "Привет"},
    {28596, "العربية"},
    {28597, "Ελληνικά"},
    {28598, "עברית"},
    {28599, "Türkçe ğış"},
    {28603, "Ąžuolas"},
    {28605, "Œuvre €"},
    {866, "Привет"},
    {20866, "Привет"},
    {21866, "Україна ґ"},
    {10000, "Café ∑"},
    {10007, "Привет"},
    {932, "日本語のページ ｶﾅ"},
    {20932, "日本語のページ"},
    {50220, "日本語のページ"},
    {936, "中文网页"},
    {54936, "中文网页 😀"},
    {950, "中文網頁"},
    {949, "한국어 페이지"},
};

class CodePageRoundTrip : public testing::TestWithParam<Sample> {};

TEST_P(CodePageRoundTrip, SampleGoesThereAndBack) {
    const Sample sample = GetParam();
    if (!HasCodePage(sample.codePage))
        GTEST_SKIP() << "this system has no code page " << sample.codePage;
    const QString text = QString::fromUtf8(sample.text);
    const std::optional<std::string> bytes = EncodeWithCodePage(text, sample.codePage);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_NE(*bytes, std::string(sample.text)); // not UTF-8 under another name
    const std::optional<QString> back = DecodeWithCodePage(*bytes, sample.codePage);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->toStdString(), sample.text);
    // ASCII around the title reads as ASCII: the stateful code pages end where they began.
    const std::optional<QString> followed =
        DecodeWithCodePage(*bytes + "</title>", sample.codePage);
    ASSERT_TRUE(followed.has_value());
    EXPECT_TRUE(followed->endsWith(QStringLiteral("</title>")));
}

INSTANTIATE_TEST_SUITE_P(Samples, CodePageRoundTrip, testing::ValuesIn(kSamples),
                         [](const testing::TestParamInfo<Sample>& info) {
                             return "cp" + std::to_string(info.param.codePage);
                         });

TEST(CodePageCodec, RefusesWhatTheCodePageCannotHold) {
    // No look-alike either: "ā" is not written as "a", nor "€" as "?".
    EXPECT_FALSE(EncodeWithCodePage(u"ā", 1252).has_value());
    EXPECT_FALSE(EncodeWithCodePage(u"€", 28591).has_value());
    EXPECT_FALSE(EncodeWithCodePage(u"日本", 1251).has_value());
    const char16_t loneSurrogate[] = {u'a', 0xD800, u'b'};
    EXPECT_FALSE(EncodeWithCodePage(QStringView(loneSurrogate, 3), 1252).has_value());
    EXPECT_EQ(EncodeWithCodePage(u"a?b", 1252), std::optional<std::string>("a?b"));
}

TEST(CodePageCodec, EmptyTextAndMissingCodePages) {
    EXPECT_EQ(EncodeWithCodePage(u"", 1252), std::optional<std::string>(""));
    EXPECT_EQ(DecodeWithCodePage("", 1252), std::optional<QString>(QString()));
    EXPECT_FALSE(HasCodePage(12345));
    EXPECT_FALSE(DecodeWithCodePage("abc", 12345).has_value());
    EXPECT_FALSE(EncodeWithCodePage(u"abc", 12345).has_value());
}

TEST(CodePageCodec, DamagedBytesStillGiveText) {
    // A lead byte of Shift_JIS with nothing after it: the title still shows, the ASCII
    // before it whole.
    if (!HasCodePage(932))
        GTEST_SKIP() << "this system has no code page 932";
    const std::optional<QString> text = DecodeWithCodePage("ab\x82", 932);
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->startsWith(QStringLiteral("ab")));
    EXPECT_EQ(text->size(), 3);
}

} // namespace
} // namespace titora
