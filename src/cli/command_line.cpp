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
    if (list && (titleGiven || line.dryRun))
        throw UsageError(std::string("list takes no ") + (line.dryRun ? "--dry-run" : "--title"));
    if (!list && line.json)
        throw UsageError("--json goes with list only");
    if (!list && !line.title)
        throw UsageError("set needs --title TEXT");
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
        if (args[at] == "--version" || args[at] == "-v")
            return Alone(Command::kVersion);
        if (args[at] == "-t" || args[at] == "--title")
            ++at;
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
            if (arg != "list" && arg != "set")
                throw UsageError("unknown command '" + arg + "'");
            line.command = arg == "list" ? Command::kList : Command::kSet;
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
       titora-cli set --title TEXT [-r] [--dry-run] PATH...
Lists the titles of web pages, or writes one new title into every page, with the
same engine and the same care as Titora's window.

Commands:
  list                print each page's path, a tab and its title, one page a line
  set                 make TEXT the title of every page, going on past failures

Options:
  -r, --recursive     walk folders for .html, .htm, .shtml and .asp pages
      --json          (list) print a JSON array of {"path", "title", "encoding"}
  -t, --title TEXT    (set) the new title, written as given
  -n, --dry-run       (set) print each page's path, title now and new title,
                      tab-separated, and write nothing
  -h, --help          print this help and end
  -v, --version       print the version and end
  --                  every later argument is a path, also one beginning with '-'

In the lines printed, a backslash, tab, carriage return and line feed in a path or
title show as \\, \t, \r and \n, other control characters as \xHH; on Windows a
path's backslashes show as they are. Messages go to standard error, one line each,
each beginning "titora-cli: ".

Exit status: 0 all done, 1 some pages failed, 2 bad usage.
)";
}

} // namespace titora::cli
