#include "linux/modules/display_connection.h"

#include <algorithm>
#include <thread>

namespace veltrane::platform::modules {

void* retryConnect(const std::function<void*()>& connect, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto pause = std::chrono::milliseconds(10);
    for (;;) {
        if (void* connection = connect()) return connection;
        if (std::chrono::steady_clock::now() + pause > deadline) return nullptr;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(200));
    }
}

}  // namespace veltrane::platform::modules
