// The undo copies of a retitle, as the engine's save keeps them: one file in the user's
// state folder ("undo-copies", readable by the user alone) with a record per page, appended
// before the page is written: where the page is, the title and the way it was put in, and
// the page's bytes before the retitle; and one file ("undo-state") saying where the last
// retitle stands. From a record the bytes the retitle wrote are rebuilt, so that undoing
// can tell a page still as the retitle left it from one changed since, without keeping the
// new bytes as well. One file appended to, rather than one per page, spares the file
// system a new name per page, which costs as much again as the copy.
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

// A record's first line, which gives the lengths of its head and of the old bytes; the
// head; and the parsing of both. The old bytes follow the head, then "\nend\n".
std::string UndoRecordHead(const UndoRecord& record, std::uint64_t oldSize);
bool ParseUndoRecordHead(std::string_view head, UndoRecord* record);

// Takes, at a retitle's first page and before that page's own lock, the lock that keeps
// the retitle's copies from other retitles and from undos until `undo` goes (nothing when
// `undo` is null). Throws TitleEngineError "Cannot create file undo copy of %s" when
// another retitle or undo holds it for longer than 10 s.
void HoldUndoCopies(UndoCopies* undo, const std::string& path);

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
    bool kept_ = false;
    std::uint64_t at_ = 0;   // where the record begins in the copies' file
    std::uint64_t size_ = 0; // of the old bytes
    bool committed_ = false;
};

} // namespace titora
