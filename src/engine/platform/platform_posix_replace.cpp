// The platform layer on POSIX systems: replacing a page by a new file beside it.
//
// The new file is made without a name (O_TMPFILE) where the file system allows, so that
// a writer killed at any moment leaves nothing behind; it gets a name only just before
// it is swapped with the page. Elsewhere it has one of a few fixed names from the start.
// Either way a named temporary file is locked by its writer while the writer lives, and
// a later save removes one that no one holds.
#include "platform/platform.h"
#include "platform/posix.h"

#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace titora::platform {

using posix::Fd;
using posix::Injected;
using posix::Retrying;

namespace {

using detail::kSlots;
using detail::SlotName;

// The extended attribute that holds a file's capabilities, which writing removes.
constexpr const char* kCapability = "security.capability";

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the name `name` in `folder` still leads to the file open as `fd`.
bool StillNamed(int folder, const std::string& name, int fd) {
    struct stat named;
    struct stat held;
    return ::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           ::fstat(fd, &held) == 0 && SameFile(named, held);
}

enum class Clearing {
    kFree,   // the name is free
    kHeld,   // a living save holds it, or it is not a temporary file of ours
    kFailed, // abandoned, but it could not be removed
};

// Removes the temporary file at `name` in `folder` if its writer is gone: a regular
// file with one name on which no one holds a lock.
Clearing ClearAbandoned(int folder, const std::string& name) {
    const File file(
        ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.isOpen()) {
        return errno == ENOENT ? Clearing::kFree : Clearing::kHeld;
    }
    struct stat st;
    if (::fstat(Fd(file), &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 ||
        ::flock(Fd(file), LOCK_EX | LOCK_NB) != 0) {
        return Clearing::kHeld;
    }
    // The lock is on the file that was opened: the name must still lead to it.
    if (!StillNamed(folder, name, Fd(file))) {
        return Clearing::kHeld;
    }
    if (::unlinkat(folder, name.c_str(), 0) == 0) {
        return Clearing::kFree;
    }
    // One the user may not remove is someone else's to remove; a failing disk is not.
    return errno == EACCES || errno == EPERM || errno == EROFS ? Clearing::kHeld
                                                               : Clearing::kFailed;
}

// Gives the unnamed file `fd` the name `name` in `folder`.
bool Link(int fd, int folder, const std::string& name) {
    if (::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0) {
        return true;
    }
    // Older kernels let only privileged processes link by descriptor; the descriptor's
    // entry under /proc does it for everyone.
    if (errno != ENOENT && errno != EPERM) {
        return false;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// Runs `attempt(name)` on the slots in turn until one takes; a slot taken by an
// abandoned file is cleared and tried once more. The name that took, or "".
template <typename Attempt> std::string TakeSlot(int folder, Attempt attempt) {
    for (int slot = 0; slot < kSlots; ++slot) {
        const std::string name = SlotName(slot);
        for (int tries = 0; tries < 2; ++tries) {
            if (attempt(name)) {
                return name;
            }
            if (errno != EEXIST) {
                return std::string(); // no name can be made here at all
            }
            if (ClearAbandoned(folder, name) != Clearing::kFree) {
                break; // in use: the next one
            }
        }
    }
    return std::string();
}

void CopyExtendedAttributes(int from, int to) {
    const ssize_t listSize = ::flistxattr(from, nullptr, 0);
    if (listSize <= 0) {
        return;
    }
    std::vector<char> names(static_cast<std::size_t>(listSize));
    const ssize_t got = ::flistxattr(from, names.data(), names.size());
    if (got <= 0) {
        return;
    }
    std::vector<char> value;
    for (const char* name = names.data(); name < names.data() + got;
         name += std::strlen(name) + 1) {
        const ssize_t size = ::fgetxattr(from, name, nullptr, 0);
        if (size < 0) {
            continue;
        }
        value.resize(static_cast<std::size_t>(size));
        const ssize_t read = ::fgetxattr(from, name, value.data(), value.size());
        if (read >= 0) {
            // Some attributes are the system's or need privileges: left out quietly.
            ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(read), 0);
        }
    }
}

// A new file takes the default access list of its folder. The page may have none
// (made before the folder had one, or elsewhere and moved in): the copy must not give
// the users of the folder's list access that the page did not give them. False when
// such a list cannot be taken off.
bool DropInheritedAcl(int from, int to) {
    constexpr const char* kAccessAcl = "system.posix_acl_access";
    if (::fgetxattr(from, kAccessAcl, nullptr, 0) >= 0) {
        return true; // copied with the other attributes
    }
    return ::fremovexattr(to, kAccessAcl) == 0 || errno == ENODATA || errno == ENOTSUP;
}

bool InGroup(gid_t group) {
    if (group == ::getegid()) {
        return true;
    }
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(count > 0 ? static_cast<std::size_t>(count) : 0);
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i) {
        if (groups[static_cast<std::size_t>(i)] == group) {
            return true;
        }
    }
    return false;
}

} // namespace

bool CanReplace(const Folder& folder, const File& page) {
    if (Injected("CanReplace")) {
        return false;
    }
    // In an append-only folder a temporary file could be named but never renamed or
    // removed again.
    struct statx folderInfo;
    if (::statx(Fd(folder), "", AT_EMPTY_PATH, STATX_BASIC_STATS, &folderInfo) == 0 &&
        (folderInfo.stx_attributes & (STATX_ATTR_APPEND | STATX_ATTR_IMMUTABLE)) != 0) {
        return false;
    }
    struct stat st;
    if (::faccessat(Fd(folder), ".", W_OK | X_OK, AT_EACCESS) != 0 || ::fstat(Fd(page), &st) != 0) {
        return false;
    }
    // Only root may give a file another owner, and a user only the groups they are in.
    return ::geteuid() == 0 || (st.st_uid == ::geteuid() && InGroup(st.st_gid));
}

void Temporary::discard() noexcept {
    // The name goes before the lock that marks the file as in use.
    if (!name_.empty() && folder_ != nullptr) {
        ::unlinkat(Fd(*folder_), name_.c_str(), 0);
    }
    name_.clear();
    file_ = File();
}

Temporary CreateTemporary(const Folder& folder) {
    Temporary temporary;
    if (Injected("CreateTemporary")) {
        return temporary;
    }
    temporary.folder_ = &folder;
    const int dir = Fd(folder);
    const int fd =
        Retrying([&] { return ::openat(dir, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600); });
    if (fd >= 0) {
        temporary.file_ = File(fd);
        // Locked before it has a name, so that no one can take it for abandoned.
        ::flock(fd, LOCK_EX | LOCK_NB);
        return temporary;
    }
    // EOPNOTSUPP: a file system without unnamed files; EISDIR: a kernel without them.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        return Temporary();
    }
    const std::string name = TakeSlot(dir, [&](const std::string& slot) {
        File file(Retrying([&] {
            return ::openat(dir, slot.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                            0600);
        }));
        if (!file.isOpen()) {
            return false;
        }
        // Another save may have taken the new file for abandoned before it was locked.
        if (::flock(Fd(file), LOCK_EX | LOCK_NB) != 0 || !StillNamed(dir, slot, Fd(file))) {
            errno = EEXIST;
            return false;
        }
        temporary.file_ = std::move(file);
        return true;
    });
    if (name.empty()) {
        return Temporary();
    }
    temporary.name_ = name;
    return temporary;
}

