// The activity log written through the real Linux backends: shared folder, files, code page, clock, locale.

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <regex>
#include <stdexcept>
#include <string>

#include "base/error.h"
#include "posix_test_support.h"
#include "settings/activity_log.h"
#include "settings/settings_store.h"
#include "support/file_bytes.h"
#include "support/linux/linux_bundle.h"
#include "support/temp_dir.h"
#include "support/utf16le_bytes.h"

namespace veltrane {
namespace {

using testing::readFile;
using testing::runInChild;
using testing::ScopedEnv;
using testing::TempDir;

// The settings file backend is not part of these tests: a key holding only the log switch stands in for it.
class SwitchOnlyRegistry final : public platform::Registry {
public:
    explicit SwitchOnlyRegistry(std::u16string loggingEnabled) : loggingEnabled_(std::move(loggingEnabled)) {}

    std::unique_ptr<platform::RegistryKey> openKey(const std::u16string&, bool) override {
        return std::make_unique<Key>(loggingEnabled_);
    }

private:
    class Key final : public platform::RegistryKey {
    public:
        explicit Key(const std::u16string& value) : value_(value) {}
        std::optional<platform::RegValue> queryValue(const std::u16string& name) override {
            if (name != u"logging_enabled") return std::nullopt;
            return platform::RegValue{platform::RegType::Sz, testing::regStringData(value_)};
        }
        bool setStringValue(const std::u16string&, const std::u16string&) override { return false; }
        std::vector<std::u16string> valueNames() override { return {u"logging_enabled"}; }
        void setValues(const std::vector<platform::RegNamedValue>&) override {
            throw Error("The log switch is read-only here");
        }

    private:
        std::u16string value_;
    };
    std::u16string loggingEnabled_;
};

class UnusedLauncher final : public platform::Launcher {
public:
    void launch(const platform::LaunchRequest&) override { throw std::logic_error("the log starts no program"); }
};

class ActivityLogOnLinux : public ::testing::Test {
protected:
    ActivityLogOnLinux() {
        ::chmod(dir.path().c_str(), 0755);
        // As the installation makes it: root's, writable by root only.
        ::mkdir(dir.file("shared").c_str(), 0755);
    }
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root: the shared log belongs to root";
    }

    std::string logPath() const { return dir.file("shared/clienttools.log"); }

    void writeLog(const std::u16string& switchValue, const std::u16string& message) {
        SwitchOnlyRegistry registry(switchValue);
        settings::SettingsStore store(registry);
        settings::ActivityLog(store, host.bundle).writeLog(message);
    }

    TempDir dir;
    ScopedEnv sharedDir{"VELTRANE_SHARED_DIR", dir.file("shared").c_str()};
    UnusedLauncher launcher;
    testing::LinuxBundle host{{.launcher = &launcher}, {.locale = "C"}};
};

TEST_F(ActivityLogOnLinux, AppendsTimeStampedLinesInTheCodePage) {
    writeLog(u"True", u"=== Load Client Tools ===");
    writeLog(u"True", u"Initial set new printer to Łódź Reception");
    const std::string content = readFile(logPath());
    // C locale: short date mm/dd/yy, long time HH:MM:SS; Ł and ź are not in 1252, ó is.
    const std::regex expected(
        "\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d: === Load Client Tools ===\r\n"
        "\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d: Initial set new printer to \\?\xF3"
        "d\\? Reception\r\n");
    EXPECT_TRUE(std::regex_match(content, expected)) << content;
}

TEST_F(ActivityLogOnLinux, WritesNothingUnlessTheSwitchIsExactlyTrue) {
    writeLog(u"true", u"not written");
    writeLog(u"", u"not written");
    EXPECT_FALSE(std::filesystem::exists(logPath()));
}

TEST_F(ActivityLogOnLinux, AUserAppendsToRootsLogAndALogTheyMayNotWriteStopsNothing) {
    writeLog(u"True", u"created by root");
    const std::string result = runInChild([&] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) return std::string("setuid");
        writeLog(u"True", u"from nobody");
        return std::string("went on");
    });
    EXPECT_EQ(result, "went on");
    EXPECT_NE(readFile(logPath()).find("from nobody"), std::string::npos);

    ::chmod(logPath().c_str(), 0600);  // as if an administrator had closed the log
    const std::string closed = runInChild([&] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) return std::string("setuid");
        ::close(2);  // the reason said on standard error is not this test's business
        writeLog(u"True", u"refused line");
        return std::string("went on");
    });
    EXPECT_EQ(closed, "went on") << "a diagnostic log must not stop the request";
    EXPECT_EQ(readFile(logPath()).find("refused line"), std::string::npos);
}

}  // namespace
}  // namespace veltrane
