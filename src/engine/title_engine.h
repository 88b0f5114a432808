// The title engine: the only code of Titora that reads or writes page files.
//
// Both operations stand alone: each loads the whole file into a page buffer of its
// own, works on it and releases it before returning, on every path. Nothing is kept
// between calls. Paths and titles are byte strings in the system's code page.
#pragma once

#include <stdexcept>
#include <string>

namespace titora {

// Every failure of the engine. what() is exactly the text to show the user, for
// example "Cannot open file /home/ann/index.html".
class TitleEngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Returns the title of the page file at `path`: the text between the first "<title>"
// and the first "</title>" after it (tags matched without regard to letter case),
// exactly as held once loaded: not trimmed, not decoded, line breaks as CR LF. A page
// without "<title>" gives "UnTitled"; an unclosed title runs to the end of the text.
// The file is never changed.
//
//   ReadTitle("/srv/www/index.html")  // -> "Our shop"
//
// Throws TitleEngineError: "Cannot open file %s" (missing, not a regular file, no
// read access) or "Text exceeds memo capacity".
std::string ReadTitle(const std::string& path);

// Makes `title` the text of the title element of the page file at `path`, inserting
// the element (and a head element around it) where the page has none, and saves the
// file. Beside the title, only line breaks change: every one becomes CR LF. The save
// never leaves a damaged file: on failure the file keeps its old bytes.
//
//   WriteTitle("/srv/www/index.html", "Our new shop");
//
// Throws TitleEngineError: "Cannot open file %s", "Text exceeds memo capacity",
// "Cannot find the end of the title in %s", "Cannot write a title into %s: the file
// holds a NUL byte", "Cannot create file %s" (read-only or not writable) or
// "Stream write error" (disk full, file size limit).
void WriteTitle(const std::string& path, const std::string& title);

// Does everything WriteTitle(path, title) would do except write: loads the page, puts
// the title in place in memory and checks that the file could be saved. Returns the
// title the page holds now, as ReadTitle gives it. The file is never changed, so a
// trial run can say beforehand which pages a rewrite would refuse.
//
//   const std::string now = PreviewWriteTitle("/srv/www/index.html", "Our new shop");
//
// Throws TitleEngineError with the message WriteTitle would raise before writing:
// "Cannot open file %s", "Text exceeds memo capacity", "Cannot find the end of the
// title in %s", "Cannot write a title into %s: the file holds a NUL byte" or "Cannot
// create file %s".
std::string PreviewWriteTitle(const std::string& path, const std::string& title);

} // namespace titora
