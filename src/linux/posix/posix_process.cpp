#include "linux/posix/posix_process.h"

#include <cstdio>
#include <cstdlib>

namespace veltrane::platform::posix {

// Ends at once, skipping the window's close path; the C library's own clean-up (flushing stdio, atexit) runs.
void PosixProcess::exit(int code) { std::exit(code); }

}  // namespace veltrane::platform::posix
