// Loading a page file's bytes and saving a new text over them without ever leaving a
// damaged file. The only engine code that talks to the platform layer about files.
#pragma once

#include "page_buffer.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace titora {

// The bytes of the regular file at `path`, read whole, with `front` bytes of room
// before them and, with `roomToGrow`, room after them for the line breaks to become
// CR LF in place. Throws TitleEngineError "Cannot open file %s" (missing, not a
// regular file, unreadable); std::bad_alloc when they cannot be held in memory.
PageBytes LoadPageFile(const std::string& path, std::size_t front = 0, bool roomToGrow = false);

// Saves `text` as the page file at `path`, unless `unchanged` says it equals the
// file's bytes. The text goes to a temporary file beside the page (permission bits,
// owner, group and extended attributes taken over), is flushed to disk and renamed
// over the page. A symbolic link stays a link and its target is replaced. A file with
// more than one hard link, or one whose temporary file cannot be made, take the
// page's owner or replace it, is rewritten in place; if that fails, the old bytes are
// written back.
//
// Throws TitleEngineError: "Cannot create file %s" (read-only or not writable, before
// anything is written) or "Stream write error" (the page file keeps its old bytes).
void SavePageFile(const std::string& path, std::string_view text, bool unchanged);

// Throws what SavePageFile would throw before writing anything: "Cannot create file %s"
// for a page that is read-only, not writable or not a regular file.
void CheckPageFileSavable(const std::string& path);

} // namespace titora
