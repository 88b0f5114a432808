#include "page_file.h"

#include "platform/platform.h"
#include "title_engine.h"

#include <cstdint>
#include <new>
#include <utility>

namespace titora {
namespace {

using platform::File;

[[noreturn]] void FailOpen(const std::string& path) {
    throw TitleEngineError("Cannot open file " + path);
}

[[noreturn]] void FailCreate(const std::string& path) {
    throw TitleEngineError("Cannot create file " + path);
}

[[noreturn]] void FailWrite() {
    throw TitleEngineError("Stream write error");
}

// Removes the temporary file unless it has become the page file.
class TemporaryFile {
public:
    TemporaryFile(File file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!kept_) {
            file_ = File();
            platform::Remove(path_);
        }
    }

    File& file() { return file_; }
    const std::string& path() const { return path_; }
    void keep() { kept_ = true; }

private:
    File file_;
    std::string path_;
    bool kept_ = false;
};

// Writes `text` over the page file through `page`, open for reading and writing. The
// old bytes are read first, so that on any failure they go back before the error is
// raised. The text is written over the old bytes and the file cut to length
// afterwards, so that putting the old bytes back needs no new disk space.
void RewriteInPlace(const std::string& path, const File& page, std::uint64_t size,
                    std::string_view text) {
    PageBytes old(0, static_cast<std::size_t>(size), static_cast<std::size_t>(size));
    std::size_t got = 0;
    if (!platform::Read(page, old.data(), old.view().size(), &got)) {
        FailCreate(path);
    }
    old.shorten(got);
    const std::string_view oldBytes = old.view();
    // Once flushed, the text is on the disk: closing the page can add no failure.
    if (platform::WriteAt(page, 0, text.data(), text.size()) &&
        platform::Truncate(page, text.size()) && platform::Flush(page)) {
        return;
    }
    platform::WriteAt(page, 0, oldBytes.data(), oldBytes.size());
    platform::Truncate(page, oldBytes.size());
    platform::Flush(page);
    FailWrite();
}

enum class Replaced { kYes, kNo };

// The careful road: a temporary file beside the target, renamed over it. kNo when the
// temporary file cannot be made, cannot take the page's owner and group, or cannot be
// renamed: the page is then untouched and the caller rewrites it in place.
Replaced ReplaceThroughTemporary(const std::string& path, const File& page, std::string_view text) {
    std::string target;
    if (!platform::ResolvePath(path, &target)) {
        return Replaced::kNo;
    }
    std::string temporaryPath;
    File created = platform::CreateTemporaryBeside(target, &temporaryPath);
    if (!created.isOpen()) {
        return Replaced::kNo;
    }
    TemporaryFile temporary(std::move(created), temporaryPath);
    // A file that would change owner or group if replaced is better rewritten in place.
    if (!platform::CopyMetadata(page, temporary.file())) {
        return Replaced::kNo;
    }
    if (!platform::WriteAt(temporary.file(), 0, text.data(), text.size()) ||
        !platform::Flush(temporary.file()) || !platform::Close(temporary.file())) {
        FailWrite();
    }
    // A folder may allow new files but not the replacement of this one (a sticky
    // folder holding another user's page).
    if (!platform::Rename(temporary.path(), target)) {
        return Replaced::kNo;
    }
    temporary.keep();
    return Replaced::kYes;
}

// The page file opened for saving, with what is known of it; raises "Cannot create
// file %s" for a page that must not or cannot be saved.
File OpenForSaving(const std::string& path, platform::FileInfo* info) {
    File page = platform::OpenForWriting(path);
    if (!page.isOpen()) {
        FailCreate(path);
    }
    if (!platform::GetInfo(page, info) || !info->regular || info->readOnly) {
        FailCreate(path);
    }
    return page;
}

} // namespace

PageBytes LoadPageFile(const std::string& path, std::size_t front, bool roomToGrow) {
    File file = platform::OpenForReading(path);
    if (!file.isOpen()) {
        FailOpen(path);
    }
    platform::FileInfo info;
    if (!platform::GetInfo(file, &info) || !info.regular) {
        FailOpen(path);
    }
    if (info.size > SIZE_MAX / 2 || front > SIZE_MAX / 4) {
        throw std::bad_alloc();
    }
    const std::size_t size = static_cast<std::size_t>(info.size);
    const std::size_t room = roomToGrow ? PageBytes::RoomToGrow(size) : 0;
    PageBytes bytes(front, size, front + size + room);
    std::size_t got = 0;
    if (!platform::Read(file, bytes.data(), size, &got)) {
        FailOpen(path);
    }
    bytes.shorten(got);
    return bytes;
}

void SavePageFile(const std::string& path, std::string_view text, bool unchanged) {
    platform::FileInfo info;
    const File page = OpenForSaving(path, &info);
    if (unchanged) {
        return;
    }
    // Renaming over a file with several names would part it from the others.
    if (info.linkCount == 1 && ReplaceThroughTemporary(path, page, text) == Replaced::kYes) {
        return;
    }
    RewriteInPlace(path, page, info.size, text);
}

void CheckPageFileSavable(const std::string& path) {
    platform::FileInfo info;
    OpenForSaving(path, &info);
}

} // namespace titora
