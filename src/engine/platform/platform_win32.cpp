// The platform layer on Windows: handles, finding a page and opening files.
#include "platform/platform.h"
#include "platform/win32.h"

#include <string>
#include <vector>

namespace titora::platform {

using win32::Describe;
using win32::Injected;
using win32::kNoFollow;
using win32::kShareAll;
using win32::Native;
using win32::OpenRelative;
using win32::Value;

namespace win32 {
namespace {

// The setting that the "A" functions follow: the ANSI code page, unless the program
// has switched them to the OEM one.
UINT FileNameCodePage() {
    return ::AreFileApisANSI() ? CP_ACP : CP_OEMCP;
}

bool Widen(const std::string& name, std::wstring* wide) {
    wide->clear();
    if (name.empty()) {
        return true;
    }
    const int size = static_cast<int>(name.size());
    const int length = ::MultiByteToWideChar(FileNameCodePage(), MB_ERR_INVALID_CHARS, name.data(),
                                             size, nullptr, 0);
    if (length <= 0) {
        ::SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    wide->resize(static_cast<std::size_t>(length));
    return ::MultiByteToWideChar(FileNameCodePage(), MB_ERR_INVALID_CHARS, name.data(), size,
                                 wide->data(), length) == length;
}

// NtCreateFile's and NtSetInformationFile's view of a name.
UNICODE_STRING Counted(const std::wstring& name) {
    UNICODE_STRING counted;
    counted.Buffer = const_cast<PWSTR>(name.c_str());
    counted.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    counted.MaximumLength = counted.Length;
    return counted;
}

// FILE_RENAME_INFORMATION, which winternl.h leaves out.
struct RenameInformation {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    ULONG fileNameLength;
    WCHAR fileName[1];
};

} // namespace

bool IsLink(HANDLE file, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return false;
    }
    FILE_ATTRIBUTE_TAG_INFO tag;
    return !::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag) ||
           IsReparseTagNameSurrogate(tag.ReparseTag);
}

HANDLE OpenRelative(HANDLE root, const std::wstring& name, ACCESS_MASK access, ULONG share,
                    ULONG disposition, ULONG options, PSECURITY_DESCRIPTOR security) {
    UNICODE_STRING counted = Counted(name);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &counted, OBJ_CASE_INSENSITIVE, root, security);
    IO_STATUS_BLOCK status;
    HANDLE handle = INVALID_HANDLE_VALUE;
    const NTSTATUS result = ::NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &status,
                                           nullptr, FILE_ATTRIBUTE_NORMAL, share, disposition,
                                           options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (result != 0) {
        ::SetLastError(::RtlNtStatusToDosError(result));
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

HANDLE OpenRelative(HANDLE root, const std::string& name, ACCESS_MASK access, ULONG share,
                    ULONG disposition, ULONG options, PSECURITY_DESCRIPTOR security) {
    std::wstring wide;
    // An empty name would open the folder itself.
    if (name.empty() || !Widen(name, &wide)) {
        ::SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    return OpenRelative(root, wide, access, share, disposition, options, security);
}

bool RenameRelative(HANDLE file, HANDLE folder, const std::string& name, bool replace) {
    std::wstring wide;
    if (name.empty() || !Widen(name, &wide)) {
        ::SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    const std::size_t bytes = wide.size() * sizeof(wchar_t);
    std::vector<char> buffer(sizeof(RenameInformation) + bytes);
    auto* rename = reinterpret_cast<RenameInformation*>(buffer.data());
    rename->replaceIfExists = replace ? TRUE : FALSE;
    rename->rootDirectory = folder;
    rename->fileNameLength = static_cast<ULONG>(bytes);
    wide.copy(rename->fileName, wide.size());
    // The system's SetFileInformationByHandle does not take a folder to rename in on
    // every version: the native call does.
    IO_STATUS_BLOCK status;
    const NTSTATUS result = ::NtSetInformationFile(
        file, &status, buffer.data(), static_cast<ULONG>(buffer.size()), FileRenameInformation);
    if (result != 0) {
        ::SetLastError(::RtlNtStatusToDosError(result));
        return false;
    }
    return true;
}

bool MarkForDeletion(HANDLE file) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                        sizeof disposition);
}

bool Describe(HANDLE file, FileInfo* info) {
    *info = FileInfo();
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        return true;
    }
    BY_HANDLE_FILE_INFORMATION data;
    if (!::GetFileInformationByHandle(file, &data)) {
        return false;
    }
    info->size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    info->regular =
        (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0 &&
        !IsLink(file, data.dwFileAttributes);
    info->readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    info->linkCount = data.nNumberOfLinks;
    info->id.volume = data.dwVolumeSerialNumber;
    info->id.index = (std::uint64_t{data.nFileIndexHigh} << 32) | data.nFileIndexLow;
    info->modified =
        static_cast<std::int64_t>((std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                  data.ftLastWriteTime.dwLowDateTime);
    return true;
}

HANDLE OpenByPath(const std::string& path, DWORD access, DWORD share, DWORD flags) {
    return ::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                         flags | SECURITY_SQOS_PRESENT | SECURITY_ANONYMOUS, nullptr);
}

bool FinalPath(HANDLE handle, std::string* path) {
    std::string name(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleA(
            handle, name.data(), static_cast<DWORD>(name.size()), FILE_NAME_NORMALIZED);
        if (length == 0) {
            return false;
        }
        const bool fits = length < name.size();
        name.resize(length); // too small: `length` counts the terminating NUL as well
        if (fits) {
            break;
        }
    }
    *path = std::move(name);
    return true;
}

} // namespace win32

namespace {

Folder OpenFolderHandle(const std::string& path) {
    // A folder is opened as a folder only with backup semantics, which open files as
    // well: one that is not a folder is put back.
    Folder folder(
        Value(win32::OpenByPath(path, FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                                kShareAll, FILE_FLAG_BACKUP_SEMANTICS)));
    BY_HANDLE_FILE_INFORMATION data;
    if (folder.isOpen() && (!::GetFileInformationByHandle(Native(folder), &data) ||
                            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)) {
        ::SetLastError(ERROR_DIRECTORY);
        return Folder();
    }
    return folder;
}

bool DescribeAt(const Folder& folder, const std::string& name, FileInfo* info) {
    // Asking for attributes alone neither waits for nor shuts out other programs.
    const File file(Value(
        OpenRelative(Native(folder), name, FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, kNoFollow)));
    return file.isOpen() && Describe(Native(file), info);
}

// `path` made absolute, as the system would take it.
bool FullPath(const std::string& path, std::string* full) {
    const DWORD length = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) {
        return false;
    }
    full->assign(length, '\0');
    const DWORD written = ::GetFullPathNameA(path.c_str(), length, full->data(), nullptr);
    if (written == 0 || written >= length) {
        return false;
    }
    full->resize(written);
    return true;
}

// What others may do with a file while it is open: see Access.
DWORD ShareFor(Access access) {
    return access == Access::kSave ? FILE_SHARE_READ : kShareAll;
}

DWORD AccessFor(Access access) {
    return access == Access::kRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
}

} // namespace

