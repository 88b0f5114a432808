// pages.h without Qt, where the program is built without it (Windows): a page's title is
// listed as the bytes it is and written as the bytes given, whatever encoding the page
// declares; the declared encoding is listed as the page names it.
#include "pages.h"

#include "title_engine.h"

namespace titora::cli {

ListedPage ReadListedPage(const std::string& path) {
    PageTitle page = ReadPageTitle(path);
    ListedPage listed{page.title, page.title, std::nullopt};
    if (!page.declaredEncoding.empty())
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
