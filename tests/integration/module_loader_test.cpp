// Modules through the dynamic linker: a real library is found with its functions, and every failure carries a
// reason a user can act on.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "linux/modules/dl_module_loader.h"

namespace veltrane::platform::modules {
namespace {

TEST(DlModuleLoader, FindsAFunctionOfALoadedLibrary) {
    DlModuleLoader loader;
    std::string error;
    const auto libc = loader.load("libc.so.6", error);
    ASSERT_NE(libc, nullptr) << error;
    auto* length = loader.function<decltype(std::strlen)>(libc, "strlen", error);
    ASSERT_NE(length, nullptr) << error;
    EXPECT_EQ(length("four"), 4u);
    EXPECT_EQ(loader.load("libc.so.6", error), libc) << "a loaded module is found again, not loaded twice";
}

TEST(DlModuleLoader, FailuresSayWhy) {
    DlModuleLoader loader;
    struct Case {
        const char* module;  // nullptr: look up in no module
        const char* symbol;
        std::string reasonHolds;
    };
    const Case cases[] = {
        {"/nonexistent/libveltrane-x.so", nullptr, "/nonexistent/libveltrane-x.so"},
        {VELTRANE_SOURCE_DIR "/README.md", nullptr, "README.md"},  // not a library at all
        {"libc.so.6", "veltrane_no_such_symbol", "veltrane_no_such_symbol"},
        {nullptr, "strlen", "no module to look up strlen in"},
    };
    for (const auto& c : cases) {
        std::string error;
        ModuleLoader::Handle module = nullptr;
        if (c.module) {
            module = loader.load(c.module, error);
            if (!c.symbol) {
                EXPECT_EQ(module, nullptr) << c.module;
                EXPECT_NE(error.find(c.reasonHolds), std::string::npos) << error;
                continue;
            }
            ASSERT_NE(module, nullptr) << error;
        }
        EXPECT_EQ(loader.symbol(module, c.symbol, error), nullptr);
        EXPECT_NE(error.find(c.reasonHolds), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace veltrane::platform::modules
