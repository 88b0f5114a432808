// The shared model of a retitle: for each page, its title now, its new title under a rule,
// what the engine will do with it and what a reader of the site may not like about the
// result. It neither knows widgets nor writes files itself: the window's retitle dialog
// and titora-cli's set show the plans, and the engine writes them (WritePlans).
#pragma once

#include "file_list.h"
#include "progress.h"
#include "title_engine.h"
#include "title_template.h"

#include <cstddef>
#include <functional>
#include <QString>
#include <string>
#include <vector>

namespace titora {

// What is known of one page before a retitle, from one read of it.
struct RetitlePage {
    std::string folder; // with its trailing separator, as the list holds it
    std::string name;
    PageOutline outline;
    std::string readError;  // the engine's message where the page could not be read
    std::string readReason; // and the system's reason, where there is one

    std::string path() const { return folder + name; }
};

// Reads the page `name` in `folder`; a page that cannot be read gets its readError, and
// no exception leaves but std::bad_alloc.
RetitlePage ReadRetitlePage(const std::string& folder, const std::string& name);

// Reads every page, counting one step of `progress` each and ending early, with the pages
// read so far, when it asks to stop.
std::vector<RetitlePage> ReadRetitlePages(const std::vector<std::string>& paths,
                                          Progress* progress = nullptr);

enum class RetitleAction {
    kReplace,
    kInsertTitle,
    kInsertHead,
    kInsertAtStart,
    kUnchanged,
    kRefused
};

enum RetitleWarning : unsigned {
    kNoWarning = 0,
    kEmptyTitle = 1,
    kLongTitle = 2,      // more than kLongTitleLength characters
    kDuplicateTitle = 4, // the same as another page's in the retitle
};
inline constexpr qsizetype kLongTitleLength = 60;

struct PagePlan {
    QString oldTitle; // as the list shows it: "UnTitled" for a page without one
    QString newTitle;
    RetitleAction action = RetitleAction::kUnchanged;
    QString reason;  // why a page is refused, in a few words
    QString message; // the engine's message about a refused page, naming it
    unsigned warnings = kNoWarning;
};

// The values a template takes from `page`, the `n`-th of the retitle.
PageValues ValuesOf(const RetitlePage& page, std::size_t n);

// The values of every page, the i-th as the (i + 1)-th of the retitle.
std::vector<PageValues> ValuesOf(const std::vector<RetitlePage>& pages);

// The plan of every page under `rule`, in order.
//
//   PlanRetitle(pages, CompiledRule({RetitleRule::Kind::kTemplate, "{name} | Shop"}))
std::vector<PagePlan> PlanRetitle(const std::vector<RetitlePage>& pages, const CompiledRule& rule);
// The same, from `values` made by ValuesOf(pages) once: what a preview that plans anew at
// every key typed uses, since decoding the pages' values is most of the work.
std::vector<PagePlan> PlanRetitle(const std::vector<RetitlePage>& pages,
                                  const std::vector<PageValues>& values, const CompiledRule& rule);

// "replace the title", "insert a title", "insert head and title", "insert at the start",
// "unchanged", or "refused: " and the reason ("the title is not closed", say).
QString ActionText(const PagePlan& plan);
// The warnings, joined: "empty title", "over 60 characters", "duplicate title".
QString WarningsText(unsigned warnings);

// How the pages of a retitle fared.
struct RetitleSummary {
    std::size_t written = 0;
    std::size_t unchanged = 0;
    std::size_t failed = 0;
    std::vector<std::string> failures; // one message per failed page
    std::size_t notReached = 0;        // pages a stop request left untouched
};
// "12 written, 3 unchanged, 1 failed".
QString SummaryText(const RetitleSummary& summary);
// "12 to write, 3 unchanged, 1 refused", for a trial run.
QString TrialSummaryText(const std::vector<PagePlan>& plans);

// The sum of the sizes of the pages a retitle would write: what their undo copies take.
std::uint64_t BytesToWrite(const std::vector<RetitlePage>& pages,
                           const std::vector<PagePlan>& plans);

// Writes the pages whose plan changes them through `engine` with `options`, each page's
// new title in the encoding it declares, counting refused pages and failed writes as
// failed. With `progress`, each page counts one step and a stop request ends the work
// before the next page. `written(i)` is called after page i is written.
RetitleSummary WritePlans(const std::vector<RetitlePage>& pages, const std::vector<PagePlan>& plans,
                          const TitleEngine& engine, const WriteOptions& options,
                          Progress* progress = nullptr,
                          const std::function<void(std::size_t)>& written = {});

} // namespace titora
