#pragma once
// Waiting on something another process or thread does: the condition is polled until it holds or the deadline
// passes, never a fixed pause that is too short on a busy machine and too long on an idle one.

#include <chrono>
#include <thread>

namespace veltrane::testing {

// True as soon as done() holds; false when it still does not at the deadline.
template <typename Condition>
bool waitFor(Condition&& done, std::chrono::milliseconds deadline = std::chrono::seconds(20),
             std::chrono::microseconds every = std::chrono::milliseconds(20)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(every);
    }
    return true;
}

}  // namespace veltrane::testing
