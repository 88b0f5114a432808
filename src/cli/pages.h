// What titora-cli reads from and writes into one page. The only part of the program
// that calls the title engine. Two implementations: pages.cpp, with Qt Core, knows the
// encodings pages declare; pages_bytes.cpp, for builds without Qt (Windows), takes
// titles as bytes: `text` is `title` itself, a title is written as the bytes given, and the
// checks take a title's bytes as UTF-8 with only its white space collapsed.
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
    // The title as the page holds it, bytes unchanged, "UnTitled" where it has none.
    std::string title;
    // The title as UTF-8 text, decoded from the encoding the page declares. Where the page
    // declares UTF-8 or nothing it is `title` itself, whose bytes a JSON writer keeps even
    // where they are not valid UTF-8.
    std::string text;
    // The label of the encoding the page declares, as the page writes it; none where it
    // declares none.
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
