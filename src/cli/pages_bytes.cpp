// pages.h without Qt, where the program is built without it (Windows): a page's title is
// listed as the bytes it is and written as the bytes given, whatever encoding the page
// declares; the declared encoding is listed by the standard's name.
#include "pages.h"

#include "declared_encoding.h"
#include "title_engine.h"

namespace titora::cli {

ListedPage ReadListedPage(const std::string& path) {
    PageTitle page = ReadPageTitle(path);
    ListedPage listed;
    if (page.found)
        listed.text = page.title;
    listed.shown = page.title;
    if (IsDeclared(page.declaredEncoding))
        listed.encoding = std::move(page.declaredEncoding);
    return listed;
}

std::string PreviewPageTitle(const std::string& path, const std::string& title) {
    return PreviewWriteTitle(path, [&title](std::string_view) { return title; });
}

void WritePageTitle(const std::string& path, const std::string& title) {
    WriteTitle(path, title);
}

} // namespace titora::cli
