// What every platform's implementation files share: the counting behind the platform
// layer's test hooks, the names of temporary files, and the closing of a handle, which
// each platform does its own way.
#pragma once

#include <cstdint>
#include <string>

namespace titora::platform::detail {

// How many saves may write in one folder at once through named temporary files, and
// their names; a save finding them all taken rewrites its page in place instead. Every
// save looks at each of them, so they are few.
inline constexpr int kSlots = 8;
inline std::string SlotName(int slot) {
    return ".~titora-" + std::to_string(slot) + ".tmp";
}

// Closes the system's handle `value` (a descriptor, a HANDLE); defined per platform.
void CloseHandleValue(std::intptr_t value) noexcept;

// Runs the test's hook for the call `name`, counts the call, and tells whether the
// test wants it to fail. Each platform sets its own error code when it does.
bool CountCall(const char* name);

} // namespace titora::platform::detail
