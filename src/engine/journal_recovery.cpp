// Finishing saves that a crash cut short, from their journals.
#include "journal.h"

#include "line_breaks.h"
#include "page_text.h"
#include "title_engine.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace titora {
namespace {

enum class Recovery {
    kGone,     // nothing waits any more
    kRestored, // the page holds its old or its new bytes, and the slot is empty
    kWaiting,  // a living save holds it, or the page cannot be reached now
    kKept,     // the page was changed by someone else; the journal is kept aside
};

// How many journals of one page are kept aside at most: the oldest goes for a new one.
constexpr int kKeptPerPage = 10;

// The numbers of the journals of `page` kept aside in `state`, lowest first.
std::vector<int> KeptNumbers(const platform::Folder& state, const platform::FileId& page) {
    constexpr std::string_view kEnding = ".kept";
    std::string prefix = KeptJournalName(page, 0); // "<volume>-<index>.0.kept"
    prefix.resize(prefix.size() - 1 - kEnding.size());
    std::vector<std::string> names;
    std::vector<int> numbers;
    platform::ListFolder(state, &names);
    for (const std::string& name : names) {
        if (name.size() <= prefix.size() + kEnding.size() ||
            name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - kEnding.size(), kEnding.size(), kEnding) != 0) {
            continue;
        }
        const std::string digits =
            name.substr(prefix.size(), name.size() - prefix.size() - kEnding.size());
        if (digits.size() < 9 && digits.find_first_not_of("0123456789") == std::string::npos) {
            numbers.push_back(std::stoi(digits));
        }
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

// Copies the journal `bytes` of `page` aside into a file of its own, out of the way of
// later saves, where a person can still find it. Only the latest few of a page are
// kept, so that a page changed by others again and again fills neither the disk nor the
// names, and never stops its saves.
bool KeepAside(const platform::Folder& state, const platform::FileId& page,
               std::string_view bytes) {
    std::vector<int> numbers = KeptNumbers(state, page);
    for (; numbers.size() >= static_cast<std::size_t>(kKeptPerPage);
         numbers.erase(numbers.begin())) {
        platform::RemoveInFolder(state, KeptJournalName(page, numbers.front()));
    }
    const int next = numbers.empty() ? 1 : numbers.back() + 1;
    for (int n = next; n < next + kKeptPerPage; ++n) {
        const platform::File kept = platform::CreateInFolder(state, KeptJournalName(page, n));
        if (kept.isOpen()) {
            return platform::WriteAt(kept, 0, bytes.data(), bytes.size()) && platform::Flush(kept);
        }
    }
    return false;
}

bool Restore(const platform::File& page, std::string_view old) {
    return platform::WriteAt(page, 0, old.data(), old.size()) &&
           platform::Truncate(page, old.size()) && platform::Flush(page);
}

// Opens the slot `name` in `state`, locks it and reads it into `*bytes`. Nothing when
// it holds a journal; else what the recovery ends with.
std::optional<Recovery> TakeJournal(const platform::Folder& state, const std::string& name,
                                    platform::File* journal, PageBytes* bytes) {
    *journal = platform::OpenInFolder(state, name, platform::Access::kReadWrite);
    // Only what the user made for this is trusted: anything else is left alone.
    if (!journal->isOpen() || !platform::IsPrivateFile(*journal)) {
        return Recovery::kGone;
    }
    if (!platform::TryLock(*journal)) {
        return Recovery::kWaiting; // its save still runs
    }
    // The lock is on the file that was opened: the name must still lead to it.
    platform::FileInfo held;
    platform::FileInfo named;
    if (!platform::GetInfo(*journal, &held) || !platform::GetInfoAt(state, name, &named) ||
        held.id != named.id) {
        return Recovery::kGone;
    }
    // An empty slot, perhaps still named after a page, is not read through.
    char start[64];
    std::size_t got = 0;
    if (!platform::Read(*journal, 0, start, sizeof start, &got)) {
        return Recovery::kWaiting;
    }
    // Cut to nothing: bytes of an earlier journal may follow the emptied start.
    if (!HoldsJournal(std::string_view(start, got))) {
        EmptySlot(state, name, *journal, UINT64_MAX);
        return Recovery::kGone;
    }
    return ReadToEnd(*journal, held.size, 0, false, bytes) ? std::nullopt
                                                           : std::optional(Recovery::kWaiting);
}

enum class Reached { kPage, kOutOfReach, kAnotherFile };

// Reaches the page a journal names, open for writing: `known`, the page the caller holds,
// through its own handle where that is open for writing (on Windows a second handle
// would be shut out by the first), else opened anew in its folder; or by its folder's
// path. `*page` is the open page, `*opened` when it was opened here.
Reached ReachPage(const JournalRecord& record, const PageFile* known, platform::File* opened,
                  const platform::File** page, platform::FileInfo* info) {
    const bool isKnown = known != nullptr && known->info().id == record.page;
    if (isKnown && known->openedForWriting()) {
        *page = &known->file();
        return platform::GetInfo(**page, info) ? Reached::kPage : Reached::kOutOfReach;
    }
    platform::Folder ownFolder;
    const platform::Folder* folder = &ownFolder;
    std::string name = record.name;
    if (isKnown) {
        folder = &known->folder();
        name = known->name();
    } else {
        ownFolder = platform::OpenFolder(record.folder);
    }
    if (!folder->isOpen() || !platform::GetInfoAt(*folder, name, info)) {
        return Reached::kOutOfReach; // perhaps on a volume not mounted now
    }
    *opened = platform::OpenInFolder(*folder, name, platform::Access::kReadWrite);
    *page = opened;
    if (!opened->isOpen() || !platform::GetInfo(*opened, info)) {
        return Reached::kOutOfReach;
    }
    // The path is a hint only: the page is the file with the journal's device and
    // number, and no other file is ever written from a journal.
    return info->regular && info->id == record.page ? Reached::kPage : Reached::kAnotherFile;
}

// Applies the journal `name` in `state`. `known` is the page when the caller holds it.
//
// A journal cannot be forged: the state folder is taken only where no one but its user
// can put or change anything in it (OpenStateFolder), and a journal only where it is a
// file of the user's own with one name that no one else may write (IsPrivateFile). So
// every journal applied here was written by a save of this user's, and it rewrites only
// the file it names by device and number, reached without following a link at its name.
Recovery Recover(const platform::Folder& state, const std::string& name, const PageFile* known) {
    platform::File journal;
    PageBytes bytes(0, 0, 0);
    if (const std::optional<Recovery> ended = TakeJournal(state, name, &journal, &bytes)) {
        return *ended;
    }
    JournalRecord record;
    if (!ParseJournal(bytes.view(), &record)) {
        // Cut short while it was written: its save never touched the page.
        return EmptySlot(state, name, journal, bytes.view().size()) ? Recovery::kRestored
                                                                    : Recovery::kWaiting;
    }
    platform::File opened;
    const platform::File* page = &opened;
    platform::FileInfo info;
    PageBytes current(0, 0, 0);
    const Reached reached = ReachPage(record, known, &opened, &page, &info);
    if (reached == Reached::kOutOfReach ||
        (reached == Reached::kPage && !ReadToEnd(*page, info.size, 0, false, &current))) {
        return Recovery::kWaiting;
    }
    PageBuffer rebuilt;
    const bool retitled =
        RetitlePageBytes(record.old, record.title, LeadBytes::ForCodePage(record.codePage),
                         &rebuilt) == RetitleStatus::kDone;
    const std::string_view next = record.next ? std::string_view(*record.next)
                                  : retitled  ? rebuilt.text()
                                              : record.old;
    const PageState pageState = reached == Reached::kAnotherFile
                                    ? PageState::kForeign
                                    : ComparePage(current.view(), record.old, next);
    switch (pageState) {
    case PageState::kForeign:
        if (!KeepAside(state, record.page, bytes.view().substr(0, record.length)) ||
            !EmptySlot(state, name, journal, record.length)) {
            return Recovery::kWaiting;
        }
        return Recovery::kKept;
    case PageState::kBetween:
        if (!Restore(*page, record.old)) {
            return Recovery::kWaiting;
        }
        break;
    case PageState::kOld:
    case PageState::kNew:
        // Whole, but perhaps not yet on the disk.
        if (!platform::Flush(*page)) {
            return Recovery::kWaiting;
        }
        break;
    }
    return EmptySlot(state, name, journal, record.length) ? Recovery::kRestored
                                                          : Recovery::kWaiting;
}

} // namespace

PageState ComparePage(std::string_view page, std::string_view old, std::string_view next) {
    if (page == old) {
        return PageState::kOld;
    }
    if (page == next) {
        return PageState::kNew;
    }
    if (page.size() < std::min(old.size(), next.size()) ||
        page.size() > std::max(old.size(), next.size())) {
        return PageState::kForeign;
    }
    for (std::size_t i = 0; i < page.size(); ++i) {
        const char c = page[i];
        if (!(i < old.size() && c == old[i]) && !(i < next.size() && c == next[i])) {
            return PageState::kForeign;
        }
    }
    return PageState::kBetween;
}

void RecoverInterruptedSave(PageFile& page) {
    // Asked on every call: one look for the name of a slot holding the page's journal.
    const std::string name = JournalName(page.info().id);
    if (!platform::InStateFolder(name) || !page.locate()) {
        return;
    }
    const platform::Folder state = platform::OpenStateFolder(false);
    if (state.isOpen()) {
        Recover(state, name, &page);
    }
}

RecoveryReport RecoverAllJournals() {
    RecoveryReport report;
    const platform::Folder state = platform::OpenStateFolder(false, &report.stateFolderTrouble);
    if (!report.stateFolderTrouble.empty()) {
        report.stateFolderTrouble +=
            "; saves cut short are not finished, and pages that must be rewritten in place "
            "are not saved";
    }
    std::vector<std::string> names;
    if (!state.isOpen() || !platform::ListFolder(state, &names)) {
        return report;
    }
    for (const std::string& name : names) {
        if (!IsJournalFileName(name)) {
            continue; // a journal kept aside, say
        }
        Recovery recovery = Recovery::kWaiting;
        try {
            recovery = Recover(state, name, nullptr);
        } catch (const std::bad_alloc&) {
            // Too large to be held now: it waits for a call with more memory.
        }
        switch (recovery) {
        case Recovery::kGone:
            break;
        case Recovery::kRestored:
            ++report.restored;
            break;
        case Recovery::kWaiting:
            ++report.waiting;
            break;
        case Recovery::kKept:
            ++report.kept;
            break;
        }
    }
    return report;
}

} // namespace titora
