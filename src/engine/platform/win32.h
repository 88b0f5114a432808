// Helpers shared by the Windows implementation files of the platform layer.
//
// Paths are bytes in the system's ANSI code page, as the program has always taken them:
// a call by path is the ANSI ("A") form of its Win32 function. A file in a folder held
// open is reached through NtCreateFile relative to the folder's handle, the system's
// counterpart of openat: the name is looked up in the folder the handle holds, wherever
// that folder has since been moved. Such a name is converted to UTF-16 as the "A"
// functions convert theirs.
#pragma once

#include "platform/call_hooks.h"
#include "platform/platform.h"

#include <windows.h>

#include <winternl.h>

#include <string>

namespace titora::platform::win32 {

inline HANDLE Native(const Handle& handle) {
    return reinterpret_cast<HANDLE>(handle.handle());
}

inline std::intptr_t Value(HANDLE handle) {
    return reinterpret_cast<std::intptr_t>(handle);
}

// Counts the call `name` for the test hooks; true, with the last error set as an I/O
// error would set it, when the test wants it to fail.
inline bool Injected(const char* name) {
    if (detail::CountCall(name)) {
        ::SetLastError(ERROR_IO_DEVICE);
        return true;
    }
    return false;
}

inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// NtCreateFile's options for what is opened relative to a folder: the link itself, never
// what it leads to; and for a file, never a folder.
inline constexpr ULONG kNoFollow = 0x00200000; // FILE_OPEN_REPARSE_POINT
inline constexpr ULONG kFileOnly = FILE_NON_DIRECTORY_FILE;

// Opens `name` in the folder or file `root` (a stream name ":s:$DATA" for a file) with
// NtCreateFile. `disposition` is FILE_OPEN or FILE_CREATE; a new file gets `security`
// where it is given. INVALID_HANDLE_VALUE, with the last error set, on failure.
HANDLE OpenRelative(HANDLE root, const std::string& name, ACCESS_MASK access, ULONG share,
                    ULONG disposition, ULONG options, PSECURITY_DESCRIPTOR security = nullptr);
HANDLE OpenRelative(HANDLE root, const std::wstring& name, ACCESS_MASK access, ULONG share,
                    ULONG disposition, ULONG options, PSECURITY_DESCRIPTOR security = nullptr);

// Gives the file open as `file` (with DELETE access) the name `name` in `folder`; with
// `replace` a file at that name is replaced. False, with the last error set, when the
// system refuses: the name is taken, or (Windows refuses to replace a file that anyone
// holds open) the file at it is open.
bool RenameRelative(HANDLE file, HANDLE folder, const std::string& name, bool replace);

// Has the file open as `file` (with DELETE access) removed once every handle of it closes.
bool MarkForDeletion(HANDLE file);

// Whether `file`, with `attributes`, is a link: a name surrogate (a symbolic link, a
// junction) stands for another file, whereas other reparse points (files kept in the
// cloud, deduplicated files) are the file itself.
bool IsLink(HANDLE file, DWORD attributes);

// What `file` is. A console, a device or a pipe is described as no regular file without
// a further question, since asking could block.
bool Describe(HANDLE file, FileInfo* info);

// What `path` names, links followed, opened with `access` and `share`; `flags` are
// CreateFileA's. A named pipe's server sees an anonymous client that it cannot act as.
HANDLE OpenByPath(const std::string& path, DWORD access, DWORD share, DWORD flags);

// The path of the open file or folder, as the system now names it ("\\?\C:\site").
bool FinalPath(HANDLE handle, std::string* path);

// A security descriptor that lets the user running the program alone at a new file or,
// with `inheritable`, at a new folder and all it will hold. Null when it cannot be made.
PSECURITY_DESCRIPTOR OwnerOnly(bool inheritable);

// Whether `owner` is the user running the program, or the owner that its new files get.
bool IsOwnSid(PSID owner);

} // namespace titora::platform::win32
