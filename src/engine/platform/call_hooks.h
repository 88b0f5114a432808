// The counting behind the platform layer's test hooks, shared by every platform's
// implementation files.
#pragma once

namespace titora::platform::detail {

// Runs the test's hook for the call `name`, counts the call, and tells whether the
// test wants it to fail. Each platform sets its own error code when it does.
bool CountCall(const char* name);

} // namespace titora::platform::detail
