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

using veltrane::testing::readFile;
using veltrane::testing::TempDir;
using veltrane::testing::u16path;
using veltrane::testing::waitFor;

std::u16string readToken(const std::filesystem::path& path) {
    const std::string bytes = readFile(path);
    return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
}

// Whether another handle holds a lock on the file now (probed without waiting).
bool lockedElsewhere(const std::filesystem::path& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED whole{};
    const bool taken =
        LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(file);
    return !taken;
}

// The holder program (tests/win32/instances_holder.cpp) as a real second process.
class Holder {
public:
    explicit Holder(const TempDir& dir)
        : lock(dir.path() / "instances.lock"),
          token(dir.path() / "holder.token"),
          marker(dir.path() / "holder.released") {
        const std::wstring name =
            L"veltrane-test-release-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count_);
        release_ = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
        std::wstring commandLine = L"\"" + std::wstring(VELTRANE_WIN32_INSTANCES_HOLDER) + L"\" \"" + lock.wstring() +
                                   L"\" \"" + token.wstring() + L"\" " + name + L" \"" + marker.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_))
            CloseHandle(info_.hThread);
        else
            info_.hProcess = nullptr;
    }
    ~Holder() {
        if (release_) {
            SetEvent(release_);
            CloseHandle(release_);
        }
        if (info_.hProcess) {
            WaitForSingleObject(info_.hProcess, 20000);
            CloseHandle(info_.hProcess);
        }
    }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    bool started() const { return info_.hProcess != nullptr; }
    bool holding() const {
        return waitFor([&] { return std::filesystem::exists(token); });
    }
    void releaseLock() { SetEvent(release_); }
    void kill() { TerminateProcess(info_.hProcess, 9); }
    bool ended() const { return WaitForSingleObject(info_.hProcess, 20000) == WAIT_OBJECT_0; }

    const std::filesystem::path lock, token, marker;

private:
    static inline int count_ = 0;
    HANDLE release_ = nullptr;
    PROCESS_INFORMATION info_{};
};

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