bool CopyMetadata(const File& from, const File& to) {
    struct stat st;
    if (Injected("CopyMetadata") || ::fstat(Fd(from), &st) != 0) {
        return false;
    }
    // Owner first: changing it clears the setuid and setgid bits that come next.
    if (::fchown(Fd(to), st.st_uid, st.st_gid) != 0) {
        return false;
    }
    CopyExtendedAttributes(Fd(from), Fd(to));
    if (!DropInheritedAcl(Fd(from), Fd(to))) {
        return false;
    }
    return ::fchmod(Fd(to), st.st_mode & 07777) == 0;
}

Privileges GetPrivileges(const File& file) {
    Privileges privileges;
    struct stat st;
    if (::fstat(Fd(file), &st) == 0) {
        privileges.mode = st.st_mode & (S_ISUID | S_ISGID);
    }
    char value[256];
    const ssize_t size = ::fgetxattr(Fd(file), kCapability, value, sizeof value);
    if (size > 0) {
        privileges.capability.assign(value, static_cast<std::size_t>(size));
    }
    return privileges;
}

void RestorePrivileges(const File& file, const Privileges& privileges) {
    struct stat st;
    if (::fstat(Fd(file), &st) != 0) {
        return;
    }
    // Refused where the user may not set them: nothing more can be done then.
    if ((st.st_mode & (S_ISUID | S_ISGID)) != privileges.mode) {
        ::fchmod(Fd(file), (st.st_mode & 07777 & ~(S_ISUID | S_ISGID)) | privileges.mode);
    }
    if (!privileges.capability.empty() && ::fgetxattr(Fd(file), kCapability, nullptr, 0) < 0) {
        ::fsetxattr(Fd(file), kCapability, privileges.capability.data(),
                    privileges.capability.size(), 0);
    }
}

