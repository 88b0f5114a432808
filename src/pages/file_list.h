// The rows of the main window's file list and the commands that change them, free of any
// widget: names, titles and folders stay the bytes the file system and the title engine
// gave us, and every file is reached through TitleEngine so that tests and benchmarks can
// watch each call.
#pragma once

#include "progress.h"
#include "title_engine.h"

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace titora {

// The two calls the list makes into the title engine: reading a page's title with the
// encoding the page declares, and writing a title whose bytes `encodeTitle` makes for the
// encoding declared by the page being written, as `options` say. Both throw a std::exception whose
// what() is the message to show when the file cannot be read or written. Example: TitleEngine
// engine = RealTitleEngine(); engine.ReadTitle("/srv/www/index.html");
struct TitleEngine {
    std::function<PageTitle(const std::string& path)> ReadTitle;
    std::function<void(const std::string& path, const TitleEncoder& encodeTitle,
                       const WriteOptions& options)>
        WriteTitle;
};

// The engine of src/engine/title_engine.h, bound into the seam.
TitleEngine RealTitleEngine();

// One row: the file's name (the row's caption), the title read when the row was built and
// the folder with its trailing separator. A row whose title could not be read holds its
// name only; it has no sub-items, so neither title nor folder may be taken from it.
struct FileRow {
    std::string name;
    std::string title;
    std::string folder;
    bool hasSubItems = false;
    // Whether the list shows this row selected. The view keeps the live selection; it
    // copies it here before a command that works on selected rows and back afterwards.
    bool selected = false;
    // The encoding the page declared when the title was read ("" for none): the title's
    // bytes are shown as text in it.
    std::string declaredEncoding;
};

// Raised when a command needs a sub-item that a row does not have; the message names the
// missing sub-item's index the way the list control of the original platform did.
class ListIndexError : public std::runtime_error {
public:
    explicit ListIndexError(int index);
};

// A full path cut into its folder (up to and including the last separator) and its name
// (the rest). folder + name always gives the path back unchanged.
struct PathParts {
    std::string folder;
    std::string name;
};

// POSIX: the separator is "/".
PathParts SplitPosixPath(const std::string& path);
// Windows: the separator is the last "\" or ":" that is not the second byte of a
// double-byte character; isLeadByte tells the lead bytes of the ANSI code page.
PathParts SplitWindowsPath(const std::string& path,
                           const std::function<bool(unsigned char)>& isLeadByte);
// The split of the platform this program runs on.
PathParts SplitPath(const std::string& path);

// The row's folder followed by its name; throws ListIndexError(1) for a row without
// sub-items, before anything else happens.
std::string FullPath(const FileRow& row);

// Appends to `out` one row per path, in order, each with the title the engine reads.
// When a read fails the row for that file stays in `out` with its name only, the later
// paths are not looked at and the engine's error leaves this function. With `progress`,
// each file counts one step of a stage of paths.size(), and a stop request ends the work
// before the next file, as a failure of that file would but without its row.
void AppendFileRows(const std::vector<std::string>& paths, const TitleEngine& engine,
                    std::vector<FileRow>& out, Progress* progress = nullptr);

// Appends to `out` one row per page that `paths` name, as dropped or given on a command
// line: a file stands for itself, a folder for the pages in its tree (see WalkPages). A
// folder that cannot be walked and a file whose title cannot be read get no row; their paths
// go to `skipped` and the rest goes on. With `progress`, the walk is a stage of unknown total
// counting the pages found, then the reading a stage of as many steps as pages; a stop
// request ends either before its next file.
// Example: AppendPageRows({"/srv/www"}, RealTitleEngine(), rows, skipped);
void AppendPageRows(const std::vector<std::string>& paths, const TitleEngine& engine,
                    std::vector<FileRow>& out, std::vector<std::string>& skipped,
                    Progress* progress = nullptr);

class FileList {
public:
    std::size_t Count() const { return rows_.size(); }
    const FileRow& Row(std::size_t index) const { return rows_[index]; }
    const std::vector<FileRow>& Rows() const { return rows_; }

    // True once any row's selected state has changed, in either direction; never cleared.
    bool FileSelected() const { return fileSelected_; }
    void MarkSelectionChanged() { fileSelected_ = true; }

    void SetName(std::size_t index, std::string name) { rows_[index].name = std::move(name); }
    void SetSelected(std::size_t index, bool selected) { rows_[index].selected = selected; }
    // A title read anew for a row that has its sub-items; it keeps its place.
    void SetTitle(std::size_t index, PageTitle page) {
        rows_[index].title = std::move(page.title);
        rows_[index].declaredEncoding = std::move(page.declaredEncoding);
    }

    // Appends rows built elsewhere (see AppendFileRows), keeping their order.
    void Append(std::vector<FileRow>&& rows);
    // AppendFileRows straight into the list: the rows built before a failure, and the
    // failing file's name-only row, stay in the list.
    void AddFiles(const std::vector<std::string>& paths, const TitleEngine& engine);

    // Writes a title into the file of every selected row, its bytes made by `encodeTitle`
    // for each page, visiting the rows from the last to the first, and replaces each such
    // row by a fresh unselected one at the end of the list. The result is that of deleting
    // each row and appending its replacement one at a time, computed in one linear pass:
    // the untouched rows keep their order in front, the retitled rows follow in reverse of
    // their former order. On a failure the rows handled so far are already at the end, the
    // failing row and all rows above it are untouched (unless the failure was re-reading a
    // written file: its old row is then gone and its name-only row stands last), and the
    // error leaves this function. With `progress`, each selected row counts one step, and a
    // stop request ends the work before the next selected row exactly as a failure to write
    // that row would, without the error. Each page is written as `options` say.
    void RetitleSelected(const TitleEncoder& encodeTitle, const TitleEngine& engine,
                         Progress* progress = nullptr, const WriteOptions& options = {});

    // Deletes every selected row; no file is touched.
    void RemoveSelected();
    void RemoveAll() { rows_.clear(); }

private:
    std::vector<FileRow> rows_;
    bool fileSelected_ = false;
};

} // namespace titora
