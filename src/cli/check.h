// titora-cli check: the title checks over the pages a command line names, told as lines,
// JSON or a SARIF log.
#pragma once

#include "command_line.h"

#include <cstdio>
#include <functional>
#include <string>

namespace titora::cli {

// Calls its argument with the path of each page to check, in order; a page that cannot
// be read is told and left out by the caller.
using PageSource = std::function<void(const std::function<void(const std::string& path)>&)>;

// Checks the pages `pages` gives, writes the findings to `out` in the form `line` asks
// for, sorted by path, and tells the summary ("281 pages, 85 findings: 55 missing, ...")
// through `say`. Returns whether anything was found.
bool Check(const CommandLine& line, const PageSource& pages, std::FILE* out,
           const std::function<void(const std::string& text)>& say);

} // namespace titora::cli
