// Listing folders on Windows, by the "A" functions: names are bytes in the system's
// ANSI code page, as the engine takes its paths.
#include "folder_listing.h"

#include <windows.h>

namespace titora::walker {
namespace {

// A symbolic link or a junction is followed by a look at what it leads to; other
// reparse points (files kept in the cloud, say) are what they are.
Kind KindOfAttributes(DWORD attributes, DWORD reparseTag) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(reparseTag))
        return Kind::kUnknown;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return Kind::kFolder;
    return (attributes & FILE_ATTRIBUTE_DEVICE) != 0 ? Kind::kOther : Kind::kFile;
}

// What `path` finally names, links followed, opened for nothing but its attributes;
// backup semantics let a folder be opened too.
HANDLE OpenForAttributes(const std::string& path) {
    return ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool Describe(const std::string& path, Kind* kind, FolderId* id) {
    const HANDLE file = OpenForAttributes(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION data;
    const bool disk = ::GetFileType(file) == FILE_TYPE_DISK;
    const bool known = disk && ::GetFileInformationByHandle(file, &data);
    ::CloseHandle(file);
    if (!disk) {
        *kind = Kind::kOther; // a console, a device or a pipe
        return true;
    }
    if (!known)
        return false;
    *kind = KindOfAttributes(data.dwFileAttributes & ~FILE_ATTRIBUTE_REPARSE_POINT, 0);
    *id = FolderId(data.dwVolumeSerialNumber,
                   (std::uint64_t{data.nFileIndexHigh} << 32) | data.nFileIndexLow);
    return true;
}

} // namespace

Kind KindOfPath(const std::string& path) {
    Kind kind = Kind::kUnknown;
    FolderId id;
    return Describe(path, &kind, &id) ? kind : Kind::kUnknown;
}

bool IsLink(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool ListFolder(const std::string& folder, std::vector<Entry>* entries, FolderId* id) {
    Kind kind = Kind::kUnknown;
    if (!Describe(folder, &kind, id) || kind != Kind::kFolder)
        return false;
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileExA(Join(folder, "*").c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND; // nothing in it
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        // A name the code page cannot spell comes with "?" in its place, which no real
        // name holds: it could not be opened, and counts as neither folder nor file (a
        // page of that name is told as skipped).
        const bool spelled = name.find('?') == std::string::npos;
        entries->push_back({name, spelled
                                      ? KindOfAttributes(found.dwFileAttributes, found.dwReserved0)
                                      : Kind::kOther});
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return true;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/' || folder.back() == ':'))
        return folder + name;
    return folder + "\\" + name;
}

} // namespace titora::walker
