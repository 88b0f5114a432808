// The program's command line: `titora [FILE|FOLDER]...`, `titora --help`, `titora --version`.
// Read before any window or display is needed, so that --help, --version and bad usage are
// answered without one.
// No Qt: Qt is given no command-line options at all (see main.cpp).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace titora {

struct CommandLine {
    enum class Action { Run, Help, Version };
    Action action = Action::Run;
    // The files and folders to list, made absolute against the working folder, in order.
    std::vector<std::string> paths;
    // Options this program does not know, Qt's own among them, in order: bad usage.
    std::vector<std::string> unknown;
};

// The exit status of bad usage, as titora-cli's.
inline constexpr int kBadUsage = 2;

// Reads argv[1..argc-1]. "--" ends the options: every argument after it is a path. The
// first of --help (-h) and --version (-v) decides the action, whatever else is given.
// Example: ParseCommandLine(3, {"titora", "-reverse", "site"}, "/srv") gives the path
// "/srv/site" and the unknown option "-reverse".
CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& workingFolder);

// Answers --help or --version on `out`, or tells of the first unknown option on `err` with
// the usage line. Returns the exit status when the program has nothing more to do (0 after
// help or version, kBadUsage after an unknown option), nothing when it is to run.
std::optional<int> AnswerCommandLine(const CommandLine& commandLine, std::ostream& out,
                                     std::ostream& err);

// The working folder, or "" when it cannot be told.
std::string WorkingFolder();

// Makes the standard output and error reach the console of the program that started this
// one, where they reach nothing else: on Windows a window program has no console of its own,
// so that --help and --version typed in a console would answer nowhere. Output that was
// redirected stays where it goes. Does nothing on other systems.
void AnswerInCallersConsole();

} // namespace titora
