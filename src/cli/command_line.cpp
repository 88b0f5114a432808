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

void CheckFits(const CommandLine& line, bool titleGiven) {
    const bool list = line.command == Command::kList;
    const bool set = line.command == Command::kSet;
    const int rules = int(line.title.has_value()) + int(line.titleTemplate.has_value()) +
                      int(line.find.has_value());
    if (list && (titleGiven || line.dryRun))
        throw UsageError(std::string("list takes no ") + (line.dryRun ? "--dry-run" : "--title"));
    if (!list && line.json)
        throw UsageError("--json goes with list only");
    if (!set && (rules > 0 || line.regex || line.ignoreCase || line.keepLineBreaks || line.noUndo))
        throw UsageError("--title, --template, --replace and their options go with set only");
    if (set && rules != 1)
        throw UsageError("set needs one of --title TEXT, --template TEXT and --replace FIND "
                         "REPLACEMENT");
    if ((line.regex || line.ignoreCase) && !line.find)
        throw UsageError("--regex and --ignore-case go with --replace only");
    if (line.command == Command::kUndo) {
        if (!line.paths.empty() || line.recursive)
            throw UsageError("undo takes no page");
        return;
    }
    if (line.paths.empty())
        throw UsageError("no page given");
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    // Help and version win over any mistake in the rest; a title that reads "--help"
    // is still a title.
    for (std::size_t at = 0; at < args.size() && args[at] != "--"; ++at) {
        if (args[at] == "--help" || args[at] == "-h")
            return Alone(Command::kHelp);
        if (args[at] == "--version")
            return Alone(Command::kVersion);
        if (args[at] == "-t" || args[at] == "--title" || args[at] == "--template")
            ++at;
        else if (args[at] == "--replace")
            at += 2;
    }

    CommandLine line;
    bool commandGiven = false;
    bool titleGiven = false;
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
            if (arg != "list" && arg != "set" && arg != "undo")
                throw UsageError("unknown command '" + arg + "'");
            line.command = arg == "list"  ? Command::kList
                           : arg == "set" ? Command::kSet
                                          : Command::kUndo;
            commandGiven = true;
        } else if (Is(arg, "-r", "--recursive")) {
            line.recursive = true;
        } else if (arg == "--json") {
            line.json = true;
        } else if (Is(arg, "-n", "--dry-run")) {
            line.dryRun = true;
        } else if (arg == "-t" || IsWithValue(arg, "--title")) {
            line.title = OptionValue(args, &at, arg == "-t" ? "-t" : "--title");
            titleGiven = true;
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
    CheckFits(line, titleGiven);
    return line;
}

const char* HelpText() {
    return R"(Usage: titora-cli list [-r] [--json] PATH...
       titora-cli set --title TEXT [OPTIONS] PATH...
       titora-cli set --template TEXT [OPTIONS] PATH...
       titora-cli set --replace FIND REPLACEMENT [--regex] [-i] [OPTIONS] PATH...
       titora-cli undo [--dry-run]
Lists the titles of web pages, or writes new titles into them, with the same
engine and the same care as Titora's window.

Commands:
  list                print each page's path, a tab and its title, one page a line
  set                 give every page a new title, going on past failures; pages
                      whose title stays as it is are not written
  undo                put back the pages of the last set as they were before it,
                      where no one has changed them since

Options:
  -r, --recursive     walk folders for .html, .htm, .shtml and .asp pages
      --json          (list) print a JSON array of {"path", "title", "encoding"}
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
      --version       print the version and end
  --                  every later argument is a path, also one beginning with '-'

In the lines printed, a backslash, tab, carriage return and line feed in a path or
title show as \\, \t, \r and \n, other control characters as \xHH. Messages go to
standard error, one line each; set and undo end with a summary line there.

Exit status: 0 all done, 1 some pages failed, 2 bad usage.
)";
}

} // namespace titora::cli
