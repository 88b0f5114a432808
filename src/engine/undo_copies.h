// The undo copies of a retitle, as the engine's save keeps them: one file per page in the
// user's state folder ("undo-N.copy", readable by the user alone), holding where the page
// is, the title and the way it was put in, and the page's bytes before the retitle; and
// one file ("undo-state") saying where the last retitle stands. From a copy the bytes the
// retitle wrote are rebuilt, so that undoing can tell a page still as the retitle left it
// from one changed since, without keeping the new bytes as well.
#pragma once

#include "page_file.h"
#include "title_engine.h"

#include <string>
#include <string_view>

namespace titora {

// What one undo copy holds.
struct UndoRecord {
    std::string path; // the page's folder, as the system names it, and its name there
    unsigned codePage = 0;
    bool keepLineBreaks = false;
    std::string title;
    std::string old;
};

std::string UndoRecordBytes(const UndoRecord& record);
bool ParseUndoRecord(std::string_view bytes, UndoRecord* record);

// The copy of one page, kept before the page is written and dropped again unless the
// write succeeded (commit()).
class UndoCopy {
public:
    // Keeps `old`, the bytes of `page` as read, in `undo` (nothing when `undo` is null or
    // no longer keeping). Throws TitleEngineError "Cannot create file %s" when the copy
    // cannot be written.
    UndoCopy(UndoCopies* undo, const PageFile& page, std::string_view old, std::string_view title,
             unsigned codePage, bool keepLineBreaks);
    ~UndoCopy();
    UndoCopy(const UndoCopy&) = delete;
    UndoCopy& operator=(const UndoCopy&) = delete;

    // The page is written: the copy stays.
    void commit() { committed_ = true; }

private:
    UndoCopies* undo_;
    std::string name_;
    std::uint64_t size_ = 0;
    bool committed_ = false;
};

} // namespace titora
