// A page file found once and held from its first read to its last write: its folder,
// its name in that folder and the open file. Everything the engine does to a page goes
// through the folder it holds, so that the file it refuses or accepts is the file it
// reads and the file it replaces, whatever happens to the path meanwhile.
#pragma once

#include "page_buffer.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace titora {

class PageFile {
public:
    enum class Purpose { kReading, kWriting };

    // Finds the page at `path`, as the caller formed it, once (a symbolic link leads to
    // its target, which is the page), and opens it for reading; for kWriting also for
    // writing where the user may (as platform::Access::kSave), holding its folder from
    // then on. Throws
    // TitleEngineError "Cannot open file %s" when it is missing, not a regular file, or
    // unreadable.
    PageFile(const std::string& path, Purpose purpose);

    const std::string& path() const { return path_; }
    // The page's folder and its name there; for a page opened for reading only once
    // locate() has found them.
    const platform::Folder& folder() const { return folder_; }
    const std::string& name() const { return name_; }
    bool located() const { return folder_.isOpen(); }
    // Finds the folder and name of a page opened for reading, which reading alone never
    // needs. False when the path no longer leads to the file that was opened.
    bool locate();
    const platform::File& file() const { return file_; }
    // For the swap, which may have to close the page and open it again.
    platform::File& file() { return file_; }
    const platform::FileInfo& info() const { return info_; }

    // Whether the page may be rewritten: open for writing, without the read-only attribute.
    bool writable() const { return openedForWriting_ && !info_.readOnly; }
    bool openedForWriting() const { return openedForWriting_; }
    // The system's words for why the page could not be opened for writing; empty when it
    // was, or when no one asked to write it.
    const std::string& whyNotWritable() const { return whyNotWritable_; }

    // Whether the page's name in its folder still leads to this file.
    bool atItsName() const;

    // Finds and opens the page anew for writing, as the constructor does: the name now
    // leads to another file. Throws as the constructor does.
    void reopen();
    // Takes info() afresh from the open file. False when the system cannot tell.
    bool refreshInfo();

private:
    void open(Purpose purpose);

    std::string path_;
    platform::Folder folder_;
    std::string name_;
    platform::File file_;
    platform::FileInfo info_;
    bool openedForWriting_ = false;
    std::string whyNotWritable_;
};

// Reads `file` to its end, however long it has grown since `sizeHint` was taken, into
// `*bytes`, with `front` bytes of room before them and, with `roomToGrow`, room after
// them for the line breaks to become CR LF in place. False when reading fails; throws
// std::bad_alloc when the bytes cannot be held in memory.
bool ReadToEnd(const platform::File& file, std::uint64_t sizeHint, std::size_t front,
               bool roomToGrow, PageBytes* bytes);

// The page's bytes, read to the end as ReadToEnd does. Throws TitleEngineError "Cannot
// open file %s" when reading fails, std::bad_alloc when they cannot be held.
PageBytes ReadPage(const PageFile& page, std::size_t front = 0, bool roomToGrow = false);

} // namespace titora
