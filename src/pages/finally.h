#pragma once

#include <utility>

namespace titora {

// Runs a clean-up on every way out of a scope, the normal one and an error's alike.
// Commands use it to leave the list in a consistent state when the engine's error ends
// them half-way: `Finally tell([&] { model.endReset(); });`.
template <class F> class Finally {
public:
    explicit Finally(F f) : f_(std::move(f)) {}
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;
    ~Finally() { f_(); }

private:
    F f_;
};

} // namespace titora
