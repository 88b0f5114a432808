// The platform layer on POSIX systems: the user's state folder and the files in it.
#include "platform/platform.h"
#include "platform/posix.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <vector>

namespace titora::platform {

using posix::Fd;
using posix::Injected;
using posix::Retrying;

namespace {

bool Absolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

// The base folder for state of every program, as the XDG base directory rules name it:
// $XDG_STATE_HOME when that is an absolute path, else ~/.local/state. "" when the user
// has no home.
std::string StateHome() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (Absolute(state)) {
        return state;
    }
    const char* home = std::getenv("HOME");
    std::string base;
    if (Absolute(home)) {
        base = home;
    } else {
        struct passwd entry;
        struct passwd* found = nullptr;
        char buffer[4096];
        if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 &&
            found != nullptr && Absolute(found->pw_dir)) {
            base = found->pw_dir;
        }
    }
    return base.empty() ? std::string() : base + "/.local/state";
}

// Whether a folder on the way to the state folder may lead there: only its user and
// root may change what it holds, or it is sticky (as /tmp is), so that no one may
// rename or remove what another put there. The rule of OpenSSH's StrictModes.
bool SafeAbove(const struct stat& st) {
    return (st.st_uid == ::geteuid() || st.st_uid == 0) &&
           ((st.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (st.st_mode & S_ISVTX) != 0);
}

// Reaches the folder `path` (absolute) from the file system's root one part at a time,
// making missing parts with `create`, and takes it only where the user alone controls
// it (see OpenStateFolder). Links are followed only above its last part, and only the
// user's or root's. `*trouble` tells why a folder that exists is refused.
Folder OpenTrusted(const std::string& path, bool create, std::string* trouble) {
    const auto refuse = [&](const std::string& at, const char* why) {
        *trouble = "the state folder " + path + " is not safe to use: " + at + why;
        return Folder();
    };
    const auto open = [](int from, const char* name) {
        return Folder(Retrying(
            [&] { return ::openat(from, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); }));
    };
    Folder current = open(AT_FDCWD, "/");
    std::string reached = "/";
    // The parts still to walk, the next one last; the state folder's own is the first.
    std::vector<std::string> parts;
    posix::PushPathParts(path, &parts);
    char target[PATH_MAX];
    for (int hops = 0; current.isOpen() && !parts.empty();) {
        const bool last = parts.size() == 1;
        const std::string part = std::move(parts.back());
        parts.pop_back();
        const std::string at = reached + (reached.back() == '/' ? "" : "/") + part;
        struct stat st;
        if (::fstat(Fd(current), &st) != 0 || !SafeAbove(st)) {
            return refuse(reached, " may be changed by another user");
        }
        if (::fstatat(Fd(current), part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT || !create ||
                (::mkdirat(Fd(current), part.c_str(), 0700) != 0 && errno != EEXIST)) {
                return Folder();
            }
        } else if (S_ISLNK(st.st_mode)) {
            if (last) {
                return refuse(at, " is a symbolic link");
            }
            if (st.st_uid != ::geteuid() && st.st_uid != 0) {
                return refuse(at, " is a link of another user");
            }
            const ssize_t length = ::readlinkat(Fd(current), part.c_str(), target, sizeof target);
            if (++hops > posix::kMaxLinks || length <= 0 ||
                static_cast<std::size_t>(length) == sizeof target) {
                return refuse(at, " leads nowhere");
            }
            const std::string link(target, static_cast<std::size_t>(length));
            posix::PushPathParts(link, &parts);
            if (link[0] == '/') {
                current = open(AT_FDCWD, "/");
                reached = "/";
            }
            continue;
        }
        current = open(Fd(current), part.c_str());
        reached = at;
        if (!current.isOpen()) {
            return refuse(at, " cannot be opened");
        }
    }
    struct stat st;
    if (!current.isOpen() || ::fstat(Fd(current), &st) != 0) {
        return Folder();
    }
    // Journals hold copies of pages: a folder of someone else's is no place for them.
    if (st.st_uid != ::geteuid()) {
        return refuse(path, " belongs to another user");
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return refuse(path, " may be written by other users");
    }
    return current;
}

} // namespace

bool InStateFolder(const std::string& name) {
    struct stat st;
    const std::string home = Injected("InStateFolder") ? std::string() : StateHome();
    return !home.empty() &&
           ::fstatat(AT_FDCWD, (home + "/titora/" + name).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

Folder OpenStateFolder(bool create, std::string* trouble) {
    std::string why;
    if (trouble == nullptr) {
        trouble = &why;
    }
    trouble->clear();
    if (Injected("OpenStateFolder")) {
        return Folder();
    }
    const std::string home = StateHome();
    if (home.empty()) {
        return Folder();
    }
    return OpenTrusted(home + "/titora", create, trouble);
}

bool IsPrivateFile(const File& file) {
    struct stat st;
    return ::fstat(Fd(file), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 07777) == 0600 && st.st_nlink == 1;
}

File CreateInFolder(const Folder& folder, const std::string& name) {
    if (Injected("CreateInFolder")) {
        return File();
    }
    const int fd = Retrying([&] {
        return ::openat(Fd(folder), name.c_str(),
                        O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
    });
    if (fd < 0) {
        return File();
    }
    // Whatever the process's umask: a journal is trusted only with exactly this mode.
    File file(fd);
    if (::fchmod(fd, 0600) != 0) {
        return File();
    }
    return file;
}

bool RemoveInFolder(const Folder& folder, const std::string& name) {
    return !Injected("RemoveInFolder") && ::unlinkat(Fd(folder), name.c_str(), 0) == 0;
}

bool RenameInFolder(const Folder& folder, const std::string& from, const std::string& to) {
    if (Injected("RenameInFolder")) {
        return false;
    }
    const int dir = Fd(folder);
    if (::renameat2(dir, from.c_str(), dir, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        return false;
    }
    // A file system that cannot refuse to replace: a second name, then the first goes.
    return ::linkat(dir, from.c_str(), dir, to.c_str(), 0) == 0 &&
           ::unlinkat(dir, from.c_str(), 0) == 0;
}

bool FlushFolder(const Folder& folder) {
    if (Injected("FlushFolder")) {
        return false;
    }
    // On these file systems flushing a new file makes its name last as well: XFS and
    // btrfs, and ext4 with a journal, commit the transaction that gave it its name, and
    // ext4 without one flushes the new file's folder itself. A flush of the folder would
    // add only another wait for the disk.
    struct statfs system;
    if (::fstatfs(Fd(folder), &system) == 0 &&
        (system.f_type == EXT4_SUPER_MAGIC || system.f_type == XFS_SUPER_MAGIC ||
         system.f_type == BTRFS_SUPER_MAGIC)) {
        return true;
    }
    return ::fsync(Fd(folder)) == 0;
}

bool ListFolder(const Folder& folder, std::vector<std::string>* names) {
    names->clear();
    if (Injected("ListFolder")) {
        return false;
    }
    // The listing gets a descriptor of its own: it reads from a position and closes it.
    const int fd =
        Retrying([&] { return ::openat(Fd(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (dir == nullptr) {
        if (fd >= 0) {
            ::close(fd);
        }
        return false;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names->push_back(name);
        }
    }
    ::closedir(dir);
    return true;
}

} // namespace titora::platform
