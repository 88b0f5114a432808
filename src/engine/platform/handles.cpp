// What the handles of every platform share: moving them, and closing them when they
// go, each platform in its own way (detail::CloseHandleValue, Temporary::discard).
#include "platform/call_hooks.h"
#include "platform/platform.h"

#include <utility>

namespace titora::platform {

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other) {
        if (isOpen()) {
            detail::CloseHandleValue(value_);
        }
        value_ = other.release();
    }
    return *this;
}

Handle::~Handle() {
    if (isOpen()) {
        detail::CloseHandleValue(value_);
    }
}

std::intptr_t Handle::release() noexcept {
    const std::intptr_t value = value_;
    value_ = kInvalid;
    return value;
}

Temporary::Temporary(Temporary&& other) noexcept
    : folder_(other.folder_), file_(std::move(other.file_)), name_(std::move(other.name_)) {
    other.name_.clear();
}

Temporary& Temporary::operator=(Temporary&& other) noexcept {
    if (this != &other) {
        discard();
        folder_ = other.folder_;
        file_ = std::move(other.file_);
        name_ = std::move(other.name_);
        other.name_.clear();
    }
    return *this;
}

Temporary::~Temporary() {
    discard();
}

} // namespace titora::platform
