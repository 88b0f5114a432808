#include "command_line.h"

#include <filesystem>
#include <ostream>
#include <system_error>

namespace titora {

namespace {

const char kUsageLine[] = "Usage: titora [FILE|FOLDER]...\n";
const char kHelpText[] =
    "Lists web pages with their titles, and writes a new title into the pages chosen.\n"
    "\n"
    "Each FILE is listed as it is. Each FOLDER is searched, sub-folders too, for pages\n"
    "named *.html, *.htm, *.shtml or *.asp (in any letter case).\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n";

std::string Absolute(const std::string& path, const std::string& workingFolder) {
    const std::filesystem::path given(path);
    if (given.is_absolute() || workingFolder.empty())
        return given.lexically_normal().string();
    return (std::filesystem::path(workingFolder) / given).lexically_normal().string();
}

} // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& workingFolder) {
    CommandLine result;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (optionsEnded || argument.empty() || argument[0] != '-') {
            if (!argument.empty())
                result.paths.push_back(Absolute(argument, workingFolder));
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        const bool help = argument == "--help" || argument == "-h";
        const bool version = argument == "--version" || argument == "-v";
        if (!help && !version) {
            result.unknown.push_back(argument);
            continue;
        }
        if (result.action == CommandLine::Action::Run)
            result.action = help ? CommandLine::Action::Help : CommandLine::Action::Version;
    }
    return result;
}

std::optional<int> AnswerCommandLine(const CommandLine& commandLine, std::ostream& out,
                                     std::ostream& err) {
    switch (commandLine.action) {
    case CommandLine::Action::Help:
        out << kUsageLine << kHelpText;
        return 0;
    case CommandLine::Action::Version:
        out << "titora " << TITORA_VERSION << '\n';
        return 0;
    case CommandLine::Action::Run:
        break;
    }
    if (commandLine.unknown.empty())
        return std::nullopt;
    // Told before any window or display is needed: Qt takes no options from this program,
    // and one it would have taken (-reverse, -style) is a mistake here like any other.
    err << "titora: unknown option '" << commandLine.unknown.front() << "'\n"
        << kUsageLine << "Try 'titora --help'.\n";
    return kBadUsage;
}

std::string WorkingFolder() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string() : folder.string();
}

} // namespace titora
