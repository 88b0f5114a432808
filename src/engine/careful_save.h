// Saving a new text over a page file without ever leaving a damaged page.
//
// The usual road: a new file beside the page takes the page's owner, group, permission
// bits and extended attributes, gets the text, is flushed, and takes the page's place in
// one step, provided the page's name still leads to the page at that moment. Where no
// new file can take the page's place (a page with several names, one the user may write
// but could not give its owner and group, a folder the user cannot write or that is
// append-only), the page is rewritten in place through the handle it was read with,
// after a journal of the save has been flushed to the user's state folder.
#pragma once

#include "page_file.h"

#include <string_view>

namespace titora {

struct SaveRequest {
    std::string_view text;  // the page's new bytes
    bool unchanged = false; // they equal its bytes as loaded: nothing is written
    // What the journal of an in-place rewrite needs beside the old bytes to rebuild
    // the new ones: the title put in, and the code page it was put in with.
    std::string_view title;
    unsigned codePage = 0;
    // The new bytes cannot be rebuilt from the old ones and the title (the line breaks are
    // kept, or old bytes are put back): the journal holds `text` itself.
    bool journalText = false;
};

enum class Saved {
    kYes,
    // The page changed since page.info() was taken, before its text was read: someone
    // else wrote it meanwhile. Nothing is written; the caller reads it again.
    kPageChanged,
};

// Takes the lock that makes the saves of one page run one after the other, waiting up
// to 10 s for another save of it to end, and makes sure the page's name still leads to
// the file locked, opening the page anew where a save replaced it meanwhile. Held until
// the page is closed. Throws TitleEngineError "Cannot create file %s" when the lock
// cannot be had, or "Cannot open file %s" as PageFile does.
void LockForSave(PageFile& page);

// Saves `request.text` as `page`, which the caller has loaded through the same handle
// after taking page.info(), provided the page has not changed since. Also removes the
// temporary files that killed saves left in the page's folder, a save that changes
// nothing included.
//
// Throws TitleEngineError: "Cannot create file %s" (the page may not be written, no
// temporary file and no journal can be made, or the page's name no longer leads to the
// page; nothing is written), "Stream write error" (disk full, file size limit; the
// page keeps its old bytes) or "Cannot delete file %s" (the page is saved, but a
// temporary file that may hold a page's old text could not be removed; %s names it).
Saved SavePage(PageFile& page, const SaveRequest& request);

// Throws what SavePage throws before it writes anything about the page itself: "Cannot
// create file %s" for a page that may not be written (read-only, or not open for writing).
void CheckSavable(const PageFile& page);

} // namespace titora
