// What titora-cli was asked to do, taken from its arguments. Arguments are bytes: a
// path is handed on exactly as given, whatever its encoding.
#pragma once

#include "title_checks.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace titora::cli {

enum class Command { kList, kSet, kCheck, kUndo, kHelp, kVersion };

struct CommandLine {
    Command command = Command::kHelp;
    bool recursive = false;
    bool json = false;
    bool sarif = false;
    bool dryRun = false;
    // The rule of set: one title, a template, or a find and replace.
    std::optional<std::string> title;
    std::optional<std::string> titleTemplate;
    std::optional<std::string> find;
    std::string replacement;
    bool regex = false;
    bool ignoreCase = false;
    bool keepLineBreaks = false;
    bool noUndo = false;
    std::vector<std::string> paths;
    // check: the lengths and the rules left out.
    TitleCheckOptions checks;
};

// Bad usage: what() says what is wrong, in one line.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the arguments after the program's name. The first argument that is not an
// option names the command; options may stand before or after the paths, up to a
// "--", after which every argument is a path, also one beginning with "-". A lone "-"
// is a path too. "--help" or "--version" anywhere before "--" wins over the rest.
//
//   ParseCommandLine({"set", "--title", "Shop", "--", "-odd.html"})
//       // -> kSet, title "Shop", paths {"-odd.html"}
//
// Throws UsageError for an unknown command or option, an option the command does not
// take, set without exactly one of --title, --template and --replace, --json with --sarif,
// a length that is no number, a rule that does not exist, or no path at all (undo takes
// none).
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text --help prints.
const char* HelpText();

} // namespace titora::cli
