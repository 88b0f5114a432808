#include "folder_listing.h"

#include <dirent.h>
#include <sys/stat.h>

namespace titora::walker {
namespace {

Kind KindOfMode(mode_t mode) {
    if (S_ISDIR(mode))
        return Kind::kFolder;
    return S_ISREG(mode) ? Kind::kFile : Kind::kOther;
}

Kind KindOfEntry(unsigned char type) {
    switch (type) {
    case DT_DIR:
        return Kind::kFolder;
    case DT_REG:
        return Kind::kFile;
    case DT_LNK:
    case DT_UNKNOWN:
        return Kind::kUnknown;
    default:
        return Kind::kOther;
    }
}

} // namespace

Kind KindOfPath(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? KindOfMode(st.st_mode) : Kind::kUnknown;
}

bool IsLink(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool ListFolder(const std::string& folder, std::vector<Entry>* entries, FolderId* id) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return false;
    struct stat st;
    if (::fstat(::dirfd(dir), &st) != 0) {
        ::closedir(dir);
        return false;
    }
    *id = FolderId(st.st_dev, st.st_ino);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            entries->push_back({name, KindOfEntry(entry->d_type)});
    }
    ::closedir(dir);
    return true;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

} // namespace titora::walker