void detail::CloseHandleValue(std::intptr_t value) noexcept {
    ::CloseHandle(reinterpret_cast<HANDLE>(value));
}

std::string LastErrorText() {
    const DWORD error = ::GetLastError();
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string words = length == 0 ? "Error " + std::to_string(error) : std::string(text, length);
    ::LocalFree(text);
    // The system ends its words with a full stop and a line break; the caller puts them
    // at the end of a line of its own.
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' ||
                              words.back() == '.'))
        words.pop_back();
    return words;
}

bool FindPage(const std::string& path, Folder* folder, std::string* name) {
    if (Injected("FindPage")) {
        return false;
    }
    // Opened with no access to its bytes, only to learn which file the path finally
    // reaches, links followed; its folder and name are then taken from the system.
    const File reached(Value(win32::OpenByPath(path, FILE_READ_ATTRIBUTES, kShareAll, 0)));
    FileInfo info;
    std::string final;
    if (!reached.isOpen() || !Describe(Native(reached), &info)) {
        return false;
    }
    // A console, a device or a pipe has no folder; a folder is no page.
    if (!info.regular) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // Some file systems (some network and RAM drives) cannot name an open file: the path
    // itself is then the road, and a link at its end cannot be followed (see below).
    if (!win32::FinalPath(Native(reached), &final) && !FullPath(path, &final)) {
        return false;
    }
    const std::size_t cut = final.rfind('\\');
    if (cut == std::string::npos || cut + 1 == final.size()) {
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    // The name must lead to the file the path reached from the folder now held: the
    // path may have been changed meanwhile, end in a link that was not followed, or the
    // name have no spelling in the code page.
    Folder found = OpenFolderHandle(final.substr(0, cut + 1));
    const std::string leaf = final.substr(cut + 1);
    FileInfo named;
    if (!found.isOpen() || !DescribeAt(found, leaf, &named) || named.id != info.id) {
        ::SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    *folder = std::move(found);
    *name = leaf;
    return true;
}

File OpenFile(const std::string& path, Access access) {
    if (Injected("OpenFile")) {
        return File();
    }
    return File(Value(win32::OpenByPath(path, AccessFor(access), ShareFor(access), 0)));
}

File OpenInFolder(const Folder& folder, const std::string& name, Access access) {
    if (Injected("OpenInFolder")) {
        return File();
    }
    const auto open = [&](ULONG options) {
        return File(Value(OpenRelative(Native(folder), name, AccessFor(access), ShareFor(access),
                                       FILE_OPEN, options | win32::kFileOnly)));
    };
    File file = open(kNoFollow);
    BY_HANDLE_FILE_INFORMATION link;
    if (!file.isOpen() || !::GetFileInformationByHandle(Native(file), &link) ||
        (link.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 ||
        win32::IsLink(Native(file), link.dwFileAttributes)) {
        return file;
    }
    // A reparse point that is no link (a file kept in the cloud, say) is opened once more
    // through the system's filter, which brings in its bytes: the first handle goes first,
    // since it may shut out the second, and the second must hold the same file.
    file = File();
    file = open(0);
    BY_HANDLE_FILE_INFORMATION data;
    if (file.isOpen() &&
        (!::GetFileInformationByHandle(Native(file), &data) ||
         data.dwVolumeSerialNumber != link.dwVolumeSerialNumber ||
         data.nFileIndexHigh != link.nFileIndexHigh || data.nFileIndexLow != link.nFileIndexLow)) {
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        return File();
    }
    return file;
}

Folder OpenFolder(const std::string& path) {
    if (Injected("OpenFolder")) {
        return Folder();
    }
    return OpenFolderHandle(path);
}

bool FolderPath(const Folder& folder, std::string* path) {
    return !Injected("FolderPath") && win32::FinalPath(Native(folder), path);
}

bool GetInfo(const File& file, FileInfo* info) {
    return !Injected("GetInfo") && Describe(Native(file), info);
}

bool GetInfoAt(const Folder& folder, const std::string& name, FileInfo* info) {
    return !Injected("GetInfoAt") && DescribeAt(folder, name, info);
}

} // namespace titora::platform
