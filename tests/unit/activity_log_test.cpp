#include "settings/activity_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

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
    const std::pair<std::u16string, bool> cases[] = {{u"True", true}, {u"true", false}, {u"TRUE", false},
                                                     {u"1", false},   {u"", false},     {u"True ", false}};
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

// Any user of the machine can fill, lock or replace the shared log: that must not stop a request.
TEST(ActivityLogFailures, AFileFailureStopsNothingAndIsSaidOnce) {
    for (const char* failure : {"Disk full", "File access denied", "Invalid filename", "I/O error 5"}) {
        SCOPED_TRACE(failure);
        fakes::FakePlatform p;
        settings::SettingsStore store{p.registry};
        std::ostringstream notes;
        settings::ActivityLog log{store, p.bundle, notes};
        p.enableLog();
        p.files.failWith = failure;
        EXPECT_NO_THROW(log.writeLog(u"=== Load Client Tools ==="));
        EXPECT_NO_THROW(log.writeLog(u"Parse ini file"));
        const std::string said = notes.str();
        EXPECT_NE(said.find(failure), std::string::npos) << said;
        EXPECT_NE(said.find(utf16ToUtf8(p.logPath())), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "said once, not per line: " << said;

        p.files.failWith.reset();  // the log works again: lines are written, nothing more is said
        log.writeLog(u"images");
        EXPECT_NE(p.files.contents[p.logPath()].find("images"), std::string::npos);
        EXPECT_EQ(notes.str(), said);
    }
}

TEST_F(LogFixture, NonTextSwitchFailsWithTheStoreError) {
    p.registry.setRaw(kVeltraneKey, u"logging_enabled", platform::RegType::Dword, {1, 0, 0, 0});
    EXPECT_THROW(log.writeLog(u"m"), Error);
}

}  // namespace
}  // namespace veltrane
