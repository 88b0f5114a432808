// What titora-cli reads from and writes into one page. The only part of the program
// that calls the title engine. Two implementations: pages.cpp, with Qt Core, knows the
// encodings of pages and of the terminal; pages_bytes.cpp, for builds without Qt
// (Windows), takes titles as bytes: they are listed as the bytes they are, a title is
// written as the bytes given, and the checks take a title's bytes as UTF-8 with only its
// white space collapsed.
#pragma once

#include "command_line.h"
#include "title_checks.h"
#include "title_engine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace titora::cli {

// One page as the list shows it.
struct ListedPage {
    // The title as UTF-8 text, decoded from the page's encoding; none where the page has no
    // title element (or, in a page of the standard's "replacement" encoding, none that can
    // be read). Where Qt is not built, the title's bytes.
    std::optional<std::string> text;
    // The title as the line output prints it: text in the terminal's encoding, "UnTitled"
    // where there is none. Where Qt is not built, the title's bytes.
    std::string shown;
    // The name of the encoding the page declares, as the Encoding Standard writes it; none
    // where it declares none.
    std::optional<std::string> encoding;
};

// Reads the page at `path`. Throws TitleEngineError, as ReadTitle does.
ListedPage ReadListedPage(const std::string& path);

// What the title checks need of the page at `path`, read once, its titles as a browser
// shows them. Throws TitleEngineError, as ReadTitleElements does.
PageTitles ReadCheckedPage(const std::string& path);

// One page of a set, planned before anything is written.
struct PlannedPage {
    enum class Kind { kWrite, kUnchanged, kRefused };
    std::string path;
    Kind kind = Kind::kUnchanged;
    std::string action;       // what will happen, as a trial run prints it
    std::string oldTitle;     // as the page holds it, "UnTitled" where it has none
    std::string newTitle;     // text in the locale's encoding
    std::string reason;       // the engine's message, for a refused page
    std::string systemReason; // and the system's reason, where there is one
    std::uint64_t size = 0;
};

// Plans the rule of `line` (a title, a template or a find and replace) over `paths`, in
// order, reading each page once. Throws UsageError for a rule that cannot be applied (an
// unknown placeholder, a bad regular expression), before anything is written.
std::vector<PlannedPage> PlanPages(const CommandLine& line, const std::vector<std::string>& paths);

// Writes the new title of `page`, in the encoding the page declares, as the window does.
// Throws TitleEngineError.
void WritePlannedPage(const PlannedPage& page, const WriteOptions& options);

} // namespace titora::cli
