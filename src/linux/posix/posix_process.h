#pragma once

#include "platform/process.h"

namespace veltrane::platform::posix {

class PosixProcess final : public Process {
public:
    [[noreturn]] void exit(int code) override;
};

}  // namespace veltrane::platform::posix
