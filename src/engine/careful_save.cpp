#include "careful_save.h"

#include "journal.h"
#include "title_engine.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>

namespace titora {
namespace {

// How long a save waits for another save of the same page to end.
constexpr std::chrono::milliseconds kLockWait{10000};

[[noreturn]] void FailCreate(const PageFile& page, std::string reason = std::string()) {
    throw TitleEngineError("Cannot create file " + page.path(), std::move(reason));
}

// Called right after the write that failed, before any other call of the system.
[[noreturn]] void FailWrite() {
    throw TitleEngineError("Stream write error", platform::LastErrorText());
}

// "Cannot delete file %s" for the temporary file `name` in the page's folder.
[[noreturn]] void FailDelete(const PageFile& page, const std::string& name) {
    std::string folder;
    if (!platform::FolderPath(page.folder(), &folder)) {
        const std::size_t slash = page.path().find_last_of("/\\");
        folder = slash == std::string::npos ? "." : page.path().substr(0, slash);
    }
    throw TitleEngineError("Cannot delete file " + folder + "/" + name);
}

// Whether the page still has the size and the time of its last change that it had when
// its text was read. A writer that appends or rewrites it meanwhile changes one or the
// other; one that rewrites it to the same size within the file system's time step is
// not seen, nor is one that writes after this look and before the swap: that moment
// cannot be closed without the other writer's help (taking the lock too).
bool UnchangedSinceRead(const PageFile& page) {
    platform::FileInfo now;
    return platform::GetInfo(page.file(), &now) && now.size == page.info().size &&
           now.modified == page.info().modified;
}

bool WriteWhole(const platform::File& file, std::string_view bytes) {
    return platform::WriteAt(file, 0, bytes.data(), bytes.size()) &&
           platform::Truncate(file, bytes.size()) && platform::Flush(file);
}

enum class Replaced { kYes, kNo, kPageChanged };

// The usual road. kNo, with the page untouched and nothing left behind, when no new
// file can take the page's place; the caller then rewrites the page in place.
Replaced ReplaceThroughTemporary(PageFile& page, std::string_view text) {
    platform::Temporary temporary = platform::CreateTemporary(page.folder());
    if (!temporary.isOpen()) {
        return Replaced::kNo;
    }
    if (!platform::WriteAt(temporary.file(), 0, text.data(), text.size())) {
        FailWrite();
    }
    // The page's metadata comes once the bytes are in: writing would take the setuid and
    // setgid bits and the file capabilities away again. The temporary file is readable
    // by its owner alone until then.
    if (!platform::CopyMetadata(page.file(), temporary.file())) {
        return Replaced::kNo;
    }
    // The flush reports what a later close could: nothing is written after it.
    if (!platform::Flush(temporary.file())) {
        FailWrite();
    }
    if (!UnchangedSinceRead(page)) {
        return Replaced::kPageChanged;
    }
    switch (platform::Replace(temporary, page.name(), page.file(), page.info())) {
    case platform::Replacement::kDone:
        return Replaced::kYes;
    case platform::Replacement::kChanged:
        return Replaced::kPageChanged;
    case platform::Replacement::kOldLeft:
        FailDelete(page, temporary.name());
    case platform::Replacement::kNameMoved:
        FailCreate(page);
    case platform::Replacement::kRefused:
        break;
    }
    return Replaced::kNo;
}

// Writes the text over the page through the handle it was read with, once its journal
// is on the disk. The text is written over the old bytes and the file cut to length
// afterwards, so that putting the old bytes back on a failure needs no new disk space.
Saved RewriteInPlace(const PageFile& page, const SaveRequest& request) {
    SaveJournal journal(page, request.title, request.codePage,
                        request.journalText ? std::optional(request.text) : std::nullopt);
    if (!page.atItsName()) {
        journal.remove();
        FailCreate(page);
    }
    // The journal holds the page as it stands now: it must be the text that was read.
    if (!UnchangedSinceRead(page)) {
        journal.remove();
        return Saved::kPageChanged;
    }
    // Writing takes the page's setuid and setgid bits and its capabilities away.
    const platform::Privileges privileges = platform::GetPrivileges(page.file());
    if (WriteWhole(page.file(), request.text)) {
        platform::RestorePrivileges(page.file(), privileges);
        journal.remove();
        return Saved::kYes;
    }
    // Should putting the old bytes back fail too, the journal stays: the next call on
    // the page finishes the work. The write's reason is taken before.
    const std::string reason = platform::LastErrorText();
    if (journal.restore(page.file())) {
        journal.remove();
    }
    throw TitleEngineError("Stream write error", reason);
}

} // namespace

void CheckSavable(const PageFile& page) {
    if (!page.writable()) {
        FailCreate(page, page.whyNotWritable());
    }
}

void LockForSave(PageFile& page) {
    const auto until = std::chrono::steady_clock::now() + kLockWait;
    for (;;) {
        const auto left = std::max(std::chrono::milliseconds(0),
                                   std::chrono::duration_cast<std::chrono::milliseconds>(
                                       until - std::chrono::steady_clock::now()));
        if (!platform::Lock(page.file(), static_cast<unsigned>(left.count()))) {
            FailCreate(page);
        }
        // The save that held the lock may have replaced the page: its name then leads
        // to the new file, which is the one to lock and read.
        if (page.atItsName()) {
            return;
        }
        if (std::chrono::steady_clock::now() >= until) {
            FailCreate(page);
        }
        page.reopen();
    }
}

Saved SavePage(PageFile& page, const SaveRequest& request) {
    CheckSavable(page);
    // Abandoned temporary files may hold a page's old text, which a server would hand
    // out as it is (the source of an .asp page, say): they go with every save, also one
    // that changes nothing.
    std::string left;
    const bool cleared = platform::RemoveAbandonedTemporaries(page.folder(), &left);
    Saved saved = Saved::kYes;
    if (!request.unchanged) {
        // Renaming over a file with several names would part it from the others.
        const bool inPlace =
            page.info().linkCount != 1 || !platform::CanReplace(page.folder(), page.file());
        const Replaced replaced =
            inPlace ? Replaced::kNo : ReplaceThroughTemporary(page, request.text);
        saved = replaced == Replaced::kYes           ? Saved::kYes
                : replaced == Replaced::kPageChanged ? Saved::kPageChanged
                                                     : RewriteInPlace(page, request);
    }
    if (!cleared && saved == Saved::kYes) {
        FailDelete(page, left);
    }
    return saved;
}

} // namespace titora
