#include "platform/call_hooks.h"

#include "platform/platform.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace titora::platform {
namespace {

std::atomic<unsigned long> failAt{0};
std::atomic<unsigned long> calls{0};

// The hook is set by tests only; the flag spares every other call the lock.
std::atomic<bool> hooked{false};
std::mutex hookLock;
std::function<void(const char*)>& Hook() {
    static std::function<void(const char*)> hook;
    return hook;
}

} // namespace

namespace detail {

bool CountCall(const char* name) {
    if (hooked.load(std::memory_order_acquire)) {
        std::function<void(const char*)> hook;
        {
            const std::lock_guard<std::mutex> lock(hookLock);
            hook = Hook();
        }
        if (hook) {
            hook(name);
        }
    }
    const unsigned long n = calls.fetch_add(1) + 1;
    const unsigned long at = failAt.load();
    return at != 0 && n == at;
}

} // namespace detail

void FailNthCall(unsigned long n) {
    failAt = n;
    calls = 0;
}

unsigned long CountedCalls() {
    return calls;
}

void SetCallHook(std::function<void(const char* call)> hook) {
    const std::lock_guard<std::mutex> lock(hookLock);
    hooked = static_cast<bool>(hook);
    Hook() = std::move(hook);
}

} // namespace titora::platform
