// Helpers for engine tests that work on real files under Windows, with the names of
// test_files.h so that one test source serves both systems: a scratch folder in the
// user's temporary folder, whole-file reads and writes, and the outcome of an engine
// call. They go through the C++ library, never the engine's own platform layer.
#pragma once

#include "title_engine.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
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
    ~ScratchFolder() {
        // Read-only files first lose their attribute: Windows will not remove them.
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(path_, error)) {
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, error);
        }
        fs::remove_all(path_, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

    std::set<std::string> names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(path_)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

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
