// The encoding the terminal takes text in, one implementation per system.
#pragma once

#include <string>

namespace titora::cli {

// A label of the encoding that text written to standard output should be in: the codeset
// of the environment's locale on POSIX systems ("UTF-8", "ISO-8859-1", "ANSI_X3.4-1968"),
// the console's output code page on Windows, or the system's ANSI code page where output
// goes to no console, as the paths printed beside the titles are.
std::string TerminalEncoding();

} // namespace titora::cli
