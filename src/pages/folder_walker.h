// Turns files and folders, as a user drops them or names them on a command line, into
// the page files they stand for. No widgets and no Qt, so that the window and the
// command-line program walk folders alike.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace titora {

// Whether a file name has one of the page types of the open dialog's HTML and ASP
// filters: ".html", ".htm", ".shtml" or ".asp", in any letter case.
// Example: IsPageName("INDEX.HTM") is true, IsPageName("notes.txt") false.
bool IsPageName(std::string_view name);

// Called with each page found, in order; returning false stops the walk.
using PageFound = std::function<bool(const std::string& path)>;
// Called with each folder, or each file named as a page, that cannot be read.
using PageSkipped = std::function<void(const std::string& path)>;

// Walks `paths` in their order. A path that is not a folder is handed on as it is,
// whatever its name (a missing or unreadable one too: reading it is what fails). A
// folder is walked recursively in name order (bytes compared), each sub-folder at its
// place among the names, handing on the regular files whose names are pages. Symbolic
// links to folders met in the walk are not followed (one named in `paths` is), and no
// folder is walked twice.
// A folder that cannot be opened, and an entry named as a page that is neither a
// folder nor a regular file or whose type cannot be told, goes to `skipped`.
// Returns false when `found` stopped the walk.
//
//   WalkPages({"/srv/www"}, [&](const std::string& page) { pages.push_back(page); return true; },
//             [&](const std::string& path) { skipped.push_back(path); });
bool WalkPages(const std::vector<std::string>& paths, const PageFound& found,
               const PageSkipped& skipped);

} // namespace titora
