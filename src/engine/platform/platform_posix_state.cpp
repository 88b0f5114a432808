// The platform layer on POSIX systems: the user's state folder and the files in it.
#include "platform/platform.h"
#include "platform/posix.h"

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

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

// Makes each missing folder of `path`, readable by its user alone.
void MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        ::mkdir(part.c_str(), 0700);
        if (slash == std::string::npos) {
            return;
        }
    }
}

} // namespace

bool InStateFolder(const std::string& name) {
    struct stat st;
    const std::string home = Injected("InStateFolder") ? std::string() : StateHome();
    return !home.empty() &&
           ::fstatat(AT_FDCWD, (home + "/titora/" + name).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

Folder OpenStateFolder(bool create) {
    if (Injected("OpenStateFolder")) {
        return Folder();
    }
    const std::string home = StateHome();
    if (home.empty()) {
        return Folder();
    }
    const std::string path = home + "/titora";
    // Opened for reading, not as a mere path, so that it can be listed and flushed.
    const auto open = [&] {
        return Folder(
            Retrying([&] { return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
    };
    Folder folder = open();
    if (!folder.isOpen() && errno == ENOENT && create) {
        MakeFolders(path);
        folder = open();
    }
    struct stat st;
    // Journals hold copies of pages: a folder of someone else's is no place for them.
    if (!folder.isOpen() || ::fstat(Fd(folder), &st) != 0 || st.st_uid != ::geteuid()) {
        return Folder();
    }
    return folder;
}

File CreateInFolder(const Folder& folder, const std::string& name) {
    if (Injected("CreateInFolder")) {
        return File();
    }
    const int fd = Retrying([&] {
        return ::openat(Fd(folder), name.c_str(),
                        O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
    });
    return fd < 0 ? File() : File(fd);
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
