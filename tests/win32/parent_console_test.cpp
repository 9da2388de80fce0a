// What reaches a console line by line: a UTF-8 sequence cut by the end of a write waits for its last bytes.

#include "windows/services/parent_console.h"

#include <gtest/gtest.h>

#include <string>

namespace veltrane::platform::win32 {
namespace {

TEST(ParentConsole, CompleteUtf8LengthHoldsBackOnlyACutSequence) {
    const struct {
        const char* what;
        std::string bytes;
        std::size_t complete;
    } cases[] = {
        {"empty", "", 0},
        {"ASCII", "Berg\n", 5},
        {"two-byte whole", "M\xC3\xBC", 3},
        {"two-byte cut", "M\xC3", 1},
        {"three-byte cut after one", "a\xE2", 1},
        {"three-byte cut after two", "a\xE2\x82", 1},
        {"three-byte whole", "a\xE2\x82\xAC", 4},
        {"four-byte cut after three", "\xF0\x9F\x98", 0},
        {"four-byte whole", "\xF0\x9F\x98\x80", 4},
        // Malformed ends go on: they can never become whole, and holding them would hold everything after.
        {"stray continuation", "a\x80", 2},
        {"too many continuations", "a\xC3\xBC\xBC", 4},
        {"lead that never starts a sequence", "a\xC0", 2},
        {"lead beyond Unicode", "a\xF8", 2},
    };
    for (const auto& c : cases) EXPECT_EQ(c.complete, completeUtf8Length(c.bytes)) << c.what;
}

}  // namespace
}  // namespace veltrane::platform::win32
