// Loading a page file's bytes and saving a new text over them without ever leaving a
// damaged file. The only engine code that talks to the platform layer about files.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace titora {

// The bytes of a page file as read. The memory is not cleared before the file is read
// into it: pages can be large, and clearing would be one more pass over every byte.
class PageBytes {
public:
    explicit PageBytes(std::size_t size) : data_(new char[size]), size_(size) {}

    char* data() { return data_.get(); }
    std::string_view view() const { return {data_.get(), size_}; }
    // Fewer bytes came than the size promised (the file shrank meanwhile).
    void shorten(std::size_t size) { size_ = size; }

private:
    std::unique_ptr<char[]> data_;
    std::size_t size_;
};

// The bytes of the regular file at `path`, read whole. Throws TitleEngineError:
// "Cannot open file %s" (missing, not a regular file, unreadable); std::bad_alloc when
// they cannot be held in memory.
PageBytes LoadPageFile(const std::string& path);

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
void SavePageFile(const std::string& path, std::string_view oldBytes, const std::string& text);

} // namespace titora
