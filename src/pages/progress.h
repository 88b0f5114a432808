// How far a command over many files has come, and whether the user asked it to stop.
//
// The command counts on the thread that runs it while the window's thread reads the counts
// and may ask it to stop, so every member is an atomic: no lock is taken per file, and the
// window reads whenever it likes (it repaints at most every 50 ms) instead of being told of
// every file.
#pragma once

#include <atomic>
#include <cstddef>

namespace titora {

class Progress {
public:
    // A new stage of `total` files, none of them done yet. A total of 0 means not known yet:
    // Done() then counts what has been found so far.
    void Start(std::size_t total) {
        done_.store(0, std::memory_order_relaxed);
        total_.store(total, std::memory_order_relaxed);
    }
    // One more file handled (or found, while the total is not known).
    void Step() { done_.fetch_add(1, std::memory_order_relaxed); }

    std::size_t Done() const { return done_.load(std::memory_order_relaxed); }
    std::size_t Total() const { return total_.load(std::memory_order_relaxed); }

    // Asks the command to stop before its next file; the file in hand is finished first.
    void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
    bool StopRequested() const { return stop_.load(std::memory_order_relaxed); }

private:
    std::atomic<std::size_t> done_{0};
    std::atomic<std::size_t> total_{0};
    std::atomic<bool> stop_{false};
};

// True when `progress` is given and asks to stop. Commands call it before each file.
inline bool StopRequested(const Progress* progress) {
    return progress != nullptr && progress->StopRequested();
}

} // namespace titora
