// The engine's only door to the operating system: finding a page and holding its
// folder, reading, writing and flushing files, replacing a page by a new file beside
// it, locks, the user's state folder, and the system's code page. One small set of
// implementation files per platform keeps the engine's logic shared; nothing here
// names a type of one system.
//
// Every call that can fail is counted towards two test hooks: FailNthCall(n) makes the
// n-th counted call from then on fail as if the system had refused it, so that tests can
// break a save at each of its steps, and SetCallHook() runs a test's code before each
// counted call, so that a test can change files between two calls without timing luck.
// Clean-up calls (closing, removing a temporary file, removing abandoned ones) are not
// counted: they must run for the engine to keep its promises, and the engine never
// relies on their result.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace titora::platform {

// An open file or folder of the system, closed when the object goes away. Move-only.
class Handle {
public:
    Handle() = default;
    explicit Handle(std::intptr_t value) : value_(value) {}
    Handle(Handle&& other) noexcept : value_(other.release()) {}
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle();

    bool isOpen() const { return value_ != kInvalid; }
    std::intptr_t handle() const { return value_; }
    std::intptr_t release() noexcept;

private:
    static constexpr std::intptr_t kInvalid = -1;
    std::intptr_t value_ = kInvalid;
};

class File : public Handle {
public:
    using Handle::Handle;
};

// A folder held open: files are reached by their name in it, whatever later happens to
// the path that led to it.
class Folder : public Handle {
public:
    using Handle::Handle;
};

// What tells one file from every other on the machine: the volume and the file's
// number on it.
struct FileId {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileId& other) const {
        return volume == other.volume && index == other.index;
    }
    bool operator!=(const FileId& other) const { return !(*this == other); }
};

struct FileInfo {
    std::uint64_t size = 0;
    bool regular = false;  // only regular files are page files
    bool readOnly = false; // the read-only attribute; on POSIX: no write bit for the owner
    std::uint64_t linkCount = 1;
    FileId id;
    // When its bytes last changed, in the system's own units: compared, never shown.
    std::int64_t modified = 0;
};

enum class Access {
    kRead,      // others may read, write, rename and remove the file meanwhile
    kReadWrite, // the same, and this handle writes too
    // For a file being saved: this handle reads and writes, others may only read it, and
    // nobody may rename or remove it while it is open. POSIX has no such sharing rules:
    // there it is kReadWrite.
    kSave,
};

// ---- Finding and reading pages ----

// Finds the page that `path` names, once: follows symbolic links at its last part to
// the file they finally name, opens that file's folder and gives the file's name in it.
// A link is the page's road, not the page: the file it leads to is what is read and
// replaced. False when a folder on the way or the last part does not exist.
//
// A link met on the way (at the last part or at a folder of the path) is followed only
// where its owner could have written what it leads to: the link is the user's or
// root's, or what it leads to belongs to the link's owner. Another user's link to a
// file only root may write is refused (false), so that no one can make a privileged save
// write a file they could not.
//
//   FindPage("site/index.html", &folder, &name)  // folder "site", name "index.html"
bool FindPage(const std::string& path, Folder* folder, std::string* name);

// Opens the file that `path` names, links followed, while others may still read it.
// Never blocks, also not on a FIFO or a device. Closed on failure.
File OpenFile(const std::string& path, Access access);

// Opens the file `name` in `folder` while others may still read it. Never follows a
// link at `name` and never blocks, also not on a FIFO or a device. Closed on failure.
File OpenInFolder(const Folder& folder, const std::string& name, Access access);

// A folder by its path; closed on failure.
Folder OpenFolder(const std::string& path);

// The path of an open folder, as the system now names it.
bool FolderPath(const Folder& folder, std::string* path);

bool GetInfo(const File& file, FileInfo* info);

// What now stands at `name` in `folder`, a link not followed. False when nothing does.
bool GetInfoAt(const Folder& folder, const std::string& name, FileInfo* info);

