// The POSIX side of test_files.h, included through it: a scratch folder under /tmp,
// whole-file reads and writes, links and identities, the test's state folders, and
// running engine calls in a child process, as an unprivileged user where root would
// bypass permissions.
#pragma once

#include "test_outcome.h"

#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <set>
#include <stdexcept>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace titora::test {

// The user and group that unprivileged cases run as ("nobody" on Debian).
inline constexpr uid_t kNobody = 65534;
inline constexpr gid_t kNogroup = 65534;

inline bool IsRoot() {
    return ::geteuid() == 0;
}

// A fresh folder under /tmp, reachable by every user, removed with all it holds.
class ScratchFolder {
public:
    ScratchFolder() {
        char name[] = "/tmp/titora-test-XXXXXX";
        if (::mkdtemp(name) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = name;
        ::chmod(path_.c_str(), 0755);
    }
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    static void RemoveTree(const std::string& path) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) {
            return;
        }
        if (S_ISDIR(st.st_mode)) {
            ::chmod(path.c_str(), 0700);
            for (const std::string& name : Names(path)) {
                RemoveTree(path + "/" + name);
            }
            ::rmdir(path.c_str());
            return;
        }
        ::unlink(path.c_str());
    }

    // The names in folder `path`, without "." and "..".
    static std::set<std::string> Names(const std::string& path) {
        std::set<std::string> names;
        if (DIR* dir = ::opendir(path.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..") {
                    names.insert(name);
                }
            }
            ::closedir(dir);
        }
        return names;
    }

    std::set<std::string> names() const { return Names(path_); }

private:
    std::string path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes, mode_t mode = 0644) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, mode);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        throw std::runtime_error("cannot write " + path);
    }
    ::close(fd);
    ::chmod(path.c_str(), mode);
}

inline std::string ReadBytes(const std::string& path) {
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        throw std::runtime_error("cannot read " + path);
    }
    char chunk[65536];
    ssize_t n;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0) {
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

inline struct stat StatOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st;
}

// The state folders of a test process, where journals go: one for the process and one
// for the unprivileged children it runs, made at start-up and removed at exit, so that
// no test touches the user's own.
class StateHomes {
public:
    StateHomes() {
        ::mkdir(own().c_str(), 0700);
        ::mkdir(unprivileged().c_str(), 0700);
        if (IsRoot() && ::chown(unprivileged().c_str(), kNobody, kNogroup) != 0) {
            throw std::runtime_error("chown failed");
        }
        ::setenv("XDG_STATE_HOME", own().c_str(), 1);
    }

    std::string own() const { return root_ / "own"; }
    std::string unprivileged() const { return root_ / "nobody"; }
    // The folders that hold the journals.
    std::string journals() const { return own() + "/titora"; }
    std::string unprivilegedJournals() const { return unprivileged() + "/titora"; }

private:
    ScratchFolder root_;
};

inline StateHomes stateHomes;

// Drops root's rights in a child: user and group 65534 without supplementary groups, as
// "setpriv --reuid=65534 --regid=65534 --clear-groups" would do, with a state folder of
// its own. Ends the child on failure.
inline void BecomeUnprivileged() {
    if (!IsRoot()) {
        return;
    }
    if (::setgroups(0, nullptr) != 0 || ::setresgid(kNogroup, kNogroup, kNogroup) != 0 ||
        ::setresuid(kNobody, kNobody, kNobody) != 0) {
        ::_exit(3);
    }
    ::setenv("XDG_STATE_HOME", stateHomes.unprivileged().c_str(), 1);
}

// Gives the file `existing` the second name `name`.
inline bool HardLink(const std::string& existing, const std::string& name) {
    return ::link(existing.c_str(), name.c_str()) == 0;
}

// What tells the file at `path` from every other, and how many names it has.
inline Identity IdentityOf(const std::string& path) {
    const struct stat st = StatOf(path);
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::uint64_t>(st.st_nlink)};
}

// Holds a file open as a save holds its temporary file while it writes it: locked.
class HeldFile {
public:
    explicit HeldFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY)) {
        if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0) {
            throw std::runtime_error("cannot hold " + path);
        }
    }
    ~HeldFile() { ::close(fd_); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    int fd_;
};

// The environment variable that names the base of the state folder, and a value of it
// under which no state folder can be.
inline constexpr const char* kStateHomeVariable = "XDG_STATE_HOME";
inline constexpr const char* kNoStateHome = "/dev/null";

inline void SetEnvironment(const char* name, const std::string& value) {
    ::setenv(name, value.c_str(), 1);
}

// Runs `call` in a child process and brings back its outcome. With `prepare` the
// child first runs it (setting limits, say). With `unprivileged` a root child first
// becomes user and group 65534 (BecomeUnprivileged).
inline Outcome RunInChild(const std::function<std::string()>& call, bool unprivileged,
                          const std::function<void()>& prepare = {}) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        if (unprivileged) {
            BecomeUnprivileged();
        }
        if (prepare) {
            prepare();
        }
        const Outcome outcome = Run(call);
        const std::string message = (outcome.failed ? "E" : "R") + outcome.text;
        const bool sent = ::write(pipeFds[1], message.data(), message.size()) ==
                          static_cast<ssize_t>(message.size());
        ::_exit(sent ? 0 : 4);
    }
    ::close(pipeFds[1]);
    std::string message;
    char chunk[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0) {
        message.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || message.empty()) {
        return {true, "child process failed, status " + std::to_string(status)};
    }
    return {message[0] == 'E', message.substr(1)};
}

} // namespace titora::test
