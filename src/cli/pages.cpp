// Titles travel as the bytes they are: the list prints a page's bytes and set writes
// the bytes it was given. This file is the one place where a page's declared encoding
// comes in once the engine reports it: reading fills ListedPage::encoding with the
// label, and writing encodes the typed title for each page as the window does.
#include "pages.h"

#include "title_engine.h"

namespace titora::cli {

ListedPage ReadListedPage(const std::string& path) {
    return {ReadTitle(path), std::nullopt};
}

std::string PreviewPageTitle(const std::string& path, const std::string& title) {
    return PreviewWriteTitle(path, title);
}

void WritePageTitle(const std::string& path, const std::string& title) {
    WriteTitle(path, title);
}

} // namespace titora::cli
