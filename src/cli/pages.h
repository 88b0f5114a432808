// What titora-cli reads from and writes into one page. The only part of the program
// that calls the title engine. Two implementations: pages.cpp, with Qt Core, knows the
// encodings of pages and of the terminal; pages_bytes.cpp, for builds without Qt
// (Windows), takes titles as bytes: they are listed as the bytes they are, and a title is
// written as the bytes given.
#pragma once

#include <optional>
#include <string>

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

// Checks that `title` could be written into the page at `path`, writing nothing, and
// returns the title the page holds now. Throws the TitleEngineError a write would.
std::string PreviewPageTitle(const std::string& path, const std::string& title);

// Writes `title`, text in the locale's encoding as typed, into the page at `path`, in the
// encoding the page declares, as the window does. Throws TitleEngineError.
void WritePageTitle(const std::string& path, const std::string& title);

} // namespace titora::cli
