// titora-cli's commands, from parsed arguments to output and exit status.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace titora::cli {

// The exit statuses: all done, some pages failed, bad usage.
inline constexpr int kAllDone = 0;
inline constexpr int kSomeFailed = 1;
inline constexpr int kBadUsage = 2;

// Runs titora-cli with the arguments that follow the program's name. Results go to
// `out`, messages to `err`, one line each. Returns the exit status.
//
//   Run({"list", "-r", "/srv/www"}, stdout, stderr)  // prints one line per page
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

} // namespace titora::cli
