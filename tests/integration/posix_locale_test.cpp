#include "linux/posix/posix_clock.h"
#include "linux/posix/posix_locale.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "posix_test_support.h"
#include "support/temp_dir.h"

namespace veltrane::platform::posix {
namespace {

using veltrane::testing::ScopedEnv;
using veltrane::testing::TempDir;

TEST(PosixClock, GivesTheLocalTimeToTheMillisecond) {
    const time_t before = ::time(nullptr);
    const LocalDateTime now = PosixClock().now();
    const time_t after = ::time(nullptr);
    tm fields{};
    fields.tm_year = now.year - 1900;
    fields.tm_mon = now.month - 1;
    fields.tm_mday = now.day;
    fields.tm_hour = now.hour;
    fields.tm_min = now.minute;
    fields.tm_sec = now.second;
    fields.tm_isdst = -1;
    const time_t back = ::mktime(&fields);
    EXPECT_GE(back, before);
    EXPECT_LE(back, after);
    EXPECT_GE(now.millisecond, 0);
    EXPECT_LE(now.millisecond, 999);
}

TEST(PosixClock, FollowsTheTimeZone) {
    int difference = 0;
    {
        ScopedEnv zone("TZ", "XYZ-14");  // a POSIX zone rule, UTC+14, needing no zone database
        ::tzset();
        const time_t before = ::time(nullptr);
        const LocalDateTime local = PosixClock().now();
        tm utc{};
        ::gmtime_r(&before, &utc);
        difference = ((local.hour * 60 + local.minute) - (utc.tm_hour * 60 + utc.tm_min) + 1440) % 1440;
    }
    ::tzset();
    // 14 hours, or a minute more when the minute turned between the two readings.
    EXPECT_TRUE(difference == 840 || difference == 841) << difference;
}

// Locales are compiled into a folder that only these tests use (LOCPATH), so the tests neither depend on nor
// change the machine's installed locales. The folder is kept between runs because compiling takes seconds and
// ctest runs every test in a process of its own.
class LocaleFormats : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::filesystem::path folder = cacheFolder();
        std::filesystem::create_directories(folder);
        for (const char* name : {"en_US", "de_DE"}) {
            const std::filesystem::path target = folder / (std::string(name) + ".UTF-8");
            if (!std::filesystem::exists(target / "LC_TIME")) {
                // Built aside and renamed into place, so a test running in parallel never sees half a locale.
                TempDir scratch;
                const std::string built = scratch.file("locale");
                const std::string command =
                    std::string("localedef -i ") + name + " -f UTF-8 " + built + " >/dev/null 2>&1";
                if (std::system(command.c_str()) == 0) {
                    std::error_code lostRace;
                    std::filesystem::rename(built, target, lostRace);
                }
            }
            built_[name] = std::filesystem::exists(target / "LC_TIME");
        }
    }

    static std::filesystem::path cacheFolder() {
        return std::filesystem::temp_directory_path() / ("veltrane-test-locales-" + std::to_string(::getuid()));
    }

    void needs(const char* name) {
        if (!built_[name]) {
            GTEST_SKIP() << name << " could not be built with localedef (is the locales package installed?)";
        }
    }

    ScopedEnv locpath{"LOCPATH", cacheFolder().c_str()};
    static inline std::map<std::string, bool> built_;
};

const LocalDateTime kAfternoon{2026, 12, 9, 14, 5, 9, 0};

TEST_F(LocaleFormats, CLocale) {
    PosixLocale locale("C");
    EXPECT_TRUE(locale.isRequestedLocale());
    EXPECT_EQ(locale.formatShortDate(kAfternoon), u"12/09/26");
    EXPECT_EQ(locale.formatLongTime(kAfternoon), u"14:05:09");
    EXPECT_EQ(locale.decimalSeparator(), u'.');
    // The zero date of the platform's clock type formats like any other.
    EXPECT_EQ(locale.formatShortDate(LocalDateTime{}), u"12/30/99");
}

TEST_F(LocaleFormats, UnitedStates) {
    needs("en_US");
    PosixLocale locale("en_US.UTF-8");
    ASSERT_TRUE(locale.isRequestedLocale());
    EXPECT_EQ(locale.formatShortDate(kAfternoon), u"12/09/2026");
    EXPECT_EQ(locale.formatLongTime(kAfternoon), u"02:05:09 PM");
    EXPECT_EQ(locale.formatLongTime(LocalDateTime{2026, 1, 2, 0, 0, 1, 0}), u"12:00:01 AM");
    EXPECT_EQ(locale.decimalSeparator(), u'.');
}

TEST_F(LocaleFormats, Germany) {
    needs("de_DE");
    PosixLocale locale("de_DE.UTF-8");
    ASSERT_TRUE(locale.isRequestedLocale());
    EXPECT_EQ(locale.formatShortDate(kAfternoon), u"09.12.2026");
    EXPECT_EQ(locale.formatLongTime(kAfternoon), u"14:05:09");
    EXPECT_EQ(locale.decimalSeparator(), u',');
}

TEST_F(LocaleFormats, TheEnvironmentChoosesEachCategory) {
    needs("en_US");
    needs("de_DE");
    ScopedEnv all("LC_ALL", nullptr);
    ScopedEnv lang("LANG", "en_US.UTF-8");
    ScopedEnv numeric("LC_NUMERIC", "de_DE.UTF-8");
    ScopedEnv time("LC_TIME", nullptr);
    PosixLocale locale;
    EXPECT_EQ(locale.formatShortDate(kAfternoon), u"12/09/2026") << "dates from LANG";
    EXPECT_EQ(locale.decimalSeparator(), u',') << "numbers from LC_NUMERIC";
}

TEST_F(LocaleFormats, AMissingLocaleFallsBackToC) {
    ScopedEnv all("LC_ALL", "xx_YY.UTF-8");
    PosixLocale fromEnvironment;
    EXPECT_FALSE(fromEnvironment.isRequestedLocale());
    EXPECT_EQ(fromEnvironment.formatLongTime(kAfternoon), u"14:05:09");
    PosixLocale named("xx_YY.UTF-8");
    EXPECT_FALSE(named.isRequestedLocale());
    EXPECT_EQ(named.formatShortDate(kAfternoon), u"12/09/26");
}

}  // namespace
}  // namespace veltrane::platform::posix
