// Helpers for engine tests that work on real files, with the same names on every system,
// so that one test source serves them all: a scratch folder and its names, whole-file
// reads and writes, hard links, a file's identity, the test's own state folder and the
// journals in it, and the outcome of an engine call. Each system's file adds what only
// it can do (a child process as another user on POSIX, say).
#pragma once

#include "test_outcome.h"

#include <cstdint>

namespace titora::test {

// What tells a file from every other (IdentityOf), and how many names it has.
struct Identity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::uint64_t links = 0;
    bool operator==(const Identity& other) const {
        return volume == other.volume && index == other.index;
    }
};

} // namespace titora::test

#ifdef _WIN32
#include "test_files_win32.h"
#else
#include "test_files_posix.h"
#endif

#include <set>
#include <string>

namespace titora::test {

// The journals in the journal folder `folder` that wait to be finished or were kept
// aside: the slot files that hold one, and the journals kept.
inline std::set<std::string> Journals(const std::string& folder) {
    std::set<std::string> journals;
    for (const std::string& name : ScratchFolder::Names(folder)) {
        const bool kept = name.size() > 5 && name.compare(name.size() - 5, 5, ".kept") == 0;
        if (kept || ReadBytes(folder + "/" + name).rfind("Titora journal", 0) == 0) {
            journals.insert(name);
        }
    }
    return journals;
}

} // namespace titora::test
