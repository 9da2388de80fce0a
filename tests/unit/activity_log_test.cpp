#include "settings/activity_log.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace veltrane {
namespace {

using fakes::kVeltraneKey;

struct LogFixture : ::testing::Test {
    fakes::FakePlatform p;
    settings::SettingsStore store{p.registry};
    settings::ActivityLog log{store, p.bundle};
};

TEST_F(LogFixture, WritesOnlyWhenTheSwitchIsExactlyTrue) {
    const std::pair<std::u16string, bool> cases[] = {
        {u"True", true}, {u"true", false}, {u"TRUE", false}, {u"1", false}, {u"", false}, {u"True ", false}};
    for (const auto& [value, written] : cases) {
        p.files.contents.clear();
        p.registry.setString(kVeltraneKey, u"logging_enabled", value);
        log.writeLog(u"x");
        EXPECT_EQ(p.files.contents.count(p.logPath()), written ? 1u : 0u) << utf16ToUtf8(value);
    }
}

TEST_F(LogFixture, LineIsStampColonBlankMessageCrLfInTheAnsiCodePage) {
    p.enableLog();
    log.writeLog(u"=== Load Client Tools ===");
    log.writeLog(u"Initial set new printer to Büro \u0141\u4E2D");
    EXPECT_EQ(p.files.contents[p.logPath()],
              "9/12/2026 14:05:09: === Load Client Tools ===\r\n"
              "9/12/2026 14:05:09: Initial set new printer to B\xFCro ??\r\n");
}

TEST_F(LogFixture, MidnightWritesTheDateAlone) {
    p.enableLog();
    p.clock.time = {2026, 1, 2, 0, 0, 0, 0};
    log.writeLog(u"");
    p.clock.time = {2026, 1, 2, 0, 0, 0, 1};  // a millisecond later the time is there again
    log.writeLog(u"a");
    EXPECT_EQ(p.files.contents[p.logPath()], "2/1/2026: \r\n2/1/2026 0:00:00: a\r\n");
}

TEST_F(LogFixture, MissingSharedFolderLogsAtTheRoot) {
    p.enableLog();
    p.folders.commonDocuments.clear();
    log.writeLog(u"m");
    EXPECT_TRUE(p.files.contents.count(p.logPath()));
}

TEST_F(LogFixture, FileFailuresPassToTheCaller) {
    p.enableLog();
    p.files.failWith = "Disk full";
    try {
        log.writeLog(u"m");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Disk full");
    }
    p.registry.setString(kVeltraneKey, u"logging_enabled", u"False");
    EXPECT_NO_THROW(log.writeLog(u"m"));  // logging off: no file is touched, so nothing can fail
}

TEST_F(LogFixture, NonTextSwitchFailsWithTheStoreError) {
    p.registry.setRaw(kVeltraneKey, u"logging_enabled", platform::RegType::Dword, {1, 0, 0, 0});
    EXPECT_THROW(log.writeLog(u"m"), Error);
}

}  // namespace
}  // namespace veltrane
