// Loading a page file's bytes and saving a new text over them without ever leaving a
// damaged file. The only engine code that talks to the platform layer about files.
#pragma once

#include <string>

namespace titora {

// The bytes of the regular file at `path`, read whole. Throws TitleEngineError:
// "Cannot open file %s" (missing, not a regular file, unreadable) or "Text exceeds
// memo capacity".
std::string LoadPageFile(const std::string& path);

// Replaces the bytes of the page file at `path`, which were `oldBytes` when loaded, by
// `text`. The text goes to a temporary file beside the page (permission bits, owner,
// group and extended attributes taken over), is flushed to disk and renamed over the
// page. A symbolic link stays a link and its target is replaced. A file with more
// than one hard link, or one whose temporary file cannot be made or take the page's
// owner, is rewritten in place; if that fails, the old bytes are written back. Nothing
// is written when `text` equals `oldBytes`.
//
// Throws TitleEngineError: "Cannot create file %s" (read-only or not writable, before
// anything is written) or "Stream write error" (the page file keeps its old bytes).
void SavePageFile(const std::string& path, const std::string& oldBytes, const std::string& text);

} // namespace titora
