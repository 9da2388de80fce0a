#pragma once
// Connecting to the X server with retries: a server busy with another program's connection refuses one now and
// then, and a print request must not be lost for it.

#include <chrono>
#include <functional>

namespace veltrane::platform::modules {

// How long a refused connection is tried again before the refusal counts.
inline constexpr std::chrono::milliseconds kDisplayConnectTime{2500};

// Calls connect until it gives a connection or limit has passed (short pauses, growing); the connection, or
// nullptr.
void* retryConnect(const std::function<void*()>& connect, std::chrono::milliseconds limit);

}  // namespace veltrane::platform::modules
