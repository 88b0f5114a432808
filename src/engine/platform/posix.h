// Helpers shared by the POSIX implementation files of the platform layer.
#pragma once

#include "platform/call_hooks.h"
#include "platform/platform.h"

#include <cerrno>

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

// Runs a system call again while a signal interrupts it.
template <typename Call> auto Retrying(Call call) {
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

} // namespace titora::platform::posix
