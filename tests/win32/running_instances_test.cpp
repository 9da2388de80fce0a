#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/error.h"
#include "base/text.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/wait_for.h"
#include "win32_test_support.h"
#include "windows/services/win32_running_instances.h"

namespace veltrane::platform::win32 {
namespace {

using veltrane::testing::Holder;
using veltrane::testing::lockedElsewhere;
using veltrane::testing::readFile;
using veltrane::testing::TempDir;
using veltrane::testing::u16path;
using veltrane::testing::waitFor;

std::u16string readToken(const std::filesystem::path& path) {
    const std::string bytes = readFile(path);
    return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
}

TEST(Win32RunningInstances, TheOwnTokenNamesARunningProcess) {
    Win32RunningInstances instances;
    const std::u16string token = instances.selfToken();
    EXPECT_EQ(token, instances.selfToken());
    EXPECT_TRUE(instances.isRunning(token));
}

TEST(Win32RunningInstances, TextsThatAreNoLiveTokenNameNoRunningProcess) {
    Win32RunningInstances instances;
    const std::string self = utf16ToUtf8(instances.selfToken());
    const std::string pid = self.substr(0, self.find(':'));
    const std::string created = self.substr(self.find(':') + 1);
    const std::string later = std::to_string(std::stoull(created) + 1);
    const std::string cases[] = {
        "",
        "garbage",
        pid,
        pid + ":",
        ":" + created,
        pid + ":" + later,  // the same id given to a later process
        pid + ":" + created + "x",
        pid + ":-" + created,
        "0:" + created,
        "99999999999999999999999:" + created,
        "4294967296:" + created,
        pid + ":99999999999999999999999",
        pid + ":0",
        " " + self,
        self + ":1",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(instances.isRunning(utf8ToUtf16(text)));
    }
}

TEST(Win32RunningInstances, ASecondProcessIsRunningUntilItEndsAndHoldsTheLockMeanwhile) {
    TempDir dir;
    Holder holder(dir);
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(holder.holding()) << "the second process did not take the lock";
    Win32RunningInstances instances(u16path(holder.lock));
    const std::u16string token = readToken(holder.token);
    EXPECT_NE(token, instances.selfToken());
    EXPECT_TRUE(instances.isRunning(token));
    EXPECT_TRUE(lockedElsewhere(holder.lock));

    // The holder writes its marker before it lets go, so a lock that waited finds the marker.
    holder.releaseLock();
    {
        auto lock = instances.lockShared();
        EXPECT_TRUE(std::filesystem::exists(holder.marker)) << "the lock was granted while the other process held it";
    }
    ASSERT_TRUE(holder.ended());
    EXPECT_FALSE(instances.isRunning(token));
}

TEST(Win32RunningInstances, AKilledProcessLeavesNeitherLockNorLiveToken) {
    TempDir dir;
    Holder holder(dir);
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(holder.holding());
    Win32RunningInstances instances(u16path(holder.lock));
    const std::u16string token = readToken(holder.token);
    holder.kill();
    ASSERT_TRUE(holder.ended());
    EXPECT_FALSE(instances.isRunning(token));
    EXPECT_TRUE(waitFor([&] { return !lockedElsewhere(holder.lock); })) << "the killed process still holds the lock";
    auto lock = instances.lockShared();
    EXPECT_TRUE(lockedElsewhere(holder.lock));
    EXPECT_FALSE(std::filesystem::exists(holder.marker));
}

TEST(Win32RunningInstances, TheDefaultLockLivesInTheLocalApplicationData) {
    Win32RunningInstances instances;
    const std::u16string path = instances.lockPath();
    EXPECT_TRUE(path.ends_with(u"\\Veltrane\\instances.lock")) << utf16ToUtf8(path);
    auto lock = instances.lockShared();
    EXPECT_TRUE(lockedElsewhere(std::filesystem::path(std::wstring(path.begin(), path.end()))));
}

TEST(Win32RunningInstances, ALockFileThatCannotBeMadeIsAnErrorWithItsPath) {
    TempDir dir;
    veltrane::testing::writeFile(dir.path() / "plain", "x");
    Win32RunningInstances instances(u16path(dir.path() / "plain") + u"\\below\\instances.lock");
    try {
        instances.lockShared();
        ADD_FAILURE() << "a lock below a plain file was granted";
    } catch (const Error& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("Cannot lock ")) << e.what();
        EXPECT_NE(std::string(e.what()).find("instances.lock"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace veltrane::platform::win32
