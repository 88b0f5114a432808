// The program's command line: `titora [FILE|FOLDER]...`, `titora --help`, `titora --version`.
// Read before any window or display is needed, so that --help and --version work without one.
// No Qt: Qt is given no command-line options at all (see main.cpp).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace titora {

struct CommandLine {
    enum class Action { Run, Help, Version };
    Action action = Action::Run;
    // The files and folders to list, made absolute against the working folder, in order.
    std::vector<std::string> paths;
    // Options this program does not know (Qt's own among them); they are ignored.
    std::vector<std::string> ignored;
};

// Reads argv[1..argc-1]. "--" ends the options: every argument after it is a path. The
// first of --help (-h) and --version (-v) decides the action.
// Example: ParseCommandLine(3, {"titora", "-reverse", "site"}, "/srv") gives the path
// "/srv/site" and ignores "-reverse".
CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& workingFolder);

// Answers --help or --version on `out` and warns of ignored options on `err`. Returns true
// when the program has nothing more to do (help or version given).
bool AnswerCommandLine(const CommandLine& commandLine, std::ostream& out, std::ostream& err);

// The working folder, or "" when it cannot be told.
std::string WorkingFolder();

// Makes the standard output and error reach the console of the program that started this
// one, where they reach nothing else: on Windows a window program has no console of its own,
// so that --help and --version typed in a console would answer nowhere. Output that was
// redirected stays where it goes. Does nothing on other systems.
void AnswerInCallersConsole();

} // namespace titora
