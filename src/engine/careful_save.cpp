#include "careful_save.h"

#include "journal.h"
#include "title_engine.h"

#include <algorithm>
#include <cstring>

namespace titora {
namespace {

[[noreturn]] void FailCreate(const PageFile& page) {
    throw TitleEngineError("Cannot create file " + page.path());
}

[[noreturn]] void FailWrite() {
    throw TitleEngineError("Stream write error");
}

// How many bytes at the start `a` and `b` share.
std::size_t CommonPrefix(std::string_view a, std::string_view b) {
    return static_cast<std::size_t>(
        std::mismatch(a.begin(),
                      a.begin() + static_cast<std::ptrdiff_t>(std::min(a.size(), b.size())),
                      b.begin())
            .first -
        a.begin());
}

bool WriteFrom(const platform::File& file, std::size_t from, std::string_view bytes) {
    return platform::WriteAt(file, from, bytes.data() + from, bytes.size() - from) &&
           platform::Truncate(file, bytes.size()) && platform::Flush(file);
}

enum class Replaced { kYes, kNo };

// The usual road. kNo, with the page untouched and nothing left behind, when no new
// file can take the page's place; the caller then rewrites the page in place.
Replaced ReplaceThroughTemporary(const PageFile& page, std::string_view text) {
    platform::Temporary temporary = platform::CreateTemporary(page.folder());
    if (!temporary.isOpen() || !platform::CopyMetadata(page.file(), temporary.file())) {
        return Replaced::kNo;
    }
    // The flush reports what a later close could: nothing is written after it.
    if (!platform::WriteAt(temporary.file(), 0, text.data(), text.size()) ||
        !platform::Flush(temporary.file())) {
        FailWrite();
    }
    switch (platform::Replace(temporary, page.name(), page.info().id)) {
    case platform::Replacement::kDone:
        return Replaced::kYes;
    case platform::Replacement::kNameMoved:
        FailCreate(page);
    case platform::Replacement::kRefused:
        break;
    }
    return Replaced::kNo;
}

// Writes the text over the page through the handle it was read with. The text is
// written over the old bytes and the file cut to length afterwards, so that putting
// the old bytes back on a failure needs no new disk space.
void RewriteInPlace(const PageFile& page, const SaveRequest& request) {
    PageBytes reread(0, 0, 0);
    std::string_view old;
    if (request.old != nullptr) {
        old = request.old->view();
    } else {
        if (!ReadToEnd(page.file(), page.info().size, 0, false, &reread)) {
            FailCreate(page);
        }
        old = reread.view();
    }
    SaveJournal journal(page, old, request.title, request.codePage);
    if (!page.atItsName()) {
        journal.remove();
        FailCreate(page);
    }
    // Bytes both texts share at the start are not written at all.
    const std::size_t from = CommonPrefix(old, request.text);
    if (WriteFrom(page.file(), from, request.text)) {
        journal.remove();
        return;
    }
    // Should putting the old bytes back fail too, the journal stays: the next call on
    // the page finishes the work.
    if (WriteFrom(page.file(), from, old)) {
        journal.remove();
    }
    FailWrite();
}

} // namespace

bool RewritesInPlace(const PageFile& page) {
    // Renaming over a file with several names would part it from the others.
    return page.info().linkCount != 1 || !platform::CanReplace(page.folder(), page.file());
}

void SavePage(const PageFile& page, const SaveRequest& request) {
    if (!page.writable()) {
        FailCreate(page);
    }
    if (request.unchanged) {
        return;
    }
    platform::RemoveAbandonedTemporaries(page.folder());
    if (request.old == nullptr && ReplaceThroughTemporary(page, request.text) == Replaced::kYes) {
        return;
    }
    RewriteInPlace(page, request);
}

} // namespace titora
