// What the folder walker asks of the system, one implementation file per system
// (folder_listing_posix.cpp, folder_listing_win32.cpp). Paths are bytes, as the
// system's own functions take them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace titora::walker {

enum class Kind { kFolder, kFile, kOther, kUnknown };

struct Entry {
    std::string name;
    Kind kind; // kUnknown where the listing does not tell, or the entry is a link
};

// A folder's identity on its system: two names, through links or not, for the same
// folder give the same identity.
using FolderId = std::pair<std::uint64_t, std::uint64_t>;

// The kind of what `path` finally names, links followed; kUnknown when it is missing.
Kind KindOfPath(const std::string& path);

// Whether `path` is itself a symbolic link (on Windows: any reparse point that links,
// a junction too), not followed.
bool IsLink(const std::string& path);

// The entries of the folder `folder`, without "." and "..", in the order the system
// lists them, and the folder's identity. False when it cannot be opened or told apart.
bool ListFolder(const std::string& folder, std::vector<Entry>* entries, FolderId* id);

// `name` in `folder`, with the system's separator between them where needed.
std::string Join(const std::string& folder, const std::string& name);

} // namespace titora::walker
