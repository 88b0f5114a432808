// The platform layer on POSIX systems: handles, finding a page, reading and writing.
#include "platform/platform.h"
#include "platform/posix.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <new>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace titora::platform {

using posix::Fd;
using posix::Injected;
using posix::Retrying;

namespace {

// Writing past a file size limit raises SIGXFSZ, which ends the process unless caught
// or ignored. The signal is held back on this thread while it writes, so that the write
// fails with EFBIG instead; the signal that the failed write left pending is then
// taken, and the thread's mask put back. Other threads and the process's handlers are
// not touched. A program that holds the signal back itself keeps what is pending.
class FileSizeSignalHeld {
public:
    FileSizeSignalHeld() {
        sigemptyset(&signal_);
        sigaddset(&signal_, SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &signal_, &old_);
    }
    FileSizeSignalHeld(const FileSizeSignalHeld&) = delete;
    FileSizeSignalHeld& operator=(const FileSizeSignalHeld&) = delete;
    ~FileSizeSignalHeld() {
        const int error = errno;
        if (limitReached_ && !sigismember(&old_, SIGXFSZ)) {
            const timespec noWait{0, 0};
            while (sigtimedwait(&signal_, nullptr, &noWait) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
        errno = error;
    }

    // Notes a failed write's error.
    void failed() { limitReached_ = limitReached_ || errno == EFBIG; }

private:
    sigset_t signal_;
    sigset_t old_;
    bool limitReached_ = false;
};

// Non-blocking, so that a FIFO or a device cannot hold the program; the caller checks
// the type before it reads.
int OpenFlags(Access access) {
    return (access == Access::kRead ? O_RDONLY : O_RDWR) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
}

void Describe(const struct stat& st, FileInfo* info) {
    info->size = static_cast<std::uint64_t>(st.st_size);
    info->regular = S_ISREG(st.st_mode);
    // Windows' read-only attribute binds every user; the owner's missing write bit is
    // its counterpart here, and binds root too.
    info->readOnly = (st.st_mode & S_IWUSR) == 0;
    info->linkCount = static_cast<std::uint64_t>(st.st_nlink);
    info->id.volume = static_cast<std::uint64_t>(st.st_dev);
    info->id.index = static_cast<std::uint64_t>(st.st_ino);
    info->modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

} // namespace

void detail::CloseHandleValue(std::intptr_t value) noexcept {
    ::close(static_cast<int>(value));
}

std::string LastErrorText() {
    // The generic category's words are strerror's, taken without its shared buffer.
    return std::generic_category().message(errno);
}

File OpenFile(const std::string& path, Access access) {
    if (Injected("OpenFile")) {
        return File();
    }
    const int fd = Retrying([&] { return ::open(path.c_str(), OpenFlags(access)); });
    return fd < 0 ? File() : File(fd);
}

File OpenInFolder(const Folder& folder, const std::string& name, Access access) {
    if (Injected("OpenInFolder")) {
        return File();
    }
    const int flags = OpenFlags(access) | O_NOFOLLOW;
    const int fd = Retrying([&] { return ::openat(Fd(folder), name.c_str(), flags); });
    return fd < 0 ? File() : File(fd);
}

Folder OpenFolder(const std::string& path) {
    if (Injected("OpenFolder")) {
        return Folder();
    }
    const int fd = Retrying([&] { return ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC); });
    return fd < 0 ? Folder() : Folder(fd);
}

bool FolderPath(const Folder& folder, std::string* path) {
    if (Injected("FolderPath")) {
        return false;
    }
    // The kernel names the folder a descriptor holds; a removed folder has no path.
    const std::string link = "/proc/self/fd/" + std::to_string(Fd(folder));
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) == sizeof buffer || buffer[0] != '/') {
        return false;
    }
    path->assign(buffer, static_cast<std::size_t>(length));
    return path->size() < 10 || path->compare(path->size() - 10, 10, " (deleted)") != 0;
}

bool GetInfo(const File& file, FileInfo* info) {
    struct stat st;
    if (Injected("GetInfo") || ::fstat(Fd(file), &st) != 0) {
        return false;
    }
    Describe(st, info);
    return true;
}

