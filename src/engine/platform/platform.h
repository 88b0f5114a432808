// The engine's only door to the operating system: opening, sizing, reading, writing,
// flushing and renaming files, and the system's code page. One small implementation
// file per platform keeps the engine's logic shared.
//
// Every call that can fail counts towards a test hook: FailNthCall(n) makes the n-th
// counted call from then on fail as if the system had refused it, so that tests can
// break a save at each of its steps. Clean-up calls (closing after a failure,
// removing a temporary file) are not counted: they must run for the engine to keep
// its promises, and the engine never relies on their result.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>

namespace titora::platform {

// An open file, closed when the object goes away. Move-only.
class File {
public:
    File() = default;
    explicit File(std::intptr_t handle) : handle_(handle) {}
    File(File&& other) noexcept : handle_(other.release()) {}
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    bool isOpen() const { return handle_ != kInvalid; }
    std::intptr_t handle() const { return handle_; }
    std::intptr_t release() noexcept;

private:
    static constexpr std::intptr_t kInvalid = -1;
    std::intptr_t handle_ = kInvalid;
};

struct FileInfo {
    std::uint64_t size = 0;
    bool regular = false;  // only regular files are page files
    bool readOnly = false; // the read-only attribute; on POSIX: no write bit for the owner
    std::uint64_t linkCount = 1;
};

// Opens an existing file for reading while others may still read it. Never blocks,
// also not on a FIFO or a device. Returns a closed File on failure.
File OpenForReading(const std::string& path);

// Opens an existing file for reading and writing without changing it. Never blocks.
File OpenForWriting(const std::string& path);

bool GetInfo(const File& file, FileInfo* info);

// Reads up to `size` bytes from the current position; `*got` tells how many came
// (fewer only at the end of the file).
bool Read(const File& file, char* data, std::size_t size, std::size_t* got);

// Writes all `size` bytes at `offset`. False when any byte could not be written.
bool WriteAt(const File& file, std::uint64_t offset, const char* data, std::size_t size);

bool Truncate(const File& file, std::uint64_t size);

// Forces the file's data to the disk.
bool Flush(const File& file);

// Closes the file and reports whether the system accepted all that was written.
bool Close(File& file);

// The path of the file that `path` finally names, all symbolic links followed, so
// that a link can stay a link while its target is replaced.
bool ResolvePath(const std::string& path, std::string* resolved);

// Creates a new, empty file with a short, unused name in the folder of `target`,
// readable and writable by its owner only. Returns a closed File on failure.
File CreateTemporaryBeside(const std::string& target, std::string* temporaryPath);

// Gives `to` the permission bits, owner, group and extended attributes of `from`.
// False when the owner or group cannot be kept; an extended attribute that cannot
// be copied is left out.
bool CopyMetadata(const File& from, const File& to);

// Replaces the file at `to` by the one at `from` in one step.
bool Rename(const std::string& from, const std::string& to);

// Removes a file. Not counted: used only for clean-up.
void Remove(const std::string& path);

// The system's ANSI code page (932, 936, 949, 950 for the double-byte ones, 65001
// for UTF-8, 0 where no code page applies). On POSIX: the character set of the
// locale that the environment (LC_ALL, LC_CTYPE, LANG) names, whatever locale the
// program itself has set.
unsigned SystemCodePage();

// The lead bytes of the system's code page as the system itself knows them: a set bit
// marks a byte that starts a double-byte character. False where the system keeps no
// such table (POSIX): the lead bytes then follow from SystemCodePage().
bool SystemLeadBytes(std::bitset<256>* lead);

// Test hook: the n-th counted call from now on fails; 0 turns failing off.
void FailNthCall(unsigned long n);
// Test hook: how many counted calls were made since the last FailNthCall.
unsigned long CountedCalls();

} // namespace titora::platform
