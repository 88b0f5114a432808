#include "folder_walker.h"

#include <algorithm>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace titora {
namespace {

enum class Kind { kFolder, kFile, kOther, kUnknown };

struct Entry {
    std::string name;
    Kind kind;
};

// A folder's identity on its file system: two names, through links or not, for the
// same folder give the same identity.
using FolderId = std::pair<dev_t, ino_t>;

Kind KindOfMode(mode_t mode) {
    if (S_ISDIR(mode))
        return Kind::kFolder;
    return S_ISREG(mode) ? Kind::kFile : Kind::kOther;
}

// The kind of what `path` finally names, links followed.
Kind KindOfPath(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? KindOfMode(st.st_mode) : Kind::kUnknown;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

class Walker {
public:
    Walker(const PageFound& found, const PageSkipped& skipped) : found_(found), skipped_(skipped) {}

    // False once `found_` asked to stop.
    bool walkFolder(const std::string& folder) {
        std::vector<Entry> entries;
        if (!readFolder(folder, &entries))
            return true;
        for (const Entry& entry : entries) {
            const std::string path = Join(folder, entry.name);
            // Links and file systems that do not tell the type in the listing need a look
            // at the file itself.
            const Kind kind = entry.kind == Kind::kUnknown ? KindOfPath(path) : entry.kind;
            if (kind == Kind::kFolder) {
                if (!walkFolder(path))
                    return false;
                continue;
            }
            if (!IsPageName(entry.name))
                continue;
            if (kind != Kind::kFile) {
                skipped_(path);
                continue;
            }
            if (!found_(path))
                return false;
        }
        return true;
    }

private:
    // The folder's entries sorted by name, or false when it cannot be read or was
    // walked already. The folder is closed before any sub-folder is opened, so a deep
    // tree holds one open folder at a time.
    bool readFolder(const std::string& folder, std::vector<Entry>* entries) {
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr) {
            skipped_(folder);
            return false;
        }
        struct stat st;
        const bool known = ::fstat(::dirfd(dir), &st) == 0;
        if (!known || !visited_.insert(FolderId(st.st_dev, st.st_ino)).second) {
            ::closedir(dir);
            if (!known)
                skipped_(folder);
            return false;
        }
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            Kind kind = Kind::kUnknown;
            if (entry->d_type == DT_DIR)
                kind = Kind::kFolder;
            else if (entry->d_type == DT_REG)
                kind = Kind::kFile;
            else if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
                kind = Kind::kOther;
            entries->push_back({name, kind});
        }
        ::closedir(dir);
        std::sort(entries->begin(), entries->end(),
                  [](const Entry& a, const Entry& b) { return a.name < b.name; });
        return true;
    }

    const PageFound& found_;
    const PageSkipped& skipped_;
    std::set<FolderId> visited_;
};

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EndsWithLower(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(), name.end() - suffix.size(),
                      [](char s, char n) { return s == LowerAscii(n); });
}

} // namespace

bool IsPageName(std::string_view name) {
    for (std::string_view suffix : {".html", ".htm", ".shtml", ".asp"}) {
        if (EndsWithLower(name, suffix))
            return true;
    }
    return false;
}

bool WalkPages(const std::vector<std::string>& paths, const PageFound& found,
               const PageSkipped& skipped) {
    Walker walker(found, skipped);
    for (const std::string& path : paths) {
        const bool goOn = KindOfPath(path) == Kind::kFolder ? walker.walkFolder(path) : found(path);
        if (!goOn)
            return false;
    }
    return true;
}

} // namespace titora