bool GetInfoAt(const Folder& folder, const std::string& name, FileInfo* info) {
    struct stat st;
    if (Injected("GetInfoAt") ||
        ::fstatat(Fd(folder), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return false;
    }
    Describe(st, info);
    return true;
}

bool Read(const File& file, std::uint64_t offset, char* data, std::size_t size, std::size_t* got,
          std::uint64_t seenEnd) {
    *got = 0;
    if (Injected("Read")) {
        return false;
    }
    while (*got < size) {
        const ssize_t n = Retrying([&] {
            return ::pread(Fd(file), data + *got, size - *got, static_cast<off_t>(offset + *got));
        });
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        *got += static_cast<std::size_t>(n);
        if (*got < size && offset + *got >= seenEnd) {
            break;
        }
    }
    return true;
}

bool WriteAt(const File& file, std::uint64_t offset, const char* data, std::size_t size) {
    if (Injected("WriteAt")) {
        return false;
    }
    FileSizeSignalHeld held;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = Retrying([&] {
            return ::pwrite(Fd(file), data + done, size - done, static_cast<off_t>(offset + done));
        });
        if (n <= 0) {
            held.failed();
            return false; // disk full, file size limit, I/O error
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool Copy(const File& from, std::uint64_t fromOffset, const File& to, std::uint64_t toOffset,
          std::uint64_t size) {
    if (Injected("Copy")) {
        return false;
    }
    FileSizeSignalHeld held;
    auto in = static_cast<off_t>(fromOffset);
    auto out = static_cast<off_t>(toOffset);
    const off_t end = in + static_cast<off_t>(size);
    // Within the kernel, sharing the blocks where the file system can; between file
    // systems that cannot, through a buffer.
    while (in < end) {
        const ssize_t n = Retrying([&] {
            return ::copy_file_range(Fd(from), &in, Fd(to), &out,
                                     static_cast<std::size_t>(end - in), 0);
        });
        if (n > 0) {
            continue;
        }
        if (n < 0 &&
            (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) &&
            in == static_cast<off_t>(fromOffset)) {
            break;
        }
        if (n < 0) {
            held.failed();
        }
        return false; // the end of `from`, a full disk, a file size limit
    }
    std::unique_ptr<char[]> buffer;
    while (in < end) {
        constexpr std::size_t kBuffer = 1 << 20;
        if (!buffer) {
            buffer.reset(new (std::nothrow) char[kBuffer]);
            if (!buffer) {
                return false;
            }
        }
        const std::size_t chunk = static_cast<std::size_t>(std::min<off_t>(end - in, kBuffer));
        const ssize_t got = Retrying([&] { return ::pread(Fd(from), buffer.get(), chunk, in); });
        if (got <= 0) {
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t n = Retrying(
                [&] { return ::pwrite(Fd(to), buffer.get() + done, got - done, out + done); });
            if (n <= 0) {
                held.failed();
                return false;
            }
            done += n;
        }
        in += got;
        out += got;
    }
    return true;
}

bool Truncate(const File& file, std::uint64_t size) {
    if (Injected("Truncate")) {
        return false;
    }
    FileSizeSignalHeld held;
    if (Retrying([&] { return ::ftruncate(Fd(file), static_cast<off_t>(size)); }) != 0) {
        held.failed();
        return false;
    }
    return true;
}

bool Flush(const File& file) {
    // The bytes and the length, which is all a page's content is; times may follow.
    return !Injected("Flush") && ::fdatasync(Fd(file)) == 0;
}

bool Close(File& file) {
    const int fd = static_cast<int>(file.release());
    if (Injected("Close")) {
        ::close(fd);
        return false;
    }
    // Linux releases the descriptor even when close reports EINTR: never retry.
    return ::close(fd) == 0;
}

bool TryLock(const File& file) {
    return !Injected("TryLock") &&
           Retrying([&] { return ::flock(Fd(file), LOCK_EX | LOCK_NB); }) == 0;
}

bool Lock(const File& file, unsigned milliseconds) {
    if (Injected("Lock")) {
        return false;
    }
    // Asked for again and again rather than waited for: a wait of the kernel's cannot
    // be bounded without a signal, which would reach the whole process. Short at first,
    // as most saves are over in a few milliseconds.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (unsigned pause = 1;; pause = std::min(pause * 2, 50u)) {
        if (Retrying([&] { return ::flock(Fd(file), LOCK_EX | LOCK_NB); }) == 0) {
            return true;
        }
        // A file system that keeps no locks cannot keep saves apart: they go on as
        // before there were locks.
        if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL) {
            return true;
        }
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
    }
}

} // namespace titora::platform
