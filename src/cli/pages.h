// What titora-cli reads from and writes into one page. The only part of the program
// that calls the title engine.
#pragma once

#include <optional>
#include <string>

namespace titora::cli {

// One page as the list shows it.
struct ListedPage {
    // The title as the page holds it, bytes unchanged, "UnTitled" where it has none.
    std::string title;
    // The label of the encoding the page declares for its text; none while unknown.
    std::optional<std::string> encoding;
};

// Reads the page at `path`. Throws TitleEngineError, as ReadTitle does.
ListedPage ReadListedPage(const std::string& path);

// Checks that `title` could be written into the page at `path`, writing nothing, and
// returns the title the page holds now. Throws the TitleEngineError a write would.
std::string PreviewPageTitle(const std::string& path, const std::string& title);

// Writes `title`, as typed, into the page at `path`. Throws TitleEngineError.
void WritePageTitle(const std::string& path, const std::string& title);

} // namespace titora::cli
