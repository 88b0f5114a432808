// The platform layer on Windows. Paths are bytes in the system's ANSI code page, so every
// call by name is the ANSI ("A") form of its Win32 function, as the program has always
// made them. Windows keeps more about a file than its bytes (attributes, a security
// descriptor, alternate data streams): ReplaceFileA carries all of it over to the new
// file when a page is replaced, and the attributes and the access list are put on the
// new file before its first byte as well.
#include "platform/platform.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace titora::platform {
namespace {

unsigned long failAt = 0;
unsigned long calls = 0;

// Counts one call and tells whether the test hook wants it to fail.
bool Injected() {
    ++calls;
    if (failAt != 0 && calls == failAt) {
        ::SetLastError(ERROR_IO_DEVICE);
        return true;
    }
    return false;
}

HANDLE Handle(const File& file) {
    return reinterpret_cast<HANDLE>(file.handle());
}

File FromHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? File() : File(reinterpret_cast<std::intptr_t>(handle));
}

// ReadFile and WriteFile take a 32-bit count, and some network file systems refuse very
// large single transfers: big files go in pieces of this size.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 24;

// A name may lead to a named pipe. Its server must not be able to act with this
// process's rights: it sees an anonymous client.
constexpr DWORD kOpenFlags = FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_ANONYMOUS;

File OpenExisting(const std::string& path, DWORD access, DWORD share) {
    if (Injected()) {
        return File();
    }
    return FromHandle(
        ::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, kOpenFlags, nullptr));
}

// Six characters from a counter, the process and the clock, in lower case only: the
// file system may not tell letter cases apart.
std::string UniqueSuffix() {
    static std::atomic<unsigned long> counter{0};
    unsigned long value = (counter++ * 2654435761UL) ^ ::GetCurrentProcessId() ^ ::GetTickCount();
    std::string suffix;
    for (int i = 0; i < 6; ++i, value >>= 5) {
        suffix += "0123456789abcdefghijklmnopqrstuv"[value & 31];
    }
    return suffix;
}

// Gives `to` the access list of `from`. True without a change where the file system
// keeps no security descriptors (FAT).
bool CopyAccessList(const File& from, const File& to) {
    DWORD needed = 0;
    ::GetKernelObjectSecurity(Handle(from), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    if (needed == 0) {
        const DWORD error = ::GetLastError();
        return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION;
    }
    std::vector<unsigned char> descriptor(needed);
    if (!::GetKernelObjectSecurity(Handle(from), DACL_SECURITY_INFORMATION, descriptor.data(),
                                   needed, &needed)) {
        return false;
    }
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL acl = nullptr;
    if (!::GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted)) {
        return false;
    }
    return !present ||
           ::SetKernelObjectSecurity(Handle(to), DACL_SECURITY_INFORMATION, descriptor.data());
}

// Gives `to` the attributes (hidden, system, archive, not indexed) and the creation time
// of `from`; its other times stay as they are.
bool CopyAttributes(const File& from, const File& to) {
    FILE_BASIC_INFO page;
    if (!::GetFileInformationByHandleEx(Handle(from), FileBasicInfo, &page, sizeof page)) {
        return false;
    }
    FILE_BASIC_INFO copy = {};
    copy.CreationTime = page.CreationTime;
    copy.FileAttributes =
        page.FileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (copy.FileAttributes == 0) {
        copy.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    }
    return ::SetFileInformationByHandle(Handle(to), FileBasicInfo, &copy, sizeof copy);
}

} // namespace

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        if (isOpen()) {
            ::CloseHandle(Handle(*this));
        }
        handle_ = other.release();
    }
    return *this;
}

File::~File() {
    if (isOpen()) {
        ::CloseHandle(Handle(*this));
    }
}

std::intptr_t File::release() noexcept {
    const std::intptr_t handle = handle_;
    handle_ = kInvalid;
    return handle;
}

