// The checks of a site's titles: which pages have no title, an empty one, the same title
// as another page, one too long or too short for a search result, more than one title
// element, or a title element that never ends. No Qt: the pages come in as what the title
// engine found in them, with their titles already made text by the caller (see
// shown_title.h), so that a program without Qt checks alike.
#pragma once

#include "title_engine.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace titora {

// The rules, in the order findings and their counts are told.
enum class TitleRule { kMissing, kEmpty, kDuplicate, kTooLong, kTooShort, kMultiple, kUnclosed };
inline constexpr std::size_t kTitleRuleCount = 7;

// The rule's stable name, as options and reports write it: "missing", "empty",
// "duplicate", "too-long", "too-short", "multiple", "unclosed".
std::string_view TitleRuleName(TitleRule rule);
// The rule of that name; none for a name no rule has.
std::optional<TitleRule> TitleRuleNamed(std::string_view name);
// One sentence saying what the rule finds, for reports that describe their rules.
std::string_view TitleRuleDescription(TitleRule rule);

struct TitleCheckOptions {
    // A title of more characters than maxLength is too long, of fewer than minLength too
    // short.
    std::size_t maxLength = 60;
    std::size_t minLength = 10;
    // Rules whose findings are not reported; indexed by the rule.
    bool ignored[kTitleRuleCount] = {};
};

// Where a title element's text begins in its page: 1-based line and byte column.
struct TitlePlace {
    std::size_t line = 1;
    std::size_t column = 1;
};

// What the checks need of one page.
struct PageTitles {
    std::size_t elementCount = 0;
    // The title a browser shows (the first element's), as UTF-8 text: encoding, character
    // references and white space dealt with. Empty when there is no element.
    std::string shown;
    // Whether the first element has its end tag, and whether every element has; where
    // one has none, `unclosedAt` is where its text begins.
    bool firstClosed = false;
    bool closed = true;
    TitlePlace unclosedAt;
    TitlePlace firstAt;
    TitlePlace secondAt; // meaningful when elementCount > 1
};

// Turns a title element's bytes in a page declaring `declaredEncoding` into the text a
// browser shows, as UTF-8.
using ShowTitle =
    std::function<std::string(std::string_view bytes, std::string_view declaredEncoding)>;

// What the checks need, from what the title engine read of one page.
//
//   ExamineTitles(ReadTitleElements("/srv/www/a.html"), ShownTitle).shown  // -> "Our shop"
PageTitles ExamineTitles(const PageTitleElements& page, const ShowTitle& show);

// The number of characters of UTF-8 `text`; bytes that are not UTF-8 count one each.
std::size_t CharacterCount(std::string_view text);

// One thing found wrong with one page.
struct TitleFinding {
    std::size_t page = 0; // the page's index in the order pages were added
    TitleRule rule = TitleRule::kMissing;
    // What exactly is wrong: the length found, or the other pages of a duplicate.
    std::string detail;
    TitlePlace place; // where the finding points in the page
};

// Checks pages added one by one; duplicates are found among all pages added. Every page
// costs a constant amount of work and the title it keeps, so that a check grows linearly
// with the site.
//
//   TitleChecker checker({});
//   checker.Add("a.html", ExamineTitles(ReadTitleElements("a.html"), ShownTitle));
//   for (const TitleFinding& finding : checker.Findings()) ...
class TitleChecker {
public:
    explicit TitleChecker(const TitleCheckOptions& options) : options_(options) {}

    // Adds one page; `name` is how the details of other pages' findings name it.
    void Add(std::string name, PageTitles page);

    std::size_t PageCount() const { return pages_.size(); }
    const std::string& Name(std::size_t page) const { return pages_[page].name; }
    const PageTitles& Titles(std::size_t page) const { return pages_[page].titles; }
    // The title to report with a finding about `page`: none for a page without a title
    // element or whose first one never ends, since it has no title to show.
    std::optional<std::string> ReportedTitle(std::size_t page) const;

    // Every finding not ignored, in the order the pages were added, each page's findings in
    // the order of the rules.
    std::vector<TitleFinding> Findings() const;

private:
    // No group: the page's title is not checked for duplicates.
    static constexpr std::size_t kNoGroup = static_cast<std::size_t>(-1);

    struct Page {
        std::string name;
        PageTitles titles;
        std::size_t group = kNoGroup; // the pages sharing its title, in groups_
    };

    // Whether the length and duplicate rules apply: the page shows a real title.
    static bool HasTitle(const PageTitles& titles);
    void AddFindings(std::size_t index, std::vector<TitleFinding>& out) const;
    std::string DuplicateDetail(std::size_t index, const std::vector<std::size_t>& sharing) const;
    // The group of pages showing `title`, a new one where no page added before shows it.
    std::size_t groupOf(const std::string& title);
    void growSlots();

    TitleCheckOptions options_;
    std::vector<Page> pages_;
    // The pages of each title checked for duplicates, in the order they were added, and the
    // group of each title.
    std::vector<std::vector<std::size_t>> groups_;
    // The group of each title, found by its hash in a table of a power of two slots kept
    // at most half full: one look at memory finds most titles, where a node-based map
    // took several for each of a large site's pages. A slot's title is that of its
    // group's first page.
    struct Slot {
        std::size_t hash = 0;
        std::size_t group = kNoGroup;
    };
    std::vector<Slot> slots_;
};

} // namespace titora
