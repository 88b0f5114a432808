#include "careful_save.h"

#include "journal.h"
#include "title_engine.h"

namespace titora {
namespace {

[[noreturn]] void FailCreate(const PageFile& page) {
    throw TitleEngineError("Cannot create file " + page.path());
}

[[noreturn]] void FailWrite() {
    throw TitleEngineError("Stream write error");
}

bool WriteWhole(const platform::File& file, std::string_view bytes) {
    return platform::WriteAt(file, 0, bytes.data(), bytes.size()) &&
           platform::Truncate(file, bytes.size()) && platform::Flush(file);
}

enum class Replaced { kYes, kNo };

// The usual road. kNo, with the page untouched and nothing left behind, when no new
// file can take the page's place; the caller then rewrites the page in place.
Replaced ReplaceThroughTemporary(PageFile& page, std::string_view text) {
    platform::Temporary temporary = platform::CreateTemporary(page.folder());
    if (!temporary.isOpen() || !platform::CopyMetadata(page.file(), temporary.file())) {
        return Replaced::kNo;
    }
    // The flush reports what a later close could: nothing is written after it.
    if (!platform::WriteAt(temporary.file(), 0, text.data(), text.size()) ||
        !platform::Flush(temporary.file())) {
        FailWrite();
    }
    switch (platform::Replace(temporary, page.name(), page.file())) {
    case platform::Replacement::kDone:
        return Replaced::kYes;
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
void RewriteInPlace(const PageFile& page, const SaveRequest& request) {
    SaveJournal journal(page, request.title, request.codePage,
                        request.journalText ? std::optional(request.text) : std::nullopt);
    if (!page.atItsName()) {
        journal.remove();
        FailCreate(page);
    }
    if (WriteWhole(page.file(), request.text)) {
        journal.remove();
        return;
    }
    // Should putting the old bytes back fail too, the journal stays: the next call on
    // the page finishes the work.
    if (journal.restore(page.file())) {
        journal.remove();
    }
    FailWrite();
}

} // namespace

void CheckSavable(const PageFile& page) {
    if (!page.writable()) {
        FailCreate(page);
    }
}

void SavePage(PageFile& page, const SaveRequest& request) {
    CheckSavable(page);
    if (request.unchanged) {
        return;
    }
    platform::RemoveAbandonedTemporaries(page.folder());
    // Renaming over a file with several names would part it from the others.
    const bool inPlace =
        page.info().linkCount != 1 || !platform::CanReplace(page.folder(), page.file());
    if (!inPlace && ReplaceThroughTemporary(page, request.text) == Replaced::kYes) {
        return;
    }
    RewriteInPlace(page, request);
}

} // namespace titora
