#include "line_breaks.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace titora {
namespace {

struct NormaliseCase {
    const char* name;
    unsigned codePage;
    std::string in;
    std::string out;
};

std::ostream& operator<<(std::ostream& o, const NormaliseCase& c) {
    return o << c.name;
}

class NormaliseTable : public testing::TestWithParam<NormaliseCase> {};

TEST_P(NormaliseTable, GivesTheTextOfTheTable) {
    const NormaliseCase& c = GetParam();
    EXPECT_EQ(NormaliseLineBreaks(c.in, LeadBytes::ForCodePage(c.codePage)), c.out);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Rows, NormaliseTable,
    testing::Values(NormaliseCase{"CrLfStays", 0, "a\r\nb", "a\r\nb"},
                    NormaliseCase{"LfAlone", 0, "a\nb\n", "a\r\nb\r\n"},
                    NormaliseCase{"CrAlone", 0, "a\rb\r", "a\r\nb\r\n"},
                    NormaliseCase{"LfCrIsTwoBreaks", 0, "a\n\rb", "a\r\n\r\nb"},
                    NormaliseCase{"CrCrLfIsTwoBreaks", 0, "a\r\r\nb", "a\r\n\r\nb"},
                    NormaliseCase{"OnlyBreaks", 0, "\n\n\r", "\r\n\r\n\r\n"},
                    NormaliseCase{"Empty", 0, "", ""},
                    NormaliseCase{"Utf8HasNoLeadBytes", 65001, "\x81\n\xE3\x81\r",
                                  "\x81\r\n\xE3\x81\r\n"},
                    NormaliseCase{"ShiftJisLeadKeepsLf", 932, "\x81\nx\n", "\x81\nx\r\n"},
                    NormaliseCase{"ShiftJisLeadKeepsCr", 932, "\x9F\r\n", "\x9F\r\r\n"},
                    NormaliseCase{"ShiftJisUpperRange", 932, "\xFC\n\xA0\n", "\xFC\n\xA0\r\n"},
                    NormaliseCase{"ShiftJisNotLeadAfterRange", 932, "\xFD\n", "\xFD\r\n"},
                    NormaliseCase{"LeadPairsWithLead", 932, "\x81\x81\n", "\x81\x81\r\n"},
                    NormaliseCase{"LeadAtEnd", 936, "a\n\x81", "a\r\n\x81"},
                    NormaliseCase{"GbkLead", 936, "\xFE\n", "\xFE\n"},
                    NormaliseCase{"KoreanLead", 949, "\x81\r\x80\r", "\x81\r\x80\r\n"},
                    NormaliseCase{"Big5Lead", 950, "\xA4\n\n", "\xA4\n\r\n"},
                    NormaliseCase{"Big5NotLead", 950, "\x80\n\xFF\n", "\x80\r\n\xFF\r\n"}),
    [](const testing::TestParamInfo<NormaliseCase>& info) { return info.param.name; });

TEST(LeadBytes, RangesOfTheDoubleByteCodePages) {
    const LeadBytes sjis = LeadBytes::ForCodePage(932);
    EXPECT_FALSE(sjis.isLead(0x80));
    EXPECT_TRUE(sjis.isLead(0x81));
    EXPECT_TRUE(sjis.isLead(0x9F));
    EXPECT_FALSE(sjis.isLead(0xA0));
    EXPECT_TRUE(sjis.isLead(0xE0));
    EXPECT_TRUE(sjis.isLead(0xFC));
    EXPECT_FALSE(sjis.isLead(0xFD));
    for (unsigned cp : {936u, 949u, 950u}) {
        const LeadBytes lead = LeadBytes::ForCodePage(cp);
        EXPECT_FALSE(lead.isLead(0x80)) << cp;
        EXPECT_TRUE(lead.isLead(0x81)) << cp;
        EXPECT_TRUE(lead.isLead(0xFE)) << cp;
        EXPECT_FALSE(lead.isLead(0xFF)) << cp;
    }
    for (unsigned cp : {0u, 1252u, 65001u}) {
        EXPECT_FALSE(LeadBytes::ForCodePage(cp).any()) << cp;
    }
}

// On Windows the code page is the system's own: platform_win32_test.cpp.
#ifndef _WIN32
// Sets environment variables for the life of the object and puts the old values back.
class Environment {
public:
    ~Environment() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }
    void set(const std::string& name, const std::string& value) {
        if (saved_.count(name) == 0) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        ::setenv(name.c_str(), value.c_str(), 1);
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

// SystemCodePage() in a child process: glibc keeps the LOCPATH list of a newlocale
// call for good, which the leak checker of a sanitizer run would report at exit.
unsigned CodePageInChild() {
    int fds[2];
    if (::pipe(fds) != 0) {
        return 0;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        const unsigned codePage = platform::SystemCodePage();
        const bool sent = ::write(fds[1], &codePage, sizeof codePage) == sizeof codePage;
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    unsigned codePage = 0;
    if (::read(fds[0], &codePage, sizeof codePage) != sizeof codePage) {
        codePage = 0;
    }
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
    return codePage;
}

// The system's code page is that of the locale the environment names, whatever
// locale the program has set for itself: a GUI toolkit may have switched it to
// UTF-8, and a program that never sets one runs in "C".
TEST(LeadBytes, SystemCodePageFollowsTheEnvironment) {
    const std::string savedLocale = std::setlocale(LC_CTYPE, nullptr);
    Environment environment;
    environment.set("LC_CTYPE", "");
    environment.set("LANG", "");

    environment.set("LC_ALL", "C");
    if (std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr) {
        EXPECT_EQ(platform::SystemCodePage(), 0u);
    }
    environment.set("LC_ALL", "C.UTF-8");
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(platform::SystemCodePage(), 65001u);
    EXPECT_FALSE(LeadBytes::ForSystem().any());

    // A Shift_JIS locale built for the test, where the system can build one.
    char folder[] = "/tmp/titora-locale-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string command =
        std::string("localedef -i ja_JP -f SHIFT_JIS ") + folder + "/ja_JP.SJIS >/dev/null 2>&1";
    (void)std::system(command.c_str());
    environment.set("LOCPATH", folder);
    environment.set("LC_ALL", "ja_JP.SJIS");
    const unsigned codePage = CodePageInChild();
    (void)std::system((std::string("rm -rf ") + folder).c_str());
    std::setlocale(LC_CTYPE, savedLocale.c_str());
    if (codePage == 0) {
        GTEST_SKIP() << "no Shift_JIS locale can be built here (localedef, package locales)";
    }
    EXPECT_EQ(codePage, 932u);
}
#endif

// The plain byte-by-byte reading of the table, to hold the fast scan against.
std::string Reference(const std::string& in, const LeadBytes& lead) {
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(in[i]);
        if (lead.isLead(c) && i + 1 < in.size()) {
            out += in[i];
            out += in[++i];
        } else if (c == '\r' && i + 1 < in.size() && in[i + 1] == '\n') {
            out += "\r\n";
            ++i;
        } else if (c == '\r' || c == '\n') {
            out += "\r\n";
        } else {
            out += in[i];
        }
    }
    return out;
}

TEST(NormaliseLineBreaks, AgreesWithTheTableOnRandomText) {
    // Breaks at every distance from the sixteen-byte blocks of the fast scan.
    std::mt19937 random(7);
    const char alphabet[] = {'\r', '\n', 'a', '<', '\x81', '\xE0'};
    for (unsigned cp : {0u, 932u, 936u}) {
        const LeadBytes lead = LeadBytes::ForCodePage(cp);
        for (int round = 0; round < 2000; ++round) {
            std::string in(random() % 70, 'x');
            for (char& c : in) {
                if (random() % 4 == 0) {
                    c = alphabet[random() % sizeof alphabet];
                }
            }
            const std::string expected = Reference(in, lead);
            ASSERT_EQ(NormaliseLineBreaks(in, lead), expected) << cp << " " << in;
            ASSERT_EQ(NormalisedSize(in, lead), expected.size());
            if (!lead.any()) {
                std::string inPlace = in + std::string(expected.size() - in.size(), '?');
                NormaliseInPlace(inPlace.data(), in.size(), expected.size());
                ASSERT_EQ(inPlace, expected) << in;
            }
        }
    }
}

// Long enough for the counts to pass what one sixteen-byte sweep holds at a time.
TEST(NormaliseLineBreaks, CountsLongRunsOfBreaks) {
    std::string in;
    for (int i = 0; i < 3000; ++i) {
        in += i % 3 == 0 ? "\n" : "\r\n";
        in += i % 7 == 0 ? "\r" : "";
    }
    const std::string expected = Reference(in, LeadBytes());
    EXPECT_EQ(NormalisedSize(in, LeadBytes()), expected.size());
    std::string inPlace = in + std::string(expected.size() - in.size(), '?');
    NormaliseInPlace(inPlace.data(), in.size(), expected.size());
    EXPECT_EQ(inPlace, expected);
}

TEST(FindLineBreakByte, FindsTheFirstBreakAtEveryPlace) {
    for (std::size_t at = 0; at < 40; ++at) {
        std::string text(40, 'x');
        text[at] = (at % 2 == 0) ? '\r' : '\n';
        if (at + 3 < text.size()) {
            text[at + 3] = '\n';
        }
        EXPECT_EQ(FindLineBreakByte(text.data(), text.data() + text.size()), text.data() + at);
    }
    const std::string none(33, 'y');
    EXPECT_EQ(FindLineBreakByte(none.data(), none.data() + none.size()), none.data() + none.size());
    EXPECT_EQ(FindLastLineBreakByte(none.data(), none.data() + none.size()), nullptr);
}

TEST(FindLastLineBreakByte, FindsTheLastBreakAtEveryPlace) {
    for (std::size_t at = 0; at < 40; ++at) {
        std::string text(40, 'x');
        text[at] = (at % 2 == 0) ? '\r' : '\n';
        if (at >= 3) {
            text[at - 3] = '\n';
        }
        EXPECT_EQ(FindLastLineBreakByte(text.data(), text.data() + text.size()), text.data() + at);
    }
}

} // namespace
} // namespace titora
