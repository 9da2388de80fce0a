#pragma once
// What an operation reports: the text of the error it throws, or "no error", so a table of cases can compare
// both outcomes with one EXPECT_EQ.

#include <string>
#include <utility>

#include "base/error.h"

namespace veltrane::testing {

template <typename Operation>
std::string errorText(Operation&& operation) {
    try {
        std::forward<Operation>(operation)();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace veltrane::testing
