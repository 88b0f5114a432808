// The program's command line: paths made absolute, --help and --version, options of Qt's and
// others refused as bad usage, "--" ending the options.
#include "command_line.h"

#include <gtest/gtest.h>

#include <sstream>

using titora::CommandLine;
using titora::ParseCommandLine;

namespace {

// The working folder and an absolute folder, as each system spells them.
#ifdef _WIN32
const std::string kWorking = "C:\\home\\u";
const std::string kAbsolute = "D:\\srv\\www\\";
const std::string kSeparator = "\\";
#else
const std::string kWorking = "/home/u";
const std::string kAbsolute = "/srv/www/";
const std::string kSeparator = "/";
#endif

CommandLine Parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "titora");
    return ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), kWorking);
}

} // namespace

TEST(CommandLine, PathsAreListedInOrderAndMadeAbsolute) {
    const CommandLine line =
        Parse({"index.html", kAbsolute.c_str(), "./site/../pages", "--", "-odd.html"});
    EXPECT_EQ(line.action, CommandLine::Action::Run);
    EXPECT_EQ(line.paths, (std::vector<std::string>{kWorking + kSeparator + "index.html", kAbsolute,
                                                    kWorking + kSeparator + "pages",
                                                    kWorking + kSeparator + "-odd.html"}));
    EXPECT_TRUE(line.unknown.empty());
    std::ostringstream out, err;
    EXPECT_EQ(titora::AnswerCommandLine(line, out, err), std::nullopt);
}

TEST(CommandLine, UnknownOptionsQtsAmongThemAreBadUsage) {
    const CommandLine line = Parse({"-reverse", "-stylesheet", "evil.qss", "--bogus"});
    EXPECT_EQ(line.action, CommandLine::Action::Run);
    EXPECT_EQ(line.unknown, (std::vector<std::string>{"-reverse", "-stylesheet", "--bogus"}));
    std::ostringstream out, err;
    EXPECT_EQ(titora::AnswerCommandLine(line, out, err), titora::kBadUsage);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "titora: unknown option '-reverse'\nUsage: titora [FILE|FOLDER]...\n"
                         "Try 'titora --help'.\n");
    // Help still wins over a mistake beside it.
    EXPECT_EQ(titora::AnswerCommandLine(Parse({"--bogus", "-h"}), out, err), 0);
}

TEST(CommandLine, HelpAndVersionAnswerAndEnd) {
    for (const char* option : {"--help", "-h", "--version", "-v"}) {
        const CommandLine line = Parse({"page.html", option, "--version"});
        std::ostringstream out, err;
        EXPECT_EQ(titora::AnswerCommandLine(line, out, err), 0) << option;
        const bool help = option[1] == 'h' || option[2] == 'h';
        EXPECT_EQ(out.str().rfind(
                      help ? "Usage: titora [FILE|FOLDER]..." : "titora " TITORA_VERSION "\n", 0),
                  0u)
            << option << ": " << out.str();
        EXPECT_EQ(err.str(), "");
    }
}