// Reads up to `size` bytes from `offset`; `*got` tells how many came, fewer only at
// the end of the file. A read that comes short at or past `seenEnd`, where the file was
// last seen to end, is taken for the end without asking once more: a page read whole is
// then one call of the system, not two. A read short of it asks again, as some file
// systems give a large read in parts.
bool Read(const File& file, std::uint64_t offset, char* data, std::size_t size, std::size_t* got,
          std::uint64_t seenEnd = UINT64_MAX);

// ---- Writing ----

// Writes all `size` bytes at `offset`. False when any byte could not be written: a full
// disk, or a file size limit, which fails the write without ending the process.
bool WriteAt(const File& file, std::uint64_t offset, const char* data, std::size_t size);

// Copies `size` bytes of `from` at `fromOffset` into `to` at `toOffset`, within the
// system where it can. False when not all could be copied: the end of `from` came
// first, or writing failed as WriteAt fails.
bool Copy(const File& from, std::uint64_t fromOffset, const File& to, std::uint64_t toOffset,
          std::uint64_t size);

// Sets the file's length (a file size limit fails it as WriteAt does).
bool Truncate(const File& file, std::uint64_t size);

// Forces the file's bytes and length to the disk.
bool Flush(const File& file);

// Closes the file and reports whether the system accepted all that was written.
bool Close(File& file);

// Takes an exclusive lock on the file without waiting; held until the file is closed.
// False when another holds one.
bool TryLock(const File& file);

// Takes an exclusive lock on the file, waiting up to `milliseconds` for another holder
// to let go; held until the file is closed. Only those who lock the file too wait for
// it: the lock binds programs that ask for it, not others. True without a lock where
// the file system keeps none.
bool Lock(const File& file, unsigned milliseconds);

// ---- Replacing a page by a new file beside it ----

// Whether a new file in `folder` can take the place of `page` with the page's owner and
// group: the folder takes new names and renames (it is writable for this user, not
// append-only or immutable), and this user may give a file the page's owner and group.
bool CanReplace(const Folder& folder, const File& page);

enum class Replacement {
    kDone,      // the temporary file now stands at the name; the old file is gone
    kOldLeft,   // the same, but the old file could not be removed from its temporary name
    kNameMoved, // the name no longer led to the file `page`: both are left as they were
    kRefused,   // the system refused; nothing changed
    kChanged,   // the page's size or time of change is no longer that of `read`: untouched
};

// A new file in a page's folder that is to replace the page. Where the system allows it
// has no name until Replace gives it one just before the swap; elsewhere it has one of a
// few fixed hidden names (".~titora-N.tmp"), locked while its writer lives, so that a
// later save can tell an abandoned one from one still being written. Removed when the
// object goes away, unless it has replaced the page. Move-only.
class Temporary {
public:
    Temporary() = default;
    Temporary(Temporary&& other) noexcept;
    Temporary& operator=(Temporary&& other) noexcept;
    ~Temporary();

    bool isOpen() const { return file_.isOpen(); }
    const File& file() const { return file_; }
    // Its name in the folder; after Replacement::kOldLeft the name the old file holds.
    const std::string& name() const { return name_; }

private:
    friend Temporary CreateTemporary(const Folder& folder);
    friend Replacement Replace(Temporary& temporary, const std::string& name, File& page,
                               const FileInfo& read);
    void discard() noexcept;

    const Folder* folder_ = nullptr;
    File file_;
    std::string name_; // empty while it has none
};

// Creates a new, empty temporary file in `folder`, readable and writable by its owner
// only. Closed on failure.
Temporary CreateTemporary(const Folder& folder);

// Gives `to` the permission bits, owner, group and extended attributes of `from`. False
// when the owner or group cannot be kept; an extended attribute that cannot be copied is
// left out. Called once `to` holds its bytes: writing a file takes its setuid and
// setgid bits and its file capabilities away. On Windows: the owner, group and access list, the
// attributes, the creation time and the alternate data streams; false when any of them cannot be
// kept.
bool CopyMetadata(const File& from, const File& to);

// What writing into a file takes away from it: its setuid and setgid bits, and its file
// capabilities. Taken before a page is rewritten in place and given back after it, as
// far as the user may set them; nothing on Windows, where writing takes nothing away.
struct Privileges {
    unsigned mode = 0;      // the setuid and setgid bits
    std::string capability; // the security.capability attribute's value, "" without one
};
Privileges GetPrivileges(const File& file);
void RestorePrivileges(const File& file, const Privileges& privileges);

