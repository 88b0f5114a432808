// What titora-cli reads from and writes into one page. The only part of the program
// that calls the title engine. Two implementations: pages.cpp, with Qt Core, knows the
// encodings pages declare; pages_bytes.cpp, for builds without Qt (Windows), takes
// titles as bytes: `text` is `title` itself, a title is written as the bytes given, and the
// checks take a title's bytes as UTF-8 with only its white space collapsed.
#pragma once

#include "title_checks.h"

#include <optional>
#include <string>

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

// Checks that `title` could be written into the page at `path`, writing nothing, and
// returns the title the page holds now. Throws the TitleEngineError a write would.
std::string PreviewPageTitle(const std::string& path, const std::string& title);

// Writes `title`, text in the locale's encoding as typed, into the page at `path`, in the
// encoding the page declares, as the window does. Throws TitleEngineError.
void WritePageTitle(const std::string& path, const std::string& title);

} // namespace titora::cli