Replacement Replace(Temporary& temporary, const std::string& name, File& page,
                    const FileInfo& read) {
    struct stat pageInfo;
    if (Injected("Replace") || temporary.folder_ == nullptr || ::fstat(Fd(page), &pageInfo) != 0) {
        return Replacement::kRefused;
    }
    // Once swapped away, the page stands at the temporary name until it is removed: a
    // lock keeps other saves from taking it for abandoned meanwhile. Held by another
    // already, it is as safe.
    ::flock(Fd(page), LOCK_EX | LOCK_NB);
    const int dir = Fd(*temporary.folder_);
    if (temporary.name_.empty()) {
        temporary.name_ = TakeSlot(
            dir, [&](const std::string& slot) { return Link(Fd(temporary.file_), dir, slot); });
        if (temporary.name_.empty()) {
            return Replacement::kRefused;
        }
    }
    const char* const slot = temporary.name_.c_str();
    const auto isPage = [&](const char* at) {
        struct stat st;
        return ::fstatat(dir, at, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
               SameFile(st, pageInfo);
    };
    // The last look at the page before the swap, as late as can be. What another writer
    // puts into it between this look and the swap is lost with the old file: only a
    // writer that takes the page's lock too can be kept out of that moment.
    struct stat now;
    if (::fstat(Fd(page), &now) != 0 || static_cast<std::uint64_t>(now.st_size) != read.size ||
        static_cast<std::int64_t>(now.st_mtim.tv_sec) * 1000000000 + now.st_mtim.tv_nsec !=
            read.modified) {
        return Replacement::kChanged;
    }
    // The swap and the look at what it took away are two steps, but whatever it took
    // away is still there, at the temporary name, and goes back if it is not the page.
    if (::renameat2(dir, slot, dir, name.c_str(), RENAME_EXCHANGE) != 0) {
        if (errno == ENOENT) {
            return Replacement::kNameMoved;
        }
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            return Replacement::kRefused;
        }
        // A file system that cannot swap two names: look, then rename over.
        if (!isPage(name.c_str())) {
            return Replacement::kNameMoved;
        }
        if (::renameat(dir, slot, dir, name.c_str()) != 0) {
            return Replacement::kRefused;
        }
        temporary.name_.clear();
        return Replacement::kDone;
    }
    if (isPage(slot)) {
        // The old text stays behind under the temporary name should this fail; the
        // caller says so, and the next save in the folder tries again.
        if (::unlinkat(dir, slot, 0) != 0) {
            return Replacement::kOldLeft;
        }
        temporary.name_.clear();
        return Replacement::kDone;
    }
    // What stood at the name goes back there. Should that fail, nothing is removed:
    // the temporary name may now hold what someone else put at the page's name.
    if (::renameat2(dir, slot, dir, name.c_str(), RENAME_EXCHANGE) != 0) {
        temporary.name_.clear();
    }
    return Replacement::kNameMoved;
}

bool RemoveAbandonedTemporaries(const Folder& folder, std::string* left) {
    bool removed = true;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (ClearAbandoned(Fd(folder), SlotName(slot)) == Clearing::kFailed) {
            removed = false;
            *left = SlotName(slot);
        }
    }
    return removed;
}

} // namespace titora::platform
