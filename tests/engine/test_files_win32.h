// The Windows side of test_files.h, included through it: a scratch folder in the user's
// temporary folder, whole-file reads and writes, links and identities, and the test's
// state folder. They go through the C++ library and kernel32, never the engine's own
// platform layer.
#pragma once

#include "test_outcome.h"

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>
#include <string>

namespace titora::test {

namespace fs = std::filesystem;

// A fresh folder in the temporary folder, removed with all it holds.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        do {
            path_ =
                (fs::temp_directory_path() / ("titora-test-" + std::to_string(random()))).string();
        } while (!fs::create_directory(path_));
    }
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

    static void RemoveTree(const std::string& path) {
        // Read-only files first lose their attribute: Windows will not remove them.
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(path, error)) {
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, error);
        }
        fs::remove_all(path, error);
    }

    // The names in folder `path`.
    static std::set<std::string> Names(const std::string& path) {
        std::set<std::string> names;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(path, error)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    std::set<std::string> names() const { return Names(path_); }

private:
    std::string path_;
};

// `mode` as on POSIX: without the owner's write bit the file gets the read-only attribute.
inline void WriteBytes(const std::string& path, const std::string& bytes, int mode = 0644) {
    std::error_code error;
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!(out << bytes).flush()) {
        throw std::runtime_error("cannot write " + path);
    }
    out.close();
    if ((mode & 0200) == 0) {
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::remove);
    }
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool HardLink(const std::string& existing, const std::string& name) {
    return ::CreateHardLinkA(name.c_str(), existing.c_str(), nullptr);
}

inline Identity IdentityOf(const std::string& path) {
    const HANDLE file =
        ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION data = {};
    ::GetFileInformationByHandle(file, &data);
    ::CloseHandle(file);
    return {data.dwVolumeSerialNumber,
            (std::uint64_t{data.nFileIndexHigh} << 32) | data.nFileIndexLow, data.nNumberOfLinks};
}

// Holds a file open as a save holds its temporary file while it writes it: shared with
// no one.
class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : handle_(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (handle_ == INVALID_HANDLE_VALUE) {
            throw std::runtime_error("cannot hold " + path);
        }
    }
    ~HeldFile() { ::CloseHandle(handle_); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    HANDLE handle_;
};

inline constexpr const char* kStateHomeVariable = "LOCALAPPDATA";
inline constexpr const char* kNoStateHome = "\\\\.\\NUL";

inline void SetEnvironment(const char* name, const std::string& value) {
    ::SetEnvironmentVariableA(name, value.c_str());
}

// The base of the test process's state folder, where journals go, made at start-up and
// removed at exit, so that no test touches the user's own. A process that a test starts
// shares its parent's: it finds it named in kSharedStateHome.
inline constexpr const char* kSharedStateHome = "TITORA_TEST_STATE_HOME";

class StateHomes {
public:
    StateHomes() {
        char parents[MAX_PATH];
        const DWORD length = ::GetEnvironmentVariableA(kSharedStateHome, parents, sizeof parents);
        if (length > 0 && length < sizeof parents) {
            own_.assign(parents, length);
        } else {
            root_ = std::make_unique<ScratchFolder>();
            own_ = root_->path();
            SetEnvironment(kSharedStateHome, own_);
        }
        SetEnvironment(kStateHomeVariable, own_);
    }

    std::string own() const { return own_; }
    std::string journals() const { return own_ + "\\Titora"; }

private:
    std::unique_ptr<ScratchFolder> root_;
    std::string own_;
};

inline StateHomes stateHomes;

} // namespace titora::test
