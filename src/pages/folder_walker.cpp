#include "folder_walker.h"

#include "folder_listing.h"

#include <algorithm>
#include <set>

namespace titora {
namespace {

using walker::Entry;
using walker::FolderId;
using walker::Kind;
using walker::KindOfPath;

class Walker {
public:
    Walker(const PageFound& found, const PageSkipped& skipped) : found_(found), skipped_(skipped) {}

    // False once `found_` asked to stop.
    bool walkFolder(const std::string& folder) {
        std::vector<Entry> entries;
        if (!readFolder(folder, &entries))
            return true;
        for (const Entry& entry : entries) {
            const std::string path = walker::Join(folder, entry.name);
            // Links and file systems that do not tell the type in the listing need a look
            // at the file itself.
            const Kind kind = entry.kind == Kind::kUnknown ? KindOfPath(path) : entry.kind;
            // A linked folder is not walked: whoever may change the link could lead a
            // walk of root's into files only root may write.
            if (kind == Kind::kFolder && entry.kind == Kind::kUnknown && walker::IsLink(path))
                continue;
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
        FolderId id;
        if (!walker::ListFolder(folder, entries, &id)) {
            skipped_(folder);
            return false;
        }
        if (!visited_.insert(id).second)
            return false;
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
