// The platform layer on POSIX systems: finding a page by its path, and which symbolic
// links on the way may be followed.
#include "platform/platform.h"
#include "platform/posix.h"

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace titora::platform {

using posix::Fd;
using posix::Injected;
using posix::PushPathParts;
using posix::Retrying;

namespace {

// Whether the link `name` in `folder` (described by `link`) may be followed: its owner
// could have written what it leads to. A link of the user's own, or of root, who may
// write anything; else what it finally leads to must belong to the link's owner. A link
// that leads nowhere leads to nothing to protect.
bool MayFollow(int folder, const std::string& name, const struct stat& link) {
    if (link.st_uid == ::geteuid() || link.st_uid == 0) {
        return true;
    }
    struct stat target;
    if (::fstatat(folder, name.c_str(), &target, 0) != 0) {
        return errno == ENOENT;
    }
    if (target.st_uid == link.st_uid) {
        return true;
    }
    errno = EACCES;
    return false;
}

// Opens the folder `path`, relative to `at` (AT_FDCWD: the working folder), one part at
// a time, following a link on the way only where MayFollow allows it. `*hops` counts the
// links followed, towards the system's limit.
Folder OpenFolderOnPath(int at, const std::string& path, int* hops) {
    const auto open = [](int from, const char* name) {
        return Folder(Retrying(
            [&] { return ::openat(from, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); }));
    };
    const bool absolute = !path.empty() && path[0] == '/';
    Folder current = absolute ? open(AT_FDCWD, "/") : open(at, ".");
    // The parts still to walk, the next one last.
    std::vector<std::string> parts;
    PushPathParts(path, &parts);
    char target[PATH_MAX];
    while (current.isOpen() && !parts.empty()) {
        const std::string part = std::move(parts.back());
        parts.pop_back();
        struct stat st;
        if (::fstatat(Fd(current), part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            return Folder();
        }
        if (!S_ISLNK(st.st_mode)) {
            current = open(Fd(current), part.c_str());
            continue;
        }
        if (++*hops > posix::kMaxLinks || !MayFollow(Fd(current), part, st)) {
            errno = *hops > posix::kMaxLinks ? ELOOP : errno;
            return Folder();
        }
        const ssize_t length = ::readlinkat(Fd(current), part.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) == sizeof target) {
            return Folder();
        }
        const std::string link(target, static_cast<std::size_t>(length));
        PushPathParts(link, &parts);
        if (link[0] == '/') {
            current = open(AT_FDCWD, "/");
        }
    }
    return current;
}

} // namespace

void posix::PushPathParts(const std::string& path, std::vector<std::string>* parts) {
    std::vector<std::string> split;
    for (std::size_t from = 0; from <= path.size();) {
        const std::size_t slash = std::min(path.find('/', from), path.size());
        if (slash > from && path.compare(from, slash - from, ".") != 0) {
            split.push_back(path.substr(from, slash - from));
        }
        from = slash + 1;
    }
    parts->insert(parts->end(), split.rbegin(), split.rend());
}

bool FindPage(const std::string& path, Folder* folder, std::string* name) {
    if (Injected("FindPage")) {
        return false;
    }
    // Each step opens the folder of the part that is left and looks at its last part
    // there: a link is followed from the folder that holds it, never from a path looked
    // up again, so the folder found holds the file the last link named.
    Folder base;
    std::string rest = path;
    char target[PATH_MAX];
    for (int hop = 0; hop <= posix::kMaxLinks; ++hop) {
        const std::size_t slash = rest.rfind('/');
        std::string last = slash == std::string::npos ? rest : rest.substr(slash + 1);
        if (last.empty()) {
            errno = EISDIR;
            return false;
        }
        const std::string folderPath = slash == std::string::npos ? "."
                                       : slash == 0               ? "/"
                                                                  : rest.substr(0, slash);
        Folder next = OpenFolderOnPath(base.isOpen() ? Fd(base) : AT_FDCWD, folderPath, &hop);
        struct stat st;
        if (!next.isOpen() || ::fstatat(Fd(next), last.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            return false; // missing, or no search permission
        }
        if (!S_ISLNK(st.st_mode)) {
            *folder = std::move(next); // not a link: this is the page
            *name = std::move(last);
            return true;
        }
        if (!MayFollow(Fd(next), last, st)) {
            return false;
        }
        const ssize_t length = ::readlinkat(Fd(next), last.c_str(), target, sizeof target);
        if (length <= 0) {
            return false;
        }
        if (static_cast<std::size_t>(length) == sizeof target) {
            errno = ENAMETOOLONG;
            return false;
        }
        rest.assign(target, static_cast<std::size_t>(length));
        base = std::move(next);
    }
    errno = ELOOP;
    return false;
}

} // namespace titora::platform
