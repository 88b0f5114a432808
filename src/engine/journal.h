// The journal of a page rewritten in place, so that a save cut short by a crash leaves
// the page with its old bytes or its new ones, never a mix.
//
// A journal is written and flushed into the user's state folder before the page is
// touched, and removed once the page is flushed. It names the page (its identity, its
// folder's path and its name there) and holds its old bytes, with the title and the code
// page the save put the title in with: from those the new bytes are rebuilt. A serial
// number of its own at its head and in its tail tells it whole. Only the page's identity
// (device and number) decides which file it may rewrite; the path only helps find it. That is all
// it takes to tell the old bytes, the new ones and a save cut short apart, and to put
// the old bytes back.
//
// Journals are written into a few slot files that stay from one save to the next: a
// flush of a file that already has its blocks writes just the bytes, where a new file
// would have the file system commit a new name and new blocks too, which costs as much
// again. An empty slot is named "journal-N"; one that holds the journal of a page is
// named after the page ("<volume>-<index>.journal"), so that every call on a page can
// look for one with a single question. A name is only a guide: after a crash of the
// machine the start-up step reads every slot. A slot's writer holds a lock on it while it
// lives, so that a journal still in use is never taken for one left behind. Removing a
// journal empties its slot (zeros over its bytes, or, for a large one, the file cut to
// nothing) and gives it back its slot name.
#pragma once

#include "page_file.h"
#include "platform/platform.h"
#include "title_engine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace titora {

inline constexpr int kJournalSlots = 16;

// The name of empty slot `slot`; of the slot holding the journal of the file `page`;
// and whether `name` is either.
std::string JournalSlotName(int slot);
std::string JournalName(const platform::FileId& page);
bool IsJournalFileName(const std::string& name);

class SaveJournal {
public:
    // Writes and flushes the journal of rewriting `page` with `title` put in with code
    // page `codePage` into a free slot; the page's bytes are copied into it as they now
    // stand. With `next`, the journal holds the new bytes themselves, for a save whose
    // bytes cannot be rebuilt from the old ones and the title. Throws TitleEngineError
    // "Cannot create file %s" when no journal can be made (no state folder, or no free
    // slot), "Stream write error" when it cannot be written whole; nothing of it is left
    // then.
    SaveJournal(const PageFile& page, std::string_view title, unsigned codePage,
                std::optional<std::string_view> next = std::nullopt);

    // Puts the page's old bytes back and flushes them. False when that fails.
    bool restore(const platform::File& page) const;

    // Removes the journal, once the page is flushed with its new or its old bytes. One
    // that cannot be removed is found by the next call on the page, which finds the
    // page whole and removes it then.
    void remove();

private:
    bool takeSlot(const platform::FileId& page, bool* created);
    void discard();

    platform::Folder state_;
    std::string name_;
    platform::File file_;
    std::uint64_t oldAt_ = 0;
    std::uint64_t oldSize_ = 0;
    std::uint64_t tailSize_ = 0;
};

// Empties the slot `name` (open as `slot`) that held a journal of `length` bytes, and
// gives it back a slot name. False when it could not be emptied.
bool EmptySlot(const platform::Folder& state, const std::string& name, const platform::File& slot,
               std::uint64_t length);

// What a journal records.
struct JournalRecord {
    std::uint64_t serial = 0; // at its head and in its tail, to tell it whole
    platform::FileId page;
    unsigned codePage = 0;
    std::string folder; // the path of the page's folder
    std::string name;   // the page's name in it
    std::string title;
    std::optional<std::string> next; // the new bytes, where they cannot be rebuilt
    std::string_view old;            // the page's old bytes, within the journal's bytes
    std::size_t length = 0;          // of the whole journal, up to the slot's bytes after it
};

// The journal's bytes before and after the old bytes; `record.old` is not looked at.
std::string JournalHead(const JournalRecord& record, std::uint64_t oldSize);
std::string JournalTail(std::uint64_t serial);

// A serial number for a new journal, random, so that no two journals of a slot share one.
std::uint64_t NewJournalSerial();

// Reads the journal at the start of `bytes` (a slot's); false for anything else, a
// journal cut short included.
bool ParseJournal(std::string_view bytes, JournalRecord* record);

// Whether `start`, a slot's first bytes, begins a journal.
bool HoldsJournal(std::string_view start);

// A name for a journal of the file `page` kept aside, the `n`-th.
std::string KeptJournalName(const platform::FileId& page, int n);

// Where a page stands against the save a journal records.
enum class PageState {
    kOld,     // its old bytes
    kNew,     // its new bytes, whole
    kBetween, // each byte old or new, the length between theirs: a save cut short
    kForeign, // changed by someone else
};
PageState ComparePage(std::string_view page, std::string_view old, std::string_view next);

// Finishes an interrupted in-place save of `page`, if a journal of it waits and no
// living save holds it: the page gets its old bytes back, or keeps its new bytes where
// it holds them whole, and the journal goes. A page changed by someone else since is
// left as it is and its journal kept aside. Throws std::bad_alloc only.
void RecoverInterruptedSave(PageFile& page);

// Does the same for every journal in the state folder: the start-up step behind
// RecoverInterruptedSaves. Never throws.
RecoveryReport RecoverAllJournals();

} // namespace titora
