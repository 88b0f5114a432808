// Helpers for engine tests that work on real files under Windows, with the names of
// test_files.h so that one test source serves both systems: a scratch folder in the
// user's temporary folder, whole-file reads and writes, and the outcome of an engine
// call. They use Win32 directly, never the engine's own platform layer.
#pragma once

#include "title_engine.h"

#include <windows.h>

#include <functional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>

namespace titora::test {

// A fresh folder in the temporary folder, removed with all it holds.
class ScratchFolder {
public:
    ScratchFolder() {
        char temp[MAX_PATH + 1];
        const DWORD length = ::GetTempPathA(sizeof temp, temp);
        if (length == 0 || length > MAX_PATH) {
            throw std::runtime_error("no temporary folder");
        }
        for (DWORD n = ::GetTickCount();; ++n) {
            path_ = temp + std::string("titora-test-") + std::to_string(n);
            if (::CreateDirectoryA(path_.c_str(), nullptr)) {
                break;
            }
            if (::GetLastError() != ERROR_ALREADY_EXISTS) {
                throw std::runtime_error("cannot make " + path_);
            }
        }
    }
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

    static void RemoveTree(const std::string& path) {
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return;
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const std::string& name : Names(path)) {
                RemoveTree(path + "\\" + name);
            }
            ::RemoveDirectoryA(path.c_str());
            return;
        }
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path.c_str());
    }

    // The names in folder `path`, without "." and "..".
    static std::set<std::string> Names(const std::string& path) {
        std::set<std::string> names;
        WIN32_FIND_DATAA entry;
        const HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) {
            return names;
        }
        do {
            const std::string name = entry.cFileName;
            if (name != "." && name != "..") {
                names.insert(name);
            }
        } while (::FindNextFileA(find, &entry));
        ::FindClose(find);
        return names;
    }

    std::set<std::string> names() const { return Names(path_); }

private:
    std::string path_;
};

// `mode` as on POSIX: without the owner's write bit the file gets the read-only attribute.
inline void WriteBytes(const std::string& path, const std::string& bytes, int mode = 0644) {
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok =
        file != INVALID_HANDLE_VALUE &&
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    ::CloseHandle(file);
    if (!ok) {
        throw std::runtime_error("cannot write " + path);
    }
    if ((mode & 0200) == 0) {
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    }
}

inline std::string ReadBytes(const std::string& path) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot read " + path);
    }
    std::string bytes;
    char chunk[65536];
    DWORD n = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &n, nullptr) && n > 0) {
        bytes.append(chunk, n);
    }
    ::CloseHandle(file);
    return bytes;
}

// What an engine call ended with: its result, or the message of its error.
struct Outcome {
    bool failed = false;
    std::string text;
};

inline Outcome Run(const std::function<std::string()>& call) {
    try {
        return {false, call()};
    } catch (const TitleEngineError& e) {
        return {true, e.what()};
    }
}

inline Outcome Failure(const std::string& message) {
    return {true, message};
}

inline Outcome Result(const std::string& text) {
    return {false, text};
}

inline bool operator==(const Outcome& a, const Outcome& b) {
    return a.failed == b.failed && a.text == b.text;
}

inline std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << (o.failed ? "error \"" : "result \"") << o.text << '"';
}

} // namespace titora::test
