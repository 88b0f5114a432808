// The platform layer on Windows: replacing a page by a new file beside it.
//
// Windows has no file without a name: the new file has one of a few fixed hidden names
// from the start, and is opened with no sharing at all while its writer lives. Nobody
// else can then open it, remove it included, so that a later save removes the one it
// can open, which only a killed writer leaves.
//
// The new file takes the page's place by one rename, relative to the page's folder
// handle, that replaces the page. Windows refuses to replace a file that anyone holds
// open, the program itself included: the page is closed for the swap, and opened again
// should the swap be refused (another program holds it: it is rewritten in place then).
// While it was held it could not be moved or removed (Access::kSave); the name is
// looked at once more just before it is closed. What is left open is the moment between
// that look and the rename: a program that opens the page in it, moves it away and puts
// a file of its own at the name has that file replaced, though never written into.
#include "platform/platform.h"
#include "platform/win32.h"

#include <aclapi.h>

#include <memory>
#include <vector>

namespace titora::platform {

using win32::Injected;
using win32::kNoFollow;
using win32::kShareAll;
using win32::Native;
using win32::OpenRelative;
using win32::Value;

namespace {

using detail::kSlots;
using detail::SlotName;

// Removes the temporary file at `name` in `folder` if its writer is gone: a regular file
// with one name that can be opened with no sharing. True when the name is free after.
bool ClearAbandoned(HANDLE folder, const std::string& name) {
    const File file(Value(OpenRelative(folder, name, DELETE | FILE_READ_ATTRIBUTES, 0, FILE_OPEN,
                                       kNoFollow | win32::kFileOnly)));
    if (!file.isOpen()) {
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    FileInfo info;
    // Its name goes once the one handle, this one, closes.
    return win32::Describe(Native(file), &info) && info.regular && info.linkCount == 1 &&
           win32::MarkForDeletion(Native(file));
}

// The security descriptor parts of `from` that go to `to`: owner, group and access list.
// True without a change on a file system that keeps none (FAT).
bool CopySecurity(HANDLE from, HANDLE to) {
    constexpr SECURITY_INFORMATION kParts =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD needed = 0;
    ::GetKernelObjectSecurity(from, kParts, nullptr, 0, &needed);
    if (needed == 0) {
        const DWORD error = ::GetLastError();
        return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION;
    }
    std::vector<unsigned char> descriptor(needed);
    if (!::GetKernelObjectSecurity(from, kParts, descriptor.data(), needed, &needed)) {
        return false;
    }
    if (::SetKernelObjectSecurity(to, kParts, descriptor.data())) {
        return true;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION;
}

// Gives `to` the attributes (hidden, system, archive, not indexed) and the creation time
// of `from`; its other times stay as they are.
bool CopyAttributes(HANDLE from, HANDLE to) {
    FILE_BASIC_INFO page;
    if (!::GetFileInformationByHandleEx(from, FileBasicInfo, &page, sizeof page)) {
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
    return ::SetFileInformationByHandle(to, FileBasicInfo, &copy, sizeof copy);
}

bool CopyStream(HANDLE from, HANDLE to, const std::wstring& stream) {
    const File in(Value(OpenRelative(from, stream, GENERIC_READ, kShareAll, FILE_OPEN, 0)));
    const File out(Value(OpenRelative(to, stream, GENERIC_WRITE, 0, FILE_CREATE, 0)));
    LARGE_INTEGER size;
    return in.isOpen() && out.isOpen() && ::GetFileSizeEx(Native(in), &size) &&
           Copy(in, 0, out, 0, static_cast<std::uint64_t>(size.QuadPart));
}

// Copies the alternate data streams of `from` to `to`, each opened relative to its file.
// True where the file system keeps none.
bool CopyStreams(HANDLE from, HANDLE to) {
    std::vector<unsigned char> list(64 * 1024);
    while (!::GetFileInformationByHandleEx(from, FileStreamInfo, list.data(),
                                           static_cast<DWORD>(list.size()))) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_MORE_DATA || list.size() >= (1u << 24)) {
            return error == ERROR_HANDLE_EOF || error == ERROR_INVALID_PARAMETER ||
                   error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED;
        }
        list.resize(list.size() * 4);
    }
    for (std::size_t at = 0;;) {
        const auto* entry = reinterpret_cast<const FILE_STREAM_INFO*>(list.data() + at);
        const std::wstring stream(entry->StreamName, entry->StreamNameLength / sizeof(wchar_t));
        // The unnamed stream is the file's bytes, which the new file has of its own.
        if (stream != L"::$DATA" && !CopyStream(from, to, stream)) {
            return false;
        }
        if (entry->NextEntryOffset == 0) {
            return true;
        }
        at += entry->NextEntryOffset;
    }
}

} // namespace

bool CanReplace(const Folder& folder, const File& page) {
    if (Injected("CanReplace")) {
        return false;
    }
    // Whether the folder takes new files shows when the temporary file is made. A page
    // that another user owns is left to them: a new file would be this user's.
    (void)folder;
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = ::GetSecurityInfo(Native(page), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                                          &owner, nullptr, nullptr, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
        return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION; // no owners
    }
    const bool own = owner == nullptr || win32::IsOwnSid(owner);
    ::LocalFree(descriptor);
    return own;
}

void Temporary::discard() noexcept {
    // Through the handle that no one else could open: removed whatever its name now is.
    if (!name_.empty() && file_.isOpen()) {
        win32::MarkForDeletion(Native(file_));
    }
    name_.clear();
    file_ = File();
}

Temporary CreateTemporary(const Folder& folder) {
    Temporary temporary;
    if (Injected("CreateTemporary")) {
        return temporary;
    }
    // Hidden, no sharing, and the user alone may open it until the page's own access
    // list is put on it; DELETE for the rename, WRITE_DAC and WRITE_OWNER for the copy of
    // the page's security.
    constexpr ACCESS_MASK kAccess = GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC | WRITE_OWNER;
    const PSECURITY_DESCRIPTOR security = win32::OwnerOnly(false);
    for (int slot = 0; slot < kSlots; ++slot) {
        const std::string name = SlotName(slot);
        for (int tries = 0; tries < 2; ++tries) {
            const HANDLE file = OpenRelative(Native(folder), name, kAccess, 0, FILE_CREATE,
                                             win32::kFileOnly, security);
            if (file != INVALID_HANDLE_VALUE) {
                FILE_BASIC_INFO hidden = {};
                hidden.FileAttributes = FILE_ATTRIBUTE_HIDDEN;
                ::SetFileInformationByHandle(file, FileBasicInfo, &hidden, sizeof hidden);
                temporary.folder_ = &folder;
                temporary.file_ = File(Value(file));
                temporary.name_ = name;
                return temporary;
            }
            if (::GetLastError() != ERROR_ALREADY_EXISTS && ::GetLastError() != ERROR_FILE_EXISTS) {
                return Temporary(); // no file can be made here at all
            }
            if (!ClearAbandoned(Native(folder), name)) {
                break; // in use: the next one
            }
        }
    }
    return Temporary();
}

bool CopyMetadata(const File& from, const File& to) {
    // The new file is readable by its owner alone until then: nobody whom the page shuts
    // out may read its text.
    return !Injected("CopyMetadata") && CopySecurity(Native(from), Native(to)) &&
           CopyAttributes(Native(from), Native(to)) && CopyStreams(Native(from), Native(to));
}

Privileges GetPrivileges(const File&) {
    return Privileges();
}

void RestorePrivileges(const File&, const Privileges&) {}

Replacement Replace(Temporary& temporary, const std::string& name, File& page, const FileInfo&) {
    // No one else may write a page held for a save (Access::kSave): it cannot have
    // changed since it was read.
    FileInfo held;
    if (Injected("Replace") || temporary.folder_ == nullptr ||
        !win32::Describe(Native(page), &held)) {
        return Replacement::kRefused;
    }
    const HANDLE folder = Native(*temporary.folder_);
    // The look at the name holds the file there only while it looks: a handle left open
    // would itself stop the rename.
    const auto isPage = [&](const File& file) {
        FileInfo now;
        return file.isOpen() && win32::Describe(Native(file), &now) && now.id == held.id;
    };
    if (!isPage(File(Value(
            OpenRelative(folder, name, FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, kNoFollow))))) {
        return Replacement::kNameMoved;
    }
    page = File();
    if (win32::RenameRelative(Native(temporary.file_), folder, name, true)) {
        temporary.name_.clear();
        return Replacement::kDone;
    }
    // Refused: the page is open in another program, or may not be removed. It is opened
    // again, for the caller to rewrite in place, provided it is still the page.
    page = OpenInFolder(*temporary.folder_, name, Access::kSave);
    return isPage(page) ? Replacement::kRefused : Replacement::kNameMoved;
}

bool RemoveAbandonedTemporaries(const Folder& folder, std::string*) {
    // A file that can be opened for deletion with no sharing is removed once it closes;
    // one that cannot is held by its writer, or is not the user's to remove.
    for (int slot = 0; slot < kSlots; ++slot) {
        ClearAbandoned(Native(folder), SlotName(slot));
    }
    return true;
}

} // namespace titora::platform
