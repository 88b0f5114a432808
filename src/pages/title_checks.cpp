#include "title_checks.h"

#include <algorithm>

namespace titora {
namespace {

struct RuleText {
    std::string_view name;
    std::string_view description;
};

// Indexed by TitleRule.
constexpr RuleText kRules[kTitleRuleCount] = {
    {"missing", "The page has no title element."},
    {"empty", "The page's title element holds only white space."},
    {"duplicate", "The page has the same title as another page."},
    {"too-long", "The title is longer than a search result shows."},
    {"too-short", "The title is too short to say what the page is."},
    {"multiple", "The page has more than one title element."},
    {"unclosed", "A title element has no end tag, so the title runs to the end of the page."},
};

// How many of the other pages a duplicate's detail names; the rest are counted.
constexpr std::size_t kNamedDuplicates = 3;

TitlePlace PlaceOf(const TitleElement& element) {
    return {element.line, element.column};
}

} // namespace

std::string_view TitleRuleName(TitleRule rule) {
    return kRules[static_cast<std::size_t>(rule)].name;
}

std::optional<TitleRule> TitleRuleNamed(std::string_view name) {
    for (std::size_t i = 0; i < kTitleRuleCount; ++i) {
        if (kRules[i].name == name)
            return static_cast<TitleRule>(i);
    }
    return std::nullopt;
}

std::string_view TitleRuleDescription(TitleRule rule) {
    return kRules[static_cast<std::size_t>(rule)].description;
}

std::size_t CharacterCount(std::string_view text) {
    // Every byte but a UTF-8 continuation byte begins a character.
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

PageTitles ExamineTitles(const PageTitleElements& page, const ShowTitle& show) {
    PageTitles titles;
    const std::vector<TitleElement>& elements = page.elements;
    titles.elementCount = elements.size();
    if (elements.empty())
        return titles;
    titles.firstAt = PlaceOf(elements.front());
    if (elements.size() > 1)
        titles.secondAt = PlaceOf(elements[1]);
    const auto unclosed = std::find_if(elements.begin(), elements.end(),
                                       [](const TitleElement& element) { return !element.closed; });
    if (unclosed != elements.end()) {
        titles.closed = false;
        titles.unclosedAt = PlaceOf(*unclosed);
    }
    // The text of a title that never ends runs to the end of the page: it is no title to
    // measure, and it may be the whole page.
    titles.firstClosed = elements.front().closed;
    if (titles.firstClosed)
        titles.shown = show(elements.front().text, page.declaredEncoding);
    return titles;
}

bool TitleChecker::HasTitle(const PageTitles& titles) {
    return titles.firstClosed && titles.closed && !titles.shown.empty();
}

void TitleChecker::Add(std::string name, PageTitles page) {
    const std::size_t index = pages_.size();
    pages_.push_back(Page{std::move(name), std::move(page), kNoGroup});
    Page& added = pages_.back();
    if (!HasTitle(added.titles))
        return;
    added.group = groupOf(added.titles.shown);
    groups_[added.group].push_back(index);
}

std::size_t TitleChecker::groupOf(const std::string& title) {
    if ((groups_.size() + 1) * 2 > slots_.size())
        growSlots();
    const std::size_t hash = std::hash<std::string>{}(title);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        Slot& slot = slots_[at];
        if (slot.group == kNoGroup) {
            slot = Slot{hash, groups_.size()};
            groups_.emplace_back();
            return slot.group;
        }
        if (slot.hash == hash && pages_[groups_[slot.group].front()].titles.shown == title)
            return slot.group;
    }
}

void TitleChecker::growSlots() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(std::max<std::size_t>(64, old.size() * 2), Slot{});
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.group == kNoGroup)
            continue;
        std::size_t at = slot.hash & mask;
        while (slots_[at].group != kNoGroup)
            at = (at + 1) & mask;
        slots_[at] = slot;
    }
}

std::optional<std::string> TitleChecker::ReportedTitle(std::size_t page) const {
    const PageTitles& titles = pages_[page].titles;
    if (!titles.firstClosed)
        return std::nullopt;
    return titles.shown;
}

std::string TitleChecker::DuplicateDetail(std::size_t index,
                                          const std::vector<std::size_t>& sharing) const {
    std::string detail = "same title as ";
    std::size_t named = 0;
    for (std::size_t other : sharing) {
        if (other == index)
            continue;
        if (named == kNamedDuplicates)
            break;
        detail += named == 0 ? "" : ", ";
        detail += pages_[other].name;
        ++named;
    }
    const std::size_t others = sharing.size() - 1;
    if (others > named)
        detail += " and " + std::to_string(others - named) + " more";
    return detail;
}

void TitleChecker::AddFindings(std::size_t index, std::vector<TitleFinding>& out) const {
    const PageTitles& titles = pages_[index].titles;
    const auto add = [&](TitleRule rule, std::string detail, TitlePlace place) {
        if (!options_.ignored[static_cast<std::size_t>(rule)])
            out.push_back(TitleFinding{index, rule, std::move(detail), place});
    };
    if (titles.elementCount == 0) {
        add(TitleRule::kMissing, "no title element", TitlePlace{});
        return;
    }
    if (titles.firstClosed && titles.shown.empty())
        add(TitleRule::kEmpty, "the title holds only white space", titles.firstAt);
    if (HasTitle(titles)) {
        const std::vector<std::size_t>& sharing = groups_[pages_[index].group];
        if (sharing.size() > 1)
            add(TitleRule::kDuplicate, DuplicateDetail(index, sharing), titles.firstAt);
        const std::size_t length = CharacterCount(titles.shown);
        if (length > options_.maxLength)
            add(TitleRule::kTooLong,
                std::to_string(length) + " characters, more than " +
                    std::to_string(options_.maxLength),
                titles.firstAt);
        if (length < options_.minLength)
            add(TitleRule::kTooShort,
                std::to_string(length) + " characters, fewer than " +
                    std::to_string(options_.minLength),
                titles.firstAt);
    }
    if (titles.elementCount > 1)
        add(TitleRule::kMultiple, std::to_string(titles.elementCount) + " title elements",
            titles.secondAt);
    if (!titles.closed)
        add(TitleRule::kUnclosed,
            "no </title> after the <title> on line " + std::to_string(titles.unclosedAt.line),
            titles.unclosedAt);
}

std::vector<TitleFinding> TitleChecker::Findings() const {
    std::vector<TitleFinding> findings;
    for (std::size_t i = 0; i < pages_.size(); ++i)
        AddFindings(i, findings);
    return findings;
}

} // namespace titora
