#include "file_list.h"

#include "finally.h"
#include "folder_walker.h"
#include "title_engine.h"

#include <algorithm>
#include <new>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace titora {

namespace {

// Appends the row for `path` the way the list control builds one: the caption goes in
// first, the sub-items only once the title has been read. A failed read therefore leaves
// the name-only row behind.
void AppendFileRow(const std::string& path, const TitleEngine& engine, std::vector<FileRow>& out) {
    PathParts parts = SplitPath(path);
    out.push_back(FileRow{std::move(parts.name), {}, {}, false, false, {}});
    PageTitle page = engine.ReadTitle(path);
    FileRow& row = out.back();
    row.title = std::move(page.title);
    row.declaredEncoding = std::move(page.declaredEncoding);
    row.folder = std::move(parts.folder);
    row.hasSubItems = true;
}

} // namespace

TitleEngine RealTitleEngine() {
    return TitleEngine{
        [](const std::string& path) { return titora::ReadPageTitle(path); },
        [](const std::string& path, const TitleEncoder& encodeTitle, const WriteOptions& options) {
            titora::WriteTitle(path, encodeTitle, options);
        }};
}

ListIndexError::ListIndexError(int index)
    : std::runtime_error("List index out of bounds (" + std::to_string(index) + ")") {}

PathParts SplitPosixPath(const std::string& path) {
    const std::size_t cut = path.rfind('/');
    if (cut == std::string::npos)
        return {std::string(), path};
    return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

PathParts SplitWindowsPath(const std::string& path,
                           const std::function<bool(unsigned char)>& isLeadByte) {
    // A trail byte of a double-byte character may have the value of "\" (0x5C), so the
    // path is walked from its start, stepping over whole characters.
    std::size_t cut = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (isLeadByte(c) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (c == '\\' || c == ':')
            cut = i;
    }
    if (cut == std::string::npos)
        return {std::string(), path};
    return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

PathParts SplitPath(const std::string& path) {
#ifdef _WIN32
    return SplitWindowsPath(path, [](unsigned char c) { return IsDBCSLeadByte(c) != 0; });
#else
    return SplitPosixPath(path);
#endif
}

std::string FullPath(const FileRow& row) {
    if (!row.hasSubItems)
        throw ListIndexError(1);
    return row.folder + row.name;
}

void AppendFileRows(const std::vector<std::string>& paths, const TitleEngine& engine,
                    std::vector<FileRow>& out, Progress* progress) {
    if (progress)
        progress->Start(paths.size());
    out.reserve(out.size() + paths.size());
    for (const std::string& path : paths) {
        if (StopRequested(progress))
            return;
        AppendFileRow(path, engine, out);
        if (progress)
            progress->Step();
    }
}

void AppendPageRows(const std::vector<std::string>& paths, const TitleEngine& engine,
                    std::vector<FileRow>& out, std::vector<std::string>& skipped,
                    Progress* progress) {
    std::vector<std::string> pages;
    if (progress)
        progress->Start(0);
    const bool walked = WalkPages(
        paths,
        [&](const std::string& page) {
            if (StopRequested(progress))
                return false;
            pages.push_back(page);
            if (progress)
                progress->Step();
            return true;
        },
        [&](const std::string& path) { skipped.push_back(path); });
    if (!walked)
        return;
    if (progress)
        progress->Start(pages.size());
    out.reserve(out.size() + pages.size());
    for (const std::string& page : pages) {
        if (StopRequested(progress))
            return;
        // A page that cannot be read is left out here, where Add Files would stop: a tree
        // of pages should not be given up for one locked file.
        const std::size_t before = out.size();
        try {
            AppendFileRow(page, engine, out);
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception&) {
            out.resize(before);
            skipped.push_back(page);
        }
        if (progress)
            progress->Step();
    }
}

void FileList::Append(std::vector<FileRow>&& rows) {
    if (rows_.empty()) {
        rows_ = std::move(rows);
        return;
    }
    rows_.reserve(rows_.size() + rows.size());
    for (FileRow& row : rows)
        rows_.push_back(std::move(row));
}

void FileList::AddFiles(const std::vector<std::string>& paths, const TitleEngine& engine) {
    std::vector<FileRow> fresh;
    const Finally keep([&] { Append(std::move(fresh)); });
    AppendFileRows(paths, engine, fresh);
}

void FileList::RetitleSelected(const TitleEncoder& encodeTitle, const TitleEngine& engine,
                               Progress* progress, const WriteOptions& options) {
    // Deleting row i and appending its replacement leaves rows 0..i-1 in place and moves
    // the rest up by one, so at any moment the list is: the rows not yet visited, the
    // unselected rows already passed over (in their order), then the replacements (in the
    // order they were made). `firstVisited` marks where the visited rows begin.
    std::size_t firstVisited = rows_.size();
    std::vector<FileRow> replacements;

    const Finally rearrange([&] {
        if (replacements.empty() && firstVisited == rows_.size())
            return;
        std::vector<FileRow> result;
        result.reserve(rows_.size());
        for (std::size_t i = 0; i < firstVisited; ++i)
            result.push_back(std::move(rows_[i]));
        for (std::size_t i = firstVisited; i < rows_.size(); ++i)
            if (!rows_[i].selected)
                result.push_back(std::move(rows_[i]));
        for (FileRow& row : replacements)
            result.push_back(std::move(row));
        rows_ = std::move(result);
    });

    if (progress)
        progress->Start(static_cast<std::size_t>(std::count_if(
            rows_.begin(), rows_.end(), [](const FileRow& row) { return row.selected; })));
    for (std::size_t i = rows_.size(); i-- > 0;) {
        if (!rows_[i].selected) {
            firstVisited = i;
            continue;
        }
        if (StopRequested(progress))
            return;
        const std::string path = FullPath(rows_[i]);
        engine.WriteTitle(path, encodeTitle, options);
        // The file is written: from here on its old row counts as deleted, even if reading
        // the new title fails.
        firstVisited = i;
        AppendFileRow(path, engine, replacements);
        if (progress)
            progress->Step();
    }
}

void FileList::RemoveSelected() {
    std::vector<FileRow> kept;
    kept.reserve(rows_.size());
    for (FileRow& row : rows_)
        if (!row.selected)
            kept.push_back(std::move(row));
    rows_ = std::move(kept);
}

} // namespace titora
