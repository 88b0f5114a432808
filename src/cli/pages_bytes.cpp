// pages.h without Qt, where the program is built without it (Windows): a page's title is
// listed as the bytes it is and written as the bytes given, whatever encoding the page
// declares; the declared encoding is listed as the page names it.
#include "pages.h"

#include "title_engine.h"

namespace titora::cli {
namespace {

bool IsHtmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

std::string CollapsedBytes(std::string_view bytes, std::string_view) {
    std::string collapsed;
    bool space = false;
    for (const char c : bytes) {
        if (IsHtmlSpace(c)) {
            space = !collapsed.empty();
            continue;
        }
        if (space)
            collapsed += ' ';
        space = false;
        collapsed += c;
    }
    return collapsed;
}

} // namespace

ListedPage ReadListedPage(const std::string& path) {
    PageTitle page = ReadPageTitle(path);
    ListedPage listed{page.title, page.title, std::nullopt};
    if (!page.declaredEncoding.empty())
        listed.encoding = std::move(page.declaredEncoding);
    return listed;
}

PageTitles ReadCheckedPage(const std::string& path) {
    return ExamineTitles(ReadTitleElements(path), CollapsedBytes);
}

std::string PreviewPageTitle(const std::string& path, const std::string& title) {
    return PreviewWriteTitle(path, [&title](std::string_view) { return title; });
}

void WritePageTitle(const std::string& path, const std::string& title) {
    WriteTitle(path, title);
}

} // namespace titora::cli
