// pages.h without Qt, where the program is built without it (Windows): a page's title is
// listed as the bytes it is and written as the bytes given, whatever encoding the page
// declares; the declared encoding is listed by the standard's name.
#include "pages.h"

#include "declared_encoding.h"
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
    ListedPage listed;
    if (page.found)
        listed.text = page.title;
    listed.shown = page.title;
    if (IsDeclared(page.declaredEncoding))
        listed.encoding = std::move(page.declaredEncoding);
    return listed;
}

PageTitles ReadCheckedPage(const std::string& path) {
    return ExamineTitles(ReadTitleElements(path), CollapsedBytes);
}

namespace {

const char* ActionOf(int place) {
    switch (place) {
    case 1:
        return "insert a title";
    case 2:
        return "insert head and title";
    case 3:
        return "insert at the start";
    default:
        return "replace the title";
    }
}

} // namespace

std::vector<PlannedPage> PlanPages(const CommandLine& line, const std::vector<std::string>& paths) {
    if (!line.title)
        throw UsageError("--template and --replace need a titora-cli built with Qt");
    std::vector<PlannedPage> planned;
    for (const std::string& path : paths) {
        PlannedPage page;
        page.path = path;
        page.newTitle = *line.title;
        try {
            const PageOutline outline = OutlinePage(path);
            page.oldTitle = outline.hasTitle ? outline.title : "UnTitled";
            page.size = outline.size;
            page.reason = outline.refusal;
            page.systemReason = outline.refusalReason;
            page.kind = !outline.refusal.empty() ? PlannedPage::Kind::kRefused
                        : outline.hasTitle && outline.title == *line.title
                            ? PlannedPage::Kind::kUnchanged
                            : PlannedPage::Kind::kWrite;
            page.action =
                page.kind == PlannedPage::Kind::kUnchanged ? "unchanged" : ActionOf(outline.place);
        } catch (const TitleEngineError& e) {
            page.kind = PlannedPage::Kind::kRefused;
            page.reason = e.what();
            page.systemReason = e.reason();
        }
        if (page.kind == PlannedPage::Kind::kRefused)
            page.action = "refused: " + page.reason;
        planned.push_back(std::move(page));
    }
    return planned;
}

void WritePlannedPage(const PlannedPage& page, const WriteOptions& options) {
    WriteTitle(
        page.path, [&page](std::string_view) { return page.newTitle; }, options);
}

} // namespace titora::cli
