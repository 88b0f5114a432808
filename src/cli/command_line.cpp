#include "command_line.h"

namespace titora::cli {
namespace {

CommandLine Alone(Command command) {
    CommandLine line;
    line.command = command;
    return line;
}

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

// Takes the value of an option that needs one, from "--title=TEXT" or from the next
// argument; `at` is moved past what was used.
std::string OptionValue(const std::vector<std::string>& args, std::size_t* at,
                        const std::string& name) {
    const std::string& arg = args[*at];
    if (arg.size() > name.size() && arg[name.size()] == '=')
        return arg.substr(name.size() + 1);
    if (*at + 1 >= args.size())
        throw UsageError("option " + name + " needs a value");
    return args[++*at];
}

bool Is(const std::string& arg, const char* shortName, const char* longName) {
    return arg == shortName || arg == longName;
}

bool IsWithValue(const std::string& arg, const std::string& name) {
    return arg == name || arg.rfind(name + "=", 0) == 0;
}

// A length given to --max-length or --min-length: a whole number of characters.
std::size_t LengthValue(const std::string& value, const std::string& name) {
    const bool digits = !value.empty() && value.size() <= 9 &&
                        value.find_first_not_of("0123456789") == std::string::npos;
    if (!digits)
        throw UsageError(name + " needs a number of characters, not '" + value + "'");
    return static_cast<std::size_t>(std::stoul(value));
}

TitleRule RuleValue(const std::string& value) {
    const std::optional<TitleRule> rule = TitleRuleNamed(value);
    if (!rule)
        throw UsageError("no rule is named '" + value + "'");
    return *rule;
}

// Which options were given that belong to one command only.
struct Given {
    bool title = false;
    bool checkOption = false;
};

void CheckFits(const CommandLine& line, const Given& given) {
    const Command command = line.command;
    if (command != Command::kSet && (given.title || line.dryRun))
        throw UsageError(std::string(command == Command::kList ? "list" : "check") + " takes no " +
                         (line.dryRun ? "--dry-run" : "--title"));
    if (command == Command::kSet && line.json)
        throw UsageError("--json goes with list and check only");
    if (command != Command::kCheck && (line.sarif || given.checkOption))
        throw UsageError("--sarif, --max-length, --min-length and --ignore go with check only");
    if (line.json && line.sarif)
        throw UsageError("--json and --sarif cannot go together");
    if (command == Command::kSet && !line.title)
        throw UsageError("set needs --title TEXT");
    if (line.paths.empty())
        throw UsageError("no page given");
}

// The options that take a value, whose value is skipped when looking for --help.
bool TakesValue(const std::string& arg) {
    return arg == "-t" || arg == "--title" || arg == "--max-length" || arg == "--min-length" ||
           arg == "--ignore";
}

Command CommandNamed(const std::string& arg) {
    if (arg == "list")
        return Command::kList;
    if (arg == "set")
        return Command::kSet;
    if (arg == "check")
        return Command::kCheck;
    throw UsageError("unknown command '" + arg + "'");
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    // Help and version win over any mistake in the rest; a title that reads "--help"
    // is still a title.
    for (std::size_t at = 0; at < args.size() && args[at] != "--"; ++at) {
        if (args[at] == "--help" || args[at] == "-h")
            return Alone(Command::kHelp);
        if (args[at] == "--version" || args[at] == "-v")
            return Alone(Command::kVersion);
        if (TakesValue(args[at]))
            ++at;
    }

    CommandLine line;
    bool commandGiven = false;
    Given given;
    bool optionsEnded = false;
    for (std::size_t at = 0; at < args.size(); ++at) {
        const std::string& arg = args[at];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (optionsEnded || !IsOption(arg)) {
            if (commandGiven) {
                line.paths.push_back(arg);
                continue;
            }
            line.command = CommandNamed(arg);
            commandGiven = true;
        } else if (Is(arg, "-r", "--recursive")) {
            line.recursive = true;
        } else if (arg == "--json") {
            line.json = true;
        } else if (Is(arg, "-n", "--dry-run")) {
            line.dryRun = true;
        } else if (arg == "-t" || IsWithValue(arg, "--title")) {
            line.title = OptionValue(args, &at, arg == "-t" ? "-t" : "--title");
            given.title = true;
        } else if (arg == "--sarif") {
            line.sarif = true;
        } else if (IsWithValue(arg, "--max-length")) {
            line.checks.maxLength =
                LengthValue(OptionValue(args, &at, "--max-length"), "--max-length");
            given.checkOption = true;
        } else if (IsWithValue(arg, "--min-length")) {
            line.checks.minLength =
                LengthValue(OptionValue(args, &at, "--min-length"), "--min-length");
            given.checkOption = true;
        } else if (IsWithValue(arg, "--ignore")) {
            line.checks
                .ignored[static_cast<std::size_t>(RuleValue(OptionValue(args, &at, "--ignore")))] =
                true;
            given.checkOption = true;
        } else {
            throw UsageError("unknown option '" + arg + "'");
        }
    }
    if (!commandGiven)
        throw UsageError("no command given");
    CheckFits(line, given);
    return line;
}

const char* HelpText() {
    return R"(Usage: titora-cli list [-r] [--json] PATH...
       titora-cli set --title TEXT [-r] [--dry-run] PATH...
       titora-cli check [-r] [--json | --sarif] [--max-length N] [--min-length N]
                        [--ignore RULE]... PATH...
Lists the titles of web pages, writes one new title into every page, or checks the
titles of a site, with the same engine and the same care as Titora's window.

Commands:
  list                print each page's path, a tab and its title, one page a line
  set                 make TEXT the title of every page, going on past failures
  check               print what is wrong with the pages' titles, one finding a
                      line: path, rule and detail, tab-separated, sorted by path

Options:
  -r, --recursive     walk folders for .html, .htm, .shtml and .asp pages
      --json          (list) print a JSON array of {"path", "title", "encoding"};
                      (check) of {"path", "rule", "detail", "title"}
      --sarif         (check) print a SARIF 2.1.0 log, for code-scanning services
      --max-length N  (check) a title of more than N characters is too long (60)
      --min-length N  (check) a title of fewer than N characters is too short (10)
      --ignore RULE   (check) do not report RULE; may be given more than once
  -t, --title TEXT    (set) the new title, written as given
  -n, --dry-run       (set) print each page's path, title now and new title,
                      tab-separated, and write nothing
  -h, --help          print this help and end
  -v, --version       print the version and end
  --                  every later argument is a path, also one beginning with '-'

Rules of check: missing (no title element), empty (only white space), duplicate
(the same title as another page checked), too-long, too-short, multiple (more than
one title element), unclosed (a <title> without </title>). Titles are measured as a
browser shows them: references decoded, white space collapsed, characters counted.

In the lines printed, a backslash, tab, carriage return and line feed in a path or
title show as \\, \t, \r and \n, other control characters as \xHH; on Windows a
path's backslashes show as they are. Messages go to standard error, one line each,
each beginning "titora-cli: ".

Exit status: 0 all done (check: nothing found), 1 some pages failed (check: something
found), 2 bad usage.
)";
}

} // namespace titora::cli