// Puts the temporary file at `name` in its folder in one step, provided that the name
// still leads to the file `page` (open) at that moment; a file swapped in at the name (a
// link, a FIFO, another file) is left there, untouched. Where the system cannot replace
// a file that is open (Windows), `page` is closed for the swap; after kRefused it is open
// again, as before. `read` is the page as it was when its text was read: a page written
// by someone else since (another size or time of change, looked at just before the swap)
// is not replaced.
Replacement Replace(Temporary& temporary, const std::string& name, File& page,
                    const FileInfo& read);

// Removes the temporary files that saves in `folder` have left behind when they were
// killed, leaving those whose writer still lives. False when one that no one holds could
// not be removed: it may hold a page's old text; `*left` then names it. Not counted: a
// clean-up.
bool RemoveAbandonedTemporaries(const Folder& folder, std::string* left);

// ---- The state folder, where journals live ----

// The folder where Titora keeps what must outlive a crash: $XDG_STATE_HOME/titora, by
// default ~/.local/state/titora (%LOCALAPPDATA%\Titora on Windows). With `create` it
// is made, readable by its user alone, where it is missing. Closed when it is missing,
// cannot be made, or is not under its user's control alone; then `*trouble`, where
// given, tells why in a sentence naming the folder ("" when it is only missing).
//
// Its user's control alone: the folder is reached from the file system's root without
// following a link at its own name; it belongs to the user and no one else may write
// it; every folder above it belongs to the user or to root and may be written by no
// one else unless it is sticky (as /tmp is); and every link on the way belongs to the
// user or to root. Everything that keeps state for a crash (journals, undo copies) opens
// its folder here, so that no other user can plant or change what a later call trusts.
Folder OpenStateFolder(bool create, std::string* trouble = nullptr);

// Whether the open `file` is one the user alone has made and may change: a regular file
// of the user's with one name, readable and writable by the user only. What the state
// folder holds is trusted only when it is such a file.
bool IsPrivateFile(const File& file);

// Whether the state folder holds something named `name`: one look that opens nothing,
// for a question asked on every call.
bool InStateFolder(const std::string& name);

// Creates the new file `name` in `folder`, readable and writable by its owner only;
// fails when the name is taken.
File CreateInFolder(const Folder& folder, const std::string& name);

bool RemoveInFolder(const Folder& folder, const std::string& name);

// Renames `from` to `to` in `folder`; fails when `to` is taken.
bool RenameInFolder(const Folder& folder, const std::string& from, const std::string& to);

// Makes the names just created or removed in `folder` survive a crash of the machine.
bool FlushFolder(const Folder& folder);

// The names in `folder`.
bool ListFolder(const Folder& folder, std::vector<std::string>* names);

// ---- Text ----

// The system's ANSI code page (932, 936, 949, 950 for the double-byte ones, 65001
// for UTF-8, 0 where no code page applies). On POSIX: the character set of the
// locale that the environment (LC_ALL, LC_CTYPE, LANG) names, whatever locale the
// program itself has set.
unsigned SystemCodePage();

// The lead bytes of the system's code page as the system itself knows them: a set bit
// marks a byte that starts a double-byte character. False where the system keeps no
// such table (POSIX): the lead bytes then follow from SystemCodePage().
bool SystemLeadBytes(std::bitset<256>* lead);

// The system's words for why the last call of this thread failed (errno on POSIX,
// GetLastError() on Windows), as "No such file or directory"; read before any other call.
std::string LastErrorText();

// ---- Test hooks ----

// The n-th counted call from now on fails; 0 turns failing off.
void FailNthCall(unsigned long n);
// How many counted calls were made since the last FailNthCall.
unsigned long CountedCalls();
// Runs `hook` before every counted call with the call's name ("Replace", "WriteAt",
// ...), before that call is counted; an empty function removes it.
//
//   SetCallHook([&](const char* call) { if (std::strcmp(call, "Replace") == 0) Swap(); });
void SetCallHook(std::function<void(const char* call)> hook);

} // namespace titora::platform
