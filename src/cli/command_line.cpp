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
    const bool set = command == Command::kSet;
    const int rules = int(line.title.has_value()) + int(line.titleTemplate.has_value()) +
                      int(line.find.has_value());
    if ((command == Command::kList || command == Command::kCheck) && (given.title || line.dryRun))
        throw UsageError(std::string(command == Command::kList ? "list" : "check") + " takes no " +
                         (line.dryRun ? "--dry-run" : "--title"));
    if (command != Command::kList && command != Command::kCheck && line.json)
        throw UsageError("--json goes with list and check only");
    if (command != Command::kCheck && (line.sarif || given.checkOption))
        throw UsageError("--sarif, --max-length, --min-length and --ignore go with check only");
    if (line.json && line.sarif)
        throw UsageError("--json and --sarif cannot go together");
    if (!set && (rules > 0 || line.regex || line.ignoreCase || line.keepLineBreaks || line.noUndo))
        throw UsageError("--title, --template, --replace and their options go with set only");
    if (set && rules != 1)
        throw UsageError("set needs one of --title TEXT, --template TEXT and --replace FIND "
                         "REPLACEMENT");
    if ((line.regex || line.ignoreCase) && !line.find)
        throw UsageError("--regex and --ignore-case go with --replace only");
    if (command == Command::kUndo) {
        if (!line.paths.empty() || line.recursive)
            throw UsageError("undo takes no page");
        return;
    }
    if (line.paths.empty())
        throw UsageError("no page given");
}

// The options that take a value, whose value is skipped when looking for --help.
bool TakesValue(const std::string& arg) {
    return arg == "-t" || arg == "--title" || arg == "--template" || arg == "--max-length" ||
           arg == "--min-length" || arg == "--ignore";
}

Command CommandNamed(const std::string& arg) {
    if (arg == "list")
        return Command::kList;
    if (arg == "set")
        return Command::kSet;
    if (arg == "check")
        return Command::kCheck;
    if (arg == "undo")
        return Command::kUndo;
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
        else if (args[at] == "--replace")
            at += 2;
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
        } else if (IsWithValue(arg, "--template")) {
            line.titleTemplate = OptionValue(args, &at, "--template");
        } else if (arg == "--replace") {
            if (at + 2 >= args.size())
                throw UsageError("option --replace needs FIND and REPLACEMENT");
            line.find = args[++at];
            line.replacement = args[++at];
        } else if (arg == "--regex") {
            line.regex = true;
        } else if (Is(arg, "-i", "--ignore-case")) {
            line.ignoreCase = true;
        } else if (arg == "--keep-line-breaks") {
            line.keepLineBreaks = true;
        } else if (arg == "--no-undo") {
            line.noUndo = true;
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
       titora-cli set --title TEXT [OPTIONS] PATH...
       titora-cli set --template TEXT [OPTIONS] PATH...
       titora-cli set --replace FIND REPLACEMENT [--regex] [-i] [OPTIONS] PATH...
       titora-cli undo [--dry-run]
       titora-cli check [-r] [--json | --sarif] [--max-length N] [--min-length N]
                        [--ignore RULE]... PATH...
Lists the titles of web pages, writes new titles into them, or checks the titles
of a site, with the same engine and the same care as Titora's window.

Commands:
  list                print each page's path, a tab and its title, one page a line
  set                 give every page a new title, going on past failures; pages
                      whose title stays as it is are not written
  undo                put back the pages of the last set as they were before it,
                      where no one has changed them since
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
      --template TEXT (set) each page's title from TEXT, where {title}, {name},
                      {h1}, {folder} and {n} stand for the page's title, file
                      name without extension, first h1's text, folder's name and
                      place among the pages; {{ and }} for braces
      --replace FIND REPLACEMENT
                      (set) replace FIND by REPLACEMENT in each page's title
      --regex         (set) FIND is a regular expression; \1 in REPLACEMENT
                      stands for its first group
  -i, --ignore-case   (set) FIND matches without regard to letter case
      --keep-line-breaks
                      (set) change only the title's bytes; without it every line
                      break of a written page becomes CR LF
      --no-undo       (set) keep no undo copies: needed above 1 GiB of pages
  -n, --dry-run       (set) print each page's path, what will happen, its title
                      now and its new title, tab-separated, and write nothing;
                      (undo) print the pages it would put back
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
each beginning "titora-cli: "; set and undo end with a summary line there.

Exit status: 0 all done (check: nothing found), 1 some pages failed (check: something
found), 2 bad usage.
)";
}

} // namespace titora::cli
