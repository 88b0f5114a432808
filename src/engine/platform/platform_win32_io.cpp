// The platform layer on Windows: reading, writing, flushing and locking open files.
#include "platform/platform.h"
#include "platform/win32.h"

#include <algorithm>
#include <memory>
#include <new>

namespace titora::platform {

using win32::Injected;
using win32::Native;

namespace {

// ReadFile and WriteFile take a 32-bit count, and some network file systems refuse very
// large single transfers: big files go in pieces of this size.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 24;

// Windows' locks are mandatory: a lock over a file's bytes would keep every other
// handle, readers included, from them. The lock that marks a file as in use covers one
// byte far beyond any file's end instead.
constexpr std::uint64_t kLockOffset = std::uint64_t{1} << 62;

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

// Reads what there is up to `size` bytes at `offset`; fewer only at the end of the file,
// which a read coming short at or past `seenEnd` is taken to have met.
bool ReadSome(HANDLE file, std::uint64_t offset, char* data, std::size_t size, std::size_t* got,
              std::uint64_t seenEnd = UINT64_MAX) {
    *got = 0;
    while (*got < size) {
        const DWORD piece = static_cast<DWORD>(std::min(size - *got, kMaxTransfer));
        OVERLAPPED at = At(offset + *got);
        DWORD n = 0;
        if (!::ReadFile(file, data + *got, piece, &n, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) {
                break;
            }
            return false;
        }
        if (n == 0) {
            break;
        }
        *got += n;
        if (*got < size && offset + *got >= seenEnd) {
            break;
        }
    }
    return true;
}

bool WriteAll(HANDLE file, std::uint64_t offset, const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const DWORD piece = static_cast<DWORD>(std::min(size - done, kMaxTransfer));
        OVERLAPPED at = At(offset + done);
        DWORD n = 0;
        if (!::WriteFile(file, data + done, piece, &n, &at) || n == 0) {
            return false; // disk full, quota exceeded, I/O error
        }
        done += n;
    }
    return true;
}

} // namespace

bool Read(const File& file, std::uint64_t offset, char* data, std::size_t size, std::size_t* got,
          std::uint64_t seenEnd) {
    *got = 0;
    return !Injected("Read") && ReadSome(Native(file), offset, data, size, got, seenEnd);
}

bool WriteAt(const File& file, std::uint64_t offset, const char* data, std::size_t size) {
    return !Injected("WriteAt") && WriteAll(Native(file), offset, data, size);
}

bool Copy(const File& from, std::uint64_t fromOffset, const File& to, std::uint64_t toOffset,
          std::uint64_t size) {
    if (Injected("Copy")) {
        return false;
    }
    // Windows copies between two open files only on ReFS (block cloning): through a buffer.
    constexpr std::size_t kBuffer = 1 << 20;
    const std::size_t bufferSize = static_cast<std::size_t>(std::min<std::uint64_t>(size, kBuffer));
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[std::max<std::size_t>(bufferSize, 1)]);
    if (!buffer) {
        return false;
    }
    for (std::uint64_t done = 0; done < size;) {
        const std::size_t chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(size - done, bufferSize));
        std::size_t got = 0;
        if (!ReadSome(Native(from), fromOffset + done, buffer.get(), chunk, &got) || got == 0 ||
            !WriteAll(Native(to), toOffset + done, buffer.get(), got)) {
            return false; // the end of `from`, a full disk
        }
        done += got;
    }
    return true;
}

bool Truncate(const File& file, std::uint64_t size) {
    // By the file's information, not its position, which the offset reads leave as it is.
    FILE_END_OF_FILE_INFO end;
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    return !Injected("Truncate") &&
           ::SetFileInformationByHandle(Native(file), FileEndOfFileInfo, &end, sizeof end);
}

bool Flush(const File& file) {
    return !Injected("Flush") && ::FlushFileBuffers(Native(file));
}

bool Close(File& file) {
    const HANDLE handle = reinterpret_cast<HANDLE>(file.release());
    if (Injected("Close")) {
        ::CloseHandle(handle);
        return false;
    }
    return ::CloseHandle(handle) != 0;
}

bool TryLock(const File& file) {
    OVERLAPPED at = At(kLockOffset);
    return !Injected("TryLock") &&
           ::LockFileEx(Native(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                        &at);
}

bool Lock(const File& file, unsigned milliseconds) {
    if (Injected("Lock")) {
        return false;
    }
    // Asked for again and again: a waiting LockFileEx cannot be given a time limit.
    const ULONGLONG until = ::GetTickCount64() + milliseconds;
    for (DWORD pause = 1;; pause = std::min<DWORD>(pause * 2, 50)) {
        OVERLAPPED at = At(kLockOffset);
        if (::LockFileEx(Native(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                         &at)) {
            return true;
        }
        if (::GetLastError() != ERROR_LOCK_VIOLATION || ::GetTickCount64() >= until) {
            return false;
        }
        ::Sleep(pause);
    }
}

} // namespace titora::platform
