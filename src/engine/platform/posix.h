// Helpers shared by the POSIX implementation files of the platform layer.
#pragma once

#include "platform/call_hooks.h"
#include "platform/platform.h"

#include <cerrno>
#include <string>
#include <vector>

namespace titora::platform::posix {

inline int Fd(const Handle& handle) {
    return static_cast<int>(handle.handle());
}

// Counts the call `name` for the test hooks; true, with errno set as an I/O error would
// set it, when the test wants it to fail.
inline bool Injected(const char* name) {
    if (detail::CountCall(name)) {
        errno = EIO;
        return true;
    }
    return false;
}

// A chain of links longer than this is a loop, as the system counts.
inline constexpr int kMaxLinks = 40;

// Puts the parts of `path` between its slashes ("." left out) on the end of `parts`,
// which is walked from its end: the first part of `path` comes last, to be taken next.
void PushPathParts(const std::string& path, std::vector<std::string>* parts);

// Runs a system call again while a signal interrupts it.
template <typename Call> auto Retrying(Call call) {
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

} // namespace titora::platform::posix