File OpenForReading(const std::string& path) {
    // Others may go on reading and writing the page while it is read.
    return OpenExisting(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

File OpenForWriting(const std::string& path) {
    // While the page is saved others may read it but nobody may write it. Delete sharing
    // lets ReplaceFileA move the page aside while this handle still holds it.
    return OpenExisting(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE);
}

bool GetInfo(const File& file, FileInfo* info) {
    if (Injected()) {
        return false;
    }
    *info = FileInfo();
    // A console, a device or a pipe is no page, and reading one could block.
    if (::GetFileType(Handle(file)) != FILE_TYPE_DISK) {
        info->regular = false;
        return true;
    }
    BY_HANDLE_FILE_INFORMATION data;
    if (!::GetFileInformationByHandle(Handle(file), &data)) {
        return false;
    }
    info->size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    info->regular =
        (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
    info->readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    info->linkCount = data.nNumberOfLinks;
    return true;
}

bool Read(const File& file, char* data, std::size_t size, std::size_t* got) {
    *got = 0;
    if (Injected()) {
        return false;
    }
    while (*got < size) {
        const DWORD piece = static_cast<DWORD>(std::min(size - *got, kMaxTransfer));
        DWORD n = 0;
        if (!::ReadFile(Handle(file), data + *got, piece, &n, nullptr)) {
            return false;
        }
        if (n == 0) {
            break;
        }
        *got += n;
    }
    return true;
}

bool WriteAt(const File& file, std::uint64_t offset, const char* data, std::size_t size) {
    if (Injected()) {
        return false;
    }
    std::size_t done = 0;
    while (done < size) {
        const DWORD piece = static_cast<DWORD>(std::min(size - done, kMaxTransfer));
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset + done);
        at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
        DWORD n = 0;
        if (!::WriteFile(Handle(file), data + done, piece, &n, &at) || n == 0) {
            return false; // disk full, quota exceeded, I/O error
        }
        done += n;
    }
    return true;
}

bool Truncate(const File& file, std::uint64_t size) {
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    return !Injected() && ::SetFilePointerEx(Handle(file), end, nullptr, FILE_BEGIN) &&
           ::SetEndOfFile(Handle(file));
}

bool Flush(const File& file) {
    return !Injected() && ::FlushFileBuffers(Handle(file));
}

bool Close(File& file) {
    const HANDLE handle = reinterpret_cast<HANDLE>(file.release());
    if (Injected()) {
        ::CloseHandle(handle);
        return false;
    }
    return ::CloseHandle(handle) != 0;
}

bool ResolvePath(const std::string& path, std::string* resolved) {
    if (Injected()) {
        return false;
    }
    // Opened with no access at all, only to ask which file the name reaches.
    const File file = FromHandle(
        ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, kOpenFlags, nullptr));
    if (!file.isOpen()) {
        return false;
    }
    // The answer keeps its "\\?\" prefix: the name is then taken exactly as it stands,
    // also where a folder's name ends in a dot or a blank.
    std::string name(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            ::GetFinalPathNameByHandleA(Handle(file), name.data(), static_cast<DWORD>(name.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return false;
        }
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.resize(length); // too small: `length` counts the terminating NUL as well
    }
    *resolved = std::move(name);
    return true;
}

File CreateTemporaryBeside(const std::string& target, std::string* temporaryPath) {
    if (Injected()) {
        return File();
    }
    // A short name, so that it fits wherever the page's own name fits.
    const std::size_t cut = target.find_last_of("\\/:");
    const std::string folder = cut == std::string::npos ? std::string() : target.substr(0, cut + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = folder + ".titora-" + UniqueSuffix();
        // Nobody else may open it while the new text is written. WRITE_DAC: the page's
        // access list is put on it before its first byte.
        const HANDLE handle = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE | WRITE_DAC,
                                            0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            *temporaryPath = name;
            return FromHandle(handle);
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return File();
        }
    }
    return File();
}

bool CopyMetadata(const File& from, const File& to) {
    // ReplaceFileA carries the page's attributes, access list and streams over to the new
    // file. The attributes and the access list are put on it here as well, before the new
    // text is written: nobody whom the page shuts out may read the text in the meantime,
    // and they hold even where the system's replace does not keep them.
    return !Injected() && CopyAccessList(from, to) && CopyAttributes(from, to);
}

bool Rename(const std::string& from, const std::string& to) {
    if (Injected()) {
        return false;
    }
    // With a backup name, a replace that fails leaves both files under names of their
    // own (without one, Windows may leave the page's name empty), and the page, which
    // the caller still holds open, is moved aside rather than deleted under the handle.
    const std::string backup = from + "~";
    ::DeleteFileA(backup.c_str()); // left by a save that was cut off, if by any
    if (::ReplaceFileA(to.c_str(), from.c_str(), backup.c_str(), 0, nullptr, nullptr)) {
        // The old page: gone once the caller's handle closes.
        ::DeleteFileA(backup.c_str());
        return true;
    }
    if (::GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // The page was moved aside, but the new file could not take its name: the page
        // goes back, and the caller rewrites it in place.
        ::MoveFileExA(backup.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    return false;
}

void Remove(const std::string& path) {
    ::DeleteFileA(path.c_str());
}

unsigned SystemCodePage() {
    return ::GetACP();
}

bool SystemLeadBytes(std::bitset<256>* lead) {
    // The system's code page is chosen when Windows starts and stays: one table will do.
    static const std::bitset<256> table = [] {
        std::bitset<256> bytes;
        const UINT codePage = ::GetACP();
        for (unsigned byte = 0; byte < 256; ++byte) {
            if (::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(byte))) {
                bytes.set(byte);
            }
        }
        return bytes;
    }();
    *lead = table;
    return true;
}

void FailNthCall(unsigned long n) {
    failAt = n;
    calls = 0;
}

unsigned long CountedCalls() {
    return calls;
}

} // namespace titora::platform
